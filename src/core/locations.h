#pragma once
// The root-key names and the rules that split a location path. (Which
// locations there are is each family's business: pane/families.h.)
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_port.h"

namespace velmora {

struct RootKeyName {
  std::string_view name;
  RootKey key;
};
const std::array<RootKeyName, 5>& rootKeyNames();
std::optional<RootKey> rootKeyFromName(std::string_view upperName);
std::string_view rootKeyName(RootKey key);

// Removes every leading, then every trailing backslash.
std::string normaliseKeyPath(std::string_view path);

struct KeyPath {
  RootKey root;
  std::string subkey;
};
struct ValuePath {
  RootKey root;
  std::string key;
  std::string valueName;
};
std::optional<KeyPath> splitKeyPath(std::string_view path);
std::optional<ValuePath> splitValuePath(std::string_view path);

// Registry-key panes keep their paths normalised and drop empty ones.
std::vector<std::string> normaliseKeyPaths(const std::vector<std::string>& paths);

}  // namespace velmora
