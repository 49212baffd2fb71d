#include "core/trust.h"

#include <algorithm>

#include "core/text.h"

namespace velmora {

TrustVerdict trustVerdict(DataScope data, PlaceScope place, bool elevated) {
  if (place == PlaceScope::User || data == DataScope::AdminOnly) return TrustVerdict::Act;
  return elevated ? TrustVerdict::Refuse : TrustVerdict::ListOnly;
}

const std::vector<std::string>& wellKnownAdministrators() {
  static const std::vector<std::string> sids{
      "S-1-5-32-544",  // BUILTIN\Administrators
      "S-1-5-18",      // SYSTEM
      // NT SERVICE\TrustedInstaller, owner of Windows' own folders.
      "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
  };
  return sids;
}

namespace {

// CREATOR OWNER and OWNER RIGHTS: whatever they grant, they grant the owner.
bool grantsTheOwner(std::string_view sid) { return sid == "S-1-3-0" || sid == "S-1-3-4"; }

bool among(const std::vector<std::string>& sids, std::string_view sid) {
  return std::any_of(sids.begin(), sids.end(), [&](const std::string& s) { return equalsIgnoreCase(s, sid); });
}

}  // namespace

RightsVerdict judgeRights(const SecurityInfo& info, const std::vector<std::string>& administrators) {
  if (!among(administrators, info.owner)) return RightsVerdict::OwnerNotAdministrator;
  if (!info.hasDacl) return RightsVerdict::UsersMayWrite;
  for (const AccessEntry& e : info.entries) {
    // A deny entry only takes away; an allow entry that grants no change
    // (read, list, run) lets nobody write.
    if (!e.allow || (e.mask & kWriteRights) == 0 || grantsTheOwner(e.sid)) continue;
    if (!among(administrators, e.sid)) return RightsVerdict::UsersMayWrite;
  }
  return RightsVerdict::AdminOnly;
}

PlaceScope Trust::placeOf(std::string_view location) const {
  return places_.isUserPlace(location) ? PlaceScope::User : PlaceScope::Machine;
}

bool Trust::isCurrentAccount(std::string_view name) const {
  if (name.empty()) return false;
  return among(accounts_, name);
}

}  // namespace velmora
