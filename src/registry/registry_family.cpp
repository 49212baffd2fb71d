#include "registry/registry_family.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/format.h"
#include "core/text.h"
#include "family/prompt.h"
#include "family/transaction.h"
#include "lang/language_table.h"
#include "registry/registry_types.h"
#include "lang/local_formats.h"

namespace velmora {

using namespace registry_types;

bool holdsEnvironmentReference(std::string_view text) {
  for (std::size_t open = text.find('%'); open != std::string_view::npos;) {
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) return false;
    if (close > open + 1) return true;
    open = close + 1 < text.size() ? text.find('%', close + 1) : std::string_view::npos;
  }
  return false;
}

// The log names a value by its key, its name and its command line: the
// commit's own way.
const FamilyTraits kRegistryTraits{kRegistryRecords, LogKeys{""}, "_RegString", &sameRegistryLocation, "registry"};

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
// Windows runs each subkey's commands once, then deletes the subkey.
constexpr std::string_view kMachineRunOnceEx =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
constexpr std::string_view kMachineRunOnceEx32 =
    "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
constexpr std::string_view kMachinePolicyRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
constexpr std::string_view kUserPolicyRun =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

// Registry > All Users (Run, RunOnce, RunServices, RunServicesOnce) and
// Current User (Run, RunOnce); an inner node lists its children's keys. A
// Run or RunOnce node lists the classic key first, so Add writes there;
// RunOnceEx, whose entries live in subkeys, never takes a new one.
std::vector<CategoryNode> registryNodes() {
  return {
      {0, "_TreeRegistry", -1, 3, {},
       {kMachineRun, kMachineRun32, kMachinePolicyRun, kMachineRunOnce, kMachineRunOnce32, kMachineRunOnceEx,
        kMachineRunOnceEx32, kMachineRunServices, kMachineRunServicesOnce, kUserRun, kUserPolicyRun, kUserRunOnce}},
      {1, "_AllUser", 0, 4, {},
       {kMachineRun, kMachineRun32, kMachinePolicyRun, kMachineRunOnce, kMachineRunOnce32, kMachineRunOnceEx,
        kMachineRunOnceEx32, kMachineRunServices, kMachineRunServicesOnce}},
      {2, "_Run", 1, 2, {}, {kMachineRun, kMachineRun32, kMachinePolicyRun}},
      {3, "_RunOnce", 1, 2, {}, {kMachineRunOnce, kMachineRunOnce32, kMachineRunOnceEx, kMachineRunOnceEx32}},
      {4, "_RunService", 1, 2, {}, {kMachineRunServices}},
      {5, "_RunServiceOnce", 1, 2, {}, {kMachineRunServicesOnce}},
      {6, "_CurrentUser", 0, 5, {}, {kUserRun, kUserPolicyRun, kUserRunOnce}},
      {7, "_Run", 6, 2, {}, {kUserRun, kUserPolicyRun}},
      {8, "_RunOnce", 6, 2, {}, {kUserRunOnce}},
  };
}

// What each key an Add can go to is, for the Add dialog's drop-down.
std::string_view placeLabelKey(const std::string& key) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {kMachineRun, "_PlaceRunAllUsers"},
      {kMachineRun32, "_PlaceRun32AllUsers"},
      {kMachinePolicyRun, "_PlacePolicyRunAllUsers"},
      {kMachineRunOnce, "_PlaceRunOnceAllUsers"},
      {kMachineRunOnce32, "_PlaceRunOnce32AllUsers"},
      {kMachineRunServices, "_PlaceRunServices"},
      {kMachineRunServicesOnce, "_PlaceRunServicesOnce"},
      {kUserRun, "_PlaceRunCurrentUser"},
      {kUserPolicyRun, "_PlacePolicyRunCurrentUser"},
      {kUserRunOnce, "_PlaceRunOnceCurrentUser"},
  };
  for (const auto& [path, name] : kNames) {
    if (equalsIgnoreCase(key, path)) return name;
  }
  return {};
}

