#pragma once
// The Run-type registry keys: every REG_SZ and REG_EXPAND_SZ value of a key is
// one startup entry (value name = entry name, text = command line as stored,
// unexpanded). A disabled entry is a disabledregistryitem record in
// config.xml until it is enabled again; the record of an expandable value
// says so (valuetype="REG_EXPAND_SZ"), so Enable writes it back with its type.
// Values of other types are neither listed nor touched.
//
// RunOnceEx keeps its entries one level down, in groups (subkeys): they are
// listed, disabled and changed as the values of a Run key that is the group,
// without Windows' flags, which do not apply to them.
//
// A value that Windows' own startup settings turned off
// (startupflags/startup_flags.h) is listed unchecked where it is; Enable
// turns its flag on in place. Enable of a record also turns on a flag that
// says off, Remove deletes the flag with the value, and a rename takes the
// flag along.
//
// Every operation that moves an entry checks each step before the next and
// takes back what it did when a later step fails (family/transaction.h): an
// entry is never left in neither place, a failure is always told to the
// user, and the result holds only changes that were really made.
//
// The code is split by operation: registry_family.cpp (descriptor, listing,
// the steps the operations share), registry_change.cpp (Remove, Enable,
// Disable), registry_edit.cpp (Add, Modify), registry_undo.cpp (Undo).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/locations.h"
#include "core/registry_port.h"
#include "family/entry_family.h"
#include "family/families.h"
#include "family/family_support.h"
#include "startupflags/startup_flags.h"

namespace velmora {

class Transaction;

inline constexpr RecordKind kRegistryRecords{"disabledregistryitem"};
extern const FamilyTraits kRegistryTraits;
// The record attribute of an expandable value; no attribute means REG_SZ.
inline constexpr std::string_view kExpandTypeName = "REG_EXPAND_SZ";

// Whether a command line refers to an environment variable (%NAME%), so that
// it needs REG_EXPAND_SZ to start.
bool holdsEnvironmentReference(std::string_view text);

// Whether `path` is a RunOnceEx key: each of its direct subkeys is a group
// of commands Windows runs once at the next logon, each named string value
// of the group one entry (the group's default value is its title).
bool isRunOnceExKey(std::string_view path);
// Whether Windows runs a key's entries once at the next logon, then deletes
// them (RunOnce, and a RunOnceEx group).
bool isRunOnceKey(std::string_view path);
// Whether a record's or a change's path names `location`: the same key, or,
// for a RunOnceEx location, one of its direct subkeys (never RunOnceEx
// itself, a deeper key or a "." or ".." name).
bool sameRegistryLocation(std::string_view path, std::string_view location);

// The family's descriptor: it lists and changes values through `registry`.
FamilyDescriptor registryFamily(RegistryPort& registry, const FamilyContext& context);

class RegistryFamily : public EntryFamily {
 public:
  // `keyPaths` are full key paths ("HKEY_CURRENT_USER\Software\...\Run"), in
  // the order they are listed; new entries go into the first that is not
  // RunOnceEx. A RunOnceEx key lists its subkeys' entries, each under its
  // subkey's path.
  RegistryFamily(std::vector<std::string> keyPaths, RegistryPort& registry, const FamilyContext& context);

  const std::vector<std::string>& keyPaths() const { return keyPaths_; }

  const FamilyTraits& traits() const override { return kRegistryTraits; }
  // At 96 DPI; Type fits "Registry value (expandable)" in every shipped language.
  int typeColumnWidth() const override { return 190; }
  std::vector<Row> list() override;
  void describe(Row& row) override { support_.describe(row); }
  EntryDialogData dialogData(const EntryRef& entry) const override;
  // Failed, quietly, when the pane lists no key to add to.
  OperationResult prepareAdd(EntryDialogData& data) override;

  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  // Writes into the first key, whatever the dialog showed.
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  OperationResult openLocation(const EntryRef& entry) override;

 private:
  // The entries of a RunOnceEx key's groups (`path` is the key), with
  // `type` as their type text: the records first, then each group's values.
  void listRunOnceEx(const std::string& path, const KeyPath& key, const std::vector<StoredItem>& items,
                     const std::string& type, std::vector<Row>& rows);
  // For each of keyPaths_, the reason key of the Explorer policy that stops
  // Windows from running its entries; empty where none does.
  std::vector<std::string_view> blockedKeys();
  // The keys Add may write to: every one that is not RunOnceEx.
  std::vector<std::string> addKeys() const;

