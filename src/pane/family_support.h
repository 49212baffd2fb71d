#pragma once
// What the three entry families do alike: tell the user (translated texts
// filled through safeFormat), turn the store's failures into messages, apply
// the selection rule, list, find, change and take back the family's records
// in config.xml, and log. Each family holds one and keeps its own steps.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/operation_log.h"
#include "core/store.h"
#include "pane/entry_list.h"
#include "pane/family_factory.h"
#include "pane/prompt.h"

namespace velmora {

// How a step of an operation ended. Stale: the row no longer matches what is
// stored or live (someone else changed it meanwhile), so nothing was changed;
// the list is worth refilling, and the caller decides whether to say so.
enum class Outcome { Done, Failed, Stale };

// What sets one family apart.
struct FamilyTraits {
  ItemKind kind;
  LogKeys logKeys;
  // Column 1 and the type line of the entry dialogs.
  const char* typeKey;
  // Whether a record's path names a location of the pane: the registry and
  // program-list families compare ignoring case, the startup folders also
  // ignore one trailing backslash.
  bool (*sameLocation)(std::string_view recordPath, std::string_view location);
};

// The record a disabled row stands for: its location, name and data.
DisabledItem recordOf(const Row& row);

class FamilySupport {
 public:
  FamilySupport(const FamilyServices& services, UserPrompt& prompt, FamilyTraits traits);

  const FamilyServices& services() const { return services_; }
  UserPrompt& prompt() const { return prompt_; }

  // --- Talking to the user -------------------------------------------------
  // Shows a translated message, filled through safeFormat.
  void tell(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Asks a translated OK/Cancel question, filled through safeFormat.
  bool ask(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Says why the store could not be read or saved (nothing for Ok).
  void tellStoreProblem(StoreStatus status) const;
  // Says that a record to change has left config.xml.
  void tellRecordGone() const;
  // Passes on whether the undo of a change that failed half-way worked; when
  // it did not, first tells the user that `entry` may now be listed twice.
  bool undone(bool worked, const std::string& entry) const;
  std::string typeText() const;

  // --- Rows ----------------------------------------------------------------
  static bool isRow(const EntryList& list, int index);
  // The selected row's index, or -1 after telling the user to select one.
  int selectedOrComplain(const EntryList& list) const;
  // Asks the Remove question about an entry with this data.
  bool confirmRemove(const std::string& data) const;
  // After a Remove: the row now at the old index, or the last one.
  static void reselect(EntryList& list, int index);
  // The entry dialog's data in: the row, or an empty entry for `location`.
  EntryDialogData dialogData(const Row& row) const;
  EntryDialogData dialogData(const std::string& location) const;
  // Shows the selected row in the Modify dialog. True on OK, with `data` the
  // answer and `row` as it is now: its box may have changed meanwhile.
  bool editSelected(const EntryList& list, Row& row, EntryDialogData& data) const;
  // Shows the selected row in the read-only Property dialog.
  void showProperty(const EntryList& list) const;

  // --- Records -------------------------------------------------------------
  // The family's records, or nothing after telling why they cannot be read.
  std::optional<std::vector<StoredItem>> records() const;
  // The records for a listing: none when the store cannot be read, quietly
  // (the live entries are still worth showing; changes will say why).
  std::vector<StoredItem> recordsForListing() const;
  // Appends a disabled row for each record kept for `location`, under the
  // pane's spelling of it.
  void addDisabledRows(std::vector<Row>& rows, const std::vector<StoredItem>& items, const std::string& location,
                       const std::string& type) const;
  // The first record that stands for `key` (location as the family compares
  // it, name and data ignoring case).
  std::optional<StoredItem> findRecord(const std::vector<StoredItem>& items, const DisabledItem& key) const;
  // Appends the record of a Disable; false after telling why it could not.
  bool addRecord(const DisabledItem& record) const;
  // Removes or changes a listed record. Stale when it is no longer where it
  // was listed (said nothing); Failed after telling why.
  Outcome removeRecord(const StoredItem& item) const;
  Outcome updateRecord(const StoredItem& item, const std::optional<std::string>& name,
                       const std::string& data) const;
  // Removes the first record a disabled row stands for. A record that has
  // left config.xml already is Stale, silently: the entry is gone, which is
  // what the user asked for.
  Outcome removeRecordOf(const Row& row) const;
  // Changes the first record a disabled row stands for. Stale when it has
  // left config.xml, after telling the user: the edit made in the dialog is
  // not kept anywhere.
  Outcome updateRecordOf(const Row& row, const std::optional<std::string>& name, const std::string& data) const;
  // Takes back the record that a Disable appended: the last that matches, as
  // an identical one further up belongs to an earlier Disable. False when it
  // could not be taken back.
  bool takeBackRecord(const DisabledItem& record) const;

  // Reports a change that was made.
  void log(LogOperation op, const std::vector<std::string>& values) const;

 private:
  // The first record a disabled row stands for: Done with `found` set,
  // Stale when there is none, Failed after telling why the store is unreadable.
  Outcome locateRecord(const Row& row, StoredItem& found) const;

  FamilyServices services_;
  UserPrompt& prompt_;
  FamilyTraits traits_;
};

}  // namespace velmora
