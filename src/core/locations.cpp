#include "core/locations.h"

#include "core/text.h"

namespace velmora {

const char* describe(RegStatus status) {
  switch (status) {
    case RegStatus::Ok: return "ok";
    case RegStatus::NotFound: return "not found";
    case RegStatus::AccessDenied: return "access denied";
    case RegStatus::Failed: return "failed";
  }
  return "failed";
}

namespace {
constexpr std::string_view kCommonStartup = "Common Startup";
constexpr std::string_view kStartup = "Startup";
}  // namespace

const std::array<StartupLocation, kLocationCount>& startupLocations() {
  static const std::array<StartupLocation, kLocationCount> table = {{
      {Family::StartupFolder, kCommonStartup},
      {Family::StartupFolder, kStartup},
      {Family::RegistryKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {Family::RegistryKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {Family::RegistryKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
      {Family::RegistryKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
      {Family::RegistryKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {Family::RegistryKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {Family::ProgramList, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load"},
      {Family::ProgramList, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Run"},
      {Family::ProgramList, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit"},
  }};
  return table;
}

const std::array<CategoryNode, kNodeCount>& categoryNodes() {
  using P = PaneClass;
  // Location numbers below are 0-based: 0 is L1.
  static const std::array<CategoryNode, kNodeCount> table = {{
      {0, "_TreeStartupFolder", -1, 1, P::StartupFolderPane, {0, 1}},
      {1, "_AllUser", 0, 4, P::StartupFolderPane, {0}},
      {2, "_CurrentUser", 0, 5, P::StartupFolderPane, {1}},
      {3, "_TreeRegistry", -1, 3, P::RegistryEntryPane, {2, 3, 4, 5, 6, 7}},
      {4, "_AllUser", 3, 4, P::RegistryEntryPane, {2, 3, 4, 5}},
      {5, "_Run", 4, 2, P::RegistryEntryPane, {2}},
      {6, "_RunOnce", 4, 2, P::RegistryEntryPane, {3}},
      {7, "_RunService", 4, 2, P::RegistryEntryPane, {4}},
      {8, "_RunServiceOnce", 4, 2, P::RegistryEntryPane, {5}},
      {9, "_CurrentUser", 3, 5, P::RegistryEntryPane, {6, 7}},
      {10, "_Run", 9, 2, P::RegistryEntryPane, {6}},
      {11, "_RunOnce", 9, 2, P::RegistryEntryPane, {7}},
      {12, "_Winini", -1, 6, P::WininiEntryPane, {8, 9}},
      {13, "_LoadSection", 12, 2, P::WininiEntryPane, {8}},
      {14, "_RunSection", 12, 2, P::WininiEntryPane, {9}},
      {15, "_TreeUserInit", -1, 6, P::WininiEntryPane, {10}},
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

std::string readStartupFolder(RegistryPort& registry, RootKey root, std::string_view valueName) {
  RegValue value;
  if (registry.queryValue(root, std::string(kShellFoldersKey), std::string(valueName), value) !=
      RegStatus::Ok) {
    return {};
  }
  return value.text;
}

std::array<std::vector<std::string>, kNodeCount> buildPaneLocations(RegistryPort& registry) {
  std::array<std::vector<std::string>, kNodeCount> lists;
  auto common = [&] { return readStartupFolder(registry, RootKey::LocalMachine, kCommonStartup); };
  auto user = [&] { return readStartupFolder(registry, RootKey::CurrentUser, kStartup); };
  // Four fresh reads, in the order the window has always made them.
  lists[0].push_back(common());
  lists[0].push_back(user());
  lists[1].push_back(common());
  lists[2].push_back(user());

  const auto& locations = startupLocations();
  for (const auto& node : categoryNodes()) {
    if (node.paneClass == PaneClass::StartupFolderPane) continue;
    std::vector<std::string> paths;
    for (int loc : node.locations) paths.emplace_back(locations[loc].path);
    lists[node.index] = node.paneClass == PaneClass::RegistryEntryPane ? normaliseKeyPaths(paths)
                                                                       : paths;
  }
  return lists;
}

}  // namespace velmora
