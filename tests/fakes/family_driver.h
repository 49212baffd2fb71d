#pragma once
// Drives a family's operations on the rows of its latest listing as the
// pane does (without the pane): each result goes through the real commit,
// so the log, the history and the messages come out as in the program.
#include <memory>
#include <string>
#include <vector>

#include "family/entry_family.h"
#include "family/families.h"
#include "history/change_commit.h"

namespace velmora::testing {

class FamilyDriver {
 public:
  FamilyDriver(EntryFamily& family, UserPrompt& prompt, ChangeCommit& commit)
      : family_(family), prompt_(prompt), commit_(commit) {}

  // Lists the family afresh; the rows are kept for the calls below.
  const std::vector<Row>& list() {
    rows_ = family_.list();
    return rows_;
  }
  const std::vector<Row>& rows() const { return rows_; }
  EntryRef entry(int row) const { return entryOf(rows_.at(static_cast<std::size_t>(row))); }

  OperationResult remove(int row) { return remove(entry(row)); }
  OperationResult enable(int row) { return enable(entry(row)); }
  OperationResult disable(int row) { return disable(entry(row)); }
  OperationResult openLocation(int row) { return commit(family_.openLocation(entry(row)), entry(row)); }
  // Add with the dialog answered OK with `name` and `data`; the dialog's
  // other fields as the family prepared them.
  // `place`: the index of the place chosen in the dialog's drop-down; none:
  // the default.
  OperationResult add(const std::string& name, const std::string& data, std::optional<std::size_t> place = {}) {
    EntryDialogData fields;
    OperationResult ready = family_.prepareAdd(fields);
    if (!ready.done()) return commit(std::move(ready));
    fields.name = name;
    fields.path = data;
    if (place) fields.place = *place;
    return commit(family_.add(fields, prompt_), EntryRef{addPlace(fields), name, data});
  }
  // Modify of a row with the dialog answered OK with `name` and `data`.
  OperationResult modify(int row, const std::string& name, const std::string& data) {
    EntryDialogData fields = family_.dialogData(entry(row));
    fields.name = name;
    fields.path = data;
    return commit(family_.modify(entry(row), fields, prompt_), entry(row));
  }
  // The same on an entry that is not (or no longer) a row.
  OperationResult remove(const EntryRef& e) { return commit(family_.remove(e, prompt_), e); }
  OperationResult enable(const EntryRef& e) { return commit(family_.enable(e, prompt_), e); }
  OperationResult disable(const EntryRef& e) { return commit(family_.disable(e, prompt_), e); }
  OperationResult undo(const Change& change) {
    return commit(family_.undo(change, prompt_), EntryRef{change.location}, change.id);
  }

  // Committed as the family that acted on `entry` (a view's row's own).
  OperationResult commit(OperationResult result, const EntryRef& entry = {},
                         std::optional<std::uint64_t> undoing = std::nullopt) {
    commit_.commit(family_.traitsFor(entry), result, prompt_, undoing);
    return result;
  }

 private:
  EntryFamily& family_;
  UserPrompt& prompt_;
  ChangeCommit& commit_;
  std::vector<Row> rows_;
};

// A family of a test's own and the driver over it.
struct DrivenFamily {
  DrivenFamily(std::unique_ptr<EntryFamily> f, UserPrompt& prompt, ChangeCommit& commit)
      : family(std::move(f)), driver(*family, prompt, commit) {}
  std::unique_ptr<EntryFamily> family;
  FamilyDriver driver;
  FamilyDriver* operator->() { return &driver; }
};

}  // namespace velmora::testing
