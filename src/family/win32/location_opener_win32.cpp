#include "family/win32/location_opener_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide.h"

namespace velmora::win32 {

Win32LocationOpener::Win32LocationOpener(RegistryPort& registry, Launch launch)
    : registry_(registry), launch_(std::move(launch)) {
  if (!launch_) {
    launch_ = [](const std::wstring& file, const std::wstring& parameters) {
      const auto started = reinterpret_cast<INT_PTR>(
          ShellExecuteW(nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                        SW_SHOWNORMAL));
      return started > 32;
    };
  }
}

bool Win32LocationOpener::openRegistryKey(const std::string& keyPath) {
  // The editor shows the key of its LastKey setting when it starts; the
  // "Computer\" root is how it names its tree. A setting that cannot be
  // written still opens the editor, where it was last.
  (void)registry_.setString(RootKey::CurrentUser, kRegeditSettingsKey, "LastKey", "Computer\\" + keyPath,
                            KeyCreation::CreateKey);
  return launch_(L"regedit.exe", L"");
}

bool Win32LocationOpener::showFile(const std::string& path) {
  return launch_(L"explorer.exe", L"/select,\"" + widen(path) + L"\"");
}

bool Win32LocationOpener::openFolder(const std::string& folder) {
  return launch_(L"explorer.exe", L"\"" + widen(folder) + L"\"");
}

}  // namespace velmora::win32