  // --- The operations' steps, run inside support_.run ----------------------
  // They never call the public operations: a nested run would drop what the
  // running one has gathered.
  void removeEntry(const EntryRef& entry);
  void addEntry(const EntryDialogData& fields);
  void modifyEntry(const EntryRef& entry, const EntryDialogData& fields);
  // True when the entry moved.
  bool enableEntry(const EntryRef& entry);
  bool disableEntry(const EntryRef& entry);
  bool reverse(const Change& c);

  // Deletes a live value that is still as listed; `type` is then its type.
  // `flag` gets Windows' flag of the value that went with it, if any.
  Outcome removeLive(const EntryRef& entry, std::uint32_t& type, std::optional<RegValue>& flag);
  // Enable of a live value that Windows' settings turned off: its flag is
  // turned on; the value and config.xml stay as they are.
  bool turnOnInWindows(const KeyPath& key, const EntryRef& entry);
  // True when the live value is still the text the entry has, with `type`
  // its type (REG_SZ or REG_EXPAND_SZ); otherwise false after telling the
  // user (`changedKey` when another program changed or removed it).
  bool stillAsListed(const KeyPath& key, const EntryRef& entry, const char* changedKey, std::uint32_t& type);
  // Renames and rewrites a live value. Its type stays unless the new text
  // needs REG_EXPAND_SZ, or `forcedType` says what it is to be (an Undo);
  // on Done `types` holds the old and the new type, and `replaced` the
  // listed value of the new name that the rename wrote over, if any.
  Outcome modifyLive(const EntryRef& old, const std::string& newName, const std::string& newData,
                     std::optional<std::uint32_t> forcedType, std::pair<std::uint32_t, std::uint32_t>& types,
                     std::optional<RegValue>& replaced);
  // The type of the record a disabled entry stands for (REG_SZ when none).
  std::uint32_t recordType(const EntryRef& entry);

  // Undo, one kind of change each; `c` is the change being reversed.
  bool putBack(const Change& c);
  bool takeBackAdded(const Change& c);
  bool modifyBack(const Change& c);
  // True when the live value is as `state` says (name, text, type);
  // otherwise false after telling the user what differs.
  bool liveValueIs(const KeyPath& key, const EntryState& state);
  // True when a record as `state` says is kept for `location`; otherwise
  // false after telling the user.
  bool recordIs(const std::string& location, const EntryState& state, std::optional<StoredItem>* found = nullptr);

  // The value's current state, or nullopt when there is none (or it cannot
  // be read: the write that follows then reports the problem).
  std::optional<RegValue> existingValue(const KeyPath& key, const std::string& name);
  // Asks before an existing value of another entry is replaced. True when
  // there is nothing to replace, the value already holds `data` with `type`,
  // or the user agreed.
  bool mayReplace(const std::string& path, const std::string& name, const std::string& data, std::uint32_t type,
                  const std::optional<RegValue>& existing);
  // Writes a value, creating the key when needed; after it worked, `tx`
  // knows how to put back what was there before. Failed after telling why not.
  Outcome write(Transaction& tx, const KeyPath& key, const std::string& path, const std::string& name,
                const std::string& data, std::uint32_t type, const std::optional<RegValue>& before);
  // Puts a value back as it was before we wrote it: deleted when it did not
  // exist, its old text or bytes and its type otherwise. False when it
  // could not.
  bool restoreValue(const KeyPath& key, const std::string& name, const std::optional<RegValue>& before);

  // Keeps a value that a change replaced in `c`, so Undo can write it back.
  static void keepReplaced(Change& c, const std::optional<RegValue>& replaced);
  // Writes back the value a change replaced, if it kept one: logged as an
  // Add, kept in the history only as part of the Undo.
  bool restoreReplaced(const Change& c, const std::string& name);

  std::vector<std::string> keyPaths_;
  RegistryPort& registry_;
  FamilySupport support_;
  StartupFlagSteps flags_;
};

}  // namespace velmora
