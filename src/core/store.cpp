#include "core/store.h"

#include "core/text.h"

namespace velmora {

std::string selectionPath(RecordKind kind) {
  return "/config/toolvelmora/" + std::string(kind.element);
}

namespace {
bool matches(const DisabledItem& a, const DisabledItem& b) {
  return equalsIgnoreCase(a.path, b.path) && equalsIgnoreCase(a.valuename, b.valuename) &&
         equalsIgnoreCase(a.valuedata, b.valuedata);
}
}  // namespace

std::optional<StoredItem> findItem(const std::vector<StoredItem>& items, const DisabledItem& key) {
  for (const auto& s : items) {
    if (matches(s.item, key)) return s;
  }
  return std::nullopt;
}

std::vector<StoredItem> findAllItems(const std::vector<StoredItem>& items, const DisabledItem& key) {
  std::vector<StoredItem> out;
  for (const auto& s : items) {
    if (matches(s.item, key)) out.push_back(s);
  }
  return out;
}

}  // namespace velmora
