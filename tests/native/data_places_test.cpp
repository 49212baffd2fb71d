// Where the installed copy keeps its records: the user's places in the
// user's folder, machine-wide ones in the machine's, and what an older
// installation left beside the program still listed and enabled there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "core/scoped_store.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "fakes/installed_copy.h"
#include "registry/registry_family.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

TEST(DataPlaces, TheInstalledCopyKeepsEachRecordWithTheScopeOfItsEntry) {
  const DataPlaces places = installedPlaces();
  EXPECT_TRUE(places.separate());
  EXPECT_EQ(places.legacy, kProgram) << "what an older version left there is still read";
  struct Case {
    std::string path;
    bool users;
  };
  for (const Case& c : std::vector<Case>{
           {kUserRun, true},
           {"hkey_current_user\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", true},
           {"HKEY_CURRENT_USER", true},
           {kMachineRun, false},
           {"HKEY_CURRENT_USER_LOCAL_SETTINGS\\Run", false},  // a root is a whole name
           {kUserStartup, true},
           {kUserStartup + "\\", true},
           {"c:\\users\\ann\\Desktop", true},
           {"C:\\Users\\Anna\\Startup", false},  // another user's folder only starts alike
           {kCommonStartup, false},
           {"", false},
       }) {
    EXPECT_EQ(places.isUserPlace(c.path), c.users) << c.path;
    EXPECT_EQ(places.folderFor(c.path), c.users ? kUserData : kMachineData) << c.path;
  }

  // Any other copy keeps everything beside itself.
  const ProgramFiles copy{"D:\\Tools\\Velmora", "velmora"};
  const DataPlaces portable = copy.dataPlaces({"HKEY_CURRENT_USER"});
  EXPECT_FALSE(portable.separate());
  EXPECT_TRUE(portable.legacy.empty());
  EXPECT_EQ(portable.folderFor(kUserRun), "D:\\Tools\\Velmora");
  EXPECT_EQ(portable.folderFor(kMachineRun), "D:\\Tools\\Velmora");
  EXPECT_EQ(copy.configFile(), "D:\\Tools\\Velmora\\config.xml");

  ProgramFiles installed{kProgram, "velmora"};
  installed.installedUserData = kUserData;
  installed.installedMachineData = kMachineData;
  EXPECT_EQ(installed.configFile(), kUserData + "\\config.xml");
  EXPECT_EQ(installed.historyFile(), kUserData + "\\history.xml");
  EXPECT_EQ(installed.logDataFolder(), kUserData + "\\Log\\Data");
}

TEST(DataPlaces, OnlyTheFolderTheAppsAndFeaturesEntryNamesIsTheInstalledCopy) {
  EXPECT_TRUE(isInstalledCopy(kProgram, kProgram));
  EXPECT_TRUE(isInstalledCopy(kProgram, "c:\\program files\\velmora\\"));
  EXPECT_FALSE(isInstalledCopy(kProgram, ""));
  EXPECT_FALSE(isInstalledCopy(kProgram, "C:\\Program Files\\Velmora 2"));
  EXPECT_FALSE(isInstalledCopy("C:\\Program Files\\Velmora\\old", kProgram));
  EXPECT_FALSE(isInstalledCopy("D:\\Tools\\Velmora", kProgram));
}

class ScopedRecords : public ::testing::Test, protected InstalledStores {
 protected:
  ScopedRecords() {
    tr.texts = {{"_RegString", "string"}};
    legacy.elements.push_back({kRegistryRecords, DisabledItem{kUserRun, "Old", "C:\\old.exe"}});
  }
};

TEST_F(ScopedRecords, TheStoreListsEveryFileAndWritesEachRecordBackWhereItCameFrom) {
  machine.elements.push_back({kRegistryRecords, DisabledItem{kMachineRun, "Machine", "C:\\m.exe"}});
  std::vector<StoredItem> items;
  ASSERT_EQ(store.list(kRegistryRecords, items), StoreStatus::Ok);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].item.valuename, "Machine");
  EXPECT_EQ(items[1].item.valuename, "Old");

  EXPECT_EQ(store.update(kRegistryRecords, items[1], std::string("Renamed"), "C:\\new.exe", std::nullopt),
            StoreStatus::Ok);
  EXPECT_EQ(legacy.items(kRegistryRecords).at(0).valuename, "Renamed") << "changed where it is";
  EXPECT_EQ(store.remove(kRegistryRecords, items[0]), StoreStatus::Ok);
  EXPECT_TRUE(machine.items(kRegistryRecords).empty());
  EXPECT_EQ(legacy.items(kRegistryRecords).size(), 1u);

  // One unreadable file fails the listing, as one file would: its records
  // would otherwise look like entries that are gone.
  legacy.unreadable = true;
  items.clear();
  EXPECT_EQ(store.list(kRegistryRecords, items), StoreStatus::Unreadable);
  EXPECT_TRUE(items.empty());
}

