#include "registry/registry_family.h"

#include <algorithm>

#include "core/format.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "history/change_undo.h"
#include "family/prompt.h"
#include "family/transaction.h"

namespace velmora {

namespace {

// A deletion of a value that is not there leaves the key as we want it.
bool deleted(RegStatus status) { return status == RegStatus::Ok || status == RegStatus::NotFound; }

bool isListedType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

// The value type a record stands for, and the attribute that says it.
std::uint32_t typeOfRecord(const DisabledItem& item) {
  return equalsIgnoreCase(item.valuetype, kExpandTypeName) ? kRegExpandSz : kRegSz;
}
std::string recordTypeName(std::uint32_t type) { return type == kRegExpandSz ? std::string(kExpandTypeName) : ""; }
// A value's type as the change history names it, and back.
std::string historyTypeName(std::uint32_t type) { return type == kRegExpandSz ? "REG_EXPAND_SZ" : "REG_SZ"; }
std::uint32_t historyType(const EntryState& state) {
  return state.valueType == "REG_EXPAND_SZ" ? kRegExpandSz : kRegSz;
}
EntryState stateOf(const std::string& name, const std::string& data, std::uint32_t type, bool disabled) {
  return EntryState{name, data, historyTypeName(type), disabled};
}

}  // namespace

bool holdsEnvironmentReference(std::string_view text) {
  for (std::size_t open = text.find('%'); open != std::string_view::npos;) {
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) return false;
    if (close > open + 1) return true;
    open = close + 1 < text.size() ? text.find('%', close + 1) : std::string_view::npos;
  }
  return false;
}

const FamilyTraits kRegistryTraits{kRegistryRecords, LogKeys{""}, "_RegString", &equalsIgnoreCase, "registry"};

namespace {

constexpr std::string_view kMachineRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kMachineRunOnce =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::string_view kMachineRunServices =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr std::string_view kMachineRunServicesOnce =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
constexpr std::string_view kUserRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kUserRunOnce = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// What 64-bit Windows also starts: the 32-bit programs' keys (the path a
// 64-bit process opens to see the 32-bit view) and the policy Run keys.
constexpr std::string_view kMachineRun32 =
    "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kMachineRunOnce32 =
    "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::string_view kMachinePolicyRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
constexpr std::string_view kUserPolicyRun =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

// Registry > All Users (Run, RunOnce, RunServices, RunServicesOnce) and
// Current User (Run, RunOnce); an inner node lists its children's keys. A
// Run or RunOnce node lists the classic key first, so Add writes there.
std::vector<CategoryNode> registryNodes() {
  return {
      {0, "_TreeRegistry", -1, 3, {},
       {kMachineRun, kMachineRun32, kMachinePolicyRun, kMachineRunOnce, kMachineRunOnce32, kMachineRunServices,
        kMachineRunServicesOnce, kUserRun, kUserPolicyRun, kUserRunOnce}},
      {1, "_AllUser", 0, 4, {},
       {kMachineRun, kMachineRun32, kMachinePolicyRun, kMachineRunOnce, kMachineRunOnce32, kMachineRunServices,
        kMachineRunServicesOnce}},
      {2, "_Run", 1, 2, {}, {kMachineRun, kMachineRun32, kMachinePolicyRun}},
      {3, "_RunOnce", 1, 2, {}, {kMachineRunOnce, kMachineRunOnce32}},
      {4, "_RunService", 1, 2, {}, {kMachineRunServices}},
      {5, "_RunServiceOnce", 1, 2, {}, {kMachineRunServicesOnce}},
      {6, "_CurrentUser", 0, 5, {}, {kUserRun, kUserPolicyRun, kUserRunOnce}},
      {7, "_Run", 6, 2, {}, {kUserRun, kUserPolicyRun}},
      {8, "_RunOnce", 6, 2, {}, {kUserRunOnce}},
  };
}

}  // namespace

FamilyDescriptor registryFamily(RegistryPort& registry, const FamilyContext& context) {
  return FamilyDescriptor{
      "registry",
      kRegistryTraits,
      registryNodes(),
      {{5, 1}, {8, 6}, {8, 0}},
      [](const std::vector<std::string_view>& paths) {
        return normaliseKeyPaths(std::vector<std::string>(paths.begin(), paths.end()));
      },
      [&registry, &context](std::vector<std::string> locations, UserPrompt& prompt) -> std::unique_ptr<EntryFamily> {
        return std::make_unique<RegistryFamily>(std::move(locations), registry, context, prompt);
      }};
}

