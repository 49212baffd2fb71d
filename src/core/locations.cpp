#include "core/locations.h"

#include "core/text.h"

namespace velmora {

namespace {
constexpr FamilyId kFolders = "startupfolder";
constexpr FamilyId kRegistry = "registry";
constexpr FamilyId kProgramList = "programlist";
}  // namespace

const std::array<StartupLocation, kLocationCount>& startupLocations() {
  static const std::array<StartupLocation, kLocationCount> table = {{
      {kFolders, "Common Startup"},
      {kFolders, "Startup"},
      {kRegistry, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {kRegistry, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {kRegistry, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
      {kRegistry, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
      {kRegistry, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {kRegistry, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {kProgramList, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load"},
      {kProgramList, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Run"},
      {kProgramList, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit"},
  }};
  return table;
}

const std::array<CategoryNode, kNodeCount>& categoryNodes() {
  // Location numbers below are 0-based: 0 is L1.
  static const std::array<CategoryNode, kNodeCount> table = {{
      {0, "_TreeStartupFolder", -1, 1, kFolders, {0, 1}},
      {1, "_AllUser", 0, 4, kFolders, {0}},
      {2, "_CurrentUser", 0, 5, kFolders, {1}},
      {3, "_TreeRegistry", -1, 3, kRegistry, {2, 3, 4, 5, 6, 7}},
      {4, "_AllUser", 3, 4, kRegistry, {2, 3, 4, 5}},
      {5, "_Run", 4, 2, kRegistry, {2}},
      {6, "_RunOnce", 4, 2, kRegistry, {3}},
      {7, "_RunService", 4, 2, kRegistry, {4}},
      {8, "_RunServiceOnce", 4, 2, kRegistry, {5}},
      {9, "_CurrentUser", 3, 5, kRegistry, {6, 7}},
      {10, "_Run", 9, 2, kRegistry, {6}},
      {11, "_RunOnce", 9, 2, kRegistry, {7}},
      {12, "_Winini", -1, 6, kProgramList, {8, 9}},
      {13, "_LoadSection", 12, 2, kProgramList, {8}},
      {14, "_RunSection", 12, 2, kProgramList, {9}},
      {15, "_TreeUserInit", -1, 6, kProgramList, {10}},
  }};
  return table;
}

const std::vector<Expansion>& treeExpansions() {
  static const std::vector<Expansion> order = {{2, 0}, {8, 4}, {11, 9}, {11, 3}, {14, 12}};
  return order;
}

const std::array<RootKeyName, 5>& rootKeyNames() {
  static const std::array<RootKeyName, 5> table = {{
      {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
      {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
      {"HKEY_CURRENT_USER", RootKey::CurrentUser},
      {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
      {"HKEY_USERS", RootKey::Users},
  }};
  return table;
}

std::optional<RootKey> rootKeyFromName(std::string_view upperName) {
  for (const auto& entry : rootKeyNames()) {
    if (entry.name == upperName) return entry.key;
  }
  return std::nullopt;
}

std::string_view rootKeyName(RootKey key) {
  for (const auto& entry : rootKeyNames()) {
    if (entry.key == key) return entry.name;
  }
  return {};
}

std::string normaliseKeyPath(std::string_view path) {
  std::size_t begin = 0;
  while (begin < path.size() && path[begin] == '\\') ++begin;
  std::size_t end = path.size();
  while (end > begin && path[end - 1] == '\\') --end;
  return std::string(path.substr(begin, end - begin));
}

std::optional<KeyPath> splitKeyPath(std::string_view path) {
  const std::string text = normaliseKeyPath(path);
  if (text.empty()) return std::nullopt;
  const std::size_t slash = text.find('\\');
  if (slash == std::string::npos) return std::nullopt;
  const auto root = rootKeyFromName(asciiUpper(text.substr(0, slash)));
  if (!root) return std::nullopt;
  return KeyPath{*root, text.substr(slash + 1)};
}

std::optional<ValuePath> splitValuePath(std::string_view path) {
  auto key = splitKeyPath(path);
  if (!key) return std::nullopt;
  const std::size_t slash = key->subkey.rfind('\\');
  if (slash == std::string::npos) return std::nullopt;
  return ValuePath{key->root, key->subkey.substr(0, slash), key->subkey.substr(slash + 1)};
}

std::vector<std::string> normaliseKeyPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  for (const auto& p : paths) {
    std::string n = normaliseKeyPath(p);
    if (!n.empty()) out.push_back(std::move(n));
  }
  return out;
}

}  // namespace velmora
