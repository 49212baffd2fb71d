#pragma once
// The contract every kind of startup place fills in. A family lists its
// entries and performs each operation on one entry, returning what the
// operation came to: its outcome, the changes it made and what the user is
// to be told. It asks its questions (replace? remove?) through the prompt it
// is handed; it never sees the pane's list, the operation log or the change
// history. The pane maps rows to entries and shows the result; one commit
// (history/change_commit.h) logs and keeps the changes.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "family/change.h"
#include "family/entry.h"
#include "family/entry_dialog_data.h"
#include "family/prompt.h"

namespace velmora {

struct FamilyTraits;

// How an operation, or a step of one, ended. Stale: the entry no longer
// matches what is stored or live (someone else changed it meanwhile), so
// nothing was changed; the caller decides whether to say so.
enum class Outcome { Done, Failed, Stale };

// What a family can do besides listing, Enable, Disable and Undo; the pane
// greys the commands of what it cannot.
struct FamilyAbilities {
  bool add = true;
  bool modify = true;
  bool openLocation = true;
  // File Info and Search Online, on the entry's program file.
  bool fileInformation = true;
  // Remove and Disable of one entry (abilitiesFor): false for an entry
  // Windows cannot do without, such as explorer.exe in the machine's Shell
  // value; the family refuses them anyway, so the pane may grey them.
  bool remove = true;
  bool disable = true;
  // Why Remove or Disable cannot be done: a language key for the status
  // bar, one line; empty when both can.
  std::string_view whyNot = {};
  // Open Windows' own startup settings, where the entry is switched too.
  bool startupSettings = false;
};

struct OperationResult {
  Outcome outcome = Outcome::Failed;
  // Every change made, in order; empty when nothing changed.
  std::vector<Change> changes;
  // Steps logged as changes of their own but kept in the history only as
  // part of a change (a replaced value an Undo put back), each with the
  // number of changes made before it, so the log keeps the order.
  std::vector<std::pair<std::size_t, Change>> alsoLogged;
  // What the user is to be told, translated, in order: why the operation
  // failed, or what went wrong on the way.
  std::vector<std::string> messages;
  bool done() const { return outcome == Outcome::Done; }
};

class EntryFamily {
 public:
  EntryFamily() = default;
  EntryFamily(const EntryFamily&) = delete;
  EntryFamily& operator=(const EntryFamily&) = delete;
  virtual ~EntryFamily() = default;

  virtual const FamilyTraits& traits() const = 0;
  virtual FamilyAbilities abilities() const { return {}; }
  // The traits and abilities of the family that acts on `entry`: a view of
  // several families answers for the row's own family; any other for
  // itself.
  virtual const FamilyTraits& traitsFor(const EntryRef& entry) const {
    (void)entry;
    return traits();
  }
  virtual FamilyAbilities abilitiesFor(const EntryRef& entry) const {
    (void)entry;
    return abilities();
  }
  // Whether the latest listing found places still being read off the
  // window's thread (the Task Scheduler): listingProblem says so, and their
  // rows come through listDeferredPlaces once they were read.
  virtual bool placesPending() const { return false; }
  // The rows of the places the latest listing found still being read, once
  // they came, to be shown after its rows, which stand; none while they are
  // still on their way (placesPending stays true) or when none were.
  virtual std::vector<Row> listDeferredPlaces() { return {}; }
  // The next listing reads the slow places afresh (a refresh the user
  // asked for) instead of answering with what their latest reading kept.
  virtual void rereadSlowPlaces() {}
  // The Type column's width at 96 DPI: as wide as the family's type texts
  // need in both languages (the pane lays the other columns out from the
  // list's width).
  virtual int typeColumnWidth() const = 0;

  // Every entry of the family's locations, in the order the pane shows them.
  virtual std::vector<Row> list() = 0;
  // Why the latest listing could not read the family's places, translated,
  // shown instead of the counts of a list that would look empty; "" when it
  // could.
  virtual std::string listingProblem() const { return {}; }
  // Completes columns 4 to 6 of a row of the latest listing: the publisher
  // of its program file and who signed it, or "File not found". A file is
  // looked up once per listing, however many rows share it.
  virtual void describe(Row& row) = 0;

  // The entry dialog's content for an entry (Modify, Property).
  virtual EntryDialogData dialogData(const EntryRef& entry) const = 0;
  // The Add dialog's content: a new entry of the family's first location.
  // Failed (with why) when the family cannot add there.
  virtual OperationResult prepareAdd(EntryDialogData& data) = 0;
  // The Modify dialog's content for an entry; Failed (with why) when the
  // entry cannot be changed at all, so the user is told before typing.
  virtual OperationResult prepareModify(const EntryRef& entry, EntryDialogData& data) {
    data = dialogData(entry);
    return OperationResult{Outcome::Done, {}, {}, {}};
  }

  // Asks the user first.
  virtual OperationResult remove(const EntryRef& entry, UserPrompt& prompt) = 0;
  // `fields` as the Add dialog closed with OK.
  virtual OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) = 0;
  // `fields` as the Modify dialog closed with OK.
  virtual OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) = 0;
  // Done when the entry moved: Enable makes it start, Disable keeps it as a
  // record in config.xml.
  virtual OperationResult enable(const EntryRef& entry, UserPrompt& prompt) = 0;
  virtual OperationResult disable(const EntryRef& entry, UserPrompt& prompt) = 0;
  // Reverses a change this family made, through the same steps, checks and
  // questions as the forward operations, when the entry is still as the
  // change left it. Its changes are the reversal's own.
  virtual OperationResult undo(const Change& change, UserPrompt& prompt) = 0;
  // Shows the entry's location: the Registry Editor at its key, or Explorer
  // at its file (its folder for a disabled file).
  virtual OperationResult openLocation(const EntryRef& entry) = 0;
  // Opens Windows' own startup settings for the entry, for a family that
  // can (FamilyAbilities::startupSettings); any other does nothing.
  virtual OperationResult openStartupSettings(const EntryRef& entry) {
    (void)entry;
    return OperationResult{Outcome::Failed, {}, {}, {}};
  }
};

}  // namespace velmora