TEST_F(ScopedRecords, DisableKeepsTheRecordWithItsScopeAndAnOlderRecordIsEnabledWhereItIs) {
  reg.put(RootKey::CurrentUser, kRunSub, "Mine", "C:\\mine.exe");
  reg.put(RootKey::LocalMachine, kRunSub, "Shared", "C:\\shared.exe");
  RegistryFamily family({kUserRun, kMachineRun}, reg, context);
  FamilyDriver drive(family, prompt, commit);

  auto rows = drive.list();
  const int old = rowNamed(rows, "Old");
  ASSERT_GE(old, 0) << "a record an older installation kept beside the program is listed";
  EXPECT_EQ(rows[static_cast<std::size_t>(old)].state, RowState::Disabled);

  ASSERT_TRUE(drive.disable(rowNamed(rows, "Mine")).done());
  rows = drive.list();
  ASSERT_TRUE(drive.disable(rowNamed(rows, "Shared")).done());
  EXPECT_EQ(user.items(kRegistryRecords), (std::vector<DisabledItem>{{kUserRun, "Mine", "C:\\mine.exe"}}));
  EXPECT_EQ(machine.items(kRegistryRecords), (std::vector<DisabledItem>{{kMachineRun, "Shared", "C:\\shared.exe"}}));

  rows = drive.list();
  ASSERT_TRUE(drive.enable(rowNamed(rows, "Old")).done());
  EXPECT_TRUE(legacy.items(kRegistryRecords).empty()) << "its record leaves the file that held it";
  ASSERT_NE(reg.find(RootKey::CurrentUser, kRunSub, "Old"), nullptr);
  EXPECT_EQ(user.items(kRegistryRecords).size(), 1u) << "nothing was moved into the user's file";
}

TEST_F(ScopedRecords, StartupCopiesGoToTheEntrysScopeAndAnOlderCopyIsFoundBesideTheProgram) {
  FakeFolders fs;
  FakeShellLinks links{fs};
  for (const std::string& f : {kUserStartup, kCommonStartup, kUserData, kMachineData, kProgram + "\\Disabled"}) {
    fs.addFolder(f);
  }
  const std::string mine = FakeShellLinks::linkBytes("C:\\mine.exe");
  const std::string shared = FakeShellLinks::linkBytes("C:\\shared.exe");
  const std::string older = FakeShellLinks::linkBytes("C:\\old.exe");
  fs.put(kUserStartup + "\\mine.lnk", mine);
  fs.put(kCommonStartup + "\\shared.lnk", shared);
  // Disabled by an older installation: its record and copy beside the program.
  fs.put(disabledCopyPath(kProgram, kUserStartup, "old.lnk"), older);
  legacy.elements = {{kStartupFolderRecords, DisabledItem{kUserStartup, "old.lnk", "C:\\old.exe"}}};

  StartupFolderFamily family({kUserStartup, kCommonStartup}, fs, links, kProgram, context);
  FamilyDriver drive(family, prompt, commit);
  auto rows = drive.list();
  ASSERT_TRUE(drive.disable(rowNamed(rows, "mine.lnk")).done());
  rows = drive.list();
  ASSERT_TRUE(drive.disable(rowNamed(rows, "shared.lnk")).done());
  EXPECT_EQ(fs.bytes(disabledCopyPath(kUserData, kUserStartup, "mine.lnk")), mine);
  EXPECT_EQ(fs.bytes(disabledCopyPath(kMachineData, kCommonStartup, "shared.lnk")), shared);
  EXPECT_EQ(user.items(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(machine.items(kStartupFolderRecords).size(), 1u);

  rows = drive.list();
  ASSERT_TRUE(drive.enable(rowNamed(rows, "old.lnk")).done());
  EXPECT_EQ(fs.bytes(kUserStartup + "\\old.lnk"), older);
  EXPECT_FALSE(fs.hasFile(disabledCopyPath(kProgram, kUserStartup, "old.lnk")));
  EXPECT_TRUE(legacy.items(kStartupFolderRecords).empty());

  rows = drive.list();
  ASSERT_TRUE(drive.enable(rowNamed(rows, "mine.lnk")).done());
  EXPECT_EQ(fs.bytes(kUserStartup + "\\mine.lnk"), mine);
}

}  // namespace
}  // namespace velmora::testing
