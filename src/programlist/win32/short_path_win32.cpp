#include "programlist/win32/short_path_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace velmora::win32 {

std::string Win32ShortPaths::shortForm(const std::string& path) {
  if (path.empty()) return {};
  const std::wstring wide = widen(path);
  DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
  // The file may be renamed between the two calls; a few tries cover that.
  for (int attempt = 0; attempt < 3 && needed != 0; ++attempt) {
    std::vector<wchar_t> buffer(needed);
    const DWORD written = GetShortPathNameW(wide.c_str(), buffer.data(), needed);
    if (written == 0) return {};
    if (written < needed) return narrow(std::wstring_view(buffer.data(), written));
    needed = written;
  }
  return {};
}

}  // namespace velmora::win32
