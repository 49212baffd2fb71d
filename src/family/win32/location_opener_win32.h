#pragma once
// Open Location through the programs Windows has for it: the Registry
// Editor, which opens at the key stored in its LastKey setting, and Explorer.
#include <functional>
#include <string>

#include "core/registry_port.h"
#include "family/location_opener.h"

namespace velmora::win32 {

// Where the Registry Editor keeps the key it shows first.
inline constexpr char kRegeditSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

class Win32LocationOpener : public LocationOpener {
 public:
  // Starts `file` with `parameters`; true when it started.
  using Launch = std::function<bool(const std::wstring& file, const std::wstring& parameters)>;
  // Without `launch`, programs are started through the shell.
  explicit Win32LocationOpener(RegistryPort& registry, Launch launch = {});

  [[nodiscard]] bool openRegistryKey(const std::string& keyPath) override;
  [[nodiscard]] bool showFile(const std::string& path) override;
  [[nodiscard]] bool openFolder(const std::string& folder) override;

 private:
  RegistryPort& registry_;
  Launch launch_;
};

}  // namespace velmora::win32
