#include "family/family_support.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>
#include <utility>

#include "core/format.h"
#include "core/paths.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/location_opener.h"
#include "family/program_file.h"

namespace velmora {

DisabledItem recordOf(const EntryRef& entry) { return DisabledItem{entry.location, entry.name, entry.data}; }

FamilySupport::FamilySupport(const FamilyContext& context, const FamilyTraits& traits)
    : context_(context), traits_(traits) {}

// ---------------------------------------------------------------------------
// One operation

FamilySupport::Running::Running(FamilySupport& support, UserPrompt* prompt) : support_(support) {
  support_.prompt_ = prompt;
  support_.result_ = {};
}

FamilySupport::Running::~Running() { support_.prompt_ = nullptr; }

OperationResult FamilySupport::Running::take(Outcome outcome) {
  support_.result_.outcome = outcome;
  return std::exchange(support_.result_, {});
}

// ---------------------------------------------------------------------------
// Talking to the user

void FamilySupport::tell(std::string_view key, const std::vector<std::string>& values) const {
  result_.messages.push_back(safeFormat(context_.translator.translate(key, Escapes::Convert), values));
}

bool FamilySupport::ask(std::string_view key, const std::vector<std::string>& values) const {
  // An operation that asks nothing takes no for an answer.
  return prompt_ && prompt_->confirm(safeFormat(context_.translator.translate(key, Escapes::Convert), values));
}

void FamilySupport::tellStoreProblem(StoreStatus status) const {
  switch (status) {
    case StoreStatus::Ok: return;
    case StoreStatus::Unreadable: tell("_ConfigUnreadable"); return;
    case StoreStatus::WriteFailed: tell("_ConfigWriteFailed"); return;
    case StoreStatus::AccessDenied: tellProgramFolderRefused(); return;
    case StoreStatus::Vanished: tellRecordGone(); return;
    case StoreStatus::Busy: tell("_DataBusy"); return;
  }
}

void FamilySupport::tellProgramFolderRefused() const {
  offerAdministrator("_ProgramFolderRefused", "_ProgramFolderReadOnly", {context_.programFolder});
}

void FamilySupport::offerAdministrator(std::string_view refusedKey, std::string_view questionKey,
                                       const std::vector<std::string>& values) const {
  AdminRestart* const restart = context_.adminRestart;
  if (!restart || !restart->available()) {
    tell(refusedKey, values);
    return;
  }
  const std::string question = safeFormat(context_.translator.translate(questionKey, Escapes::Convert), values);
  if (!prompt_ || !prompt_->confirmWarning(question)) return;
  // Declined: the user said no to Windows' own question, which is answer enough.
  if (restart->restart() == RestartOutcome::Failed) tell("_AdminRestartFailed");
}

void FamilySupport::tellRecordGone() const { tell("_EntryRecordGone"); }

TrustVerdict FamilySupport::verdict(bool adminOnly, std::string_view location) const {
  if (!context_.trust) return TrustVerdict::Act;
  return context_.trust->verdict(adminOnly ? DataScope::AdminOnly : DataScope::UserWritable, location);
}

void FamilySupport::tellNotTrusted(TrustVerdict verdict, std::string_view refuseKey, std::string_view listOnlyKey,
                                   const std::vector<std::string>& values) const {
  if (verdict == TrustVerdict::Refuse) tell(refuseKey, values);
  if (verdict == TrustVerdict::ListOnly) tell(listOnlyKey, values);
}

std::string FamilySupport::typeText() const { return context_.translator.translate(traits_.typeKey); }

// ---------------------------------------------------------------------------
// Rows

bool FamilySupport::confirmRemove(const std::string& name, const std::string& place, const std::string& data) const {
  std::string question =
      safeFormat(context_.translator.translate("_AreyousureDeleteThisEntry", Escapes::Convert), {name, place, data});
  // A file that is no shortcut has no command line to show.
  while (!question.empty() && (question.back() == '\n' || question.back() == '\r')) question.pop_back();
  return prompt_ && prompt_->confirm(question);
}

EntryDialogData FamilySupport::dialogData(const EntryRef& entry) const {
  return EntryDialogData{typeText(), entry.location, entry.name, entry.data};
}

EntryDialogData FamilySupport::dialogData(const std::string& location) const {
  return EntryDialogData{typeText(), location, {}, {}};
}

std::size_t FamilySupport::currentUsersPlace(const std::vector<std::string>& places) {
  constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER\\";
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (places[i].compare(0, kCurrentUser.size(), kCurrentUser) == 0) return i;
  }
  return 0;
}

