#pragma once
// Where Entry > Open Location takes the user: the Registry Editor at a key,
// or Explorer at a file or folder.
#include <string>

namespace velmora {

class LocationOpener {
 public:
  LocationOpener() = default;
  LocationOpener(const LocationOpener&) = delete;
  LocationOpener& operator=(const LocationOpener&) = delete;
  virtual ~LocationOpener() = default;
  // The Registry Editor, opened at a key ("HKEY_CURRENT_USER\Software\...").
  // False when it could not be started.
  [[nodiscard]] virtual bool openRegistryKey(const std::string& keyPath) = 0;
  // Explorer, showing the file's folder with the file selected.
  [[nodiscard]] virtual bool showFile(const std::string& path) = 0;
  // Explorer, at a folder.
  [[nodiscard]] virtual bool openFolder(const std::string& folder) = 0;
};

}  // namespace velmora
