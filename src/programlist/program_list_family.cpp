#include "programlist/program_list_family.h"

#include <algorithm>

#include "core/registry_port.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "core/format.h"
#include "history/change_undo.h"
#include "family/prompt.h"
#include "family/transaction.h"
#include "programlist/program_list.h"

namespace velmora {

namespace {

// Only plain text can be written back as it was read: the port writes
// REG_SZ, which keeps the meaning of an expandable text only when it has
// nothing to expand.
EntryState program(const std::string& valueName, const std::string& data, bool disabled) {
  return EntryState{valueName, data, {}, disabled};
}

bool rewritable(const RegValue& value) {
  if (value.type == kRegSz) return true;
  return value.type == kRegExpandSz && value.text.find('%') == std::string::npos;
}

}  // namespace

const FamilyTraits kProgramListTraits{kProgramListRecords, LogKeys{""}, "_TreeWininiType", &equalsIgnoreCase, "programlist"};

namespace {

constexpr std::string_view kLoad = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load";
constexpr std::string_view kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Run";
constexpr std::string_view kUserinit =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit";

// Win.ini (Load, Run), then Userinit as a tree of its own.
std::vector<CategoryNode> programListNodes() {
  return {
      {0, "_Winini", -1, 6, {}, {kLoad, kRun}},
      {1, "_LoadSection", 0, 2, {}, {kLoad}},
      {2, "_RunSection", 0, 2, {}, {kRun}},
      {3, "_TreeUserInit", -1, 6, {}, {kUserinit}},
  };
}

}  // namespace

FamilyDescriptor programListFamily(RegistryPort& registry, ShortPathPort& shortPaths, const FamilyContext& context) {
  return FamilyDescriptor{
      "programlist",
      kProgramListTraits,
      programListNodes(),
      {{2, 0}},
      [](const std::vector<std::string_view>& paths) { return std::vector<std::string>(paths.begin(), paths.end()); },
      [&registry, &shortPaths, &context](std::vector<std::string> locations,
                                         UserPrompt& prompt) -> std::unique_ptr<EntryFamily> {
        return std::make_unique<ProgramListFamily>(std::move(locations), registry, shortPaths, context, prompt);
      }};
}

ProgramListFamily::ProgramListFamily(std::vector<std::string> locations, RegistryPort& registry,
                                     ShortPathPort& shortPaths, const FamilyContext& context, UserPrompt& prompt)
    : locations_(std::move(locations)),
      registry_(registry),
      shortPaths_(shortPaths),
      support_(context, prompt, kProgramListTraits) {}

// ---------------------------------------------------------------------------
// Listing

void ProgramListFamily::fill(EntryList& list) {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();

  std::vector<Row> rows;
  for (const std::string& path : locations_) {
    support_.addDisabledRows(rows, stored, path, type);
    const auto where = splitValuePath(path);
    if (!where) continue;
    RegValue value;
    if (registry_.queryValue(where->root, where->key, where->valueName, value) != RegStatus::Ok) continue;
    for (std::string& program : splitPrograms(value.text)) {
      rows.push_back(Row{where->valueName, type, std::move(program), path, RowState::Live});
    }
  }
  support_.describeRows(rows, [](const Row& row) { return row.data; });
  list.setRows(std::move(rows));
}

// ---------------------------------------------------------------------------
// Commands

void ProgramListFamily::remove(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return;
  const Row row = list.row(index);
  // The entry is the program; its row's name is the value that lists it.
  if (!support_.confirmRemove(row.data, row.path, {})) return;

  Outcome outcome = Outcome::Failed;
  const bool disabled = row.origin == RowOrigin::Record;
  ValueChange change;
  if (disabled) {
    outcome = support_.removeRecordOf(row);
  } else {
    outcome = changeValue(row.path, row.data, std::nullopt, change);
  }
  if (outcome == Outcome::Done) {
    support_.log(LogOperation::Remove, {row.path, row.name, row.data});
    const EntryState removed = program(row.name, row.data, disabled);
    support_.remember(disabled ? support_.change(change_kind::kRemove, row.path, removed, std::nullopt)
                               : valueChange(change_kind::kRemove, row.path, change, removed, std::nullopt, row.data));
  }
  fill(list);
  FamilySupport::reselect(list, index);
}

void ProgramListFamily::add(EntryList& list) {
  if (locations_.empty()) return;
  const std::string& target = locations_.front();
  EntryDialogData data = support_.dialogData(target);
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;
  const std::string program = programFor(data.path);

  ValueChange change;
  if (changeValue(target, std::nullopt, program, change) == Outcome::Done) {
    support_.log(LogOperation::Add, {target, change.where.valueName, program});
    support_.remember(valueChange(change_kind::kAdd, target, change, std::nullopt,
                                  velmora::program(change.where.valueName, program, false), {}));
  }
  fill(list);
}

void ProgramListFamily::modify(EntryList& list, int index) {
  Row row;
  EntryDialogData data;
  if (!support_.edit(list, index, row, data)) return;
  const std::string program = programFor(data.path);

  Outcome outcome = Outcome::Failed;
  const bool disabled = row.origin == RowOrigin::Record;
  ValueChange change;
  if (disabled) {
    outcome = support_.updateRecordOf(row, std::nullopt, program);
  } else {
    // Delete and append happen on one text and reach the registry in one
    // write, so the value never holds neither program.
    outcome = changeValue(row.path, row.data, program, change);
  }
  if (outcome == Outcome::Done) {
    support_.log(LogOperation::Modify, {row.path, row.name, row.data, row.name, program});
    const EntryState was = velmora::program(row.name, row.data, disabled);
    const EntryState now = velmora::program(row.name, program, disabled);
    support_.remember(disabled ? support_.change(change_kind::kModify, row.path, was, now)
                               : valueChange(change_kind::kModify, row.path, change, was, now, row.data));
  }
  fill(list);
}

void ProgramListFamily::property(EntryList& list, int index) { support_.showProperty(list, index); }

// The key that holds the value: its path without the value's name.
void ProgramListFamily::openLocation(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return;
  const std::string path = list.row(index).path;
  const std::size_t cut = path.rfind('\\');
  if (cut != std::string::npos) support_.openRegistryKey(path.substr(0, cut));
}

// Disable stores the record first and takes the program out of the value
// only once the record is on disk; a failed write takes the record back.
bool ProgramListFamily::disable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  ValueChange change;
  if (planChange(row.path, row.data, std::nullopt, change) != Outcome::Done) return false;

