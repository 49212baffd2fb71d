#pragma once
// An in-memory registry: keys compared without regard to case, values kept
// in insertion order. Failures can be injected per key for fault tests.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/registry_port.h"

namespace velmora::testing {

class FakeRegistry : public RegistryPort {
 public:
  [[nodiscard]] RegStatus enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) override;
  // A key's subkeys are the keys whose path continues its own by one name.
  [[nodiscard]] RegStatus enumerateSubkeys(RootKey root, const std::string& subkey,
                                           std::vector<std::string>& out) override;
  [[nodiscard]] RegStatus queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) override;
  [[nodiscard]] RegStatus setText(RootKey root, const std::string& subkey, const std::string& name,
                                  const std::string& data, std::uint32_t type, KeyCreation creation) override;
  [[nodiscard]] RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                   const std::vector<std::uint8_t>& data, std::uint32_t type,
                                   KeyCreation creation) override;
  [[nodiscard]] RegStatus deleteValue(RootKey root, const std::string& subkey, const std::string& name) override;

  // Test set-up and inspection. A port cannot be copied, so a test that
  // needs a fresh registry empties this one.
  void reset() {
    keys_.clear();
    spelling_.clear();
    denyRead_.clear();
    denyWrite_.clear();
    denyDelete_.clear();
    writes = deletions = enumerations = subkeyEnumerations = 0;
  }
  void createKey(RootKey root, const std::string& subkey);
  // Deletes a key with its values, as Windows does with a RunOnceEx group it ran.
  void removeKey(RootKey root, const std::string& subkey) {
    keys_.erase(id(root, subkey));
    spelling_.erase(id(root, subkey));
  }
  void put(RootKey root, const std::string& subkey, const std::string& name, const std::string& text,
           std::uint32_t type = kRegSz);
  void putBytes(RootKey root, const std::string& subkey, const std::string& name, std::vector<std::uint8_t> data,
                std::uint32_t type = kRegBinary);
  bool hasKey(RootKey root, const std::string& subkey) const;
  const RegValue* find(RootKey root, const std::string& subkey, const std::string& name) const;
  std::vector<RegValue> values(RootKey root, const std::string& subkey) const;

  // Fault injection: the key refuses reads, writes or deletions.
  void denyRead(RootKey root, const std::string& subkey) { denyRead_.insert(id(root, subkey)); }
  void denyWrite(RootKey root, const std::string& subkey) { denyWrite_.insert(id(root, subkey)); }
  void denyDelete(RootKey root, const std::string& subkey) { denyDelete_.insert(id(root, subkey)); }

  int writes = 0;
  int deletions = 0;
  int enumerations = 0;  // enumerateValues calls the key did not refuse
  int subkeyEnumerations = 0;  // enumerateSubkeys calls the key did not refuse

 private:
  // Writes a value whole, keeping the spelling of a name already there.
  RegStatus write(RootKey root, const std::string& subkey, RegValue value, KeyCreation creation);
  // The key's values, created empty when it is new.
  std::vector<RegValue>& keyOf(RootKey root, const std::string& subkey);
  static std::string id(RootKey root, const std::string& subkey);
  std::map<std::string, std::vector<RegValue>> keys_;
  // Each key's path as it was first created, so that subkeys keep their spelling.
  std::map<std::string, std::string> spelling_;
  std::set<std::string> denyRead_, denyWrite_, denyDelete_;
};

}  // namespace velmora::testing
