#pragma once
// What the entry families do alike: run an operation and gather its result,
// tell the user (translated texts filled through safeFormat, gathered into
// the result), turn the store's failures into messages, and list, find,
// change and take back the family's records in config.xml. Each family
// holds one and keeps its own steps; a change of several writes goes
// through a Transaction (family/transaction.h).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/store.h"
#include "core/trust.h"
#include "family/change.h"
#include "family/entry.h"
#include "family/entry_family.h"
#include "family/families.h"
#include "family/file_signature.h"
#include "family/prompt.h"

namespace velmora {

// The record a disabled entry stands for: its location, name and data.
DisabledItem recordOf(const EntryRef& entry);

class FamilySupport {
 public:
  FamilySupport(const FamilyContext& context, const FamilyTraits& traits);

  // --- One operation -------------------------------------------------------
  // Runs one operation that asks `prompt` its questions and gathers what it
  // tells and the changes it makes into its result. `steps` returns whether
  // the entry moved (bool) or nothing (Done when a change was made).
  template <class Steps>
  OperationResult run(UserPrompt& prompt, Steps&& steps) {
    return run(&prompt, std::forward<Steps>(steps));
  }
  // An operation that asks the user nothing (Open Location).
  template <class Steps>
  OperationResult runWithoutQuestions(Steps&& steps) {
    return run(nullptr, std::forward<Steps>(steps));
  }
  // The prompt of the operation running; one that asks nothing has none.
  UserPrompt& prompt() const { return *prompt_; }
  // A change the operation made.
  void done(Change change) const { result_.changes.push_back(std::move(change)); }
  // A step logged as a change of its own, kept only as part of the change
  // before it.
  void alsoLogged(Change change) const { result_.alsoLogged.emplace_back(result_.changes.size(), std::move(change)); }
  const Translator& translator() const { return context_.translator; }
  DisabledEntryStore& store() const { return context_.store; }
  const FamilyTraits& traits() const { return traits_; }