RegistryFamily::RegistryFamily(std::vector<std::string> keyPaths, RegistryPort& registry, const FamilyContext& context,
                               UserPrompt& prompt)
    : keyPaths_(normaliseKeyPaths(keyPaths)),
      registry_(registry),
      support_(context, prompt, kRegistryTraits),
      flags_(registry, support_) {}

// ---------------------------------------------------------------------------
// Listing

void RegistryFamily::fill(EntryList& list) {
  // Looked up once: the language table reads its file on every lookup.
  const std::string type = support_.typeText();
  const std::string expandType = support_.translator().translate("_RegExpandString");
  const auto typeText = [&](std::uint32_t t) -> const std::string& { return t == kRegExpandSz ? expandType : type; };
  // One read of config.xml serves every key.
  const std::vector<StoredItem> items = support_.recordsForListing();

  // Each flag key is read once for the whole listing.
  OffFlags offFlags(registry_);

  std::vector<Row> rows;
  for (const std::string& path : keyPaths_) {
    const auto key = splitKeyPath(path);
    if (!key) continue;
    // The key's disabled entries first, under the pane's spelling of the path.
    for (const StoredItem& s : items) {
      if (!kRegistryTraits.sameLocation(s.item.path, path)) continue;
      Row row{s.item.valuename, typeText(typeOfRecord(s.item)), s.item.valuedata, path, RowState::Disabled};
      row.origin = RowOrigin::Record;
      rows.push_back(std::move(row));
    }

    // Then its live string values, in the registry's order. A key that is
    // missing or may not be read lists nothing.
    std::vector<RegValue> values;
    if (registry_.enumerateValues(key->root, key->subkey, values) != RegStatus::Ok) continue;
    const auto flagKey = flagKeyOfRunKey(path);
    for (const RegValue& v : values) {
      if (!isListedType(v.type)) continue;
      Row row{v.name, typeText(v.type), v.text, path, RowState::Live};
      if (flagKey && offFlags.isOff(*flagKey, v.name)) {
        // It does not start, so its box is clear.
        row.state = RowState::Disabled;
        row.origin = RowOrigin::OffInWindows;
      }
      rows.push_back(std::move(row));
    }
  }
  // Windows NT and later never run RunServices and RunServicesOnce.
  support_.describeRows(
      rows, [](const Row& row) { return row.data; },
      [](const Row& row) -> std::string_view {
        const bool legacy =
            endsWith(asciiUpper(row.path), "\\RUNSERVICES") || endsWith(asciiUpper(row.path), "\\RUNSERVICESONCE");
        return legacy ? "_StatusLegacy" : "";
      });
  list.setRows(std::move(rows));
}

// ---------------------------------------------------------------------------
// Remove, Disable, Enable

void RegistryFamily::remove(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return;
  const Row row = list.row(index);
  if (!support_.confirmRemove(row.name, row.path, row.data)) return;

  if (splitKeyPath(row.path)) {
    // Only the store changes for a disabled entry, only the registry for a live one.
    const bool disabled = row.origin == RowOrigin::Record;
    std::uint32_t type = disabled ? recordType(row) : kRegSz;
    std::optional<RegValue> flag;
    const Outcome outcome = disabled ? support_.removeRecordOf(row) : removeLive(row, type, flag);
    if (outcome == Outcome::Done) {
      support_.log(LogOperation::Remove, {row.path, row.name, row.data});
      Change c = support_.change(change_kind::kRemove, row.path, stateOf(row.name, row.data, type, disabled), std::nullopt);
      // Windows' flag went with the value: Undo puts it back too.
      if (flag) c.extra["flagbefore"] = flagText(flag);
      support_.remember(std::move(c));
    }
  }
  fill(list);
  FamilySupport::reselect(list, index);
}

std::uint32_t RegistryFamily::recordType(const Row& row) {
  const auto record = support_.findRecord(support_.recordsForListing(), recordOf(row));
  return record ? typeOfRecord(record->item) : kRegSz;
}

