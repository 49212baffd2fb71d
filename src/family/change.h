#pragma once
// A change an operation made, with what is needed to reverse it exactly: what
// the operations of a family return, and what the change history keeps.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/trust.h"

namespace velmora {

// What a change did. Text, so that a kind added later (and stored by a
// newer Velmora) passes through an older one untouched.
namespace change_kind {
inline constexpr std::string_view kRemove = "remove";
inline constexpr std::string_view kAdd = "add";
inline constexpr std::string_view kModify = "modify";
inline constexpr std::string_view kDisable = "disable";
inline constexpr std::string_view kEnable = "enable";
// Windows' own on/off flag of a live entry changed; the entry stayed where
// it was. Its fields "flagbefore" and "flagafter" hold the flag.
inline constexpr std::string_view kFlag = "flag";
}  // namespace change_kind

// The change that reverses one of `kind` (remove <-> add, disable <->
// enable, modify <-> modify); the kind itself when it has no known opposite.
std::string oppositeKind(std::string_view kind);

// An entry as it stood before or after a change.
struct EntryState {
  std::string name;
  std::string data;
  // A registry value's type ("REG_SZ", "REG_EXPAND_SZ"); empty elsewhere.
  std::string valueType;
  bool disabled = false;
  bool operator==(const EntryState&) const = default;
};

struct Change {
  std::uint64_t id = 0;
  std::string time;      // UTC, "YYYY-MM-DDTHH:MM:SSZ"
  std::string family;    // the family's id: "registry", "programlist", "startupfolder"
  std::string kind;      // change_kind
  std::string location;  // the row's location (key, value or folder path)
  std::optional<EntryState> before;  // none for an Add
  std::optional<EntryState> after;   // none for a Remove
  // A program list: the piece's place among the value's programs before the
  // change, and the whole value before and after it.
  std::optional<std::size_t> position;
  std::optional<std::string> valueBefore;
  std::optional<std::string> valueAfter;
  // The file name (in the history's copy folder) of an exact copy of the
  // file the change removed or replaced; empty when there is none.
  std::string copy;
  // The change this one reversed, when it was an Undo.
  std::optional<std::uint64_t> undoes;
  // Fields a family keeps of its own, stored and read back as they are.
  std::map<std::string, std::string> extra;
  // Not kept in the file: which history it was read from (0 the user's,
  // 1 the machine's, ChangeHistory::kMachine), and whether only
  // administrators can write that one (core/trust.h).
  std::size_t source = 0;
  bool adminOnly = false;
  bool operator==(const Change&) const = default;
};

// Whether `name` may be a copy's file name: one that newCopyName makes
// (digits and ".copy"), so it can name no other file and no device.
bool plainCopyName(std::string_view name);

// Where a change keeps an exact copy of a file it removes or replaces, so
// that its Undo can put the file back (the change history's copy folder).
class ChangeCopies {
 public:
  virtual ~ChangeCopies() = default;
  // A new file name for a copy a change is about to carry, and its path.
  virtual std::string newCopyName() = 0;
  virtual std::string copyPath(std::string_view name) const = 0;
  // Where a change of a place of `place` keeps a new copy: with the history
  // that will keep the change (the machine's for a place of all users).
  virtual std::string copyPath(std::string_view name, PlaceScope place) const {
    (void)place;
    return copyPath(name);
  }
  // A copy named by a kept change (its `copy`, or a name among its own
  // fields), in the folder of the history that holds the change.
  virtual std::string keptCopyPath(const Change& change, std::string_view name) const {
    (void)change;
    return copyPath(name);
  }
};

}  // namespace velmora
