#include "fakes/fake_store.h"

namespace velmora::testing {

StoreStatus FakeStore::list(RecordKind kind, std::vector<StoredItem>& out) {
  if (unreadable) return StoreStatus::Unreadable;
  out.clear();
  std::size_t ordinal = 0;
  for (const auto& e : elements) {
    if (e.kind != kind) continue;
    out.push_back(StoredItem{ordinal++, e.item});
  }
  return StoreStatus::Ok;
}

StoreStatus FakeStore::add(RecordKind kind, const DisabledItem& item) {
  if (unreadable) return StoreStatus::Unreadable;
  if (readOnly) return StoreStatus::WriteFailed;
  elements.push_back({kind, item});
  ++saves;
  return StoreStatus::Ok;
}

StoreStatus FakeStore::remove(RecordKind kind, const StoredItem& item) {
  if (unreadable) return StoreStatus::Unreadable;
  std::size_t ordinal = 0;
  for (auto it = elements.begin(); it != elements.end(); ++it) {
    if (it->kind != kind) continue;
    if (ordinal++ != item.ordinal) continue;
    if (!(it->item == item.item)) return StoreStatus::Vanished;
    if (readOnly) return StoreStatus::WriteFailed;
    elements.erase(it);
    ++saves;
    return StoreStatus::Ok;
  }
  return StoreStatus::Vanished;
}

StoreStatus FakeStore::update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                              const std::string& valuedata, const std::optional<std::string>& valuetype) {
  if (unreadable) return StoreStatus::Unreadable;
  std::size_t ordinal = 0;
  for (auto& e : elements) {
    if (e.kind != kind) continue;
    if (ordinal++ != item.ordinal) continue;
    if (!(e.item == item.item)) return StoreStatus::Vanished;
    if (readOnly) return StoreStatus::WriteFailed;
    if (valuename) e.item.valuename = *valuename;
    e.item.valuedata = valuedata;
    if (valuetype) e.item.valuetype = *valuetype;
    ++saves;
    return StoreStatus::Ok;
  }
  return StoreStatus::Vanished;
}

std::vector<DisabledItem> FakeStore::items(RecordKind kind) const {
  std::vector<DisabledItem> out;
  for (const auto& e : elements) {
    if (e.kind == kind) out.push_back(e.item);
  }
  return out;
}

}  // namespace velmora::testing
