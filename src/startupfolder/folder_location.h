#pragma once
// Where the startup folders are: the Shell Folders values name them, read
// afresh for every pane (the user may move a folder while Velmora runs).
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_port.h"

namespace velmora {

constexpr std::string_view kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Reads a startup folder path from the Shell Folders values; empty when the
// key or value cannot be read. "Common Startup" is read from
// HKEY_LOCAL_MACHINE, every other value from HKEY_CURRENT_USER.
std::string readStartupFolder(RegistryPort& registry, std::string_view valueName);

// A pane's folders: one fresh read for each Shell Folders value, in order.
std::vector<std::string> readStartupFolders(RegistryPort& registry, const std::vector<std::string_view>& valueNames);

}  // namespace velmora