Outcome RegistryFamily::removeLive(const Row& row, std::uint32_t& type, std::optional<RegValue>& flag) {
  const auto key = splitKeyPath(row.path);
  if (!key) return Outcome::Failed;
  // A value that is gone already is not ours to report as removed; one that
  // another program changed since the listing is not what the user agreed
  // to delete.
  RegValue now;
  if (registry_.queryValue(key->root, key->subkey, row.name, now) == RegStatus::NotFound) return Outcome::Stale;
  if (!stillAsListed(*key, row, "_RegistryRemoveChanged", type)) return Outcome::Failed;
  // Windows' flag of the value goes first (Windows would leave it behind);
  // should the value then stay, the flag is written back.
  Transaction tx(support_, row.name);
  const auto flagKey = flagKeyOfRunKey(row.path);
  if (flagKey && flags_.drop(tx, *flagKey, row.name, &flag) != Outcome::Done) return Outcome::Failed;
  const RegStatus status = registry_.deleteValue(key->root, key->subkey, row.name);
  if (status == RegStatus::Ok) return tx.commit();
  if (status == RegStatus::NotFound) {
    (void)tx.rollBack();
    return Outcome::Stale;
  }
  return tx.fail("_RegistryDeleteFailed", {row.path});
}

bool RegistryFamily::disable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;
  std::uint32_t type = kRegSz;
  if (!stillAsListed(*key, row, "_RegistryEntryChanged", type)) return false;

  // The record goes to disk first: until it is there the value stays. It
  // keeps the value's type, so that Enable writes back what was there.
  DisabledItem record = recordOf(row);
  record.valuetype = recordTypeName(type);
  if (support_.addRecord(record) != Outcome::Done) return false;
  Transaction tx(support_, row.name);
  tx.undoWith([this, record] { return support_.takeBackRecord(record); });

  if (!deleted(registry_.deleteValue(key->root, key->subkey, row.name))) {
    tx.fail("_RegistryDeleteFailed", {row.path});
    return false;
  }
  tx.commit();
  support_.log(LogOperation::Disable, {row.path, row.name, row.data});
  support_.remember(support_.change(change_kind::kDisable, row.path, stateOf(row.name, row.data, type, false),
                                    stateOf(row.name, row.data, type, true)));
  return true;
}

// The record keeps the row's text, and the deletion takes whatever the value
// holds now: should another program have changed the value since the list
// was read, its new text would be lost. So the value must still be what the
// row shows.
bool RegistryFamily::stillAsListed(const KeyPath& key, const Row& row, const char* changedKey, std::uint32_t& type) {
  RegValue value;
  switch (registry_.queryValue(key.root, key.subkey, row.name, value)) {
    case RegStatus::Ok:
      if (isListedType(value.type) && value.text == row.data) {
        type = value.type;
        return true;
      }
      break;
    case RegStatus::NotFound:
      break;
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      support_.tell("_RegistryDeleteFailed", {row.path});
      return false;
  }
  support_.tell(changedKey, {row.name, row.path});
  return false;
}

bool RegistryFamily::enable(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return false;
  const Row row = list.row(index);
  const auto key = splitKeyPath(row.path);
  if (!key) return false;
  if (row.origin == RowOrigin::OffInWindows) return turnOnInWindows(*key, row);

  // Read the store before writing anything: a store we cannot change would
  // leave the entry both live and disabled.
  const auto items = support_.records();
  if (!items) return false;
  const auto record = support_.requireRecord(*items, recordOf(row));
  if (!record) return false;

  const std::uint32_t type = typeOfRecord(record->item);
  const auto before = existingValue(*key, row.name);
  if (!mayReplace(row.path, row.name, row.data, type, before)) return false;
  Transaction tx(support_, row.name);
  if (write(tx, *key, row.path, row.name, row.data, type, before) != Outcome::Done) return false;
  // Enabled means it starts: a flag that Windows' settings left off is
  // turned on too.
  const auto flagKey = flagKeyOfRunKey(row.path);
  if (flagKey && flags_.turnOnIfOff(tx, *flagKey, row.name) != Outcome::Done) return false;

  // The value is written; now the record may go.
  const StoreStatus removed = support_.removeEnabledRecord(*record);
  if (removed != StoreStatus::Ok) {
    tx.fail([&] { support_.tellStoreProblem(removed); });
    return false;
  }
  tx.commit();
  support_.log(LogOperation::Enable, {row.path, row.name, row.data});
  Change c = support_.change(change_kind::kEnable, row.path, stateOf(row.name, row.data, type, true),
                             stateOf(row.name, row.data, type, false));
  if (before && (before->text != row.data || before->type != type)) keepReplaced(c, before);
  support_.remember(std::move(c));
  return true;
}

