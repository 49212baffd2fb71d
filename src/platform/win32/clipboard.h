#pragma once
// Text to the clipboard, as the system's own controls put it there.
#include <windows.h>

#include <string>

namespace velmora::win32 {

// Replaces the clipboard's contents with `text` (CF_UNICODETEXT), owned by
// `owner`. False when the clipboard could not be opened (another program
// held it for longer than about a second) or the memory not had; the clipboard is then left as it was,
// or empty when only the last step failed.
[[nodiscard]] bool putClipboardText(HWND owner, const std::wstring& text);

}  // namespace velmora::win32