EntryDialogData FamilySupport::addDialogData(const std::vector<std::string>& places, std::size_t chosen,
                                             const std::function<std::string_view(const std::string&)>& labelKeyOf) const {
  EntryDialogData data = dialogData(places.at(chosen));
  for (const std::string& p : places) {
    const std::string_view key = labelKeyOf ? labelKeyOf(p) : std::string_view();
    data.places.push_back(
        EntryPlace{p, data.typeText, {}, traits_.id, key.empty() ? std::string() : context_.translator.translate(key)});
  }
  data.place = chosen;
  return data;
}

bool FamilySupport::acceptMissingProgram(const std::string& command) const {
  if (!context_.programFiles || command.empty()) return true;
  const ProgramFile file = resolveProgramFile(command, *context_.programFiles);
  // A warning, not a refusal: the program may come later (a drive not yet
  // there, an installer still to run).
  return file.found || file.path.empty() || ask("_AddFileNotFound", {file.path});
}

// ---------------------------------------------------------------------------
// Records

std::optional<std::vector<StoredItem>> FamilySupport::records() const {
  std::vector<StoredItem> items;
  const StoreStatus status = context_.store.list(traits_.records, items);
  if (status == StoreStatus::Ok) return items;
  tellStoreProblem(status);
  return std::nullopt;
}

std::vector<StoredItem> FamilySupport::recordsForListing() const {
  std::vector<StoredItem> items;
  if (context_.store.list(traits_.records, items) != StoreStatus::Ok) items.clear();
  return items;
}

void FamilySupport::addDisabledRows(std::vector<Row>& rows, const std::vector<StoredItem>& items,
                                    const std::string& location, const std::string& type) const {
  for (const StoredItem& s : items) {
    if (!traits_.sameLocation(s.item.path, location)) continue;
    Row row{s.item.valuename, type, s.item.valuedata, location, RowState::Disabled};
    row.origin = RowOrigin::Record;
    row.notTrusted = verdict(s.adminOnly, location) != TrustVerdict::Act;
    rows.push_back(std::move(row));
  }
}

std::optional<StoredItem> FamilySupport::findRecord(const std::vector<StoredItem>& items,
                                                    const DisabledItem& key) const {
  std::optional<StoredItem> found;
  for (const StoredItem& s : items) {
    if (traits_.sameLocation(s.item.path, key.path) && equalsIgnoreCase(s.item.valuename, key.valuename) &&
        equalsIgnoreCase(s.item.valuedata, key.valuedata)) {
      if (verdict(s.adminOnly, s.item.path) == TrustVerdict::Act) return s;
      if (!found) found = s;
    }
  }
  return found;
}

bool FamilySupport::trusted(const StoredItem& item, const std::string& name) const {
  const TrustVerdict v = verdict(item.adminOnly, item.item.path);
  if (v == TrustVerdict::Act) return true;
  tellNotTrusted(v, "_RecordNotTrusted", "_RecordNotTrustedListOnly", {name, item.item.path});
  return false;
}

bool FamilySupport::anyTrusted(const std::vector<StoredItem>& items, const std::string& name) const {
  for (const StoredItem& s : items) {
    if (verdict(s.adminOnly, s.item.path) == TrustVerdict::Act) return true;
  }
  return items.empty() || trusted(items.front(), name);
}

namespace {

Outcome outcomeOf(StoreStatus status) {
  switch (status) {
    case StoreStatus::Ok: return Outcome::Done;
    case StoreStatus::Vanished: return Outcome::Stale;
    case StoreStatus::Unreadable:
    case StoreStatus::WriteFailed:
    case StoreStatus::AccessDenied:
    case StoreStatus::Busy: break;
  }
  return Outcome::Failed;
}

}  // namespace

Outcome FamilySupport::addRecord(const DisabledItem& record) const {
  // A record Velmora would not believe later could never enable the entry
  // again: the Disable is refused rather than made a Remove.
  const bool adminOnly = !context_.newRecordAdminOnly || context_.newRecordAdminOnly(record.path);
  if (const TrustVerdict v = verdict(adminOnly, record.path); v != TrustVerdict::Act) {
    tellNotTrusted(v, "_DisableNotTrusted", "_DisableNotTrusted", {record.valuename, context_.programFolder});
    return Outcome::Failed;
  }
  const StoreStatus status = context_.store.add(traits_.records, record);
  if (status == StoreStatus::Ok) return Outcome::Done;
  tellStoreProblem(status);
  return Outcome::Failed;
}

std::optional<StoredItem> FamilySupport::requireRecord(const std::vector<StoredItem>& items,
                                                        const DisabledItem& key) const {
  auto found = findRecord(items, key);
  if (!found) tellRecordGone();
  return found;
}

