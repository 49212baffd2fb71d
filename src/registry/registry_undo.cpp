// Undo of the registry family: each reversal goes through the steps of the
// forward operation, with their checks and questions, and only when the
// entry is still as the change left it.
#include "core/format.h"
#include "family/transaction.h"
#include "lang/language_table.h"
#include "registry/registry_family.h"
#include "registry/registry_types.h"

namespace velmora {

using namespace registry_types;

namespace {

// Every type a change names is one this family writes (none reads as
// REG_SZ); any other would be read as REG_SZ here and as itself elsewhere.
bool typesAsWritten(const Change& c) {
  const auto written = [](std::string_view type) {
    return type.empty() || type == historyTypeName(kRegSz) || type == historyTypeName(kRegExpandSz);
  };
  const auto replaced = c.extra.find("replacedtype");
  return (!c.before || written(c.before->valueType)) && (!c.after || written(c.after->valueType)) &&
         (replaced == c.extra.end() || written(replaced->second));
}

}  // namespace

OperationResult RegistryFamily::undo(const Change& change, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return reverse(change); });
}

bool RegistryFamily::reverse(const Change& c) {
  if (!support_.mayUndo(c, keyPaths_, typesAsWritten(c) && flagsReadable(c))) return false;
  const auto key = splitKeyPath(c.location);  // a listed path always splits
  if (!key) return false;
  using namespace change_kind;
  if (c.kind == kRemove && c.before) return putBack(c);
  if (c.kind == kAdd && c.after) return takeBackAdded(c);
  if (c.kind == kModify && c.before && c.after) return modifyBack(c);
  if (c.kind == kDisable && c.after && c.after->disabled) {
    if (!recordIs(c.location, *c.after)) return false;
    return enableEntry(EntryRef{c.location, c.after->name, c.after->data, RowOrigin::Record});
  }
  if (c.kind == kFlag && c.after && !c.after->disabled) {
    const auto flagKey = flagKeyOfRunKey(c.location);
    if (!flagKey) {
      support_.tell("_UndoNotPossible");
      return false;
    }
    if (!liveValueIs(*key, *c.after)) return false;
    return flags_.undo(c, *flagKey, c.after->name);
  }
  if (c.kind == kEnable && c.after && !c.after->disabled) {
    if (!liveValueIs(*key, *c.after)) return false;
    return disableEntry(EntryRef{c.location, c.after->name, c.after->data, RowOrigin::Live}) &&
           restoreReplaced(c, c.after->name);
  }
  support_.tell("_UndoNotPossible");
  return false;
}

bool RegistryFamily::restoreReplaced(const Change& c, const std::string& name) {
  const auto data = c.extra.find("replaceddata");
  if (data == c.extra.end()) return true;
  const auto type = c.extra.find("replacedtype");
  const std::uint32_t t = type != c.extra.end() && type->second == "REG_EXPAND_SZ" ? kRegExpandSz : kRegSz;
  const auto key = splitKeyPath(c.location);
  if (!key) return false;
  // Only into the place the Undo has just emptied: never over a value.
  RegValue now;
  if (registry_.queryValue(key->root, key->subkey, name, now) != RegStatus::NotFound) return true;
  if (registry_.setText(key->root, key->subkey, name, data->second, t, KeyCreation::CreateKey) != RegStatus::Ok) {
    support_.tell("_RegistryWriteFailed", {c.location});
    return false;
  }
  // Part of the Undo that emptied the place: logged, but no change of its own.
  support_.alsoLogged(support_.change(change_kind::kAdd, c.location, std::nullopt, stateOf(name, data->second, t, false)));
  return true;
}

bool RegistryFamily::liveValueIs(const KeyPath& key, const EntryState& state) {
  RegValue now;
  switch (registry_.queryValue(key.root, key.subkey, state.name, now)) {
    case RegStatus::Ok:
      if (!isListedType(now.type) || now.text != state.data) {
        support_.tellEntryChanged(state.name, safeFormat(support_.translator().translate("_UndoNowHolds"), {now.text}));
        return false;
      }
      if (now.type != historyType(state)) {
        support_.tellEntryChanged(
            state.name, safeFormat(support_.translator().translate("_UndoTypeNow"), {historyTypeName(now.type)}));
        return false;
      }
      return true;
    case RegStatus::NotFound:
      support_.tellEntryChanged(state.name, support_.translator().translate("_UndoGone"));
      return false;
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      break;
  }
  support_.tell("_UndoCannotRead", {state.name});
  return false;
}

