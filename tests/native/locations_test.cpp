#include <gtest/gtest.h>

#include <stdexcept>

#include "core/locations.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/real_families.h"
#include "family/families.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {
namespace {

using testing::FakeFolders;
using testing::FakeRegistry;
using testing::FakeShellLinks;
using testing::FakeStore;
using testing::MapTranslator;
using testing::RealFamilies;

TEST(SplitKeyPath, RootNameIsMatchedAfterUpperCasingAndSubkeyKeepsItsCase) {
  auto k = splitKeyPath("hkey_local_machine\\Software\\X");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->root, RootKey::LocalMachine);
  EXPECT_EQ(k->subkey, "Software\\X");
}

TEST(SplitKeyPath, LeadingAndTrailingBackslashesAreIgnored) {
  auto k = splitKeyPath("\\\\HKEY_CURRENT_USER\\Software\\X\\\\");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->root, RootKey::CurrentUser);
  EXPECT_EQ(k->subkey, "Software\\X");
}

TEST(SplitKeyPath, FailsWithoutSubkeyForUnknownRootsAndForEmptyText) {
  EXPECT_FALSE(splitKeyPath("HKEY_LOCAL_MACHINE"));
  EXPECT_FALSE(splitKeyPath("HKLM\\Software"));
  EXPECT_FALSE(splitKeyPath("HKEY_PERFORMANCE_DATA\\X"));
  EXPECT_FALSE(splitKeyPath(""));
  EXPECT_FALSE(splitKeyPath("\\\\\\"));
}

TEST(SplitKeyPath, EveryNamedRootMapsToItsHandle) {
  EXPECT_EQ(splitKeyPath("HKEY_CLASSES_ROOT\\a")->root, RootKey::ClassesRoot);
  EXPECT_EQ(splitKeyPath("HKEY_CURRENT_CONFIG\\a")->root, RootKey::CurrentConfig);
  EXPECT_EQ(splitKeyPath("HKEY_USERS\\a")->root, RootKey::Users);
  EXPECT_EQ(static_cast<std::uint32_t>(RootKey::CurrentConfig), 0x80000005u);
}

