#include "registry/registry_entry_pane.h"

#include <algorithm>

#include "core/format.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "pane/prompt.h"

namespace velmora {

namespace {

constexpr ItemKind kKind = ItemKind::Registry;

DisabledItem recordOf(const Row& row) { return DisabledItem{row.path, row.name, row.data}; }

// A deletion of a value that is not there leaves the key as we want it.
bool deleted(RegStatus status) { return status == RegStatus::Ok || status == RegStatus::NotFound; }

}  // namespace

RegistryEntryPane::RegistryEntryPane(std::vector<std::string> keyPaths, FamilyServices services,
                                     UserPrompt& prompt)
    : keyPaths_(normaliseKeyPaths(keyPaths)), services_(services), prompt_(prompt) {}

// ---------------------------------------------------------------------------
// Listing

void RegistryEntryPane::fill(EntryList& list) {
  // Looked up once: the language table reads its file on every lookup.
  const std::string type = typeText();
  // One read of config.xml serves every key. An unreadable store lists no
  // disabled entries; the operations that need it say so.
  std::vector<StoredItem> items;
  if (services_.store.list(kKind, items) != StoreStatus::Ok) items.clear();

  std::vector<Row> rows;
  for (const std::string& path : keyPaths_) {
    const auto key = splitKeyPath(path);
    if (!key) continue;

    // The key's disabled entries first, under the pane's spelling of the path.
    for (const StoredItem& s : items) {
      if (!equalsIgnoreCase(s.item.path, path)) continue;
      rows.push_back(Row{s.item.valuename, type, s.item.valuedata, path, RowState::Disabled});
    }

    // Then its live REG_SZ values, in the registry's order. A key that is
    // missing or may not be read lists nothing.
    std::vector<RegValue> values;
    if (services_.registry.enumerateValues(key->root, key->subkey, values) != RegStatus::Ok) continue;
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
  Row row;
  if (!selectedRow(list, row)) return;
  const int index = list.selected();
  const std::string question =
      safeFormat(services_.translator.translate("_AreyousureDeleteThisEntry", true), {row.data});
  if (!prompt_.confirm(question)) return;

  if (const auto key = splitKeyPath(row.path)) {
    if (row.state == RowState::Disabled) {
      // Only the store changes; a record that is gone already needs nothing.
      std::vector<StoredItem> items;
      const StoreStatus listed = services_.store.list(kKind, items);
      if (listed != StoreStatus::Ok) {
        tellStoreProblem(listed);
      } else if (const auto found = findItem(items, recordOf(row))) {
        const StoreStatus removed = services_.store.remove(kKind, *found);
        if (removed == StoreStatus::Ok) {
          log(LogOperation::Remove, {row.path, row.name});
        } else if (removed != StoreStatus::Vanished) {
          tellStoreProblem(removed);
        }
      }
    } else {
      // Only the registry changes. A value that is gone already is not ours
      // to report as removed.
      const RegStatus status = services_.registry.deleteValue(key->root, key->subkey, row.name);
      if (status == RegStatus::Ok) {
        log(LogOperation::Remove, {row.path, row.name});
      } else if (status != RegStatus::NotFound) {
        tell("_RegistryDeleteFailed", {row.path});
      }
    }
    fill(list);
  }

  const int n = list.count();
  if (n > 0) list.select(std::min(index, n - 1));
}

bool RegistryEntryPane::disable(EntryList& list, int index) {
  if (index < 0 || index >= list.count()) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;

  // The record goes to disk first: until it is there the value stays.
  const DisabledItem record = recordOf(row);
  const StoreStatus added = services_.store.add(kKind, record);
  if (added != StoreStatus::Ok) {
    tellStoreProblem(added);
    return false;
  }

  const RegStatus status = services_.registry.deleteValue(key->root, key->subkey, row.name);
  if (!deleted(status)) {
    // The value stays live, so the record must go again.
    if (takeBackRecord(record) == Undo::Done) {
      tell("_RegistryDeleteFailed", {row.path});
    } else {
      tell("_EntryKeptTwice", {row.name});
    }
    return false;
  }

  log(LogOperation::Disable, {row.path, row.name});
  return true;
}

bool RegistryEntryPane::enable(EntryList& list, int index) {
  if (index < 0 || index >= list.count()) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;

  // Read the store before writing anything: a store we cannot change would
  // leave the entry both live and disabled.
  std::vector<StoredItem> items;
  const StoreStatus listed = services_.store.list(kKind, items);
  if (listed != StoreStatus::Ok) {
    tellStoreProblem(listed);
    return false;
  }
  const auto record = findItem(items, recordOf(row));

  const auto before = existingValue(*key, row.name);
  if (!mayReplace(row.path, row.name, row.data, before)) return false;
  if (services_.registry.setString(key->root, key->subkey, row.name, row.data, true) != RegStatus::Ok) {
    tell("_RegistryWriteFailed", {row.path});
    return false;
  }

  // The value is written; now the record may go. A record that is gone
  // already (edited by hand) leaves nothing to remove.
  if (record) {
    const StoreStatus removed = services_.store.remove(kKind, *record);
    if (removed != StoreStatus::Ok && removed != StoreStatus::Vanished) {
      if (restoreValue(*key, row.name, before) == Undo::Done) {
        tellStoreProblem(removed);
      } else {
        tell("_EntryKeptTwice", {row.name});
      }
      return false;
    }
  }

  log(LogOperation::Enable, {row.path, row.name});
  return true;
}

// ---------------------------------------------------------------------------
// Add, Modify, Property

void RegistryEntryPane::add(EntryList& list) {
  if (keyPaths_.empty()) return;
  const std::string& path = keyPaths_.front();
  EntryDialogData data{typeText(), path, {}, {}};
  if (!prompt_.entryDialog(EntryDialogKind::Add, data)) return;

  if (const auto key = splitKeyPath(path)) {
    const auto before = existingValue(*key, data.name);
    if (mayReplace(path, data.name, data.path, before)) {
      if (services_.registry.setString(key->root, key->subkey, data.name, data.path, true) == RegStatus::Ok) {
        log(LogOperation::Add, {path, data.name, data.path});
      } else {
        tell("_RegistryWriteFailed", {path});
      }
    }
  }
  fill(list);
}

void RegistryEntryPane::modify(EntryList& list) {
  Row row;
  if (!selectedRow(list, row)) return;
  EntryDialogData data{typeText(), row.path, row.name, row.data};
  if (!prompt_.entryDialog(EntryDialogKind::Modify, data)) return;

  // The row's box as it is now, after the dialog.
  const int index = list.selected();
  if (index >= 0 && index < list.count()) row.state = list.row(index).state;

  if (row.state == RowState::Disabled) {
    modifyDisabled(row, data.name, data.path);
  } else {
    modifyLive(row, data.name, data.path);
  }
  fill(list);
}

void RegistryEntryPane::modifyDisabled(const Row& old, const std::string& newName, const std::string& newData) {
  std::vector<StoredItem> items;
  const StoreStatus listed = services_.store.list(kKind, items);
  if (listed != StoreStatus::Ok) {
    tellStoreProblem(listed);
    return;
  }
  const auto found = findItem(items, recordOf(old));
  if (!found) return;  // removed by hand meanwhile: nothing to change
  const StoreStatus updated = services_.store.update(kKind, *found, newName, newData);
  if (updated == StoreStatus::Ok) {
    log(LogOperation::Modify, {old.path, old.name, old.data, newName, newData});
  } else if (updated != StoreStatus::Vanished) {
    tellStoreProblem(updated);
  }
}

void RegistryEntryPane::modifyLive(const Row& old, const std::string& newName, const std::string& newData) {
  const auto key = splitKeyPath(old.path);
  if (!key) return;

  if (old.name == newName) {
    // Same value: one write replaces the text in place.
    if (services_.registry.setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      tell("_RegistryWriteFailed", {old.path});
      return;
    }
  } else if (equalsIgnoreCase(old.name, newName)) {
    // Only the case of the name changes. The registry keeps the spelling a
    // value was created with, so the old value has to go first; should the
    // new one then fail, the old one is written back.
    if (!deleted(services_.registry.deleteValue(key->root, key->subkey, old.name))) {
      tell("_RegistryDeleteFailed", {old.path});
      return;
    }
    if (services_.registry.setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      const bool restored =
          services_.registry.setString(key->root, key->subkey, old.name, old.data, true) == RegStatus::Ok;
      tell(restored ? "_RegistryWriteFailed" : "_RegistryEntryLost", {old.path, old.name, old.data});
      return;
    }
  } else {
    // A new name: write the new value first, then delete the old one, so
    // that a failure leaves the entry under at least one of its names.
    const auto before = existingValue(*key, newName);
    if (!mayReplace(old.path, newName, newData, before)) return;
    if (services_.registry.setString(key->root, key->subkey, newName, newData, true) != RegStatus::Ok) {
      tell("_RegistryWriteFailed", {old.path});
      return;
    }
    if (!deleted(services_.registry.deleteValue(key->root, key->subkey, old.name))) {
      if (restoreValue(*key, newName, before) == Undo::Done) {
        tell("_RegistryDeleteFailed", {old.path});
      } else {
        tell("_EntryKeptTwice", {old.name});
      }
      return;
    }
  }
  log(LogOperation::Modify, {old.path, old.name, old.data, newName, newData});
}

void RegistryEntryPane::property(EntryList& list) {
  Row row;
  if (!selectedRow(list, row)) return;
  EntryDialogData data{typeText(), row.path, row.name, row.data};
  prompt_.entryDialog(EntryDialogKind::Property, data);
}

// ---------------------------------------------------------------------------
// Helpers

std::optional<RegValue> RegistryEntryPane::existingValue(const KeyPath& key, const std::string& name) {
  RegValue value;
  if (services_.registry.queryValue(key.root, key.subkey, name, value) != RegStatus::Ok) return std::nullopt;
  return value;
}

bool RegistryEntryPane::mayReplace(const std::string& path, const std::string& name, const std::string& data,
                                   const std::optional<RegValue>& existing) {
  if (!existing) return true;
  if (existing->type == kRegSz && existing->text == data) return true;
  return prompt_.confirm(
      safeFormat(services_.translator.translate("_RegistryValueExists", true), {path, name}));
}

RegistryEntryPane::Undo RegistryEntryPane::restoreValue(const KeyPath& key, const std::string& name,
                                                        const std::optional<RegValue>& before) {
  RegStatus status;
  if (!before) {
    status = services_.registry.deleteValue(key.root, key.subkey, name);
  } else if (before->type == kRegSz) {
    status = services_.registry.setString(key.root, key.subkey, before->name, before->text, false);
  } else {
    return Undo::Failed;  // a value of another type cannot be written back through the port
  }
  return status == RegStatus::Ok ? Undo::Done : Undo::Failed;
}

RegistryEntryPane::Undo RegistryEntryPane::takeBackRecord(const DisabledItem& record) {
  std::vector<StoredItem> items;
  if (services_.store.list(kKind, items) != StoreStatus::Ok) return Undo::Failed;
  // The record was appended, so it is the last of its kind; an identical one
  // further up belongs to an earlier disable and stays.
  const std::vector<StoredItem> matches = findAllItems(items, record);
  if (matches.empty()) return Undo::Failed;
  return services_.store.remove(kKind, matches.back()) == StoreStatus::Ok ? Undo::Done : Undo::Failed;
}

void RegistryEntryPane::tell(std::string_view key, const std::vector<std::string>& values) {
  prompt_.message(safeFormat(services_.translator.translate(key, true), values));
}

void RegistryEntryPane::tellStoreProblem(StoreStatus status) {
  tell(status == StoreStatus::Unreadable ? "_ConfigUnreadable" : "_ConfigWriteFailed");
}

bool RegistryEntryPane::selectedRow(const EntryList& list, Row& out) {
  const int index = list.selected();
  if (index < 0 || index >= list.count()) {
    tell("_YouMustSelectAnItem");
    return false;
  }
  out = list.row(index);
  return true;
}

std::string RegistryEntryPane::typeText() const { return services_.translator.translate("_RegString"); }

void RegistryEntryPane::log(LogOperation op, const std::vector<std::string>& values) {
  services_.log.record(op, LogKeys::Entry, values);
}

}  // namespace velmora