bool RegistryFamily::turnOnInWindows(const KeyPath& key, const Row& row) {
  const auto flagKey = flagKeyOfRunKey(row.path);
  if (!flagKey) return false;
  // The flag is the value's only while the value is what the row shows.
  std::uint32_t type = kRegSz;
  if (!stillAsListed(key, row, "_RegistryEnableChanged", type)) return false;
  Transaction tx(support_, row.name);
  std::optional<RegValue> was;
  if (flags_.turnOn(tx, *flagKey, row.name, &was) != Outcome::Done) return false;
  tx.commit();
  support_.log(LogOperation::Enable, {row.path, row.name, row.data});
  support_.remember(flags_.change(row.path, stateOf(row.name, row.data, type, false), was,
                                  RegValue{row.name, kRegBinary, {}, flagOnBytes()}));
  return true;
}

// ---------------------------------------------------------------------------
// Add, Modify, Property

void RegistryFamily::add(EntryList& list) {
  if (keyPaths_.empty()) return;
  const std::string& path = keyPaths_.front();
  EntryDialogData data = support_.dialogData(path);
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;

  if (const auto key = splitKeyPath(path)) {
    // A command line with %NAME% only starts from an expandable value.
    const std::uint32_t type = holdsEnvironmentReference(data.path) ? kRegExpandSz : kRegSz;
    const auto before = existingValue(*key, data.name);
    Transaction tx(support_, data.name);
    if (mayReplace(path, data.name, data.path, type, before) &&
        write(tx, *key, path, data.name, data.path, type, before) == Outcome::Done) {
      tx.commit();
      support_.log(LogOperation::Add, {path, data.name, data.path});
      // A value the new one replaced is what Undo gives back.
      std::optional<EntryState> replaced;
      if (before && isListedType(before->type)) replaced = stateOf(data.name, before->text, before->type, false);
      support_.remember(support_.change(change_kind::kAdd, path, replaced, stateOf(data.name, data.path, type, false)));
    }
  }
  fill(list);
}

void RegistryFamily::modify(EntryList& list, int index) {
  Row row;
  EntryDialogData data;
  if (!support_.edit(list, index, row, data)) return;

  // A record removed by hand meanwhile leaves nothing to change; the user
  // is told that the edit was not kept.
  // The type stays unless the new command line needs REG_EXPAND_SZ.
  const bool disabled = row.origin == RowOrigin::Record;
  const auto newType = holdsEnvironmentReference(data.path) ? std::optional<std::string>(kExpandTypeName)
                                                             : std::nullopt;
  std::pair<std::uint32_t, std::uint32_t> types{kRegSz, kRegSz};
  if (disabled) {
    types.first = recordType(row);
    types.second = newType ? kRegExpandSz : types.first;
  }
  const Outcome outcome = disabled ? support_.updateRecordOf(row, data.name, data.path, newType)
                                   : modifyLive(row, data.name, data.path, std::nullopt, types);
  if (outcome == Outcome::Done) {
    support_.log(LogOperation::Modify, {row.path, row.name, row.data, data.name, data.path});
    Change c = support_.change(change_kind::kModify, row.path, stateOf(row.name, row.data, types.first, disabled),
                               stateOf(data.name, data.path, types.second, disabled));
    if (!disabled) keepReplaced(c, lastReplaced_);
    support_.remember(std::move(c));
  }
  fill(list);
}

