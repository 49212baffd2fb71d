#include "core/store.h"

#include "core/text.h"

namespace velmora {

std::string_view elementName(ItemKind kind) {
  switch (kind) {
    case ItemKind::Registry: return "disabledregistryitem";
    case ItemKind::Winini: return "disabledwininiitem";
    case ItemKind::StartupFolder: return "disabledstartupfolderitem";
  }
  return "disabledregistryitem";
}

std::string selectionPath(ItemKind kind) {
  return "/config/toolvelmora/" + std::string(elementName(kind));
}

const char* describe(StoreStatus status) {
  switch (status) {
    case StoreStatus::Ok: return "ok";
    case StoreStatus::Unreadable: return "unreadable";
    case StoreStatus::WriteFailed: return "write failed";
    case StoreStatus::Vanished: return "vanished";
  }
  return "unreadable";
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
