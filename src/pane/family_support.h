#pragma once
// What the entry families do alike: tell the user (translated texts filled
// through safeFormat), turn the store's failures into messages, list, find,
// change and take back the family's records in config.xml, and log. Each
// family holds one and keeps its own steps; a change of several writes goes
// through a Transaction (pane/transaction.h).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store.h"
#include "pane/change_history.h"
#include "pane/change_log.h"
#include "pane/entry_list.h"
#include "pane/families.h"
#include "pane/prompt.h"

namespace velmora {

// How a step of an operation ended. Stale: the row no longer matches what is
// stored or live (someone else changed it meanwhile), so nothing was changed;
// the caller decides whether to say so.
enum class Outcome { Done, Failed, Stale };

// The record a disabled row stands for: its location, name and data.
DisabledItem recordOf(const Row& row);

class FamilySupport {
 public:
  FamilySupport(const FamilyContext& context, UserPrompt& prompt, const FamilyTraits& traits);

  UserPrompt& prompt() const { return prompt_; }
  const Translator& translator() const { return context_.translator; }
  DisabledEntryStore& store() const { return context_.store; }
  const FamilyTraits& traits() const { return traits_; }

  // --- Talking to the user -------------------------------------------------
  // Shows a translated message, filled through safeFormat.
  void tell(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Asks a translated OK/Cancel question, filled through safeFormat.
  bool ask(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Says why the store could not be read or saved (nothing for Ok).
  void tellStoreProblem(StoreStatus status) const;
  // Says that the program's folder (config.xml, Disabled) refused a change
  // for lack of rights, so nothing was changed, and offers to start Velmora
  // again as administrator unless it has those rights already. Declining
  // leaves the user working as before.
  void tellProgramFolderRefused() const;
  // Says that a record to change has left config.xml.
  void tellRecordGone() const;
  std::string typeText() const;

  // --- Rows ----------------------------------------------------------------
  static bool isRow(const EntryList& list, int index);
  // Asks the Remove question about the entry `name` at `place` (its
  // registry key, value or folder), its command line below.
  bool confirmRemove(const std::string& name, const std::string& place, const std::string& data) const;
  // After a Remove: the row now at the old index, or the last one.
  static void reselect(EntryList& list, int index);
  // The entry dialog's data in: the row, or an empty entry for `location`.
  EntryDialogData dialogData(const Row& row) const;
  EntryDialogData dialogData(const std::string& location) const;
  // Shows a row in the Modify dialog. True on OK, with `data` the answer and
  // `row` as it is now: its box and origin may have changed meanwhile.
  bool edit(const EntryList& list, int index, Row& row, EntryDialogData& data) const;
  // Shows a row in the read-only Property dialog.
  void showProperty(const EntryList& list, int index) const;

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
  // findRecord, or nothing after telling the user that the record has left
  // config.xml.
  std::optional<StoredItem> requireRecord(const std::vector<StoredItem>& items, const DisabledItem& key) const;
  // Appends the record of a Disable; Failed after telling why it could not.
  Outcome addRecord(const DisabledItem& record) const;
  // Removes or changes a listed record. Stale when it is no longer where it
  // was listed (said nothing); Failed after telling why.
  Outcome removeRecord(const StoredItem& item) const;
  Outcome updateRecord(const StoredItem& item, const std::optional<std::string>& name, const std::string& data,
                       const std::optional<std::string>& type = std::nullopt) const;
  // Removes the record of an Enable once the entry is live again, quietly
  // (the caller takes the change back before it says why). A record that
  // has left config.xml meanwhile is Ok: the entry is live and no record of
  // it remains, which is what Enable is for.
  StoreStatus removeEnabledRecord(const StoredItem& item) const;
  // Removes the first record a disabled row stands for. A record that has
  // left config.xml already is Stale, silently: the entry is gone, which is
  // what the user asked for.
  Outcome removeRecordOf(const Row& row) const;
  // Changes the first record a disabled row stands for. Stale when it has
  // left config.xml, after telling the user: the edit made in the dialog is
  // not kept anywhere.
  // `type`, when given, replaces the record's valuetype.
  Outcome updateRecordOf(const Row& row, const std::optional<std::string>& name, const std::string& data,
                         const std::optional<std::string>& type = std::nullopt) const;
  // Takes back the record that a Disable appended: the last that matches, as
  // an identical one further up belongs to an earlier Disable. False when it
  // could not be taken back.
  bool takeBackRecord(const DisabledItem& record) const;

  // Starts columns 4 and 5 of every row of a new listing with what costs no
  // file look-up: the status that `notRun` names when Windows will not run
  // the row (_StatusLegacy for its location, say; empty when it will),
  // _StatusOffInWindows for a live entry that
  // Windows' own settings turned off, _StatusCameBack for a live row equal
  // to a record of the same location (the program put itself back). What
  // the program file (from `commandLineOf` the row) says is left to
  // `describe`, and what was remembered of files is forgotten.
  void describeRows(std::vector<Row>& rows, const std::function<std::string(const Row&)>& commandLineOf,
                    const std::function<std::string_view(const Row&)>& notRun = {});
  // Completes a row of the latest listing: the publisher of its program file
  // (resolved as Windows does), or _StatusFileMissing. Each file is looked
  // up and its version resource read once per listing. A row whose entry an
  // Enable or Disable moved since loses the status of where it was.
  void describe(Row& row);
  // Whether Windows can open a file of this name from a startup folder: it
  // has an extension that is a program's or has a program registered to
  // open it. Each extension is looked up once per listing.
  bool windowsOpens(const std::string& fileName);

  // Reports a change that was made.
  void log(LogOperation op, const std::vector<std::string>& values) const;

  // --- Open Location -------------------------------------------------------
  // Each says so when the program could not be started.
  void openRegistryKey(const std::string& keyPath) const;
  void showFile(const std::string& path) const;
  void openFolder(const std::string& folder) const;

  // --- The change history --------------------------------------------------
  ChangeHistory* history() const { return context_.history; }
  // A change of this family at `location`, to be completed and kept.
  Change change(std::string_view kind, const std::string& location, std::optional<EntryState> before,
                std::optional<EntryState> after) const;
  // Keeps a change that was made, marked as the Undo of the change being
  // undone, if any. When the history is not being kept the user is told so,
  // once; the change stands either way.
  void remember(Change change) const;
  // While set, every change kept is the Undo of change `id`.
  void setUndoing(std::optional<std::uint64_t> id) const { undoing_ = id; }
  // Whether a change read from the history may be undone here: every text
  // in it could have been typed (isTypedText), it names one of the pane's
  // (non-empty) locations as the family compares them, an Undo names an
  // earlier change, and `familyRules` (the family's own checks of the
  // change's names) held. If not (an edited history), says it cannot be
  // undone.
  bool mayUndo(const Change& change, const std::vector<std::string>& locations, bool familyRules) const;
  // Says that a change cannot be undone because the entry is no longer as
  // the change left it: `what` says what differs.
  void tellEntryChanged(const std::string& entry, const std::string& what) const;

 private:
  // The first record a disabled row stands for: Done with `found` set,
  // Stale when there is none, Failed after telling why the store is unreadable.
  Outcome locateRecord(const Row& row, StoredItem& found) const;

  FamilyContext context_;
  UserPrompt& prompt_;
  FamilyTraits traits_;
  mutable std::optional<std::uint64_t> undoing_;
  // What the latest listing learnt of program files (none before the first).
  class FileMemory;
  std::shared_ptr<FileMemory> files_;
  std::string fileMissingText_;
  // The statuses of the latest listing that hold only where an entry was.
  std::string offText_;
  std::string cameBackText_;
};

// Marks every change kept while it lives as the Undo of one change.
class UndoScope {
 public:
  UndoScope(const FamilySupport& support, std::uint64_t id) : support_(support) { support_.setUndoing(id); }
  UndoScope(const UndoScope&) = delete;
  UndoScope& operator=(const UndoScope&) = delete;
  ~UndoScope() { support_.setUndoing(std::nullopt); }

 private:
  const FamilySupport& support_;
};

}  // namespace velmora
