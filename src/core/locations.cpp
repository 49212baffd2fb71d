#include "core/locations.h"

#include "core/text.h"

namespace velmora {

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
