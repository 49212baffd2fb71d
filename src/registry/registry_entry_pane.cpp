#include "registry/registry_entry_pane.h"

#include "core/text.h"
#include "lang/language_table.h"
#include "pane/prompt.h"

namespace velmora {

namespace {

// A deletion of a value that is not there leaves the key as we want it.
bool deleted(RegStatus status) { return status == RegStatus::Ok || status == RegStatus::NotFound; }

}  // namespace

RegistryEntryPane::RegistryEntryPane(std::vector<std::string> keyPaths, const FamilyServices& services,
                                     UserPrompt& prompt)
    : keyPaths_(normaliseKeyPaths(keyPaths)),
      support_(services, prompt, {ItemKind::Registry, LogKeys::Entry, "_RegString", &equalsIgnoreCase}) {}

// ---------------------------------------------------------------------------
// Listing

void RegistryEntryPane::fill(EntryList& list) {
  // Looked up once: the language table reads its file on every lookup.
  const std::string type = support_.typeText();
  // One read of config.xml serves every key.
  const std::vector<StoredItem> items = support_.recordsForListing();

  std::vector<Row> rows;
  for (const std::string& path : keyPaths_) {
    const auto key = splitKeyPath(path);
    if (!key) continue;
    // The key's disabled entries first, under the pane's spelling of the path.
    support_.addDisabledRows(rows, items, path, type);

    // Then its live REG_SZ values, in the registry's order. A key that is
    // missing or may not be read lists nothing.
    std::vector<RegValue> values;
    if (registry().enumerateValues(key->root, key->subkey, values) != RegStatus::Ok) continue;
    for (const RegValue& v : values) {
      if (v.type != kRegSz) continue;
      rows.push_back(Row{v.name, type, v.text, path, RowState::Live});
    }
  }
  list.setRows(rows);
}

// ---------------------------------------------------------------------------
// Remove, Disable, Enable

void RegistryEntryPane::remove(EntryList& list) {
  const int index = support_.selectedOrComplain(list);
  if (index < 0) return;
  const Row row = list.row(index);
  if (!support_.confirmRemove(row.data)) return;

  if (splitKeyPath(row.path)) {
    // Only the store changes for a disabled entry, only the registry for a live one.
    const Outcome outcome = row.state == RowState::Disabled ? support_.removeRecordOf(row) : removeLive(row);
    if (outcome == Outcome::Done) support_.log(LogOperation::Remove, {row.path, row.name, row.data});
    fill(list);
  }
  FamilySupport::reselect(list, index);
}

Outcome RegistryEntryPane::removeLive(const Row& row) {
  const auto key = splitKeyPath(row.path);
  if (!key) return Outcome::Failed;
  // A value that is gone already is not ours to report as removed; one that
  // another program changed since the listing is not what the user agreed
  // to delete.
  RegValue now;
  if (registry().queryValue(key->root, key->subkey, row.name, now) == RegStatus::NotFound) return Outcome::Stale;
  if (!stillAsListed(*key, row)) return Outcome::Failed;
  const RegStatus status = registry().deleteValue(key->root, key->subkey, row.name);
  if (status == RegStatus::Ok) return Outcome::Done;
  if (status == RegStatus::NotFound) return Outcome::Stale;
  support_.tell("_RegistryDeleteFailed", {row.path});
  return Outcome::Failed;
}

bool RegistryEntryPane::disable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;
  if (!stillAsListed(*key, row)) return false;

  // The record goes to disk first: until it is there the value stays.
  const DisabledItem record = recordOf(row);
  if (!support_.addRecord(record)) return false;

  if (!deleted(registry().deleteValue(key->root, key->subkey, row.name))) {
    // The value stays live, so the record must go again.
    if (support_.undone(support_.takeBackRecord(record), row.name)) {
      support_.tell("_RegistryDeleteFailed", {row.path});
    }
    return false;
  }

  support_.log(LogOperation::Disable, {row.path, row.name, row.data});
  return true;
}

// The record keeps the row's text, and the deletion takes whatever the value
// holds now: should another program have changed the value since the list
// was read, its new text would be lost. So the value must still be what the
// row shows.
bool RegistryEntryPane::stillAsListed(const KeyPath& key, const Row& row) {
  RegValue value;
  switch (registry().queryValue(key.root, key.subkey, row.name, value)) {
    case RegStatus::Ok:
      if (value.type == kRegSz && value.text == row.data) return true;
      break;
    case RegStatus::NotFound:
      break;
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      support_.tell("_RegistryDeleteFailed", {row.path});
      return false;
  }
  support_.tell("_RegistryEntryChanged", {row.name, row.path});
  return false;
}

