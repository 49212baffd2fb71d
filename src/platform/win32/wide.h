#pragma once
// UTF-8 <-> UTF-16 at the Win32 edge. wchar_t is UTF-16 on Windows.
#include <string>
#include <string_view>

#include "core/text.h"

namespace velmora::win32 {

inline std::wstring widen(std::string_view s) {
  const std::u16string u = utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

inline std::string narrow(std::wstring_view w) {
  return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

}  // namespace velmora::win32
