#pragma once
// The value types the registry family writes and how its records and its
// changes name them; shared by the files of the family's operations.
#include <cstdint>
#include <string>

#include "core/registry_port.h"
#include "core/store.h"
#include "core/text.h"
#include "family/change.h"
#include "registry/registry_family.h"

namespace velmora::registry_types {

// A deletion of a value that is not there leaves the key as we want it.
inline bool deleted(RegStatus status) { return status == RegStatus::Ok || status == RegStatus::NotFound; }

inline bool isListedType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

// The value type a record stands for, and the attribute that says it.
inline std::uint32_t typeOfRecord(const DisabledItem& item) {
  return equalsIgnoreCase(item.valuetype, kExpandTypeName) ? kRegExpandSz : kRegSz;
}
inline std::string recordTypeName(std::uint32_t type) {
  return type == kRegExpandSz ? std::string(kExpandTypeName) : "";
}

// A value's type as the change history names it, and back.
inline std::string historyTypeName(std::uint32_t type) { return type == kRegExpandSz ? "REG_EXPAND_SZ" : "REG_SZ"; }
inline std::uint32_t historyType(const EntryState& state) {
  return state.valueType == "REG_EXPAND_SZ" ? kRegExpandSz : kRegSz;
}
inline EntryState stateOf(const std::string& name, const std::string& data, std::uint32_t type, bool disabled) {
  return EntryState{name, data, historyTypeName(type), disabled};
}

}  // namespace velmora::registry_types