// The four Explorer policies that stop Windows from running a place's
// entries at logon, each set machine-wide or for the user.
struct RunPolicy {
  std::string_view value;
  std::string_view reason;
  std::vector<std::string_view> keys;
};

const std::vector<RunPolicy>& runPolicies() {
  static const std::vector<RunPolicy> kPolicies = {
      {"DisableLocalMachineRun", "_StatusPolicyDisableLocalMachineRun", {kMachineRun, kMachineRun32}},
      {"DisableLocalMachineRunOnce", "_StatusPolicyDisableLocalMachineRunOnce", {kMachineRunOnce, kMachineRunOnce32}},
      {"DisableCurrentUserRun", "_StatusPolicyDisableCurrentUserRun", {kUserRun}},
      {"DisableCurrentUserRunOnce", "_StatusPolicyDisableCurrentUserRunOnce", {kUserRunOnce}},
  };
  return kPolicies;
}

// A DWORD policy value other than 0 is set.
bool policySet(RegistryPort& registry, RootKey root, std::string_view name) {
  RegValue value;
  if (registry.queryValue(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                          std::string(name), value) != RegStatus::Ok) {
    return false;
  }
  return value.type == 4 && value.bytes.size() == 4 &&
         std::any_of(value.bytes.begin(), value.bytes.end(), [](std::uint8_t b) { return b != 0; });
}

}  // namespace

std::vector<std::string_view> RegistryFamily::blockedKeys() {
  std::vector<std::string_view> reasons(keyPaths_.size());
  for (const RunPolicy& policy : runPolicies()) {
    bool read = false;
    bool set = false;
    for (std::size_t i = 0; i < keyPaths_.size(); ++i) {
      const bool governed = std::any_of(policy.keys.begin(), policy.keys.end(),
                                        [&](std::string_view key) { return equalsIgnoreCase(key, keyPaths_[i]); });
      if (!governed) continue;
      // Read only for a pane that lists a key the policy governs.
      if (!read) set = policySet(registry_, RootKey::LocalMachine, policy.value) ||
                       policySet(registry_, RootKey::CurrentUser, policy.value);
      read = true;
      if (set) reasons[i] = policy.reason;
    }
  }
  return reasons;
}

bool isRunOnceKey(std::string_view path) {
  return equalsIgnoreCase(path, kMachineRunOnce) || equalsIgnoreCase(path, kMachineRunOnce32) ||
         equalsIgnoreCase(path, kUserRunOnce) || sameRegistryLocation(path, kMachineRunOnceEx) ||
         sameRegistryLocation(path, kMachineRunOnceEx32);
}

bool isRunOnceExKey(std::string_view path) {
  return equalsIgnoreCase(path, kMachineRunOnceEx) || equalsIgnoreCase(path, kMachineRunOnceEx32);
}

// The history and config.xml are edited by hand at times: a path they name
// is taken only when it is, whole, one of the pane's places.
bool sameRegistryLocation(std::string_view path, std::string_view location) {
  if (!isRunOnceExKey(location)) return equalsIgnoreCase(path, location);
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) return false;
  const std::string_view group = path.substr(cut + 1);
  return !group.empty() && group != "." && group != ".." && equalsIgnoreCase(path.substr(0, cut), location);
}

FamilyDescriptor registryFamily(RegistryPort& registry, const FamilyContext& context) {
  return FamilyDescriptor{
      "registry",
      kRegistryTraits,
      registryNodes(),
      {{5, 1}, {8, 6}, {8, 0}},
      [](const std::vector<std::string_view>& paths) {
        return normaliseKeyPaths(std::vector<std::string>(paths.begin(), paths.end()));
      },
      [&registry, &context](std::vector<std::string> locations) -> std::unique_ptr<EntryFamily> {
        return std::make_unique<RegistryFamily>(std::move(locations), registry, context);
      }};
}

RegistryFamily::RegistryFamily(std::vector<std::string> keyPaths, RegistryPort& registry, const FamilyContext& context)
    : keyPaths_(normaliseKeyPaths(keyPaths)),
      registry_(registry),
      support_(context, kRegistryTraits),
      flags_(registry, support_) {}

