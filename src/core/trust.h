#pragma once
// Whom Velmora may believe. Velmora changes what every user's logon runs,
// so a Velmora with administrator rights is a door: whatever it reads and
// then acts on in a place of all users must be something only an
// administrator could have written. This is the one place that says so.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace velmora {

// Who can write the data a record, a history entry or a kept copy was read
// from: only administrators (the machine's data folder, a folder whose
// rights pass `judgeRights`), or the user and any program he runs (his own
// folders, a portable copy in his Downloads).
enum class DataScope { UserWritable, AdminOnly };

// Whose logon a place belongs to: the current user's (HKEY_CURRENT_USER,
// his startup folder, his own tasks) or every user's (HKEY_LOCAL_MACHINE,
// the All Users startup folder, tasks of other accounts or of the system,
// Winlogon and RunOnceEx).
enum class PlaceScope { User, Machine };

// What Velmora does with data that names a place:
enum class TrustVerdict {
  // Lists it and acts on it.
  Act,
  // Lists it as not trusted and acts on it in no way; Velmora runs with the
  // user's own rights, and the same Velmora as administrator would refuse
  // it, so starting again as administrator is not offered for it.
  ListOnly,
  // Lists it as not trusted and refuses to act on it: Velmora has
  // administrator rights, which anything the user's programs wrote could
  // otherwise borrow.
  Refuse,
};

// The rule: a place of the user's own is acted on from any data; a place of
// all users only from data only administrators can write.
TrustVerdict trustVerdict(DataScope data, PlaceScope place, bool elevated);

// --- Folder rights ---------------------------------------------------------

// One entry of a folder's or file's access list, as Windows keeps it.
struct AccessEntry {
  bool allow = true;
  // Applies only to what is created inside, not to the folder itself
  // (INHERIT_ONLY_ACE); it still decides who may write the files made there.
  bool inheritOnly = false;
  std::uint32_t mask = 0;
  std::string sid;  // "S-1-5-32-544"
};

struct SecurityInfo {
  std::string owner;  // the owner's SID
  // False: no access list at all, which lets everyone do everything.
  bool hasDacl = true;
  std::vector<AccessEntry> entries;
};

enum class RightsVerdict {
  AdminOnly,
  // The owner may change the rights at will.
  OwnerNotAdministrator,
  // An entry lets someone who is not an administrator write, delete,
  // create or change the rights.
  UsersMayWrite,
};

// SIDs that are administrators whatever the machine: BUILTIN\Administrators,
// SYSTEM, TrustedInstaller.
const std::vector<std::string>& wellKnownAdministrators();

// Whether only administrators can change what `info` protects.
// `administrators`: the SIDs that count as administrators (the well-known
// ones, and the current account when it never runs without administrator
// rights). CREATOR OWNER and OWNER RIGHTS entries grant the owner, who is
// judged as the owner.
RightsVerdict judgeRights(const SecurityInfo& info, const std::vector<std::string>& administrators);

// The access rights that let their holder change a file or folder or what
// is in it (write, append, create, delete, extended attributes, rights,
// owner, and the generic ones that include them).
inline constexpr std::uint32_t kWriteRights = 0x00000002u | 0x00000004u | 0x00000010u | 0x00000040u |
                                              0x00010000u | 0x00040000u | 0x00080000u | 0x10000000u |
                                              0x40000000u | 0x02000000u;

// --- The rule in use ---------------------------------------------------------

// What the running Velmora knows to apply the rule: whether it has
// administrator rights, whose places are the user's own, and the names the
// current account goes by (its SID, "DOMAIN\name", "name"), which a task's
// principal may use.
class Trust {
 public:
  Trust() = default;
  Trust(bool elevated, DataPlaces places, std::vector<std::string> accounts)
      : elevated_(elevated), places_(std::move(places)), accounts_(std::move(accounts)) {}

  [[nodiscard]] bool elevated() const { return elevated_; }
  [[nodiscard]] const DataPlaces& places() const { return places_; }
  // A registry key or value, or a folder, by its path.
  [[nodiscard]] PlaceScope placeOf(std::string_view location) const;
  // A name a task's principal gives (a SID or an account name, any case).
  [[nodiscard]] bool isCurrentAccount(std::string_view name) const;
  [[nodiscard]] TrustVerdict verdict(DataScope data, PlaceScope place) const {
    return trustVerdict(data, place, elevated_);
  }
  [[nodiscard]] TrustVerdict verdict(DataScope data, std::string_view location) const {
    return verdict(data, placeOf(location));
  }

 private:
  bool elevated_ = false;
  DataPlaces places_;
  std::vector<std::string> accounts_;
};

}  // namespace velmora
