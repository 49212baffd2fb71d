// When the program's folder (config.xml, Disabled) refuses a change for lack
// of rights: the families say so in plain words, offer to start Velmora
// again as administrator, and change nothing either way. Also the hand-over
// of the one-instance lock to the restarted instance.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "family/admin_restart.h"
#include "registry/registry_family.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kProgram = "C:\\Program Files\\Velmora";

class FakeAdminRestart : public AdminRestart {
 public:
  bool elevated = false;
  RestartOutcome outcome = RestartOutcome::Started;
  int restarts = 0;
  bool available() const override { return !elevated; }
  RestartOutcome restart() override {
    ++restarts;
    return outcome;
  }
};

class ProgramFolderRights : public ::testing::Test {
 protected:
  ProgramFolderRights() {
    tr.texts = {{"_ProgramFolderReadOnly", "read-only %s"},
                {"_ProgramFolderRefused", "refused %s"},
                {"_AdminRestartFailed", "restart failed"},
                {"_ConfigWriteFailed", "config not saved"},
                {"_StartupCopyFailed", "no copy of %s"},
                {"_StartupKeepFailed", "cannot keep %s"}};
    reg.put(RootKey::CurrentUser, kRunSub, "Tool", "C:\\Tools\\tool.exe");
  }

  // Disables the Run key's only entry; true when it was disabled.
  bool disableRegistryEntry() {
    RegistryFamily pane({kRun}, reg, context);
    FamilyDriver drive(pane, prompt, commit);
    drive.list();
    return drive.disable(0).done();
  }
  bool unchanged() const {
    return reg.find(RootKey::CurrentUser, kRunSub, "Tool") != nullptr && store.items(kRegistryRecords).empty() &&
           sink.records.empty();
  }

  FakeRegistry reg;
  FakeStore store;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt prompt;
  ChangeCommit commit{log, nullptr, tr};
  FakeAdminRestart admin;
  FamilyContext context{store, tr, kProgram, &admin};
};

TEST_F(ProgramFolderRights, ARefusedSaveAsksToRestartAsAdministratorAndCancelKeepsWorking) {
  store.refused = true;
  EXPECT_FALSE(disableRegistryEntry());
  EXPECT_EQ(prompt.warnings, Strings{"read-only " + kProgram}) << "the folder, not the generic store failure";
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(admin.restarts, 0) << "Cancel is the default and restarts nothing";
  EXPECT_TRUE(unchanged());

  // The user keeps working: the next change that needs the folder asks again.
  EXPECT_FALSE(disableRegistryEntry());
  EXPECT_EQ(prompt.warnings.size(), 2u);
}

TEST_F(ProgramFolderRights, OkRestartsAndEachOutcomeLeavesTheEntryAsItWas) {
  store.refused = true;
  struct Case {
    RestartOutcome outcome;
    Strings messages;
  };
  const std::vector<Case> cases = {
      {RestartOutcome::Started, {}},
      {RestartOutcome::Declined, {}},  // the user said no to Windows' own question
      {RestartOutcome::Failed, {"restart failed"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.outcome));
    prompt.messages.clear();
    prompt.warningAnswers = {true};
    admin.restarts = 0;
    admin.outcome = c.outcome;
    EXPECT_FALSE(disableRegistryEntry());
    EXPECT_EQ(admin.restarts, 1);
    EXPECT_EQ(prompt.messages, c.messages);
    EXPECT_TRUE(unchanged());
  }
}

TEST_F(ProgramFolderRights, WithAdministratorRightsOrNoWayToRestartItOnlySaysSo) {
  store.refused = true;
  admin.elevated = true;
  EXPECT_FALSE(disableRegistryEntry());
  EXPECT_TRUE(prompt.warnings.empty()) << "starting again would not help";
  EXPECT_EQ(prompt.messages, Strings{"refused " + kProgram});
  EXPECT_EQ(admin.restarts, 0);

  context.adminRestart = nullptr;
  prompt.messages.clear();
  EXPECT_FALSE(disableRegistryEntry());
  EXPECT_EQ(prompt.messages, Strings{"refused " + kProgram});
  EXPECT_TRUE(unchanged());
}

TEST_F(ProgramFolderRights, OtherSaveFailuresKeepTheirOwnMessage) {
  store.readOnly = true;  // a read-only config.xml: administrator rights would not help
  EXPECT_FALSE(disableRegistryEntry());
  EXPECT_TRUE(prompt.warnings.empty());
  EXPECT_EQ(prompt.messages, Strings{"config not saved"});
}

// The startup folders write into the program's folder before config.xml:
// the copy in Disabled, and a replaced file kept there until a change stands.
class StartupProgramFolder : public ProgramFolderRights {
 protected:
  const std::string user = "C:\\Users\\Ann\\Startup";
  FakeFolders fs;
  FakeShellLinks links{fs};