// ---------------------------------------------------------------------------
// Listing

std::vector<Row> RegistryFamily::list() {
  // Looked up once: the language table reads its file on every lookup.
  const std::string type = support_.typeText();
  const std::string expandType = support_.translator().translate("_RegExpandString");
  const auto typeText = [&](std::uint32_t t) -> const std::string& { return t == kRegExpandSz ? expandType : type; };
  // One read of config.xml serves every key.
  const std::vector<StoredItem> items = support_.recordsForListing();

  // Each flag key is read once for the whole listing.
  OffFlags offFlags(registry_);

  // The records by key, found once: a listing of every key would otherwise
  // compare every record with every key.
  std::unordered_map<std::string, std::vector<const StoredItem*>> recordsByKey;
  for (const StoredItem& s : items) recordsByKey[foldedIgnoreCase(s.item.path)].push_back(&s);
  const std::vector<const StoredItem*> noRecords;

  std::vector<Row> rows;
  std::string onceExType;
  for (const std::string& path : keyPaths_) {
    const auto key = splitKeyPath(path);
    if (!key) continue;
    if (isRunOnceExKey(path)) {
      if (onceExType.empty()) onceExType = support_.translator().translate("_RegRunOnceEx");
      listRunOnceEx(path, *key, items, onceExType, rows);
      continue;
    }
    // The key's disabled entries first, under the pane's spelling of the path.
    const auto own = recordsByKey.find(foldedIgnoreCase(path));
    for (const StoredItem* record : own != recordsByKey.end() ? own->second : noRecords) {
      const StoredItem& s = *record;
      Row row{s.item.valuename, typeText(typeOfRecord(s.item)), s.item.valuedata, path, RowState::Disabled};
      row.origin = RowOrigin::Record;
      row.notTrusted = support_.verdict(s.adminOnly, path) != TrustVerdict::Act;
      rows.push_back(std::move(row));
    }

    // Then its live string values, in the registry's order. A key that is
    // missing or may not be read lists nothing.
    std::vector<RegValue> values;
    if (registry_.enumerateValues(key->root, key->subkey, values) != RegStatus::Ok) continue;
    const auto flagKey = flagKeyOfRunKey(path);
    // Any write of a value moves the key's time: an entry is at least as
    // old as it says, never older.
    std::string written;
    if (registry_.keyWritten(key->root, key->subkey, written) != RegStatus::Ok) written.clear();
    const std::int64_t writtenOrder = utcOrder(written);
    for (RegValue& v : values) {
      if (!isListedType(v.type)) continue;
      const bool off = flagKey && offFlags.isOff(*flagKey, v.name);
      Row row{std::move(v.name), typeText(v.type), std::move(v.text), path, RowState::Live};
      row.writtenAt = writtenOrder;
      row.writtenAtShared = !written.empty();
      if (off) {
        // It does not start, so its box is clear.
        row.state = RowState::Disabled;
        row.origin = RowOrigin::OffInWindows;
      }
      rows.push_back(std::move(row));
    }
  }
  // Why Windows will not run a key's entries at logon, or runs them only
  // once: the policies that govern it are read once per listing. Windows NT
  // and later never run RunServices and RunServicesOnce.
  const std::vector<std::string_view> blocked = blockedKeys();
  support_.describeRows(
      rows, keyPaths_, [](const Row& row) { return row.data; },
      [this, &blocked, known = std::map<std::string, std::string_view>{}](const Row& row) mutable -> std::string_view {
        // Asked for every row; the rows of a key share its path, and so
        // its answer.
        auto found = known.find(row.path);
        if (found != known.end()) return found->second;
        std::string_view reason;
        const std::string upper = asciiUpper(row.path);
        if (endsWith(upper, "\\RUNSERVICES") || endsWith(upper, "\\RUNSERVICESONCE")) {
          reason = "_StatusLegacy";
        } else {
          for (std::size_t i = 0; i < keyPaths_.size() && reason.empty(); ++i) {
            if (!blocked[i].empty() && sameRegistryLocation(row.path, keyPaths_[i])) reason = blocked[i];
          }
          if (reason.empty() && isRunOnceKey(row.path)) reason = "_StatusRunsOnce";
        }
        return known.emplace(row.path, reason).first->second;
      });
  return rows;
}