  const DisabledItem record = recordOf(row);
  if (support_.addRecord(record) != Outcome::Done) return false;
  Transaction tx(support_, row.data);
  tx.undoWith([this, record] { return support_.takeBackRecord(record); });
  const RegStatus written = writeValue(change.where, change.after);
  if (written != RegStatus::Ok) {
    tx.fail([&] { tellWriteProblem(written, row.path); });
    return false;
  }
  tx.commit();
  support_.log(LogOperation::Disable, {row.path, row.name, row.data});
  support_.remember(valueChange(change_kind::kDisable, row.path, change, program(row.name, row.data, false),
                                program(row.name, row.data, true), row.data));
  return true;
}

// Enable writes the value first and removes the records only after that;
// a record that cannot be removed puts everything back as it was.
bool ProgramListFamily::enable(EntryList& list, int index) {
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
  Transaction tx(support_, row.data);
  tx.undoWith([this, change] { return writeValue(change.where, change.before) == RegStatus::Ok; });

  // Later records first, so the places of the earlier ones stay valid.
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    const StoreStatus status = support_.store().remove(kProgramListRecords, *it);
    if (status == StoreStatus::Vanished) continue;  // gone already: nothing left to remove
    if (status != StoreStatus::Ok) {
      tx.fail([&] { support_.tellStoreProblem(status); });
      return false;
    }
    tx.undoWith([this, item = it->item] { return support_.store().add(kProgramListRecords, item) == StoreStatus::Ok; });
  }
  tx.commit();
  support_.log(LogOperation::Enable, {row.path, row.name, row.data});
  support_.remember(valueChange(change_kind::kEnable, row.path, change, program(row.name, row.data, true),
                                program(row.name, row.data, false), {}));
  return true;
}

// ---------------------------------------------------------------------------
// Helpers