StoreStatus FamilySupport::removeEnabledRecord(const StoredItem& item) const {
  const StoreStatus status = context_.store.remove(traits_.records, item);
  return status == StoreStatus::Vanished ? StoreStatus::Ok : status;
}

Outcome FamilySupport::removeRecord(const StoredItem& item) const {
  const StoreStatus status = context_.store.remove(traits_.records, item);
  if (outcomeOf(status) == Outcome::Failed) tellStoreProblem(status);
  return outcomeOf(status);
}

Outcome FamilySupport::updateRecord(const StoredItem& item, const std::optional<std::string>& name,
                                    const std::string& data, const std::optional<std::string>& type) const {
  const StoreStatus status = context_.store.update(traits_.records, item, name, data, type);
  if (outcomeOf(status) == Outcome::Failed) tellStoreProblem(status);
  return outcomeOf(status);
}

Outcome FamilySupport::locateRecord(const EntryRef& entry, StoredItem& found) const {
  const auto items = records();
  if (!items) return Outcome::Failed;
  const auto match = findRecord(*items, recordOf(entry));
  if (!match) return Outcome::Stale;
  found = *match;
  return Outcome::Done;
}

Outcome FamilySupport::removeRecordOf(const EntryRef& entry) const {
  StoredItem found;
  const Outcome located = locateRecord(entry, found);
  return located == Outcome::Done ? removeRecord(found) : located;
}

Outcome FamilySupport::updateRecordOf(const EntryRef& entry, const std::optional<std::string>& name,
                                      const std::string& data, const std::optional<std::string>& type) const {
  StoredItem found;
  const Outcome located = locateRecord(entry, found);
  const Outcome outcome = located == Outcome::Done ? updateRecord(found, name, data, type) : located;
  if (outcome == Outcome::Stale) tellRecordGone();
  return outcome;
}

bool FamilySupport::takeBackRecord(const DisabledItem& record) const {
  std::vector<StoredItem> items;
  if (context_.store.list(traits_.records, items) != StoreStatus::Ok) return false;
  const std::vector<StoredItem> matches = findAllItems(items, record);
  return !matches.empty() && context_.store.remove(traits_.records, matches.back()) == StoreStatus::Ok;
}

Change FamilySupport::change(std::string_view kind, const std::string& location, std::optional<EntryState> before,
                             std::optional<EntryState> after) const {
  Change c;
  c.family = std::string(traits_.id);
  c.kind = std::string(kind);
  c.location = location;
  c.before = std::move(before);
  c.after = std::move(after);
  return c;
}

void FamilySupport::openRegistryKey(const std::string& keyPath) const {
  if (context_.opener && !context_.opener->openRegistryKey(keyPath)) tell("_OpenLocationFailed", {keyPath});
}

void FamilySupport::showFile(const std::string& path) const {
  if (context_.opener && !context_.opener->showFile(path)) tell("_OpenLocationFailed", {path});
}

void FamilySupport::openFolder(const std::string& folder) const {
  if (context_.opener && !context_.opener->openFolder(folder)) tell("_OpenLocationFailed", {folder});
}

namespace {

// Every text of the change, known field or a family's own.
bool allTyped(const Change& c) {
  const auto typed = [](const std::optional<EntryState>& s) {
    return !s || (isTypedText(s->name) && isTypedText(s->data) && isTypedText(s->valueType));
  };
  const auto typedOrNone = [](const std::optional<std::string>& s) { return !s || isTypedText(*s); };
  if (!isTypedText(c.location) || !isTypedText(c.copy) || !typed(c.before) || !typed(c.after) ||
      !typedOrNone(c.valueBefore) || !typedOrNone(c.valueAfter)) {
    return false;
  }
  return std::all_of(c.extra.begin(), c.extra.end(),
                     [](const auto& field) { return isTypedText(field.first) && isTypedText(field.second); });
}

}  // namespace

bool FamilySupport::mayUndo(const Change& change, const std::vector<std::string>& locations, bool familyRules) const {
  const bool ours = std::any_of(locations.begin(), locations.end(), [&](const std::string& l) {
    return !l.empty() && traits_.sameLocation(change.location, l);
  });
  if (familyRules && ours && allTyped(change) && (!change.undoes || *change.undoes < change.id)) return true;
  tell("_UndoNotPossible");
  return false;
}

void FamilySupport::tellEntryChanged(const std::string& entry, const std::string& what) const {
  tell("_UndoEntryChanged", {entry, what});
}

}  // namespace velmora
