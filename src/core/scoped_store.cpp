#include "core/scoped_store.h"

#include <utility>

namespace velmora {

ScopedStore::ScopedStore(DisabledEntryStore& user, DisabledEntryStore* machine, DisabledEntryStore* legacy,
                         std::function<bool(std::string_view path)> isUserPlace)
    : user_(user), machine_(machine), legacy_(legacy), isUserPlace_(std::move(isUserPlace)) {}

DisabledEntryStore* ScopedStore::source(std::size_t index) const {
  switch (index) {
    case kUser: return &user_;
    case kMachine: return machine_;
    case kLegacy: return legacy_;
  }
  return nullptr;
}

StoreStatus ScopedStore::list(RecordKind kind, std::vector<StoredItem>& out) {
  // All or nothing, as one file: a listing that left a damaged file's
  // records out would show their entries as gone.
  std::vector<StoredItem> all;
  for (std::size_t index : {kUser, kMachine, kLegacy}) {
    DisabledEntryStore* store = source(index);
    if (!store) continue;
    std::vector<StoredItem> items;
    if (const StoreStatus s = store->list(kind, items); s != StoreStatus::Ok) return s;
    for (StoredItem& item : items) {
      item.source = index;
      item.adminOnly = adminOnly_[index];
      all.push_back(std::move(item));
    }
  }
  out = std::move(all);
  return StoreStatus::Ok;
}

bool ScopedStore::goesToUser(std::string_view path) const {
  return !machine_ || (isUserPlace_ && isUserPlace_(path));
}

bool ScopedStore::addsAdminOnly(std::string_view path) const { return adminOnly_[goesToUser(path) ? kUser : kMachine]; }

StoreStatus ScopedStore::add(RecordKind kind, const DisabledItem& item) {
  return (goesToUser(item.path) ? user_ : *machine_).add(kind, item);
}

StoreStatus ScopedStore::remove(RecordKind kind, const StoredItem& item) {
  DisabledEntryStore* store = source(item.source);
  if (!store) return StoreStatus::Vanished;
  StoredItem own = item;
  own.source = 0;
  return store->remove(kind, own);
}

StoreStatus ScopedStore::update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                                const std::string& valuedata, const std::optional<std::string>& valuetype) {
  DisabledEntryStore* store = source(item.source);
  if (!store) return StoreStatus::Vanished;
  StoredItem own = item;
  own.source = 0;
  return store->update(kind, own, valuename, valuedata, valuetype);
}

}  // namespace velmora
