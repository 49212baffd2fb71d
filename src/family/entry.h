#pragma once
// An entry as a family lists it: the row of a pane's list, with where the
// entry is.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The check box is the state image: 1 unchecked (disabled entry kept in
// config.xml), 2 checked (live entry).
enum class RowState { Disabled = 1, Live = 2 };

// Where a row's entry is, as the listing found it: live in its place, kept
// as a record in config.xml, or live in its place but turned off by
// Windows' own startup settings (listed unchecked: it does not start).
// Operations go by this, never by the texts or the box alone.
enum class RowOrigin { Live, Record, OffInWindows };

// One reason in a row's status: its language key ("_StatusFileMissing") and
// its text as shown.
struct StatusReason {
  std::string key;
  std::string text;
  bool operator==(const StatusReason&) const = default;
};

struct Row {
  std::string name;  // column 0, _Name
  std::string type;  // column 1, _Type (never read back)
  std::string data;  // column 2, _Data: command line or target
  std::string path;  // column 3, _RegPath: the location
  RowState state = RowState::Live;
  std::string publisher;  // column 4, _Publisher: who made the program file
  std::string status;     // column 5, _Status: what stops or threatens it, "; "-joined
  RowOrigin origin = RowOrigin::Live;
  // The command line whose program file columns 4 to 6 still have to
  // describe (EntryFamily::describe); empty once that is done. Looking files
  // up costs, so it is done for the rows someone looks at; in the window a
  // worker does it, and until its answer came the row keeps this.
  std::string program;
  std::string signedBy;  // column 6, _SignedBy: who signed the program file, or that none did
  // Column 2 as shown and exported where it says more than `data`, which
  // operations compare and records keep: a shortcut's target followed by
  // its arguments. Empty: `data` as it stands.
  std::string dataShown;
  // The file describe found for `program` (a shortcut's target), or its
  // best guess when missing: the pane shows its icon.
  std::string programFile;
  // The family that listed the row (its FamilyId, a name that lives as long
  // as the program), set by a view of several families, which hands the
  // row's operations to it; empty in a family's own pane. Two families'
  // places may have the same text (a startup folder value that spells a Run
  // key, the tasks' root "\"), so the location never tells.
  std::string_view family;
  // The parts of `status`, in its order, each with the language key that
  // names its reason: what a script reads where a person reads the text.
  std::vector<StatusReason> reasons;
  // When the entry was last written where it is (its key's last write, its
  // file's), in UTC as yyyymmddhhmmss (utcOrder); 0 where the place keeps no
  // time. A key's time is shared by all its values: the entry is at least
  // that old, but a later time may be another value's.
  std::int64_t writtenAt = 0;
  // Columns 7 and 8, _Impact and _LastLogon: what Windows measured of the
  // entry's program at the last logon (family/logon_facts.h), and what they
  // sort by: the impact's level (0 empty, 1 not measured, 2 low to 4 high)
  // and its cost within it, the seconds after the logon began it started
  // (kDidNotStart: it did not; negative: empty).
  std::string impact;
  std::string lastLogon;
  double impactSize = 0;
  double lastLogonSeconds = -1;
  int impactLevel = 0;
  // The small fields together: a pane holds thousands of rows, and each
  // flag between two strings cost a row eight bytes.
  bool writtenAtShared = false;
  // The program file's signature verified with a Microsoft signer: one of
  // Windows' own, which the user may hide.
  bool signedByMicrosoft = false;
  // Listed now but not when Velmora last closed, and not made by Velmora
  // since (family/seen_entries.h): column 5 says since when.
  bool isNew = false;
  // `programFile` exists on a fixed drive of this computer: its own icon
  // may be read. Otherwise its type's icon is shown.
  bool programLocal = false;
  // A record a user's program could have written that names a place of all
  // users (core/trust.h): listed, column 5 says so, and never enabled.
  bool notTrusted = false;
  bool operator==(const Row&) const = default;
};

inline const std::string& shownData(const Row& row) { return row.dataShown.empty() ? row.data : row.dataShown; }

// Writes a row's status from its reasons, in their order: after a reason
// was taken out or put in other than at the end.
void showReasons(Row& row);
// Takes the reason `key` out of a row's status.
void dropStatus(Row& row, std::string_view key);

// Whether a row's entry looks on (it is no record kept by Velmora) but its
// status gives a reason Windows will not run it at logon.
bool willNotStart(const Row& row);

// An entry an operation acts on: where it is (its key, value or folder as
// the family lists it), its name and data, and whether it is live, a record
// in config.xml, or live but turned off by Windows. A family checks it
// against what is stored or live before it changes anything.
struct EntryRef {
  std::string location;
  std::string name;
  std::string data;
  RowOrigin origin = RowOrigin::Live;
  // The family that listed it (Row::family); empty when it was not listed.
  std::string_view family = {};
  bool operator==(const EntryRef&) const = default;
};

inline EntryRef entryOf(const Row& row) { return EntryRef{row.path, row.name, row.data, row.origin, row.family}; }

}  // namespace velmora
