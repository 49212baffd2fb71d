#include "history/change_undo.h"

#include <stdexcept>

#include "core/format.h"
#include "lang/language_table.h"
#include "startupflags/startup_flags.h"

namespace velmora {

bool undoChange(const FamilyTable& families, const Change& change, UserPrompt& prompt, ChangeCommit& commit,
                const Translator& translator) {
  const FamilyDescriptor* family = nullptr;
  try {
    family = &families.family(change.family);
  } catch (const std::invalid_argument&) {
    family = nullptr;
  }
  // A change kept by a family this Velmora does not have, or naming a view
  // (All Entries), which never makes a change of its own.
  if (!family || !family->ownsEntries) {
    prompt.message(translator.translate("_UndoNotPossible", Escapes::Convert));
    return false;
  }
  // A change a user's program could have written is never undone in a
  // place of all users: the history is input, and Undo writes.
  if (const TrustVerdict v = undoVerdict(families, commit.trust(), change); v != TrustVerdict::Act) {
    const std::string key = v == TrustVerdict::Refuse ? "_UndoNotTrusted" : "_UndoNotTrustedListOnly";
    prompt.message(safeFormat(translator.translate(key, Escapes::Convert), {change.location}));
    return false;
  }
  const auto entries = family->make(families.familyLocations(family->id));
  const OperationResult result = entries->undo(change, prompt);
  commit.commit(entries->traits(), result, prompt, change.id);
  return result.done();
}

TrustVerdict undoVerdict(const FamilyTable& families, const Trust* trust, const Change& change) {
  if (!trust) return TrustVerdict::Act;
  const FamilyDescriptor* family = nullptr;
  try {
    family = &families.family(change.family);
  } catch (const std::invalid_argument&) {
    return TrustVerdict::Act;  // never undone: refused for that on its own
  }
  return trust->verdict(change.adminOnly ? DataScope::AdminOnly : DataScope::UserWritable,
                        placeOfChange(family->traits, *trust, change));
}

bool undoSelected(const FamilyTable& families, ChangeHistory& history, const Change& selected, UserPrompt& prompt,
                  ChangeCommit& commit, const Translator& translator) {
  // The row stands for one change only while the file holds it, alone under
  // its number, exactly as the row was filled from it.
  const auto change = history.find(selected.id, selected.source);
  if (!change || *change != selected) {
    prompt.message(translator.translate("_UndoNotPossible", Escapes::Convert));
    return false;
  }
  return undoChange(families, *change, prompt, commit, translator);
}

namespace {

std::string kindKey(std::string_view kind) {
  using namespace change_kind;
  if (kind == kRemove) return "_HistoryRemoved";
  if (kind == kAdd) return "_HistoryAdded";
  if (kind == kModify) return "_HistoryModified";
  if (kind == kDisable) return "_HistoryDisabled";
  if (kind == kEnable) return "_HistoryEnabled";
  return {};
}

}  // namespace

std::vector<std::string> historyColumns(const Change& change, const Translator& translator,
                                        const LocalFormats& formats, bool notTrusted) {
  const std::string time = shownUtcStamp(change.time, formats);
  std::string key = kindKey(change.kind);
  if (change.kind == change_kind::kFlag) {
    const auto after = change.extra.find("flagafter");
    const auto flag = after == change.extra.end() ? std::nullopt : flagFromText(after->second, {});
    key = flag && flagSaysOff(flag->bytes) ? "_HistoryFlagOff" : "_HistoryFlagOn";
  }
  std::string what = key.empty() ? change.kind : translator.translate(key);
  if (change.undoes) {
    what = safeFormat(translator.translate("_HistoryUndoOf"), {what, std::to_string(*change.undoes)});
  }
  const EntryState* shown = change.after ? &*change.after : change.before ? &*change.before : nullptr;
  std::string name = shown ? shown->name : std::string();
  std::string details = shown ? shown->data : std::string();
  if (change.kind == change_kind::kModify && change.before && change.after) {
    if (change.before->name != change.after->name) name = change.before->name + " \xE2\x86\x92 " + change.after->name;
    details = change.before->data + " \xE2\x86\x92 " + change.after->data;
  }
  if (notTrusted) what = safeFormat(translator.translate("_HistoryNotTrusted"), {what});
  // The name before the place: a long key path first would cut it.
  return {std::to_string(change.id), time, what, name, change.location, details};
}

}  // namespace velmora
