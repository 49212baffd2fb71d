// Undo: through the same reads, writes and safeguards (Userinit, Shell) as
// the forward operations, and only when the entry is still as the change
// left it.
#include "core/text.h"
#include "lang/language_table.h"
#include "programlist/program_list.h"
#include "programlist/program_list_family.h"

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

OperationResult ProgramListFamily::undo(const Change& change, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return reverse(change); });
}

bool ProgramListFamily::reverse(const Change& c) {
  if (!support_.mayUndo(c, locations_, programsOfItsValue(c))) return false;
  using namespace change_kind;
  if (c.kind == kDisable && c.after && c.after->disabled) {
    StoredItem found;
    if (!recordIs(c.location, *c.after, found)) return false;
    return enableProgram(EntryRef{c.location, c.after->name, c.after->data, RowOrigin::Record});
  }
  if (c.kind == kEnable && c.after && !c.after->disabled) {
    // Disable itself says when the program has left the value; say it as an Undo.
    const auto where = splitValuePath(c.location);
    RegValue now;
    if (where && registry_.queryValue(where->root, where->key, where->valueName, now) == RegStatus::Ok &&
        !containsProgram(now.text, c.after->data)) {
      support_.tellEntryChanged(c.after->data, support_.translator().translate("_UndoGone"));
      return false;
    }
    return disableProgram(EntryRef{c.location, c.after->name, c.after->data, RowOrigin::Live});
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
    support_.done(support_.change(kAdd, c.location, std::nullopt, *c.before));
    return true;
  }
  StoredItem found;
  if (!c.after || !recordIs(c.location, *c.after, found)) return false;
  if (c.kind == kAdd) {
    if (support_.removeRecord(found) != Outcome::Done) return false;
    support_.done(support_.change(kRemove, c.location, *c.after, std::nullopt));
    return true;
  }
  if (!c.before) return false;
  const Outcome updated = support_.updateRecord(found, std::nullopt, c.before->data);
  if (updated == Outcome::Stale) support_.tellRecordGone();
  if (updated != Outcome::Done) return false;
  support_.done(support_.change(kModify, c.location, *c.after, *c.before));
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
  support_.done(valueChange(oppositeKind(c.kind), c.location, change, before, after, placed));
  return true;
}

}  // namespace velmora