bool RegistryEntryPane::enable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;

  // Read the store before writing anything: a store we cannot change would
  // leave the entry both live and disabled.
  const auto items = support_.records();
  if (!items) return false;
  const auto record = support_.findRecord(*items, recordOf(row));

  const auto before = existingValue(*key, row.name);
  if (!mayReplace(row.path, row.name, row.data, before)) return false;
  if (registry().setString(key->root, key->subkey, row.name, row.data, true) != RegStatus::Ok) {
    support_.tell("_RegistryWriteFailed", {row.path});
    return false;
  }

  // The value is written; now the record may go. A record that is gone
  // already (edited by hand) leaves nothing to remove.
  if (record) {
    const StoreStatus removed = support_.services().store.remove(ItemKind::Registry, *record);
    if (removed != StoreStatus::Ok && removed != StoreStatus::Vanished) {
      if (support_.undone(restoreValue(*key, row.name, before), row.name)) support_.tellStoreProblem(removed);
      return false;
    }
  }

  support_.log(LogOperation::Enable, {row.path, row.name, row.data});
  return true;
}

// ---------------------------------------------------------------------------
// Add, Modify, Property

void RegistryEntryPane::add(EntryList& list) {
  if (keyPaths_.empty()) return;
  const std::string& path = keyPaths_.front();
  EntryDialogData data = support_.dialogData(path);
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;

  if (const auto key = splitKeyPath(path)) {
    const auto before = existingValue(*key, data.name);
    if (mayReplace(path, data.name, data.path, before)) {
      if (registry().setString(key->root, key->subkey, data.name, data.path, true) == RegStatus::Ok) {
        support_.log(LogOperation::Add, {path, data.name, data.path});
      } else {
        support_.tell("_RegistryWriteFailed", {path});
      }
    }
  }
  fill(list);
}

void RegistryEntryPane::modify(EntryList& list) {
  Row row;
  EntryDialogData data;
  if (!support_.editSelected(list, row, data)) return;

  // A record removed by hand meanwhile leaves nothing to change; the user
  // is told that the edit was not kept.
  const Outcome outcome = row.state == RowState::Disabled ? support_.updateRecordOf(row, data.name, data.path)
                                                          : modifyLive(row, data.name, data.path);
  if (outcome == Outcome::Done) {
    support_.log(LogOperation::Modify, {row.path, row.name, row.data, data.name, data.path});
  }
  fill(list);
}

Outcome RegistryEntryPane::modifyLive(const Row& old, const std::string& newName, const std::string& newData) {
  const auto key = splitKeyPath(old.path);
  if (!key) return Outcome::Failed;

  if (old.name == newName) {
    // Same value: one write replaces the text in place.
    if (registry().setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      support_.tell("_RegistryWriteFailed", {old.path});
      return Outcome::Failed;
    }
  } else if (equalsIgnoreCase(old.name, newName)) {
    // Only the case of the name changes. The registry keeps the spelling a
    // value was created with, so the old value has to go first; should the
    // new one then fail, the old one is written back.
    if (!deleted(registry().deleteValue(key->root, key->subkey, old.name))) {
      support_.tell("_RegistryDeleteFailed", {old.path});
      return Outcome::Failed;
    }
    if (registry().setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      const bool restored = registry().setString(key->root, key->subkey, old.name, old.data, true) == RegStatus::Ok;
      support_.tell(restored ? "_RegistryWriteFailed" : "_RegistryEntryLost", {old.path, old.name, old.data});
      return Outcome::Failed;
    }
  } else {
    // A new name: write the new value first, then delete the old one, so
    // that a failure leaves the entry under at least one of its names.
    const auto before = existingValue(*key, newName);
    if (!mayReplace(old.path, newName, newData, before)) return Outcome::Failed;
    if (registry().setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      support_.tell("_RegistryWriteFailed", {old.path});
      return Outcome::Failed;
    }
    if (!deleted(registry().deleteValue(key->root, key->subkey, old.name))) {
      if (support_.undone(restoreValue(*key, newName, before), old.name)) {
        support_.tell("_RegistryDeleteFailed", {old.path});
      }
      return Outcome::Failed;
    }
  }
  return Outcome::Done;
}

void RegistryEntryPane::property(EntryList& list) { support_.showProperty(list); }

// ---------------------------------------------------------------------------
// Helpers

std::optional<RegValue> RegistryEntryPane::existingValue(const KeyPath& key, const std::string& name) {
  RegValue value;
  if (registry().queryValue(key.root, key.subkey, name, value) != RegStatus::Ok) return std::nullopt;
  return value;
}

bool RegistryEntryPane::mayReplace(const std::string& path, const std::string& name, const std::string& data,
                                   const std::optional<RegValue>& existing) {
  if (!existing) return true;
  if (existing->type == kRegSz && existing->text == data) return true;
  return support_.ask("_RegistryValueExists", {path, name});
}

bool RegistryEntryPane::restoreValue(const KeyPath& key, const std::string& name,
                                     const std::optional<RegValue>& before) {
  RegStatus status;
  if (!before) {
    status = registry().deleteValue(key.root, key.subkey, name);
  } else if (before->type == kRegSz) {
    status = registry().setString(key.root, key.subkey, before->name, before->text, false);
  } else {
    return false;  // a value of another type cannot be written back through the port
  }
  return status == RegStatus::Ok;
}

}  // namespace velmora
