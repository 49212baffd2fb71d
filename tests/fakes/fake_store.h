#pragma once
// An in-memory config.xml with the real store's failure modes: unreadable
// (never overwritten) and refusing writes.
#include <vector>

#include "core/store.h"

namespace velmora::testing {

class FakeStore : public DisabledEntryStore {
 public:
  StoreStatus list(ItemKind kind, std::vector<StoredItem>& out) override;
  StoreStatus add(ItemKind kind, const DisabledItem& item) override;
  StoreStatus remove(ItemKind kind, const StoredItem& item) override;
  StoreStatus update(ItemKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                     const std::string& valuedata) override;

  struct Element {
    ItemKind kind;
    DisabledItem item;
  };
  std::vector<Element> elements;  // document order
  bool unreadable = false;        // a malformed or foreign file
  bool readOnly = false;          // saves fail

  std::vector<DisabledItem> items(ItemKind kind) const;
  int saves = 0;
};

}  // namespace velmora::testing