Outcome RegistryFamily::modifyLive(const Row& old, const std::string& newName, const std::string& newData,
                                   std::optional<std::uint32_t> forcedType,
                                   std::pair<std::uint32_t, std::uint32_t>& types) {
  const auto key = splitKeyPath(old.path);
  if (!key) return Outcome::Failed;
  Transaction tx(support_, old.name);
  // The value keeps its type unless the new text needs REG_EXPAND_SZ.
  const auto current = existingValue(*key, old.name);
  const std::uint32_t oldType = current && isListedType(current->type) ? current->type : kRegSz;
  const std::uint32_t newType = forcedType ? *forcedType : holdsEnvironmentReference(newData) ? kRegExpandSz : oldType;
  types = {oldType, newType};
  lastReplaced_.reset();

  if (old.name == newName) {
    // Same value: one write replaces the text in place.
    if (write(tx, *key, old.path, newName, newData, newType, current) != Outcome::Done) return Outcome::Failed;
  } else if (equalsIgnoreCase(old.name, newName)) {
    // Only the case of the name changes. The registry keeps the spelling a
    // value was created with, so the old value has to go first; should the
    // new one then fail, the old one is written back.
    if (!deleted(registry_.deleteValue(key->root, key->subkey, old.name))) {
      support_.tell("_RegistryDeleteFailed", {old.path});
      return Outcome::Failed;
    }
    tx.undoWith([this, k = *key, old, oldType] {
      return registry_.setText(k.root, k.subkey, old.name, old.data, oldType, KeyCreation::CreateKey) == RegStatus::Ok;
    });
    if (registry_.setText(key->root, key->subkey, newName, newData, newType, KeyCreation::CreateKey) != RegStatus::Ok) {
      support_.tell(tx.rollBack() ? "_RegistryWriteFailed" : "_RegistryEntryLost", {old.path, old.name, old.data});
      return Outcome::Failed;
    }
  } else {
    // A new name: write the new value first, then delete the old one, so
    // that a failure leaves the entry under at least one of its names.
    const auto before = existingValue(*key, newName);
    if (!mayReplace(old.path, newName, newData, newType, before)) return Outcome::Failed;
    if (before && isListedType(before->type)) lastReplaced_ = before;
    if (write(tx, *key, old.path, newName, newData, newType, before) != Outcome::Done) return Outcome::Failed;
    // Windows' flag follows the name. It moves before the old value goes:
    // that deletion is the last step, so every step before it can still be
    // taken back.
    const auto flagKey = flagKeyOfRunKey(old.path);
    if (flagKey && flags_.move(tx, *flagKey, old.name, newName) != Outcome::Done) return Outcome::Failed;
    if (!deleted(registry_.deleteValue(key->root, key->subkey, old.name))) {
      return tx.fail("_RegistryDeleteFailed", {old.path});
    }
  }
  return tx.commit();
}

void RegistryFamily::property(EntryList& list, int index) { support_.showProperty(list, index); }

void RegistryFamily::openLocation(EntryList& list, int index) {
  if (FamilySupport::isRow(list, index)) support_.openRegistryKey(list.row(index).path);
}

// ---------------------------------------------------------------------------
// Helpers

std::optional<RegValue> RegistryFamily::existingValue(const KeyPath& key, const std::string& name) {
  RegValue value;
  if (registry_.queryValue(key.root, key.subkey, name, value) != RegStatus::Ok) return std::nullopt;
  return value;
}

bool RegistryFamily::mayReplace(const std::string& path, const std::string& name, const std::string& data,
                                std::uint32_t type, const std::optional<RegValue>& existing) {
  if (!existing) return true;
  if (existing->type == type && existing->text == data) return true;
  return support_.ask("_RegistryValueExists", {path, name});
}

Outcome RegistryFamily::write(Transaction& tx, const KeyPath& key, const std::string& path, const std::string& name,
                              const std::string& data, std::uint32_t type, const std::optional<RegValue>& before) {
  if (registry_.setText(key.root, key.subkey, name, data, type, KeyCreation::CreateKey) != RegStatus::Ok) {
    support_.tell("_RegistryWriteFailed", {path});
    return Outcome::Failed;
  }
  tx.undoWith([this, key, name, before] { return restoreValue(key, name, before); });
  return Outcome::Done;
}

bool RegistryFamily::restoreValue(const KeyPath& key, const std::string& name, const std::optional<RegValue>& before) {
  RegStatus status;
  if (!before) {
    status = registry_.deleteValue(key.root, key.subkey, name);
  } else if (isListedType(before->type)) {
    status = registry_.setText(key.root, key.subkey, before->name, before->text, before->type, KeyCreation::KeyMustExist);
  } else {
    // Any other type (the user agreed to replace it) goes back byte for byte.
    status = registry_.setBytes(key.root, key.subkey, before->name, before->bytes, before->type,
                                KeyCreation::KeyMustExist);
  }
  return status == RegStatus::Ok;
}

}  // namespace velmora

