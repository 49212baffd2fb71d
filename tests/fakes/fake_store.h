#pragma once
// An in-memory config.xml with the real store's failure modes: unreadable
// (never overwritten) and refusing writes.
#include <vector>

#include "core/store.h"

namespace velmora::testing {

class FakeStore : public DisabledEntryStore {
 public:
  StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) override;
  StoreStatus add(RecordKind kind, const DisabledItem& item) override;
  StoreStatus remove(RecordKind kind, const StoredItem& item) override;
  StoreStatus update(RecordKind kind, const StoredItem& item, const std::optional<std::string>& valuename,
                     const std::string& valuedata, const std::optional<std::string>& valuetype) override;

  struct Element {
    RecordKind kind;
    DisabledItem item;
  };
  std::vector<Element> elements;  // document order
  bool unreadable = false;        // a malformed or foreign file
  bool readOnly = false;          // saves fail

  std::vector<DisabledItem> items(RecordKind kind) const;
  // A port cannot be copied: a test that needs a fresh store empties this one.
  void reset() {
    elements.clear();
    unreadable = readOnly = false;
    saves = 0;
  }
  int saves = 0;
};

}  // namespace velmora::testing
