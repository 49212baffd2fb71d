#include "winini/winini_entry_pane.h"

#include "core/registry_port.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "pane/prompt.h"
#include "winini/program_list.h"
#include "winini/short_path.h"

namespace velmora {

namespace {

constexpr ItemKind kKind = ItemKind::Winini;

// Only plain text can be written back as it was read: the port writes
// REG_SZ, which keeps the meaning of an expandable text only when it has
// nothing to expand.
bool rewritable(const RegValue& value) {
  if (value.type == kRegSz) return true;
  return value.type == kRegExpandSz && value.text.find('%') == std::string::npos;
}

}  // namespace

WininiEntryPane::WininiEntryPane(std::vector<std::string> locations, const FamilyServices& services,
                                 UserPrompt& prompt)
    : locations_(std::move(locations)),
      support_(services, prompt, {kKind, LogKeys::Entry, "_TreeWininiType", &equalsIgnoreCase}) {}

// ---------------------------------------------------------------------------
// Listing

void WininiEntryPane::fill(EntryList& list) {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();

  std::vector<Row> rows;
  for (const std::string& path : locations_) {
    support_.addDisabledRows(rows, stored, path, type);
    const auto where = splitValuePath(path);
    if (!where) continue;
    RegValue value;
    if (support_.services().registry.queryValue(where->root, where->key, where->valueName, value) != RegStatus::Ok)
      continue;
    for (std::string& program : splitPrograms(value.text)) {
      rows.push_back(Row{where->valueName, type, std::move(program), path, RowState::Live});
    }
  }
  list.setRows(rows);
}

// ---------------------------------------------------------------------------
// Commands

void WininiEntryPane::remove(EntryList& list) {
  const int index = support_.selectedOrComplain(list);
  if (index < 0) return;
  const Row row = list.row(index);
  if (!support_.confirmRemove(row.data)) return;

  Outcome outcome = Outcome::Failed;
  if (row.state == RowState::Disabled) {
    outcome = support_.removeRecordOf(row);
  } else {
    ValueChange change;
    outcome = changeValue(row.path, row.data, std::nullopt, change);
  }
  if (outcome == Outcome::Done) support_.log(LogOperation::Remove, {row.path, row.name, row.data});
  if (outcome != Outcome::Failed) fill(list);
  FamilySupport::reselect(list, index);
}

void WininiEntryPane::add(EntryList& list) {
  if (locations_.empty()) return;
  const std::string& target = locations_.front();
  EntryDialogData data = support_.dialogData(target);
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;
  const std::string program = programFor(data.path);

  ValueChange change;
  if (changeValue(target, std::nullopt, program, change) != Outcome::Done) return;
  support_.log(LogOperation::Add, {target, change.where.valueName, program});
  fill(list);
}

void WininiEntryPane::modify(EntryList& list) {
  Row row;
  EntryDialogData data;
  if (!support_.editSelected(list, row, data)) return;
  const std::string program = programFor(data.path);

  Outcome outcome = Outcome::Failed;
  if (row.state == RowState::Disabled) {
    outcome = support_.updateRecordOf(row, std::nullopt, program);
  } else {
    // Delete and append happen on one text and reach the registry in one
    // write, so the value never holds neither program.
    ValueChange change;
    outcome = changeValue(row.path, row.data, program, change);
  }
  if (outcome == Outcome::Done) {
    support_.log(LogOperation::Modify, {row.path, row.name, row.data, row.name, program});
  }
  if (outcome != Outcome::Failed) fill(list);
}

void WininiEntryPane::property(EntryList& list) { support_.showProperty(list); }

// Disable stores the record first and takes the program out of the value
// only once the record is on disk; a failed write takes the record back.
bool WininiEntryPane::disable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  ValueChange change;
  if (planChange(row.path, row.data, std::nullopt, change) != Outcome::Done) return false;

  const DisabledItem record = recordOf(row);
  if (!support_.addRecord(record)) return false;
  const RegStatus written = writeValue(change.where, change.after);
  if (written != RegStatus::Ok) {
    // The program is still in the value, so the record must go again.
    if (support_.undone(support_.takeBackRecord(record), row.data)) tellWriteProblem(written, row.path);
    return false;
  }

  support_.log(LogOperation::Disable, {row.path, row.name, row.data});
  return true;
}

