// Whom Velmora believes: the trust rule (scope of the data x scope of the
// place x administrator rights) and the judgement of a folder's rights.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/trust.h"

namespace velmora::testing {
namespace {

TEST(Trust, ThePlaceOfAllUsersIsActedOnOnlyFromDataOnlyAdministratorsWrite) {
  struct Case {
    DataScope data;
    PlaceScope place;
    bool elevated;
    TrustVerdict verdict;
  };
  using D = DataScope;
  using P = PlaceScope;
  using V = TrustVerdict;
  for (const Case& c : std::vector<Case>{
           // The user's own places: whatever wrote the data, acting on it
           // gives nobody more than the user has.
           {D::UserWritable, P::User, false, V::Act},
           {D::UserWritable, P::User, true, V::Act},
           {D::AdminOnly, P::User, false, V::Act},
           {D::AdminOnly, P::User, true, V::Act},
           // Places of all users from administrators' data.
           {D::AdminOnly, P::Machine, false, V::Act},
           {D::AdminOnly, P::Machine, true, V::Act},
           // From the user's data: listed, never acted on; with rights it is
           // a refusal, without them starting again as administrator would
           // not help either.
           {D::UserWritable, P::Machine, false, V::ListOnly},
           {D::UserWritable, P::Machine, true, V::Refuse},
       }) {
    EXPECT_EQ(trustVerdict(c.data, c.place, c.elevated), c.verdict)
        << "data " << static_cast<int>(c.data) << ", place " << static_cast<int>(c.place) << ", elevated "
        << c.elevated;
  }
}

TEST(Trust, PlacesOfTheUserAreHisKeysAndFolders) {
  DataPlaces places;
  places.userRoots = {"HKEY_CURRENT_USER", "C:\\Users\\Ann"};
  const Trust trust(true, places, {"S-1-5-21-1-2-3-1001", "PC\\Ann", "Ann"});
  EXPECT_EQ(trust.placeOf("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"), PlaceScope::User);
  EXPECT_EQ(trust.placeOf("C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"),
            PlaceScope::User);
  EXPECT_EQ(trust.placeOf("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
            PlaceScope::Machine);
  EXPECT_EQ(trust.placeOf("\\Microsoft\\Windows\\Defrag"), PlaceScope::Machine) << "a task path is no user's folder";
  EXPECT_EQ(trust.verdict(DataScope::UserWritable, "HKEY_LOCAL_MACHINE\\Software\\Run"), TrustVerdict::Refuse);
  EXPECT_TRUE(trust.isCurrentAccount("pc\\ann"));
  EXPECT_TRUE(trust.isCurrentAccount("S-1-5-21-1-2-3-1001"));
  EXPECT_FALSE(trust.isCurrentAccount("S-1-5-18"));
  EXPECT_FALSE(trust.isCurrentAccount(""));
}

TEST(Trust, AFolderIsTheAdministratorsOnlyWhenNobodyElseMayChangeIt) {
  const std::string admins = "S-1-5-32-544", system = "S-1-5-18", users = "S-1-5-32-545", everyone = "S-1-1-0";
  const std::string ann = "S-1-5-21-1-2-3-1001", creatorOwner = "S-1-3-0";
  constexpr std::uint32_t kFull = 0x1F01FF, kReadRun = 0x1200A9;
  // What the installer and an elevated Velmora set: administrators and
  // SYSTEM full control, users read, nothing inherited.
  const std::vector<AccessEntry> made{{true, false, kFull, admins}, {true, false, kFull, system},
                                      {true, false, kReadRun, users}};
  std::vector<std::string> administrators = wellKnownAdministrators();
  struct Case {
    const char* what;
    SecurityInfo info;
    RightsVerdict verdict;
  };
  for (const Case& c : std::vector<Case>{
           {"as made", {admins, true, made}, RightsVerdict::AdminOnly},
           {"owned by SYSTEM", {system, true, made}, RightsVerdict::AdminOnly},
           {"made by a user first", {ann, true, made}, RightsVerdict::OwnerNotAdministrator},
           {"no access list", {admins, false, {}}, RightsVerdict::UsersMayWrite},
           {"ProgramData's inherited rights: users may add files",
            {admins, true, {{true, false, kFull, admins}, {true, false, 0x116, users}}},
            RightsVerdict::UsersMayWrite},
           {"only for what is made inside, still a way in",
            {admins, true, {{true, true, 0x2, everyone}}},
            RightsVerdict::UsersMayWrite},
           {"the creator of a file owns it: judged by whoever may create",
            {admins, true, {{true, true, kFull, creatorOwner}, {true, false, kReadRun, users}}},
            RightsVerdict::AdminOnly},
           {"a user may change the rights", {admins, true, {{true, false, 0x40000, ann}}}, RightsVerdict::UsersMayWrite},
           {"a user may delete it", {admins, true, {{true, false, 0x10000, users}}}, RightsVerdict::UsersMayWrite},
           {"generic write", {admins, true, {{true, false, 0x40000000, everyone}}}, RightsVerdict::UsersMayWrite},
           {"denied writes take nothing away from the verdict",
            {admins, true, {{false, false, kFull, users}, {true, false, kReadRun, users}}},
            RightsVerdict::AdminOnly},
           {"owner SID spelt in lower case", {"s-1-5-32-544", true, made}, RightsVerdict::AdminOnly},
       }) {
    EXPECT_EQ(judgeRights(c.info, administrators), c.verdict) << c.what;
  }
  // An account that never runs without administrator rights (as under
  // Wine, or with UAC turned off) is one of them: what it owns and may
  // write, only an administrator wrote.
  const SecurityInfo wine{ann, true, {{true, false, kFull, system}, {true, false, kFull, ann}, {true, false, kReadRun, everyone}}};
  EXPECT_EQ(judgeRights(wine, administrators), RightsVerdict::OwnerNotAdministrator);
  administrators.push_back(ann);
  EXPECT_EQ(judgeRights(wine, administrators), RightsVerdict::AdminOnly);
}

}  // namespace
}  // namespace velmora::testing
