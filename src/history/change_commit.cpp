#include "history/change_commit.h"

#include "core/format.h"
#include "family/seen_entries.h"
#include "history/change_history.h"
#include "lang/language_table.h"
#include "startupflags/startup_flags.h"

namespace velmora {

LogRecord buildLogRecord(const Translator& translator, LogOperation op, LogKeys keys,
                         const std::vector<std::string>& values) {
  const std::string n = std::to_string(static_cast<int>(op));
  const std::string contentKey = "_LogItemType" + n + "Content" + std::string(keys.contentSuffix);
  LogRecord r;
  r.type = translator.translate("_LogType");
  r.category = translator.translate("_LogCategory");
  r.itemType = translator.translate("_LogItemType" + n);
  r.source = translator.translate("_LogSource");
  r.content = safeFormat(translator.translate(contentKey), values);
  return r;
}

bool OperationLog::record(LogOperation op, LogKeys keys, const std::vector<std::string>& values) {
  if (!sink_) return false;
  return sink_->write(buildLogRecord(translator_, op, keys, values));
}

std::string changeReport(const Translator& translator, ChangeKind kind, const std::string& name, bool done,
                         const std::string& problem) {
  static constexpr std::string_view kDone[] = {"_StatusRemoved", "_StatusAdded", "_StatusModified", "_StatusEnabled",
                                               "_StatusDisabled"};
  static constexpr std::string_view kFailed[] = {"_StatusRemoveFailed", "_StatusAddFailed", "_StatusModifyFailed",
                                                 "_StatusEnableFailed", "_StatusDisableFailed"};
  const auto i = static_cast<std::size_t>(kind);
  if (done) return safeFormat(translator.translate(kDone[i]), {name});
  // The status bar has one line.
  const std::string line = problem.substr(0, problem.find_first_of("\r\n"));
  return safeFormat(translator.translate(kFailed[i]), {name, line});
}

namespace {

// The log's operation for a change: a flag change is an Enable or a Disable
// by the flag it left.
LogOperation operationOf(const Change& c) {
  using namespace change_kind;
  if (c.kind == kRemove) return LogOperation::Remove;
  if (c.kind == kAdd) return LogOperation::Add;
  if (c.kind == kModify) return LogOperation::Modify;
  if (c.kind == kDisable) return LogOperation::Disable;
  if (c.kind == kFlag) {
    const auto after = c.extra.find("flagafter");
    const auto flag = after == c.extra.end() ? std::nullopt : flagFromText(after->second, {});
    return flag && flagSaysOff(flag->bytes) ? LogOperation::Disable : LogOperation::Enable;
  }
  return LogOperation::Enable;
}

}  // namespace

void ChangeCommit::log(const FamilyTraits& traits, const Change& c) {
  const LogOperation op = operationOf(c);
  std::vector<std::string> values;
  // The entry's name first, then its place: a long key path before it
  // would cut the name from the viewer's Details column.
  if (op == LogOperation::Modify && c.before && c.after) {
    values = traits.logModify ? traits.logModify(c.location, *c.before, *c.after)
                              : std::vector<std::string>{c.before->name, c.location, c.before->data, c.after->name,
                                                         c.after->data};
  } else if (const EntryState* entry = op == LogOperation::Remove ? (c.before ? &*c.before : nullptr)
                                                                  : (c.after ? &*c.after : nullptr)) {
    values = traits.logEntry ? traits.logEntry(c.location, *entry)
                             : std::vector<std::string>{entry->name, c.location, entry->data};
  }
  log_.record(op, traits.logKeys, values);
}

void ChangeCommit::see(const FamilyTraits& traits, const Change& change) {
  if (!seen_ && !told_) return;
  Change named = change;
  if (named.family.empty()) named.family = std::string(traits.id);
  if (seen_) seen_->changed(named);
  if (told_) told_(named);
}

void ChangeCommit::commit(const FamilyTraits& traits, const OperationResult& result, UserPrompt& prompt,
                          std::optional<std::uint64_t> undoing) {
  auto also = result.alsoLogged.begin();
  const auto logAlso = [&](std::size_t before) {
    for (; also != result.alsoLogged.end() && also->first <= before; ++also) {
      log(traits, also->second);
      see(traits, also->second);
    }
  };
  bool kept = true;
  for (std::size_t i = 0; i < result.changes.size(); ++i) {
    logAlso(i);
    Change change = result.changes[i];
    log(traits, change);
    see(traits, change);
    if (history_) {
      change.undoes = undoing;
      // A change of a place of all users is kept where only administrators
      // write, when this Velmora has such a place.
      const PlaceScope place = trust_ ? placeOfChange(traits, *trust_, change) : PlaceScope::User;
      kept = history_->record(std::move(change), place) && kept;
    }
    logAlso(i + 1);
  }
  logAlso(result.changes.size());
  for (const std::string& message : result.messages) prompt.message(message);
  if (!kept && history_->takeWarning()) {
    prompt.notice(safeFormat(translator_.translate("_HistoryNotKept", Escapes::Convert), {}));
  }
}

std::string ChangeCommit::report(ChangeKind kind, const std::string& name, const OperationResult& result) const {
  const bool told = !result.messages.empty();
  const bool moved = kind == ChangeKind::Enable || kind == ChangeKind::Disable;
  if (result.done() && (!told || moved)) return changeReport(translator_, kind, name, true, {});
  if (told) return changeReport(translator_, kind, name, false, result.messages.back());
  return {};  // the user said no: nothing changed, nothing to say
}

}  // namespace velmora
