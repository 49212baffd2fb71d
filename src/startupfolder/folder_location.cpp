#include "startupfolder/folder_location.h"

namespace velmora {

std::string readStartupFolder(RegistryPort& registry, std::string_view valueName) {
  const RootKey root = valueName == "Common Startup" ? RootKey::LocalMachine : RootKey::CurrentUser;
  RegValue value;
  if (registry.queryValue(root, std::string(kShellFoldersKey), std::string(valueName), value) != RegStatus::Ok) {
    return {};
  }
  return value.text;
}

std::vector<std::string> readStartupFolders(RegistryPort& registry, const std::vector<std::string_view>& valueNames) {
  std::vector<std::string> folders;
  for (std::string_view name : valueNames) folders.push_back(readStartupFolder(registry, name));
  return folders;
}

}  // namespace velmora