// RunOnceEx is normally missing or holds a group or two: one read of its
// subkeys' names, then one of each group's values.
void RegistryFamily::listRunOnceEx(const std::string& path, const KeyPath& key, const std::vector<StoredItem>& items,
                                   const std::string& type, std::vector<Row>& rows) {
  // The records first, each under its own group, which Windows may have
  // deleted meanwhile.
  for (const StoredItem& s : items) {
    if (!sameRegistryLocation(s.item.path, path)) continue;
    const std::string group = s.item.path.substr(s.item.path.rfind('\\') + 1);
    Row row{s.item.valuename, type, s.item.valuedata, path + "\\" + group, RowState::Disabled};
    row.origin = RowOrigin::Record;
    row.notTrusted = support_.verdict(s.adminOnly, path) != TrustVerdict::Act;
    rows.push_back(std::move(row));
  }
  std::vector<std::string> groups;
  if (registry_.enumerateSubkeys(key.root, key.subkey, groups) != RegStatus::Ok) return;
  for (const std::string& group : groups) {
    // A group that may not be read lists nothing, as a Run key would.
    std::vector<RegValue> values;
    if (registry_.enumerateValues(key.root, key.subkey + "\\" + group, values) != RegStatus::Ok) continue;
    for (const RegValue& v : values) {
      // The unnamed value is the group's title, not a command.
      if (v.name.empty() || !isListedType(v.type)) continue;
      rows.push_back(Row{v.name, type, v.text, path + "\\" + group, RowState::Live});
    }
  }
}

// ---------------------------------------------------------------------------
// Dialogs and Open Location

EntryDialogData RegistryFamily::dialogData(const EntryRef& entry) const {
  EntryDialogData data = support_.dialogData(entry);
  const std::size_t cut = entry.location.rfind('\\');
  if (cut != std::string::npos && isRunOnceExKey(std::string_view(entry.location).substr(0, cut))) {
    data.typeText = support_.translator().translate("_RegRunOnceEx");
  }
  return data;
}

std::vector<std::string> RegistryFamily::addKeys() const {
  std::vector<std::string> keys;
  for (const std::string& p : keyPaths_) {
    if (!isRunOnceExKey(p)) keys.push_back(p);
  }
  return keys;
}

OperationResult RegistryFamily::prepareAdd(EntryDialogData& data) {
  const std::vector<std::string> keys = addKeys();
  if (keys.empty()) return {};
  // The current user's key first: it needs no administrator.
  data = support_.addDialogData(keys, FamilySupport::currentUsersPlace(keys), placeLabelKey);
  // Offered beside every other family's places, the current user's Run key
  // is the one chosen at first.
  for (EntryPlace& p : data.places) p.usual = equalsIgnoreCase(p.location, kUserRun);
  return OperationResult{Outcome::Done, {}, {}, {}};
}

OperationResult RegistryFamily::openLocation(const EntryRef& entry) {
  OperationResult result = support_.runWithoutQuestions([&] { support_.openRegistryKey(entry.location); });
  // It changes nothing: it worked unless it had to say why not.
  result.outcome = result.messages.empty() ? Outcome::Done : Outcome::Failed;
  return result;
}

// ---------------------------------------------------------------------------
// Steps the operations share

std::uint32_t RegistryFamily::recordType(const EntryRef& entry) {
  const auto record = support_.findRecord(support_.recordsForListing(), recordOf(entry));
  return record ? typeOfRecord(record->item) : kRegSz;
}

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

void RegistryFamily::keepReplaced(Change& c, const std::optional<RegValue>& replaced) {
  if (!replaced || !isListedType(replaced->type)) return;
  c.extra["replaceddata"] = replaced->text;
  c.extra["replacedtype"] = historyTypeName(replaced->type);
}

}  // namespace velmora
