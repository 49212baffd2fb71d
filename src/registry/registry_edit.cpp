// Add and Modify of the registry family, with the dialog's answer.
#include <algorithm>

#include "family/transaction.h"
#include "registry/registry_family.h"
#include "registry/registry_types.h"

namespace velmora {

using namespace registry_types;

OperationResult RegistryFamily::add(const EntryDialogData& fields, UserPrompt& prompt) {
  return support_.run(prompt, [&] { addEntry(fields); });
}

OperationResult RegistryFamily::modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) {
  return support_.run(prompt, [&] { modifyEntry(entry, fields); });
}

// ---------------------------------------------------------------------------
// Add

void RegistryFamily::addEntry(const EntryDialogData& fields) {
  // Only into a key the dialog offered.
  const std::vector<std::string> keys = addKeys();
  const auto offered = std::find(keys.begin(), keys.end(), addPlace(fields));
  if (offered == keys.end()) return;
  const std::string& path = *offered;
  const auto key = splitKeyPath(path);
  if (!key || !support_.acceptMissingProgram(fields.path)) return;
  // A command line with %NAME% only starts from an expandable value.
  const std::uint32_t type = holdsEnvironmentReference(fields.path) ? kRegExpandSz : kRegSz;
  const auto before = existingValue(*key, fields.name);
  Transaction tx(support_, fields.name);
  if (!mayReplace(path, fields.name, fields.path, type, before) ||
      write(tx, *key, path, fields.name, fields.path, type, before) != Outcome::Done) {
    return;
  }
  tx.commit();
  // A value the new one replaced is what Undo gives back.
  std::optional<EntryState> replaced;
  if (before && isListedType(before->type)) replaced = stateOf(fields.name, before->text, before->type, false);
  support_.done(support_.change(change_kind::kAdd, path, replaced, stateOf(fields.name, fields.path, type, false)));
}

// ---------------------------------------------------------------------------
// Modify

void RegistryFamily::modifyEntry(const EntryRef& entry, const EntryDialogData& fields) {
  // A record removed by hand meanwhile leaves nothing to change; the user
  // is told that the edit was not kept.
  // The type stays unless the new command line needs REG_EXPAND_SZ.
  const bool disabled = entry.origin == RowOrigin::Record;
  const auto newType =
      holdsEnvironmentReference(fields.path) ? std::optional<std::string>(kExpandTypeName) : std::nullopt;
  std::pair<std::uint32_t, std::uint32_t> types{kRegSz, kRegSz};
  if (disabled) {
    types.first = recordType(entry);
    types.second = newType ? kRegExpandSz : types.first;
  }
  std::optional<RegValue> replaced;
  const Outcome outcome = disabled ? support_.updateRecordOf(entry, fields.name, fields.path, newType)
                                   : modifyLive(entry, fields.name, fields.path, std::nullopt, types, replaced);
  if (outcome != Outcome::Done) return;
  Change c = support_.change(change_kind::kModify, entry.location,
                             stateOf(entry.name, entry.data, types.first, disabled),
                             stateOf(fields.name, fields.path, types.second, disabled));
  keepReplaced(c, replaced);
  support_.done(std::move(c));
}

Outcome RegistryFamily::modifyLive(const EntryRef& old, const std::string& newName, const std::string& newData,
                                   std::optional<std::uint32_t> forcedType,
                                   std::pair<std::uint32_t, std::uint32_t>& types,
                                   std::optional<RegValue>& replaced) {
  replaced.reset();
  const auto key = splitKeyPath(old.location);
  if (!key) return Outcome::Failed;
  Transaction tx(support_, old.name);
  // The value keeps its type unless the new text needs REG_EXPAND_SZ.
  const auto current = existingValue(*key, old.name);
  const std::uint32_t oldType = current && isListedType(current->type) ? current->type : kRegSz;
  const std::uint32_t newType = forcedType ? *forcedType : holdsEnvironmentReference(newData) ? kRegExpandSz : oldType;
  types = {oldType, newType};

  if (old.name == newName) {
    // Same value: one write replaces the text in place.
    if (write(tx, *key, old.location, newName, newData, newType, current) != Outcome::Done) return Outcome::Failed;
  } else if (equalsIgnoreCase(old.name, newName)) {
    // Only the case of the name changes. The registry keeps the spelling a
    // value was created with, so the old value has to go first; should the
    // new one then fail, the old one is written back.
    if (!deleted(registry_.deleteValue(key->root, key->subkey, old.name))) {
      support_.tell("_RegistryDeleteFailed", {old.location});
      return Outcome::Failed;
    }
    tx.undoWith([this, k = *key, old, oldType] {
      return registry_.setText(k.root, k.subkey, old.name, old.data, oldType, KeyCreation::CreateKey) == RegStatus::Ok;
    });
    if (registry_.setText(key->root, key->subkey, newName, newData, newType, KeyCreation::CreateKey) != RegStatus::Ok) {
      support_.tell(tx.rollBack() ? "_RegistryWriteFailed" : "_RegistryEntryLost", {old.location, old.name, old.data});
      return Outcome::Failed;
    }
  } else {
    // A new name: write the new value first, then delete the old one, so
    // that a failure leaves the entry under at least one of its names.
    const auto before = existingValue(*key, newName);
    if (!mayReplace(old.location, newName, newData, newType, before)) return Outcome::Failed;
    if (write(tx, *key, old.location, newName, newData, newType, before) != Outcome::Done) return Outcome::Failed;
    // Windows' flag follows the name. It moves before the old value goes:
    // that deletion is the last step, so every step before it can still be
    // taken back.
    const auto flagKey = flagKeyOfRunKey(old.location);
    if (flagKey && flags_.move(tx, *flagKey, old.name, newName) != Outcome::Done) return Outcome::Failed;
    if (!deleted(registry_.deleteValue(key->root, key->subkey, old.name))) {
      return tx.fail("_RegistryDeleteFailed", {old.location});
    }
    if (before && isListedType(before->type)) replaced = before;
  }
  return tx.commit();
}

}  // namespace velmora
