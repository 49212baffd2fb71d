#include "app/win32/program_files_win32.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>

#include <vector>

#include "dialogs/win32/version_resource.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

std::string Win32ProgramFiles::expand(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  const std::wstring in = widen(text);
  std::vector<wchar_t> out(in.size() + 256);
  for (;;) {
    const DWORD n = ExpandEnvironmentStringsW(in.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return text;
    if (n <= out.size()) return narrow(std::wstring_view(out.data(), n - 1));
    out.resize(n);
  }
}

bool Win32ProgramFiles::isFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> Win32ProgramFiles::findBareName(const std::string& name) {
  const std::wstring wname = widen(name);
  std::vector<wchar_t> found(MAX_PATH);
  for (;;) {
    const DWORD n = SearchPathW(nullptr, wname.c_str(), L".exe", static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (n == 0) break;
    if (n < found.size()) {
      const std::string path = narrow(std::wstring_view(found.data(), n));
      if (isFile(path)) return path;
      break;
    }
    found.resize(n + 1);
  }
  // App Paths names its keys with the extension: "tool.exe".
  std::wstring keyName = wname;
  if (keyName.find(L'.') == std::wstring::npos) keyName += L".exe";
  const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + keyName;
  DWORD size = 0;
  // RRF_RT_REG_SZ takes an expandable value too, expanded; asking for
  // RRF_RT_REG_EXPAND_SZ as well is refused unless nothing is to be expanded.
  const DWORD flags = RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, flags, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> value(size / sizeof(wchar_t) + 1);
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, flags, nullptr, value.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string path = narrow(std::wstring_view(value.data()));
  // Some installers quote the path.
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  if (path.empty() || !isFile(path)) return std::nullopt;
  return path;
}

std::string Win32ProgramFiles::companyName(const std::string& path) { return firstTranslationText(path, "CompanyName"); }

bool Win32ProgramFiles::opensByExtension(const std::string& extension) {
  // Programs and shortcuts are started by Windows itself, whatever the
  // registry says of them.
  static constexpr std::array<std::wstring_view, 7> kOwn = {L".exe", L".com", L".bat", L".cmd",
                                                            L".lnk", L".pif", L".scr"};
  const std::wstring ext = widen(extension);
  if (std::any_of(kOwn.begin(), kOwn.end(), [&](std::wstring_view own) {
        return CompareStringOrdinal(own.data(), static_cast<int>(own.size()), ext.data(), static_cast<int>(ext.size()),
                                    TRUE) == CSTR_EQUAL;
      })) {
    return true;
  }
  // Anything else is opened by the program registered for its type.
  DWORD size = 0;
  const HRESULT hr = AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, ext.c_str(),
                                       nullptr, nullptr, &size);
  return (hr == S_OK || hr == S_FALSE) && size > 1;
}

bool Win32ProgramFiles::isLocal(const std::string& path) {
  // A UNC path (\\server\share) or a relative one is no fixed drive's.
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(path[0])), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_FIXED;
}

}  // namespace velmora::win32
