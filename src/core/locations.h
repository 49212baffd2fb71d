#pragma once
// The eleven startup locations, the sixteen category nodes, the root-key
// names and the rules that split a location path. Locations and nodes name
// their family by id; each family registers under its id (pane/families.h).
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_port.h"

namespace velmora {

// A family's name as locations and nodes give it: "registry", "programlist",
// "startupfolder" (the folder of the family's code).
using FamilyId = std::string_view;

struct StartupLocation {
  FamilyId family;
  // A key path, a key path plus value name, or (for the startup folders) the
  // Shell Folders value that names the folder.
  std::string_view path;
};

// L1..L11 in their fixed order; index 0 is L1.
constexpr std::size_t kLocationCount = 11;
const std::array<StartupLocation, kLocationCount>& startupLocations();

struct CategoryNode {
  int index;
  std::string_view labelKey;
  int parent;  // -1 for a top-level node
  int image;
  FamilyId family;             // the family of the node's pane
  std::vector<int> locations;  // indexes into startupLocations()
};

constexpr int kNodeCount = 16;
const std::array<CategoryNode, kNodeCount>& categoryNodes();

// Node whose expansion follows the insertion of node `afterInserting`, in order.
struct Expansion {
  int afterInserting;
  int expand;
};
const std::vector<Expansion>& treeExpansions();

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