TEST(SplitValuePath, CutsTheValueNameAtTheLastBackslash) {
  auto v = splitValuePath("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->root, RootKey::LocalMachine);
  EXPECT_EQ(v->key, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
  EXPECT_EQ(v->valueName, "Userinit");
  auto load = splitValuePath("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load");
  ASSERT_TRUE(load);
  EXPECT_EQ(load->key, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
  EXPECT_EQ(load->valueName, "Load");
}

TEST(SplitValuePath, APathWithOneBackslashIsAKeyButNotAValue) {
  EXPECT_TRUE(splitKeyPath("HKEY_CURRENT_USER\\Load"));
  EXPECT_FALSE(splitValuePath("HKEY_CURRENT_USER\\Load"));
}

TEST(NormaliseKeyPaths, DropsBackslashOnlyPathsAndCutsTrailingOnes) {
  auto out = normaliseKeyPaths({"\\\\\\", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\",
                                " HKEY_USERS\\x "});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(out[1], " HKEY_USERS\\x ") << "blanks are not trimmed";
}

// Counts the Shell Folders reads, in order, to check the window's four reads.
class CountingRegistry : public FakeRegistry {
 public:
  std::vector<std::string> reads;
  RegStatus queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) override {
    reads.push_back(name);
    return FakeRegistry::queryValue(root, subkey, name, out);
  }
};

constexpr int kNodeCount = 19;

// The families, registered in the program's order, give the tree users know.
TEST(CategoryNodes, TableMatchesTheTreeUsersSee) {
  FakeRegistry reg;
  RealFamilies families(reg);
  const auto& nodes = families.table.nodes();
  const auto all = families.table.locations();
  ASSERT_EQ(nodes.size(), static_cast<std::size_t>(kNodeCount));
  ASSERT_EQ(all.size(), 21u);
  struct Want {
    const char* key;
    int parent, image;
    FamilyId family;
    std::vector<int> locations;
  };
  const Want want[kNodeCount] = {
      {"_TreeStartupFolder", -1, 1, "startupfolder", {0, 1}},
      {"_AllUser", 0, 4, "startupfolder", {0}},
      {"_CurrentUser", 0, 5, "startupfolder", {1}},
      {"_TreeRegistry", -1, 3, "registry", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
      {"_AllUser", 3, 4, "registry", {2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"_Run", 4, 2, "registry", {2, 3, 4}},
      {"_RunOnce", 4, 2, "registry", {5, 6, 7, 8}},
      {"_RunService", 4, 2, "registry", {9}},
      {"_RunServiceOnce", 4, 2, "registry", {10}},
      {"_CurrentUser", 3, 5, "registry", {11, 12, 13}},
      {"_Run", 9, 2, "registry", {11, 12}},
      {"_RunOnce", 9, 2, "registry", {13}},
      {"_Winini", -1, 6, "programlist", {14, 15}},
      {"_LoadSection", 12, 2, "programlist", {14}},
      {"_RunSection", 12, 2, "programlist", {15}},
      {"_TreeUserInit", -1, 6, "programlist", {16, 17, 18}},
      {"_TreeScheduledTasks", -1, 8, "scheduledtasks", {19}},
      // Shown first; it lists every family's own locations.
      {"_TreeAllEntries", -1, 0, "allentries", {}},
      // Added after All Entries: its index follows it.
      {"_TreePackagedApps", -1, 10, "packagedapps", {20}},
  };
  for (int i = 0; i < kNodeCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(nodes[i].index, i);
    EXPECT_EQ(nodes[i].labelKey, want[i].key);
    EXPECT_EQ(nodes[i].parent, want[i].parent);
    EXPECT_EQ(nodes[i].image, want[i].image);
    EXPECT_EQ(nodes[i].family, want[i].family);
    std::vector<std::string_view> paths;
    for (int l : want[i].locations) paths.push_back(all[static_cast<std::size_t>(l)]);
    EXPECT_EQ(nodes[i].locations, paths);
    EXPECT_LT(nodes[i].parent, i) << "parents are inserted first";
  }
  const std::vector<std::pair<int, int>> want_expansions = {{2, 0}, {8, 4}, {11, 9}, {11, 3}, {14, 12}};
  std::vector<std::pair<int, int>> expansions;
  for (const Expansion& e : families.table.expansions()) expansions.emplace_back(e.afterInserting, e.expand);
  EXPECT_EQ(expansions, want_expansions);
}

// Every location once: L1 to L11 spelt as stored records know them, with
// the 32-bit and policy Run keys of today's Windows beside their classic key.
TEST(StartupLocations, PathsKeepTheirSpelling) {
  FakeRegistry reg;
  RealFamilies families(reg);
  const auto l = families.table.locations();
  const std::vector<std::string_view> want = {
      "Common Startup",
      "Startup",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
      "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Run",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell",
      "\\",
      "HKEY_CURRENT_USER\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
      "SystemAppData",
  };
  EXPECT_EQ(l, want);
}

TEST(BuildPaneLocations, ReadsTheFoldersFourTimesAndFillsEveryNode) {
  CountingRegistry reg;
  reg.put(RootKey::LocalMachine, std::string(kShellFoldersKey), "Common Startup",
          "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp");
  reg.put(RootKey::CurrentUser, std::string(kShellFoldersKey), "Startup", "C:\\Users\\me\\Startup", 2);
  RealFamilies families(reg);
  auto lists = families.table.paneLocations();
  ASSERT_EQ(lists.size(), static_cast<std::size_t>(kNodeCount));
  EXPECT_EQ(reg.reads, (std::vector<std::string>{"Common Startup", "Startup", "Common Startup", "Startup"}));
  EXPECT_EQ(lists[0], (std::vector<std::string>{"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp",
                                                "C:\\Users\\me\\Startup"}));
  EXPECT_EQ(lists[2], std::vector<std::string>{"C:\\Users\\me\\Startup"}) << "the value's type is ignored";
  ASSERT_EQ(lists[3].size(), 12u);
  EXPECT_EQ(lists[3][0], "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(lists[3][11], "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
  EXPECT_EQ(lists[5].front(), "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run")
      << "Add writes to the classic key";
  EXPECT_EQ(lists[12].size(), 2u);
  EXPECT_EQ(lists[15], (std::vector<std::string>{
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit",
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell",
                           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell"}))
      << "Add writes to Userinit";
}

TEST(BuildPaneLocations, AMissingShellFoldersValueGivesAnEmptyFolderPath) {
  FakeRegistry reg;
  RealFamilies families(reg);
  auto lists = families.table.paneLocations();
  ASSERT_EQ(lists[0].size(), 2u);
  EXPECT_EQ(lists[0][0], "");
  EXPECT_EQ(lists[1], std::vector<std::string>{""});
}

TEST(FamilyTable, EveryNodeNamesARegisteredFamilyAndAnUnknownIdIsAWiringFault) {
  FakeRegistry reg;
  RealFamilies families(reg);
  for (const CategoryNode& node : families.table.nodes()) EXPECT_EQ(families.table.family(node.family).id, node.family);
  EXPECT_EQ(families.table.family("registry").traits.records, kRegistryRecords);
  EXPECT_THROW((void)families.table.family("services"), std::invalid_argument);
}

// A fourth kind of startup place is one more descriptor: its nodes follow
// the others', with parents and expansions counted from its first node.
TEST(FamilyTable, AFamilyRegisteredLastAddsItsNodesAfterTheOthers) {
  FakeRegistry reg;
  RealFamilies real(reg);
  std::vector<std::string_view> asked;
  FamilyDescriptor tasks{"scheduledtasks",
                         kRegistryTraits,
                         {{0, "_TreeTasks", -1, 7, {}, {"Logon", "Boot"}}, {1, "_Logon", 0, 2, {}, {"Logon"}}},
                         {{1, 0}},
                         [&](const std::vector<std::string_view>& paths) {
                           asked.insert(asked.end(), paths.begin(), paths.end());
                           return std::vector<std::string>(paths.begin(), paths.end());
                         },
                         nullptr};
  FamilyTable table({real.table.family("startupfolder"), real.table.family("registry"),
                     real.table.family("programlist"), tasks});
  ASSERT_EQ(table.nodes().size(), 18u);
  EXPECT_EQ(table.nodes()[16].labelKey, "_TreeTasks");
  EXPECT_EQ(table.nodes()[16].parent, -1);
  EXPECT_EQ(table.nodes()[17].index, 17);
  EXPECT_EQ(table.nodes()[17].parent, 16);
  EXPECT_EQ(table.nodes()[17].family, "scheduledtasks");
  EXPECT_EQ(table.expansions().back().afterInserting, 17);
  EXPECT_EQ(table.expansions().back().expand, 16);
  EXPECT_EQ(table.locations().size(), 21u);
  EXPECT_EQ(table.paneLocations()[17], std::vector<std::string>{"Logon"});
  EXPECT_EQ(asked, (std::vector<std::string_view>{"Logon", "Boot", "Logon"}));
}

}  // namespace
}  // namespace velmora