// ---------------------------------------------------------------------------
// Undo: each reversal goes through the steps of the forward operation, with
// their checks and questions, and only when the entry is still as the change
// left it.

namespace velmora {

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

bool RegistryFamily::undo(const Change& c) {
  if (!support_.mayUndo(c, keyPaths_, typesAsWritten(c) && flagsReadable(c))) return false;
  const auto key = splitKeyPath(c.location);  // a listed path always splits
  if (!key) return false;
  UndoScope scope(support_, c.id);
  using namespace change_kind;
  if (c.kind == kRemove && c.before) return putBack(c);
  if (c.kind == kAdd && c.after) return takeBackAdded(c);
  if (c.kind == kModify && c.before && c.after) return modifyBack(c);
  if (c.kind == kDisable && c.after && c.after->disabled) {
    if (!recordIs(c.location, *c.after)) return false;
    OneRowList row(Row{c.after->name, {}, c.after->data, c.location, RowState::Disabled});
    return enable(row, 0);
  }
  if (c.kind == kFlag && c.after && !c.after->disabled) {
    const auto flagKey = flagKeyOfRunKey(c.location);
    if (!flagKey) {
      support_.tell("_UndoNotPossible");
      return false;
    }
    if (!liveValueIs(*key, *c.after)) return false;
    return flags_.undo(c, *flagKey, c.after->name, {c.location, c.after->name, c.after->data});
  }
  if (c.kind == kEnable && c.after && !c.after->disabled) {
    if (!liveValueIs(*key, *c.after)) return false;
    OneRowList row(Row{c.after->name, {}, c.after->data, c.location, RowState::Live});
    return disable(row, 0) && restoreReplaced(c, c.after->name);
  }
  support_.tell("_UndoNotPossible");
  return false;
}

void RegistryFamily::keepReplaced(Change& c, const std::optional<RegValue>& replaced) {
  if (!replaced || !isListedType(replaced->type)) return;
  c.extra["replaceddata"] = replaced->text;
  c.extra["replacedtype"] = historyTypeName(replaced->type);
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
  support_.log(LogOperation::Add, {c.location, name, data->second});
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
  support_.log(LogOperation::Add, {c.location, b.name, b.data});
  support_.remember(support_.change(change_kind::kAdd, c.location, std::nullopt, b));
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
      support_.log(LogOperation::Add, {c.location, b.name, b.data});
      support_.remember(support_.change(change_kind::kAdd, c.location, a, b));
      return true;
    }
    const RegStatus status = registry_.deleteValue(key->root, key->subkey, a.name);
    if (!deleted(status)) {
      support_.tell("_RegistryDeleteFailed", {c.location});
      return false;
    }
  }
  support_.log(LogOperation::Remove, {c.location, a.name, a.data});
  support_.remember(support_.change(change_kind::kRemove, c.location, a, std::nullopt));
  return true;
}

bool RegistryFamily::modifyBack(const Change& c) {
  const EntryState& a = *c.after;
  const EntryState& b = *c.before;
  if (a.disabled != b.disabled) {
    support_.tell("_UndoNotPossible");
    return false;
  }
  const Row now{a.name, {}, a.data, c.location, a.disabled ? RowState::Disabled : RowState::Live};
  if (a.disabled) {
    std::optional<StoredItem> found;
    if (!recordIs(c.location, a, &found)) return false;
    const Outcome updated = support_.updateRecord(*found, b.name, b.data, recordTypeName(historyType(b)));
    if (updated == Outcome::Stale) support_.tellRecordGone();
    if (updated != Outcome::Done) return false;
  } else {
    const auto key = splitKeyPath(c.location);
    if (!liveValueIs(*key, a)) return false;
    std::pair<std::uint32_t, std::uint32_t> types{};
    if (modifyLive(now, b.name, b.data, historyType(b), types) != Outcome::Done) return false;
  }
  support_.log(LogOperation::Modify, {c.location, a.name, a.data, b.name, b.data});
  Change back = support_.change(change_kind::kModify, c.location, a, b);
  if (!a.disabled) keepReplaced(back, lastReplaced_);
  support_.remember(std::move(back));
  // The value the Modify replaced under its new name comes back there.
  return a.disabled || equalsIgnoreCase(a.name, b.name) || restoreReplaced(c, a.name);
}

}  // namespace velmora
