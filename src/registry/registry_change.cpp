// Remove, Disable and Enable of the registry family.
#include "family/transaction.h"
#include "registry/registry_family.h"
#include "registry/registry_types.h"

namespace velmora {

using namespace registry_types;

OperationResult RegistryFamily::remove(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { removeEntry(entry); });
}

OperationResult RegistryFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return disableEntry(entry); });
}

OperationResult RegistryFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return enableEntry(entry); });
}

// ---------------------------------------------------------------------------
// Remove

void RegistryFamily::removeEntry(const EntryRef& entry) {
  if (!support_.confirmRemove(entry.name, entry.location, entry.data)) return;
  if (!splitKeyPath(entry.location)) return;

  // Only the store changes for a disabled entry, only the registry for a live one.
  const bool disabled = entry.origin == RowOrigin::Record;
  std::uint32_t type = disabled ? recordType(entry) : kRegSz;
  std::optional<RegValue> flag;
  const Outcome outcome = disabled ? support_.removeRecordOf(entry) : removeLive(entry, type, flag);
  if (outcome != Outcome::Done) return;
  Change c = support_.change(change_kind::kRemove, entry.location, stateOf(entry.name, entry.data, type, disabled),
                             std::nullopt);
  // Windows' flag went with the value: Undo puts it back too.
  if (flag) c.extra["flagbefore"] = flagText(flag);
  support_.done(std::move(c));
}

Outcome RegistryFamily::removeLive(const EntryRef& entry, std::uint32_t& type, std::optional<RegValue>& flag) {
  const auto key = splitKeyPath(entry.location);
  if (!key) return Outcome::Failed;
  // A value that is gone already is not ours to report as removed; one that
  // another program changed since the listing is not what the user agreed
  // to delete.
  RegValue now;
  if (registry_.queryValue(key->root, key->subkey, entry.name, now) == RegStatus::NotFound) return Outcome::Stale;
  if (!stillAsListed(*key, entry, "_RegistryRemoveChanged", type)) return Outcome::Failed;
  // Windows' flag of the value goes first (Windows would leave it behind);
  // should the value then stay, the flag is written back.
  Transaction tx(support_, entry.name);
  const auto flagKey = flagKeyOfRunKey(entry.location);
  if (flagKey && flags_.drop(tx, *flagKey, entry.name, &flag) != Outcome::Done) return Outcome::Failed;
  const RegStatus status = registry_.deleteValue(key->root, key->subkey, entry.name);
  if (status == RegStatus::Ok) return tx.commit();
  if (status == RegStatus::NotFound) {
    (void)tx.rollBack();
    return Outcome::Stale;
  }
  return tx.fail("_RegistryDeleteFailed", {entry.location});
}

// ---------------------------------------------------------------------------
// Disable

bool RegistryFamily::disableEntry(const EntryRef& entry) {
  const auto key = splitKeyPath(entry.location);
  if (!key) return false;
  std::uint32_t type = kRegSz;
  if (!stillAsListed(*key, entry, "_RegistryEntryChanged", type)) return false;

  // The record goes to disk first: until it is there the value stays. It
  // keeps the value's type, so that Enable writes back what was there.
  DisabledItem record = recordOf(entry);
  record.valuetype = recordTypeName(type);
  if (support_.addRecord(record) != Outcome::Done) return false;
  Transaction tx(support_, entry.name);
  tx.undoWith([this, record] { return support_.takeBackRecord(record); });

  if (!deleted(registry_.deleteValue(key->root, key->subkey, entry.name))) {
    tx.fail("_RegistryDeleteFailed", {entry.location});
    return false;
  }
  tx.commit();
  support_.done(support_.change(change_kind::kDisable, entry.location, stateOf(entry.name, entry.data, type, false),
                                stateOf(entry.name, entry.data, type, true)));
  return true;
}

// ---------------------------------------------------------------------------
// Enable

bool RegistryFamily::enableEntry(const EntryRef& entry) {
  const auto key = splitKeyPath(entry.location);
  if (!key) return false;
  if (entry.origin == RowOrigin::OffInWindows) return turnOnInWindows(*key, entry);

  // Read the store before writing anything: a store we cannot change would
  // leave the entry both live and disabled.
  const auto items = support_.records();
  if (!items) return false;
  const auto record = support_.requireRecord(*items, recordOf(entry));
  if (!record || !support_.trusted(*record, entry.name)) return false;

  const std::uint32_t type = typeOfRecord(record->item);
  const auto before = existingValue(*key, entry.name);
  if (!mayReplace(entry.location, entry.name, entry.data, type, before)) return false;
  Transaction tx(support_, entry.name);
  if (write(tx, *key, entry.location, entry.name, entry.data, type, before) != Outcome::Done) return false;
  // Enabled means it starts: a flag that Windows' settings left off is
  // turned on too.
  const auto flagKey = flagKeyOfRunKey(entry.location);
  if (flagKey && flags_.turnOnIfOff(tx, *flagKey, entry.name) != Outcome::Done) return false;

  // The value is written; now the record may go.
  const StoreStatus removed = support_.removeEnabledRecord(*record);
  if (removed != StoreStatus::Ok) {
    tx.fail([&] { support_.tellStoreProblem(removed); });
    return false;
  }
  tx.commit();
  Change c = support_.change(change_kind::kEnable, entry.location, stateOf(entry.name, entry.data, type, true),
                             stateOf(entry.name, entry.data, type, false));
  if (before && (before->text != entry.data || before->type != type)) keepReplaced(c, before);
  support_.done(std::move(c));
  return true;
}

bool RegistryFamily::turnOnInWindows(const KeyPath& key, const EntryRef& entry) {
  const auto flagKey = flagKeyOfRunKey(entry.location);
  if (!flagKey) return false;
  // The flag is the value's only while the value is what the entry says.
  std::uint32_t type = kRegSz;
  if (!stillAsListed(key, entry, "_RegistryEnableChanged", type)) return false;
  Transaction tx(support_, entry.name);
  std::optional<RegValue> was;
  if (flags_.turnOn(tx, *flagKey, entry.name, &was) != Outcome::Done) return false;
  tx.commit();
  support_.done(flags_.change(entry.location, stateOf(entry.name, entry.data, type, false), was,
                              RegValue{entry.name, kRegBinary, {}, flagOnBytes()}));
  return true;
}

// The record keeps the entry's text, and the deletion takes whatever the
// value holds now: should another program have changed the value since the
// list was read, its new text would be lost. So the value must still be
// what the entry says.
bool RegistryFamily::stillAsListed(const KeyPath& key, const EntryRef& entry, const char* changedKey,
                                   std::uint32_t& type) {
  RegValue value;
  switch (registry_.queryValue(key.root, key.subkey, entry.name, value)) {
    case RegStatus::Ok:
      if (isListedType(value.type) && value.text == entry.data) {
        type = value.type;
        return true;
      }
      break;
    case RegStatus::NotFound:
      break;
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      support_.tell("_RegistryDeleteFailed", {entry.location});
      return false;
  }
  support_.tell(changedKey, {entry.name, entry.location});
  return false;
}

}  // namespace velmora