bool RegistryFamily::recordIs(const std::string& location, const EntryState& state, std::optional<StoredItem>* found) {
  const auto items = support_.records();
  if (!items) return false;
  for (const StoredItem& s : *items) {
    if (support_.traits().sameLocation(s.item.path, location) && equalsIgnoreCase(s.item.valuename, state.name) &&
        s.item.valuedata == state.data && typeOfRecord(s.item) == historyType(state)) {
      if (found) *found = s;
      return true;
    }
  }
  support_.tellEntryChanged(state.name, support_.translator().translate("_UndoRecordGone"));
  return false;
}

bool RegistryFamily::putBack(const Change& c) {
  const EntryState& b = *c.before;
  const std::uint32_t type = historyType(b);
  if (b.disabled) {
    // A removed disabled entry: its record comes back, with its type.
    DisabledItem record{c.location, b.name, b.data, recordTypeName(type)};
    if (support_.addRecord(record) != Outcome::Done) return false;
  } else {
    const auto key = splitKeyPath(c.location);
    const auto before = existingValue(*key, b.name);
    if (!mayReplace(c.location, b.name, b.data, type, before)) return false;
    Transaction tx(support_, b.name);
    if (write(tx, *key, c.location, b.name, b.data, type, before) != Outcome::Done) return false;
    // Windows' flag comes back with the value, unless one is there now.
    const auto flag = c.extra.find("flagbefore");
    const auto flagKey = flagKeyOfRunKey(c.location);
    if (flag != c.extra.end() && flagKey &&
        flags_.replace(tx, *flagKey, b.name, std::nullopt, flagFromText(flag->second, b.name)) == Outcome::Failed) {
      return false;
    }
    tx.commit();
  }
  support_.done(support_.change(change_kind::kAdd, c.location, std::nullopt, b));
  return true;
}

bool RegistryFamily::takeBackAdded(const Change& c) {
  const EntryState& a = *c.after;
  if (a.disabled) {
    // The record an Undo of a Remove put back.
    std::optional<StoredItem> found;
    if (!recordIs(c.location, a, &found)) return false;
    if (support_.removeRecord(*found) != Outcome::Done) return false;
  } else {
    const auto key = splitKeyPath(c.location);
    if (!liveValueIs(*key, a)) return false;
    if (c.before && !c.before->disabled) {
      // The Add replaced a value: that value comes back in its place.
      const EntryState& b = *c.before;
      Transaction tx(support_, a.name);
      if (write(tx, *key, c.location, b.name, b.data, historyType(b), existingValue(*key, a.name)) != Outcome::Done) {
        return false;
      }
      tx.commit();
      support_.done(support_.change(change_kind::kAdd, c.location, a, b));
      return true;
    }
    const RegStatus status = registry_.deleteValue(key->root, key->subkey, a.name);
    if (!deleted(status)) {
      support_.tell("_RegistryDeleteFailed", {c.location});
      return false;
    }
  }
  support_.done(support_.change(change_kind::kRemove, c.location, a, std::nullopt));
  return true;
}

bool RegistryFamily::modifyBack(const Change& c) {
  const EntryState& a = *c.after;
  const EntryState& b = *c.before;
  if (a.disabled != b.disabled) {
    support_.tell("_UndoNotPossible");
    return false;
  }
  std::optional<RegValue> replaced;
  if (a.disabled) {
    std::optional<StoredItem> found;
    if (!recordIs(c.location, a, &found)) return false;
    const Outcome updated = support_.updateRecord(*found, b.name, b.data, recordTypeName(historyType(b)));
    if (updated == Outcome::Stale) support_.tellRecordGone();
    if (updated != Outcome::Done) return false;
  } else {
    const auto key = splitKeyPath(c.location);
    if (!liveValueIs(*key, a)) return false;
    const EntryRef now{c.location, a.name, a.data, RowOrigin::Live};
    std::pair<std::uint32_t, std::uint32_t> types{};
    if (modifyLive(now, b.name, b.data, historyType(b), types, replaced) != Outcome::Done) return false;
  }
  Change back = support_.change(change_kind::kModify, c.location, a, b);
  keepReplaced(back, replaced);
  support_.done(std::move(back));
  // The value the Modify replaced under its new name comes back there.
  return a.disabled || equalsIgnoreCase(a.name, b.name) || restoreReplaced(c, a.name);
}

}  // namespace velmora
