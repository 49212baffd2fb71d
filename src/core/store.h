#pragma once
// The disabled-entry store: config.xml beside the program. Every call opens
// the file afresh, does its one job and drops it. A change reports Ok only
// when the file on disk holds it; a file that exists but cannot be read as a
// store is never overwritten.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Which records a call is about: the element name under which a family keeps
// its disabled entries ("disabledregistryitem" and so on). Each family names
// its own; the store knows none of them.
struct RecordKind {
  std::string_view element;
  bool operator==(const RecordKind&) const = default;
};

// "/config/toolvelmora/" + the element name.
std::string selectionPath(RecordKind kind);

struct DisabledItem {
  std::string path;
  std::string valuename;
  std::string valuedata;
  // The registry value's type when it is not REG_SZ ("REG_EXPAND_SZ"); empty
  // for REG_SZ and for every other family, so older files stay valid.
  std::string valuetype;
  bool operator==(const DisabledItem&) const = default;
};

// An item as listed: its attributes and its place among the elements of its
// kind in document order (elements that lack an attribute are counted but
// not listed).
struct StoredItem {
  std::size_t ordinal = 0;
  DisabledItem item;
  // Which file listed it, where records live in more than one (ScopedStore).
  std::size_t source = 0;
  // Whether only administrators can write that file (core/trust.h): a
  // record a user's program could have planted is never acted on in a place
  // of all users by a Velmora with administrator rights.
  bool adminOnly = false;
};

enum class StoreStatus {
  Ok,
  Unreadable,   // the file exists but is not a store (malformed, other root, unreadable)
  WriteFailed,  // the change could not be saved; the file is as it was
  AccessDenied, // the folder refused the new file for lack of rights (under Program Files
                // without administrator rights); the file is as it was
  Vanished,     // the item to change is no longer where it was listed
  Busy,         // another Velmora held the lock over the file too long; the file is as it was
};

// Every call reads or writes the file as a whole; on any failure `out` (for
// list) is left untouched and the file is as it was.
class DisabledEntryStore {
 public:
  DisabledEntryStore() = default;
  DisabledEntryStore(const DisabledEntryStore&) = delete;
  DisabledEntryStore& operator=(const DisabledEntryStore&) = delete;
  virtual ~DisabledEntryStore() = default;

  // Items of one kind in document order. A missing file lists nothing (Ok).
  [[nodiscard]] virtual StoreStatus list(RecordKind kind, std::vector<StoredItem>& out) = 0;
  // Appends an item to the container (attributes path, valuedata, valuename,
  // and valuetype when it is not empty).
  // A missing file is created; a root without the container gains one.
  [[nodiscard]] virtual StoreStatus add(RecordKind kind, const DisabledItem& item) = 0;
  // Removes the listed item. Fails with Vanished when the element at that
  // place no longer holds exactly the listed attributes.
  [[nodiscard]] virtual StoreStatus remove(RecordKind kind, const StoredItem& item) = 0;
  // Sets valuename (when given), valuedata and valuetype (when given; empty
  // drops the attribute) of the listed item; path never changes.
  [[nodiscard]] virtual StoreStatus update(RecordKind kind, const StoredItem& item,
                                           const std::optional<std::string>& valuename,
                                           const std::string& valuedata,
                                           const std::optional<std::string>& valuetype) = 0;
};

// The first item whose three attributes equal the key's, ignoring case.
std::optional<StoredItem> findItem(const std::vector<StoredItem>& items, const DisabledItem& key);
// Every such item, in document order.
std::vector<StoredItem> findAllItems(const std::vector<StoredItem>& items, const DisabledItem& key);

}  // namespace velmora
