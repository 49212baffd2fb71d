#include "dialogs/win32/shell_open.h"

#include <shellapi.h>

#include "platform/win32/wide.h"

namespace velmora::win32 {

bool shellOpen(HWND parent, const ShellRequest& request) {
  const std::wstring file = widen(request.file);
  const std::wstring parameters = widen(request.parameters);
  const HINSTANCE result = ShellExecuteW(parent, L"open", file.c_str(),
                                         parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
  // The shell's old convention: a value above 32 means success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace velmora::win32
