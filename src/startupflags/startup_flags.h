#pragma once
// Windows' own on/off switch of a startup entry. Task Manager and Settings
// turn an entry off without moving it: a value named after the entry under
// ...\Explorer\StartupApproved\{Run, Run32, StartupFolder}, in HKCU or HKLM.
// Only the classic Run keys (with the 32-bit programs' one) and the two
// startup folders have such a flag; Windows consults none for RunOnce, the
// policy keys or the program lists. Flags are read for every listing and
// every change, never kept.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_port.h"
#include "family/change.h"
#include "family/family_support.h"

namespace velmora {

class Transaction;

// The key that holds the flags of one location.
struct FlagKey {
  RootKey root;
  std::string subkey;
  // "HKEY_...\subkey", for messages.
  std::string path() const;
  bool operator==(const FlagKey&) const = default;
};

// The flag key of a Run-type key (a full key path), or nothing for a key
// whose entries Windows keeps no flags for.
std::optional<FlagKey> flagKeyOfRunKey(std::string_view keyPath);
// The flag key of the All Users (`allUsers`) or the Current User startup
// folder; a file's flag is named after the file, extension included.
FlagKey startupFolderFlagKey(bool allUsers);

// Whether a flag's data turns its entry off: at least four bytes, the first
// odd. A short value, an even first byte or no value at all leave it on.
bool flagSaysOff(const std::vector<std::uint8_t>& data);
// What Windows writes when it turns an entry on: 02 and eleven zeros.
const std::vector<std::uint8_t>& flagOnBytes();

// A flag as the change history keeps it: empty for no value, otherwise its
// type, a colon and its bytes in hexadecimal ("3:030000...").
std::string flagText(const std::optional<RegValue>& flag);
// The flag of `name` that flagText wrote; nothing for an empty or unreadable
// text (an unreadable one also clears `ok`).
std::optional<RegValue> flagFromText(std::string_view text, const std::string& name, bool* ok = nullptr);
// Whether the flags a change keeps ("flagbefore", "flagafter"), if any, read
// back: a change with one that does not is not undone.
bool flagsReadable(const Change& change);

// The entries one listing finds turned off. Each key is read once, however
// many rows ask; a key that cannot be read turns nothing off.
class OffFlags {
 public:
  explicit OffFlags(RegistryPort& registry) : registry_(registry) {}
  bool isOff(const FlagKey& key, const std::string& name);

 private:
  using Names = std::set<std::u16string>;
  RegistryPort& registry_;
  // Per key, the names whose flag says off, upper-cased as Windows compares them.
  std::map<std::pair<RootKey, std::u16string>, Names> keys_;
  // The key asked last: rows ask key by key, and most keys turn nothing off.
  std::optional<FlagKey> lastKey_;
  const Names* lastNames_ = nullptr;
};

// The flag steps of a change. Each records in the change's transaction how
// to put the flag back as it was (its exact type and bytes, or no value);
// on failure it fails the transaction, which tells the user, and returns
// Failed. Done also when there was nothing to do.
class StartupFlagSteps {
 public:
  StartupFlagSteps(RegistryPort& registry, const FamilySupport& support) : registry_(registry), support_(support) {}

  // Writes the "on" flag, whatever is there now; `was`, when given, gets
  // the flag as it was.
  Outcome turnOn(Transaction& tx, const FlagKey& key, const std::string& name,
                 std::optional<RegValue>* was = nullptr);
  // Writes the "on" flag only when the present one says off.
  Outcome turnOnIfOff(Transaction& tx, const FlagKey& key, const std::string& name);
  // Deletes the flag, which would otherwise stay behind its entry; `was`,
  // when given, gets the flag as it was.
  Outcome drop(Transaction& tx, const FlagKey& key, const std::string& name, std::optional<RegValue>* was = nullptr);
  // Writes `wanted` (nothing: no value) in place of the flag, but only
  // while it is `expected`: Stale, without a word, when it is not.
  Outcome replace(Transaction& tx, const FlagKey& key, const std::string& name,
                  const std::optional<RegValue>& expected, const std::optional<RegValue>& wanted);

  // The history's record of a flag change of the live entry `entry` at
  // `location`, from `before` to `after`.
  Change change(const std::string& location, const EntryState& entry, const std::optional<RegValue>& before,
                const std::optional<RegValue>& after) const;
  // Undoes a flag change (change_kind::kFlag) of the entry named `name`:
  // the flag goes back to what it was, if it is still what the change left,
  // and the operation has made the flag change that reverses it. False,
  // after telling the user, when nothing was changed.
  bool undo(const Change& c, const FlagKey& key, const std::string& name);
  // The entry got a new name: its flag (or the lack of one) goes with it,
  // replacing whatever flag the new name had.
  Outcome move(Transaction& tx, const FlagKey& key, const std::string& from, const std::string& to);

 private:
  // The flag as it is now (nothing: no value). False after failing `tx`
  // when it cannot be read.
  bool read(Transaction& tx, const FlagKey& key, const std::string& name, std::optional<RegValue>& now);
  Outcome write(Transaction& tx, const FlagKey& key, const std::string& name, const std::optional<RegValue>& now,
                const std::optional<RegValue>& wanted);
  bool restore(const FlagKey& key, const std::string& name, const std::optional<RegValue>& value);
  Outcome failed(Transaction& tx, const FlagKey& key, const std::string& name);

  RegistryPort& registry_;
  const FamilySupport& support_;
};

}  // namespace velmora