  StartupProgramFolder() {
    fs.addFolder(user);
    fs.addFolder(kProgram);
    fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  }
  StartupFolderFamily family() { return StartupFolderFamily({user}, fs, links, kProgram, context); }
};

TEST_F(StartupProgramFolder, ARefusedDisabledCopyAsksToRestartAndLeavesTheFile) {
  fs.denyWrites(kProgram);  // Disabled cannot be made
  auto pane = family();
  FamilyDriver drive(pane, prompt, commit);
  drive.list();
  EXPECT_FALSE(drive.disable(0).done());
  EXPECT_EQ(prompt.warnings, Strings{"read-only " + kProgram});
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());

  fs.reset();
  fs.addFolder(user);
  fs.addFolder(kProgram + "\\Disabled");
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.denyWrites(kProgram + "\\Disabled");  // it exists, but refuses the copy
  prompt.warningAnswers = {true};
  drive.list();
  EXPECT_FALSE(drive.disable(0).done());
  EXPECT_EQ(prompt.warnings.size(), 2u);
  EXPECT_EQ(admin.restarts, 1);
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_TRUE(fs.filesIn(kProgram + "\\Disabled").empty());
}

TEST_F(StartupProgramFolder, ACopyThatFailsForAnotherReasonKeepsItsOwnMessage) {
  fs.put(kProgram + "\\Disabled", "not a folder");
  auto pane = family();
  FamilyDriver drive(pane, prompt, commit);
  drive.list();
  EXPECT_FALSE(drive.disable(0).done());
  EXPECT_TRUE(prompt.warnings.empty());
  EXPECT_EQ(prompt.messages, Strings{"no copy of " + user + "\\a.lnk"});
}

TEST_F(StartupProgramFolder, ARefusedStoreTakesTheCopyBackAndAsks) {
  store.refused = true;
  auto pane = family();
  FamilyDriver drive(pane, prompt, commit);
  drive.list();
  EXPECT_FALSE(drive.disable(0).done());
  EXPECT_EQ(prompt.warnings, Strings{"read-only " + kProgram});
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_TRUE(fs.filesIn(kProgram + "\\Disabled").empty()) << "the copy went with the failed change";
}

TEST_F(StartupProgramFolder, EnableOverAFileItCannotKeepAsksAndReplacesNothing) {
  const std::string other = FakeShellLinks::linkBytes("C:\\other.exe");
  fs.put(disabledCopyPath(kProgram, user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.put(user + "\\a.lnk", other);
  store.elements.push_back({kStartupFolderRecords, {user, "a.lnk", "C:\\a.exe"}});
  fs.denyWrites(kProgram + "\\Disabled");
  auto pane = family();
  FamilyDriver drive(pane, prompt, commit);
  drive.list();
  int disabled = 0;
  while (drive.rows()[disabled].state != RowState::Disabled) ++disabled;
  EXPECT_FALSE(drive.enable(disabled).done());
  EXPECT_EQ(prompt.questions.size(), 1u) << "asked before replacing";
  EXPECT_EQ(prompt.warnings, Strings{"read-only " + kProgram});
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), other);
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
}

// The one-instance lock.
TEST(SingleInstance, ARestartedInstanceWaitsForTheOldOneAndOthersDoNot) {
  int tries = 0, pauses = 0;
  int freeAfter = 3;  // the old instance lets go after three tries
  auto tryClaim = [&] { return ++tries > freeAfter ? InstanceClaim::Claimed : InstanceClaim::HeldByAnother; };
  auto pause = [&] { ++pauses; };

  EXPECT_FALSE(claimSingleInstance(tryClaim, false, pause, 100)) << "a second instance ends at once";
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(pauses, 0);

  tries = pauses = 0;
  EXPECT_TRUE(claimSingleInstance(tryClaim, true, pause, 100));
  EXPECT_EQ(tries, 4);
  EXPECT_EQ(pauses, 3);

  tries = pauses = 0;
  freeAfter = 1000;  // the old one never closes
  EXPECT_FALSE(claimSingleInstance(tryClaim, true, pause, 5));
  EXPECT_EQ(tries, 5);

  tries = 0;
  EXPECT_TRUE(claimSingleInstance([&] { ++tries; return InstanceClaim::Claimed; }, false, pause, 100));
  EXPECT_EQ(tries, 1);
}

TEST(SingleInstance, TheRestartArgumentIsAWordOfItsOwnInAnyCase) {
  EXPECT_TRUE(startedAsRestart("/restarted"));
  EXPECT_TRUE(startedAsRestart("  /RESTARTED  "));
  EXPECT_TRUE(startedAsRestart("/other /Restarted"));
  EXPECT_FALSE(startedAsRestart(""));
  EXPECT_FALSE(startedAsRestart("/restartedx"));
  EXPECT_FALSE(startedAsRestart("C:\\restarted"));
}

}  // namespace
}  // namespace velmora::testing