Outcome ProgramListFamily::planChange(const std::string& path, const std::optional<std::string>& removed,
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

Outcome ProgramListFamily::changeValue(const std::string& path, const std::optional<std::string>& removed,
                                       const std::optional<std::string>& appended, ValueChange& change) {
  const Outcome planned = planChange(path, removed, appended, change);
  if (planned != Outcome::Done) return planned;
  return write(change.where, path, change.after);
}

Outcome ProgramListFamily::changeValueTo(
    const std::string& path, const std::function<std::optional<std::string>(const std::string& now)>& newText,
    ValueChange& change) {
  const auto where = locate(path);
  if (!where) return Outcome::Failed;
  auto before = readForChange(*where, path);
  if (!before) return Outcome::Failed;
  auto after = newText(*before);
  if (!after) return Outcome::Stale;
  if (!confirmUserinit(*where, *before, *after)) return Outcome::Failed;
  change = ValueChange{*where, std::move(*before), std::move(*after)};
  return write(change.where, path, change.after);
}

Change ProgramListFamily::valueChange(std::string_view kind, const std::string& path, const ValueChange& change,
                                      std::optional<EntryState> before, std::optional<EntryState> after,
                                      const std::string& placed) const {
  Change c = support_.change(kind, path, std::move(before), std::move(after));
  c.valueBefore = change.before;
  c.valueAfter = change.after;
  if (!placed.empty()) c.position = programIndex(change.before, placed);
  return c;
}

std::optional<ValuePath> ProgramListFamily::locate(const std::string& path) {
  auto where = splitValuePath(path);
  if (!where) support_.tell("_WininiBadLocation", {path});
  return where;
}

// The value as it stands, whole. A value that cannot be read, or that is not
// plain text, gives nothing: rewriting from it would replace what is there.
// A missing value is an empty list (the write then tells a missing key).
std::optional<std::string> ProgramListFamily::readForChange(const ValuePath& where, const std::string& path) {
  RegValue value;
  switch (registry_.queryValue(where.root, where.key, where.valueName, value)) {
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
RegStatus ProgramListFamily::writeValue(const ValuePath& where, const std::string& text) {
  return registry_.setString(where.root, where.key, where.valueName, text, KeyCreation::KeyMustExist);
}

Outcome ProgramListFamily::write(const ValuePath& where, const std::string& path, const std::string& text) {
  const RegStatus status = writeValue(where, text);
  if (status == RegStatus::Ok) return Outcome::Done;
  tellWriteProblem(status, path);
  return Outcome::Failed;
}

void ProgramListFamily::tellWriteProblem(RegStatus status, const std::string& path) {
  switch (status) {
    case RegStatus::Ok:
      return;
    case RegStatus::NotFound:
      support_.tell("_WininiKeyMissing", {path});
      return;
    case RegStatus::AccessDenied:
      support_.tell("_WininiAccessDenied", {path});
      return;
    case RegStatus::Failed:
      support_.tell("_WininiCannotWrite", {path});
      return;
  }
}

bool ProgramListFamily::confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after) {
  if (!equalsIgnoreCase(where.valueName, "Userinit")) return true;
  if (!namesUserinit(before) || namesUserinit(after)) return true;
  return support_.prompt().confirmWarning(support_.translator().translate("_WininiUserinitWarning", Escapes::Convert));
}

// The short form has no blanks, so the listing keeps it whole; a path that
// has none (it does not exist) goes in as entered.
std::string ProgramListFamily::programFor(const std::string& entered) {
  std::string shortPath = shortPaths_.shortForm(entered);
  return shortPath.empty() ? entered : shortPath;
}

}  // namespace velmora

// ---------------------------------------------------------------------------
// Undo: through the same reads, writes and Userinit safeguard as the forward
// operations, and only when the entry is still as the change left it.

namespace velmora {

namespace {

// As every row of the family: named after its value, a program the entry
// dialog would take (not empty), no value type.
bool programsOfItsValue(const Change& c) {
  const auto where = splitValuePath(c.location);
  const auto program = [&](const std::optional<EntryState>& s) {
    return !s || (equalsIgnoreCase(s->name, where->valueName) && !s->data.empty() && s->valueType.empty());
  };
  return where && program(c.before) && program(c.after);
}

}  // namespace

bool ProgramListFamily::undo(const Change& c) {
  if (!support_.mayUndo(c, locations_, programsOfItsValue(c))) return false;
  UndoScope scope(support_, c.id);
  using namespace change_kind;
  if (c.kind == kDisable && c.after && c.after->disabled) {
    StoredItem found;
    if (!recordIs(c.location, *c.after, found)) return false;
    OneRowList row(Row{c.after->name, {}, c.after->data, c.location, RowState::Disabled});
    return enable(row, 0);
  }
  if (c.kind == kEnable && c.after && !c.after->disabled) {
    ValueChange ignored;
    // Disable itself says when the program has left the value; say it as an Undo.
    const auto where = splitValuePath(c.location);
    RegValue now;
    if (where && registry_.queryValue(where->root, where->key, where->valueName, now) == RegStatus::Ok &&
        !containsProgram(now.text, c.after->data)) {
      support_.tellEntryChanged(c.after->data, support_.translator().translate("_UndoGone"));
      return false;
    }
    OneRowList row(Row{c.after->name, {}, c.after->data, c.location, RowState::Live});
    return disable(row, 0);
  }
  const EntryState* state = c.before ? &*c.before : c.after ? &*c.after : nullptr;
  if (!state || (c.kind != kRemove && c.kind != kAdd && c.kind != kModify)) {
    support_.tell("_UndoNotPossible");
    return false;
  }
  return state->disabled ? undoRecord(c) : undoLive(c);
}

bool ProgramListFamily::recordIs(const std::string& location, const EntryState& state, StoredItem& found) {
  const auto items = support_.records();
  if (!items) return false;
  if (const auto record = support_.findRecord(*items, DisabledItem{location, state.name, state.data})) {
    found = *record;
    return true;
  }
  support_.tellEntryChanged(state.data, support_.translator().translate("_UndoRecordGone"));
  return false;
}

// A disabled program's record: put back, taken away or changed back.
bool ProgramListFamily::undoRecord(const Change& c) {
  using namespace change_kind;
  if (c.kind == kRemove && c.before) {
    if (support_.addRecord(DisabledItem{c.location, c.before->name, c.before->data}) != Outcome::Done) return false;
    support_.log(LogOperation::Add, {c.location, c.before->name, c.before->data});
    support_.remember(support_.change(kAdd, c.location, std::nullopt, *c.before));
    return true;
  }
  StoredItem found;
  if (!c.after || !recordIs(c.location, *c.after, found)) return false;
  if (c.kind == kAdd) {
    if (support_.removeRecord(found) != Outcome::Done) return false;
    support_.log(LogOperation::Remove, {c.location, c.after->name, c.after->data});
    support_.remember(support_.change(kRemove, c.location, *c.after, std::nullopt));
    return true;
  }
  if (!c.before) return false;
  const Outcome updated = support_.updateRecord(found, std::nullopt, c.before->data);
  if (updated == Outcome::Stale) support_.tellRecordGone();
  if (updated != Outcome::Done) return false;
  support_.log(LogOperation::Modify, {c.location, c.after->name, c.after->data, c.before->name, c.before->data});
  support_.remember(support_.change(kModify, c.location, *c.after, *c.before));
  return true;
}

// A live program: the value goes back to the very text it had when nothing
// else changed it since; otherwise only this program is put back, taken out
// or changed back, in its place.
bool ProgramListFamily::undoLive(const Change& c) {
  using namespace change_kind;
  const auto exactly = [&](const std::string& now) { return c.valueAfter && c.valueBefore && now == *c.valueAfter; };
  std::optional<EntryState> before, after;
  std::string placed;
  ValueChange change;
  Outcome outcome = Outcome::Failed;
  if (c.kind == kRemove && c.before) {
    const EntryState& b = *c.before;
    outcome = changeValueTo(c.location, [&](const std::string& now) -> std::optional<std::string> {
      if (exactly(now)) return *c.valueBefore;
      if (containsProgram(now, b.data)) {
        support_.tellEntryChanged(b.data, support_.translator().translate("_UndoThereAlready"));
        return std::nullopt;
      }
      const ProgramPlace place = c.valueBefore && c.position ? placeOf(*c.valueBefore, *c.position) : ProgramPlace{};
      return c.valueBefore && c.position ? insertProgram(now, b.data, place) : appendProgram(now, b.data);
    }, change);
    after = b;
  } else if (c.after && (c.kind == kAdd || (c.kind == kModify && c.before))) {
    const EntryState& a = *c.after;
    outcome = changeValueTo(c.location, [&](const std::string& now) -> std::optional<std::string> {
      if (!containsProgram(now, a.data)) {
        support_.tellEntryChanged(a.data, support_.translator().translate("_UndoGone"));
        return std::nullopt;
      }
      if (exactly(now)) return *c.valueBefore;
      return c.kind == kAdd ? deleteProgram(now, a.data) : replaceProgram(now, a.data, c.before->data);
    }, change);
    before = a;
    placed = a.data;
    if (c.kind == kModify) after = c.before;
  } else {
    support_.tell("_UndoNotPossible");
    return false;
  }
  if (outcome != Outcome::Done) return false;
  const std::string kind = oppositeKind(c.kind);
  if (kind == kModify) {
    support_.log(LogOperation::Modify, {c.location, before->name, before->data, after->name, after->data});
  } else if (kind == kAdd) {
    support_.log(LogOperation::Add, {c.location, after->name, after->data});
  } else {
    support_.log(LogOperation::Remove, {c.location, before->name, before->data});
  }
  support_.remember(valueChange(kind, c.location, change, before, after, placed));
  return true;
}

}  // namespace velmora