// Enable writes the value first and removes the records only after that;
// a record that cannot be removed puts everything back as it was.
bool WininiEntryPane::enable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  const auto items = support_.records();
  if (!items) return false;
  const std::vector<StoredItem> matches = findAllItems(*items, recordOf(row));
  if (matches.empty()) {
    support_.tellRecordGone();
    return false;
  }
  ValueChange change;
  if (changeValue(row.path, std::nullopt, row.data, change) != Outcome::Done) return false;

  // Later records first, so the places of the earlier ones stay valid.
  DisabledEntryStore& store = support_.services().store;
  std::vector<DisabledItem> removed;
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    const StoreStatus status = store.remove(kKind, *it);
    if (status == StoreStatus::Ok) {
      removed.push_back(it->item);
      continue;
    }
    if (status == StoreStatus::Vanished) continue;  // gone already: nothing left to remove
    // Put the value and the records taken so far back as they were.
    bool undone = writeValue(change.where, change.before) == RegStatus::Ok;
    for (auto back = removed.rbegin(); back != removed.rend(); ++back) {
      undone = store.add(kKind, *back) == StoreStatus::Ok && undone;
    }
    if (support_.undone(undone, row.data)) support_.tellStoreProblem(status);
    return false;
  }

  support_.log(LogOperation::Enable, {row.path, row.name, row.data});
  return true;
}

// ---------------------------------------------------------------------------
// Helpers

Outcome WininiEntryPane::planChange(const std::string& path, const std::optional<std::string>& removed,
                                    const std::optional<std::string>& appended, ValueChange& change) {
  const auto where = locate(path);
  if (!where) return Outcome::Failed;
  auto before = readForChange(*where, path);
  if (!before) return Outcome::Failed;
  if (removed && !containsProgram(*before, *removed)) {
    support_.tell("_WininiProgramGone", {*removed, path});
    return Outcome::Stale;
  }
  std::string after = removed ? deleteProgram(*before, *removed) : *before;
  if (appended) after = appendProgram(after, *appended);
  if (!confirmUserinit(*where, *before, after)) return Outcome::Failed;
  change = ValueChange{*where, std::move(*before), std::move(after)};
  return Outcome::Done;
}

Outcome WininiEntryPane::changeValue(const std::string& path, const std::optional<std::string>& removed,
                                     const std::optional<std::string>& appended, ValueChange& change) {
  const Outcome planned = planChange(path, removed, appended, change);
  if (planned != Outcome::Done) return planned;
  return write(change.where, path, change.after) ? Outcome::Done : Outcome::Failed;
}

std::optional<ValuePath> WininiEntryPane::locate(const std::string& path) {
  auto where = splitValuePath(path);
  if (!where) support_.tell("_WininiBadLocation", {path});
  return where;
}

// The value as it stands, whole. A value that cannot be read, or that is not
// plain text, gives nothing: rewriting from it would replace what is there.
// A missing value is an empty list (the write then tells a missing key).
std::optional<std::string> WininiEntryPane::readForChange(const ValuePath& where, const std::string& path) {
  RegValue value;
  switch (support_.services().registry.queryValue(where.root, where.key, where.valueName, value)) {
    case RegStatus::Ok:
      if (!rewritable(value)) {
        support_.tell("_WininiNotText", {path});
        return std::nullopt;
      }
      return value.text;
    case RegStatus::NotFound:
      return std::string();
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      break;
  }
  support_.tell("_WininiCannotRead", {path});
  return std::nullopt;
}

// The key must exist already: a program list is only ever changed in place.
RegStatus WininiEntryPane::writeValue(const ValuePath& where, const std::string& text) {
  return support_.services().registry.setString(where.root, where.key, where.valueName, text, false);
}

bool WininiEntryPane::write(const ValuePath& where, const std::string& path, const std::string& text) {
  const RegStatus status = writeValue(where, text);
  if (status == RegStatus::Ok) return true;
  tellWriteProblem(status, path);
  return false;
}

void WininiEntryPane::tellWriteProblem(RegStatus status, const std::string& path) {
  switch (status) {
    case RegStatus::Ok: return;
    case RegStatus::NotFound: support_.tell("_WininiKeyMissing", {path}); return;
    case RegStatus::AccessDenied: support_.tell("_WininiAccessDenied", {path}); return;
    case RegStatus::Failed: support_.tell("_WininiCannotWrite", {path}); return;
  }
}

bool WininiEntryPane::confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after) {
  if (!equalsIgnoreCase(where.valueName, "Userinit")) return true;
  if (!namesUserinit(before) || namesUserinit(after)) return true;
  return support_.prompt().confirm(
      support_.services().translator.translate("_WininiUserinitWarning", Escapes::Convert));
}

// The short form has no blanks, so the listing keeps it whole; a path that
// has none (it does not exist) goes in as entered.
std::string WininiEntryPane::programFor(const std::string& entered) {
  std::string shortPath = support_.services().shortPaths.shortForm(entered);
  return shortPath.empty() ? entered : shortPath;
}

}  // namespace velmora
