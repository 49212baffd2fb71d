#include "fakes/fake_registry.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::testing {

namespace {
std::string foldCase(const std::string& s) {
  std::u16string w = utf8ToUtf16(s);
  for (auto& c : w) c = upperOrdinal(c);
  return utf16ToUtf8(w);
}

bool isStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == 7; }

}  // namespace

std::string FakeRegistry::id(RootKey root, const std::string& subkey) {
  return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + foldCase(subkey);
}

RegStatus FakeRegistry::enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) {
  const std::string k = id(root, subkey);
  if (denyRead_.count(k)) return RegStatus::AccessDenied;
  auto it = keys_.find(k);
  ++enumerations;
  if (it == keys_.end()) return RegStatus::NotFound;
  out = it->second;
  return RegStatus::Ok;
}

RegStatus FakeRegistry::enumerateSubkeys(RootKey root, const std::string& subkey, std::vector<std::string>& out) {
  const std::string k = id(root, subkey);
  if (denyRead_.count(k)) return RegStatus::AccessDenied;
  // A key written below a missing one brings its parents into being, as
  // the registry's own creation does.
  const std::string prefix = k + "\\";
  bool exists = keys_.count(k) != 0;
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const auto& [other, spelled] : spelling_) {
    if (other.compare(0, prefix.size(), prefix) != 0) continue;
    exists = true;
    const std::string rest = other.substr(prefix.size());
    const std::size_t cut = rest.find('\\');
    if (!seen.insert(rest.substr(0, cut)).second) continue;
    // The child's name as it was first spelled: the component of the
    // spelled path that follows the parent's.
    std::size_t from = 0;
    for (std::size_t n = std::count(subkey.begin(), subkey.end(), '\\') + 1; n > 0; --n) {
      from = spelled.find('\\', from) + 1;
    }
    names.push_back(spelled.substr(from, spelled.find('\\', from) - from));
  }
  ++subkeyEnumerations;
  if (!exists) return RegStatus::NotFound;
  out = std::move(names);
  return RegStatus::Ok;
}

RegStatus FakeRegistry::queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) {
  const std::string k = id(root, subkey);
  if (denyRead_.count(k)) return RegStatus::AccessDenied;
  const RegValue* v = find(root, subkey, name);
  if (!v) return RegStatus::NotFound;
  out = *v;
  return RegStatus::Ok;
}

RegStatus FakeRegistry::setText(RootKey root, const std::string& subkey, const std::string& name,
                                const std::string& data, std::uint32_t type, KeyCreation creation) {
  if (type != kRegSz && type != kRegExpandSz) return RegStatus::Failed;
  return write(root, subkey, RegValue{name, type, data}, creation);
}

RegStatus FakeRegistry::setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                 const std::vector<std::uint8_t>& data, std::uint32_t type, KeyCreation creation) {
  if (isStringType(type)) return RegStatus::Failed;
  return write(root, subkey, RegValue{name, type, {}, data}, creation);
}

RegStatus FakeRegistry::write(RootKey root, const std::string& subkey, RegValue value, KeyCreation creation) {
  const std::string k = id(root, subkey);
  if (denyWrite_.count(k)) return RegStatus::AccessDenied;
  auto it = keys_.find(k);
  if (it == keys_.end()) {
    if (creation == KeyCreation::KeyMustExist) return RegStatus::NotFound;
    it = keys_.emplace(k, std::vector<RegValue>{}).first;
    spelling_.emplace(k, subkey);
  }
  ++writes;
  for (auto& v : it->second) {
    if (equalsIgnoreCase(v.name, value.name)) {
      value.name = v.name;  // the stored spelling stays, as in the registry
      v = std::move(value);
      return RegStatus::Ok;
    }
  }
  it->second.push_back(std::move(value));
  return RegStatus::Ok;
}

RegStatus FakeRegistry::deleteValue(RootKey root, const std::string& subkey, const std::string& name) {
  const std::string k = id(root, subkey);
  if (denyDelete_.count(k) || denyWrite_.count(k)) return RegStatus::AccessDenied;
  auto it = keys_.find(k);
  if (it == keys_.end()) return RegStatus::NotFound;
  auto& vals = it->second;
  auto v = std::find_if(vals.begin(), vals.end(), [&](const RegValue& r) { return equalsIgnoreCase(r.name, name); });
  if (v == vals.end()) return RegStatus::NotFound;
  vals.erase(v);
  ++deletions;
  return RegStatus::Ok;
}

std::vector<RegValue>& FakeRegistry::keyOf(RootKey root, const std::string& subkey) {
  const std::string k = id(root, subkey);
  spelling_.emplace(k, subkey);
  return keys_[k];
}

void FakeRegistry::createKey(RootKey root, const std::string& subkey) { keyOf(root, subkey); }

void FakeRegistry::put(RootKey root, const std::string& subkey, const std::string& name,
                       const std::string& text, std::uint32_t type) {
  auto& vals = keyOf(root, subkey);
  for (auto& v : vals) {
    if (equalsIgnoreCase(v.name, name)) {
      v = RegValue{v.name, type, text};
      return;
    }
  }
  vals.push_back(RegValue{name, type, text});
}

void FakeRegistry::putBytes(RootKey root, const std::string& subkey, const std::string& name,
                            std::vector<std::uint8_t> data, std::uint32_t type) {
  auto& vals = keyOf(root, subkey);
  for (auto& v : vals) {
    if (equalsIgnoreCase(v.name, name)) {
      v = RegValue{v.name, type, {}, std::move(data)};
      return;
    }
  }
  vals.push_back(RegValue{name, type, {}, std::move(data)});
}

bool FakeRegistry::hasKey(RootKey root, const std::string& subkey) const {
  return keys_.count(id(root, subkey)) != 0;
}

const RegValue* FakeRegistry::find(RootKey root, const std::string& subkey, const std::string& name) const {
  auto it = keys_.find(id(root, subkey));
  if (it == keys_.end()) return nullptr;
  for (const auto& v : it->second) {
    if (equalsIgnoreCase(v.name, name)) return &v;
  }
  return nullptr;
}

std::vector<RegValue> FakeRegistry::values(RootKey root, const std::string& subkey) const {
  auto it = keys_.find(id(root, subkey));
  return it == keys_.end() ? std::vector<RegValue>{} : it->second;
}

}  // namespace velmora::testing