  // --- Talking to the user -------------------------------------------------
  // Shows a translated message, filled through safeFormat.
  void tell(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Asks a translated yes/no question, filled through safeFormat.
  bool ask(std::string_view key, const std::vector<std::string>& values = {}) const;
  // Says why the store could not be read or saved (nothing for Ok).
  void tellStoreProblem(StoreStatus status) const;
  // Says that the program's folder (config.xml, Disabled) refused a change
  // for lack of rights, so nothing was changed, and offers to start Velmora
  // again as administrator unless it has those rights already. Declining
  // leaves the user working as before.
  void tellProgramFolderRefused() const;
  // Says that Windows refused a change for lack of rights (`refusedKey`),
  // or, when starting again as administrator could help, asks whether to
  // (`questionKey`); both filled with `values`.
  void offerAdministrator(std::string_view refusedKey, std::string_view questionKey,
                          const std::vector<std::string>& values) const;
  // Says that a record to change has left config.xml.
  void tellRecordGone() const;
  // What the trust rule says of data of `adminOnly` naming `location`
  // (Act without a Trust).
  TrustVerdict verdict(bool adminOnly, std::string_view location) const;
  // Says why data that is not to be acted on is refused: `refuseKey` with
  // administrator rights, `listOnlyKey` without them; filled with `values`.
  void tellNotTrusted(TrustVerdict verdict, std::string_view refuseKey, std::string_view listOnlyKey,
                      const std::vector<std::string>& values) const;
  std::string typeText() const;

  // --- Entries -------------------------------------------------------------
  // Asks the Remove question about the entry `name` at `place` (its
  // registry key, value or folder), its command line below.
  bool confirmRemove(const std::string& name, const std::string& place, const std::string& data) const;
  // The entry dialog's data in: the entry, or an empty entry for `location`.
  EntryDialogData dialogData(const EntryRef& entry) const;
  EntryDialogData dialogData(const std::string& location) const;
  // The Add dialog's data for `places` (locations the family adds to, in
  // the pane's order; at least one) with `chosen` chosen; the dialog offers
  // them all when there are several, each named by the text of the key
  // `labelKeyOf` gives for it (none: by its location).
  EntryDialogData addDialogData(const std::vector<std::string>& places, std::size_t chosen,
                                const std::function<std::string_view(const std::string&)>& labelKeyOf = {}) const;
  // The first of `places` that is the current user's key, else 0.
  static std::size_t currentUsersPlace(const std::vector<std::string>& places);
  // Whether an Add may go on with `command`: yes when its program file
  // exists (or files are not looked up), else the user's answer to whether
  // to add it all the same.
  bool acceptMissingProgram(const std::string& command) const;

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
  // it, name and data ignoring case); one that may be acted on comes before
  // one that may not, so a copy a user's program planted hides nothing.
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
  // Removes the first record a disabled entry stands for. A record that has
  // left config.xml already is Stale, silently: the entry is gone, which is
  // what the user asked for.
  Outcome removeRecordOf(const EntryRef& entry) const;
  // Changes the first record a disabled entry stands for. Stale when it has
  // left config.xml, after telling the user: the edit made in the dialog is
  // not kept anywhere.
  // `type`, when given, replaces the record's valuetype.
  Outcome updateRecordOf(const EntryRef& entry, const std::optional<std::string>& name, const std::string& data,
                         const std::optional<std::string>& type = std::nullopt) const;
  // Whether a record may be acted on in its place (core/trust.h); if not,
  // says why, naming the entry `name`.
  bool trusted(const StoredItem& item, const std::string& name) const;
  // Whether any of several records of one entry may be.
  bool anyTrusted(const std::vector<StoredItem>& items, const std::string& name) const;
  // Takes back the record that a Disable appended: the last that matches, as
  // an identical one further up belongs to an earlier Disable. False when it
  // could not be taken back.
  bool takeBackRecord(const DisabledItem& record) const;

  // Starts columns 4 and 5 of every row of a new listing with what costs no
  // file look-up: the status that `notRun` names when Windows will not run
  // the row (_StatusLegacy for its location, say; empty when it will),
  // _StatusOffInWindows for a live entry that
  // Windows' own settings turned off, _StatusCameBack for a live row equal
  // to a record of the same location (the program put itself back),
  // _StatusNew for an entry not seen when Velmora last closed (and tells
  // FamilyContext::seen what the listing of `places`, the family's
  // locations, found). What
  // the program file (from `commandLineOf` the row) says is left to
  // `describe`, and what was remembered of files is forgotten.
  void describeRows(std::vector<Row>& rows, const std::vector<std::string>& places,
                    const std::function<std::string(const Row&)>& commandLineOf,
                    const std::function<std::string_view(const Row&)>& notRun = {});
  // Completes a row of the latest listing: the publisher of its program file
  // (resolved as Windows does) and who signed it (_SignatureNone,
  // _SignatureInvalid, _SignatureUnverified), or _StatusFileMissing. Each file is looked up and
  // its version resource read once per listing; its signature is checked
  // once per session and version of the file (FamilyContext::signatures).
  // A row whose entry an Enable or Disable moved since loses the status of
  // where it was.
  void describe(Row& row);
  // Whether Windows can open a file of this name from a startup folder: it
  // has an extension that is a program's or has a program registered to
  // open it. Each extension is looked up once per listing.
  bool windowsOpens(const std::string& fileName);

  // --- Open Location -------------------------------------------------------
  // Each says so when the program could not be started.
  void openRegistryKey(const std::string& keyPath) const;
  void showFile(const std::string& path) const;
  void openFolder(const std::string& folder) const;

  // --- Changes -------------------------------------------------------------
  // Where copies of removed and replaced files are kept; none: no copies.
  ChangeCopies* copies() const { return context_.copies; }
  // Whom to believe; none: everyone (core/trust.h).
  const Trust* trust() const { return context_.trust; }
  // Whose place `location` is; the user's when there is no Trust.
  PlaceScope placeOf(std::string_view location) const {
    return context_.trust ? context_.trust->placeOf(location) : PlaceScope::User;
  }
  // A change of this family at `location`.
  Change change(std::string_view kind, const std::string& location, std::optional<EntryState> before,
                std::optional<EntryState> after) const;
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
  // The first record a disabled entry stands for: Done with `found` set,
  // Stale when there is none, Failed after telling why the store is unreadable.
  Outcome locateRecord(const EntryRef& entry, StoredItem& found) const;
  // Columns 4 to 6 of describe, from the row's program file.
  void describeProgram(Row& row);
  // Column 6 of a row whose program file has `signature`.
  void describeSignature(Row& row, const std::optional<FileSignature>& signature);

  template <class Steps>
  OperationResult run(UserPrompt* prompt, Steps&& steps) {
    Running running(*this, prompt);
    if constexpr (std::is_same_v<decltype(steps()), bool>) {
      const bool moved = steps();
      return running.take(moved ? Outcome::Done : Outcome::Failed);
    } else {
      steps();
      return running.take(result_.changes.empty() ? Outcome::Failed : Outcome::Done);
    }
  }

  // Sets the operation's prompt and clears its result while it runs.
  class Running {
   public:
    Running(FamilySupport& support, UserPrompt* prompt);
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ~Running();
    OperationResult take(Outcome outcome);

   private:
    FamilySupport& support_;
  };

  FamilyContext context_;
  FamilyTraits traits_;
  // The operation running: its prompt and what it has come to so far.
  UserPrompt* prompt_ = nullptr;
  mutable OperationResult result_;
  // What the latest listing learnt of program files (none before the first).
  class FileMemory;
  std::shared_ptr<FileMemory> files_;
  std::string fileMissingText_;
  std::string hijackableText_;
  std::string unsignedText_, invalidText_, unverifiedText_;
  // The statuses of the latest listing that hold only where an entry was.
  std::string offText_;
  std::string cameBackText_;
  // "New since <date>" of the latest listing; "" when nothing can be new.
  std::string newText_;
};

}  // namespace velmora
