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

void FakeRegistry::createKey(RootKey root, const std::string& subkey) { keys_[id(root, subkey)]; }

void FakeRegistry::put(RootKey root, const std::string& subkey, const std::string& name,
                       const std::string& text, std::uint32_t type) {
  auto& vals = keys_[id(root, subkey)];
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
  auto& vals = keys_[id(root, subkey)];
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
