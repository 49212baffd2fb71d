// The trust rule in use: records, history entries and kept copies that a
// user's program could have written are listed as not trusted and never
// acted on in a place of all users; what only administrators write is.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/data_lock.h"
#include "core/scoped_store.h"
#include "core/trust.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fake_tasks.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "fakes/installed_copy.h"
#include "history/change_undo.h"
#include "registry/registry_family.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "scheduledtasks/task_keeping.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

const std::vector<std::string> kAnn = {"S-1-5-21-1-2-3-1001", "PC\\Ann", "Ann"};

// The installed copy: the user's file any of his programs may write, the
// machine's only administrators.
struct Installed : InstalledStores {
  explicit Installed(bool elevated) : trust(elevated, places, kAnn) {
    store.setAdminOnly(false, true, true);
    context.trust = &trust;
    context.newRecordAdminOnly = [this](std::string_view p) { return store.addsAdminOnly(p); };
  }
  Trust trust;
};

TEST(TrustedData, ARecordIsEnabledInAPlaceOfAllUsersOnlyFromTheMachinesFile) {
  struct Case {
    const char* what;
    bool inMachineFile;
    const std::string& place;
    bool elevated;
    const char* refusal;  // nothing: enabled
  };
  for (const Case& c : std::vector<Case>{
           {"planted in the user's file, elevated", false, kMachineRun, true, "_RecordNotTrusted"},
           {"planted in the user's file, without rights", false, kMachineRun, false, "_RecordNotTrustedListOnly"},
           {"the machine's own record", true, kMachineRun, true, nullptr},
           {"the user's record of his own key", false, kUserRun, true, nullptr},
           {"the machine's record of the user's key", true, kUserRun, false, nullptr},
       }) {
    Installed w(c.elevated);
    (c.inMachineFile ? w.machine : w.user).elements.push_back({kRegistryRecords, DisabledItem{c.place, "Tool", "C:\\tool.exe"}});
    RegistryFamily family({kUserRun, kMachineRun}, w.reg, w.context);
    FamilyDriver drive(family, w.prompt, w.commit);
    const auto rows = drive.list();
    const int row = rowNamed(rows, "Tool");
    ASSERT_GE(row, 0) << c.what << ": listed whoever wrote it";
    const Row& listed = rows[static_cast<std::size_t>(row)];
    EXPECT_EQ(listed.notTrusted, c.refusal != nullptr) << c.what;
    EXPECT_EQ(listed.status.find("_StatusNotTrusted") != std::string::npos, c.refusal != nullptr) << c.what;

    const bool enabled = drive.enable(row).done();
    const RootKey root = c.place == kUserRun ? RootKey::CurrentUser : RootKey::LocalMachine;
    EXPECT_EQ(enabled, c.refusal == nullptr) << c.what;
    EXPECT_EQ(w.reg.find(root, kRunSub, "Tool") != nullptr, c.refusal == nullptr) << c.what << ": the value";
    if (c.refusal) {
      ASSERT_FALSE(w.prompt.messages.empty()) << c.what;
      EXPECT_EQ(w.prompt.messages.back(), c.refusal) << c.what;
      EXPECT_EQ(w.user.items(kRegistryRecords).size(), 1u) << c.what << ": the record stays";
      EXPECT_TRUE(w.sink.records.empty()) << c.what << ": nothing logged";
    }
  }
}

TEST(TrustedData, APlantedTwinHidesNothingAndADisableIsNeverKeptWhereItCouldNotBeUndone) {
  Installed w(true);
  // The same record twice: planted in the user's file, genuine in the machine's.
  w.user.elements.push_back({kRegistryRecords, DisabledItem{kMachineRun, "Tool", "C:\\tool.exe"}});
  w.machine.elements.push_back({kRegistryRecords, DisabledItem{kMachineRun, "Tool", "C:\\tool.exe"}});
  RegistryFamily family({kMachineRun}, w.reg, w.context);
  FamilyDriver drive(family, w.prompt, w.commit);
  auto rows = drive.list();
  ASSERT_TRUE(drive.enable(rowNamed(rows, "Tool")).done()) << ::testing::PrintToString(w.prompt.messages);
  EXPECT_TRUE(w.machine.items(kRegistryRecords).empty()) << "enabled from the machine's record";
  EXPECT_EQ(w.user.items(kRegistryRecords).size(), 1u);

  // A portable copy in a folder its user may write, elevated: a record of
  // HKLM kept there could never be enabled again, so Disable refuses.
  FakeStore portable;
  ScopedStore one{portable, nullptr, nullptr, {}};
  const Trust trust(true, installedPlaces(), kAnn);
  FamilyContext context{one, w.tr, "D:\\Downloads\\Velmora"};
  context.trust = &trust;
  context.newRecordAdminOnly = [&one](std::string_view p) { return one.addsAdminOnly(p); };
  w.reg.put(RootKey::LocalMachine, kRunSub, "Shared", "C:\\shared.exe");
  RegistryFamily fromDownloads({kMachineRun, kUserRun}, w.reg, context);
  FamilyDriver there(fromDownloads, w.prompt, w.commit);
  rows = there.list();
  EXPECT_FALSE(there.disable(rowNamed(rows, "Shared")).done());
  EXPECT_EQ(w.prompt.messages.back(), "_DisableNotTrusted");
  EXPECT_NE(w.reg.find(RootKey::LocalMachine, kRunSub, "Shared"), nullptr) << "still live";
  EXPECT_TRUE(portable.items(kRegistryRecords).empty());
}

TEST(TrustedData, AStartupCopyOfAllUsersIsPutBackOnlyFromTheMachinesRecord) {
  Installed w(true);
  FakeFolders fs;
  FakeShellLinks links{fs};
  for (const std::string& f : {kCommonStartup, kUserData, kMachineData}) fs.addFolder(f);
  fs.put(disabledCopyPath(kMachineData, kCommonStartup, "evil.lnk"), FakeShellLinks::linkBytes("C:\\evil.exe"));
  w.user.elements.push_back({kStartupFolderRecords, DisabledItem{kCommonStartup, "evil.lnk", "C:\\evil.exe"}});
  StartupFolderFamily family({kCommonStartup}, fs, links, kProgram, w.context);
  FamilyDriver drive(family, w.prompt, w.commit);
  const auto rows = drive.list();
  EXPECT_FALSE(drive.enable(rowNamed(rows, "evil.lnk")).done());
  EXPECT_EQ(w.prompt.messages.back(), "_RecordNotTrusted");
  EXPECT_FALSE(fs.hasFile(kCommonStartup + "\\evil.lnk"));
}

// Two histories: the user's, which his programs may write, and the
// machine's, which only administrators write.
struct Histories {
  explicit Histories(bool elevated) : trust(elevated, installedPlaces(), kAnn) {
    history.setAdminOnly(false);
    machine.setAdminOnly(true);
    history.keepMachineChangesIn(&machine);
    commit.setTrust(&trust);
    context.trust = &trust;
    context.copies = &history;
  }
  Trust trust;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  FakeHistoryFile userFile, machineFile;
  ChangeHistory history{userFile, kUserData + "\\History"};
  ChangeHistory machine{machineFile, kMachineData + "\\History"};
  ChangeCommit commit{log, &history, tr};
  ScriptedPrompt prompt;
  FakeStore store;
  FakeRegistry reg;
  FamilyContext context{store, tr};
  FamilyTable table{{registryFamily(reg, context)}};
};

TEST(TrustedData, EachChangeIsKeptWithTheScopeOfItsPlaceAndUndoneOnlyFromWhereItMayBe) {
  Histories h(true);
  h.reg.put(RootKey::CurrentUser, kRunSub, "Mine", "C:\\mine.exe");
  h.reg.put(RootKey::LocalMachine, kRunSub, "Shared", "C:\\shared.exe");
  RegistryFamily family({kUserRun, kMachineRun}, h.reg, h.context);
  FamilyDriver drive(family, h.prompt, h.commit);
  auto rows = drive.list();
  ASSERT_TRUE(drive.remove(rowNamed(rows, "Mine")).done());
  rows = drive.list();
  ASSERT_TRUE(drive.remove(rowNamed(rows, "Shared")).done());
  ASSERT_EQ(h.userFile.records.size(), 1u);
  ASSERT_EQ(h.machineFile.records.size(), 1u) << "the change of HKLM is the machine's";

  const auto all = h.history.changes();
  ASSERT_TRUE(all && all->size() == 2u) << "both listed";
  const auto shared = std::find_if(all->begin(), all->end(), [](const Change& c) { return c.before->name == "Shared"; });
  ASSERT_NE(shared, all->end());
  EXPECT_EQ(shared->source, ChangeHistory::kMachine);
  EXPECT_TRUE(shared->adminOnly);
  EXPECT_EQ(undoVerdict(h.table, &h.trust, *shared), TrustVerdict::Act);

  // A change of HKLM planted in the user's history is listed, never undone.
  Change planted = *shared;
  planted.id = 7;
  planted.before->name = "Evil";
  planted.before->data = "C:\\evil.exe";
  h.userFile.records.push_back(toRecord(planted));
  const auto listed = h.history.changes();
  const auto evil = std::find_if(listed->begin(), listed->end(), [](const Change& c) { return c.before->name == "Evil"; });
  ASSERT_NE(evil, listed->end());
  EXPECT_EQ(undoVerdict(h.table, &h.trust, *evil), TrustVerdict::Refuse);
  EXPECT_NE(historyColumns(*evil, h.tr, fixedFormats(), true)[2].find("_HistoryNotTrusted"), std::string::npos);
  EXPECT_FALSE(undoSelected(h.table, h.history, *evil, h.prompt, h.commit, h.tr));
  EXPECT_EQ(h.prompt.messages.back(), "_UndoNotTrusted");
  EXPECT_EQ(h.reg.find(RootKey::LocalMachine, kRunSub, "Evil"), nullptr);

  // The genuine ones undo, each from its own history.
  ASSERT_TRUE(undoSelected(h.table, h.history, *shared, h.prompt, h.commit, h.tr)) << h.prompt.messages.back();
  EXPECT_NE(h.reg.find(RootKey::LocalMachine, kRunSub, "Shared"), nullptr);
  EXPECT_EQ(h.machineFile.records.size(), 2u) << "the Undo kept beside the change";
  const auto mine = std::find_if(listed->begin(), listed->end(), [](const Change& c) { return c.before->name == "Mine"; });
  ASSERT_TRUE(undoSelected(h.table, h.history, *mine, h.prompt, h.commit, h.tr));
}

TEST(TrustedData, AFileOfAllUsersIsKeptForUndoWhereOnlyAdministratorsWrite) {
  Histories h(true);
  FakeFolders fs;
  FakeShellLinks links{fs};
  for (const std::string& f : {kCommonStartup, kUserData, kMachineData}) fs.addFolder(f);
  const std::string bytes = FakeShellLinks::linkBytes("C:\\shared.exe");
  fs.put(kCommonStartup + "\\shared.lnk", bytes);
  StartupFolderFamily family({kCommonStartup}, fs, links, kProgram, h.context);
  FamilyDriver drive(family, h.prompt, h.commit);
  drive.list();
  ASSERT_TRUE(drive.remove(0).done());
  const Change removed = h.history.changes()->front();
  EXPECT_EQ(removed.source, ChangeHistory::kMachine);
  EXPECT_EQ(fs.bytes(kMachineData + "\\History\\" + removed.copy), bytes) << "its copy beside the machine's history";
  EXPECT_FALSE(fs.hasFile(kUserData + "\\History\\" + removed.copy));
  ASSERT_TRUE(drive.undo(removed).done()) << ::testing::PrintToString(h.prompt.messages);
  EXPECT_EQ(fs.bytes(kCommonStartup + "\\shared.lnk"), bytes) << "put back from there";
}

TEST(TrustedData, ATaskIsTheUsersOwnOnlyWhenItRunsAsHimWithHisOwnRights) {
  const Trust trust(true, installedPlaces(), kAnn);
  struct Case {
    std::optional<TaskPrincipal> principal;
    bool own;
  };
  for (const Case& c : std::vector<Case>{
           {TaskPrincipal{"PC\\Ann", "", "InteractiveToken", "LeastPrivilege"}, true},
           {TaskPrincipal{"S-1-5-21-1-2-3-1001", "", "", ""}, true},
           {TaskPrincipal{"PC\\Ann", "", "InteractiveToken", "HighestAvailable"}, false},
           {TaskPrincipal{"PC\\Ann", "", "Password", ""}, false},
           {TaskPrincipal{"S-1-5-18", "", "ServiceAccount", ""}, false},
           {TaskPrincipal{"", "S-1-5-32-545", "", ""}, false},
           {TaskPrincipal{"PC\\Bob", "", "InteractiveToken", ""}, false},
           {std::nullopt, false},
       }) {
    Change change;
    keepPrincipal(change, c.principal);
    EXPECT_EQ(usersOwnTask(c.principal, trust), c.own) << (c.principal ? c.principal->userId : "none");
    EXPECT_EQ(taskPlace(change, trust), c.own ? PlaceScope::User : PlaceScope::Machine);
  }
}

struct TaskHistories : Histories {
  TaskHistories() : Histories(true) {}
  FakeTaskPort tasks;
  FamilyTable taskTable{{scheduledTaskFamily(tasks, context)}};
  const std::string path = "\\Vendor\\Updater";
  TaskDefinition definition() const {
    TaskDefinition d = logonTask("C:\\updater.exe");
    d.principal = TaskPrincipal{"S-1-5-18", "", "ServiceAccount", "HighestAvailable"};
    return d;
  }
  // Removes the task through the family; returns the change kept.
  Change removed() {
    tasks.add(path, definition());
    tasks.tasks.back().security = "D:(A;;FA;;;BA)(A;;FA;;;SY)";
    DrivenFamily pane(taskTable.family("scheduledtasks").make({"\\"}), prompt, commit);
    pane->list();
    EXPECT_TRUE(pane->remove(0).done()) << ::testing::PrintToString(prompt.messages);
    return history.changes()->front();
  }
  bool undo(const Change& c) { return undoChange(taskTable, c, prompt, commit, tr); }
};

TEST(TrustedData, ATaskComesBackOnlyAtItsOwnPathAsItsOwnAccountWithItsOwnRights) {
  TaskHistories h;
  const Change kept = h.removed();
  EXPECT_EQ(kept.source, ChangeHistory::kMachine) << "a task of the system is the machine's";
  EXPECT_EQ(kept.extra.at("principaluser"), "S-1-5-18");
  EXPECT_EQ(kept.extra.at("sddl"), "D:(A;;FA;;;BA)(A;;FA;;;SY)");
  ASSERT_EQ(h.tasks.files.count(kMachineData + "\\History\\" + kept.copy), 1u) << "its copy with the machine's history";

  // Each edit of the kept change is refused, and nothing is registered.
  struct Edit {
    const char* what;
    std::function<void(Change&)> edit;
    const char* refusal;
  };
  for (const Edit& e : std::vector<Edit>{
           {"another path than the copy's own",
            [](Change& c) {
              c.location = "\\Microsoft\\Windows\\Evil";
              c.before->name = "Evil";
            },
            "_TaskCopyElsewhere"},
           {"another account", [](Change& c) { c.extra["principaluser"] = "S-1-5-21-9"; }, "_TaskPrincipalChanged"},
           {"another copy's text", [](Change& c) { c.extra["copydigest"] = "0000000000000000"; }, "_UndoNoCopy"},
       }) {
    Change c = kept;
    e.edit(c);
    EXPECT_FALSE(h.undo(c)) << e.what;
    EXPECT_EQ(h.prompt.messages.back(), e.refusal) << e.what;
    EXPECT_TRUE(h.tasks.registered.empty()) << e.what;
  }
  // Kept in the user's history instead, the same change is not trusted.
  Change inUsers = kept;
  inUsers.source = 0;
  inUsers.adminOnly = false;
  EXPECT_FALSE(h.undo(inUsers));
  EXPECT_EQ(h.prompt.messages.back(), "_UndoNotTrusted");
  EXPECT_TRUE(h.tasks.registered.empty());

  ASSERT_TRUE(h.undo(kept)) << h.prompt.messages.back();
  ASSERT_NE(h.tasks.find(h.path), nullptr);
  EXPECT_EQ(h.tasks.find(h.path)->security, "D:(A;;FA;;;BA)(A;;FA;;;SY)") << "with the rights it had";
}

class RefusingLock : public DataLock {
 public:
  bool acquire() override { return false; }
  void release() override {}
};

TEST(TrustedData, AChangeThatCannotTakeTheLockIsRefusedWithTheFileAsItWas) {
  FakeStore file;
  RefusingLock held;
  LockedStore store(file, held);
  MapTranslator tr;
  FamilyContext context{store, tr};
  FakeRegistry reg;
  reg.put(RootKey::LocalMachine, kRunSub, "Shared", "C:\\shared.exe");
  RegistryFamily family({kMachineRun}, reg, context);
  ScriptedPrompt prompt;
  OperationLog log{tr};
  ChangeCommit commit{log, nullptr, tr};
  FamilyDriver drive(family, prompt, commit);
  drive.list();
  EXPECT_FALSE(drive.disable(0).done());
  EXPECT_EQ(prompt.messages.back(), "_DataBusy");
  EXPECT_NE(reg.find(RootKey::LocalMachine, kRunSub, "Shared"), nullptr);
  EXPECT_EQ(file.saves, 0);

  FakeHistoryFile historyFile;
  ChangeHistory history(historyFile, "C:\\History");
  history.setLock(&held);
  EXPECT_FALSE(history.record(Change{}));
  EXPECT_EQ(historyFile.writes, 0);
  EXPECT_TRUE(history.takeWarning()) << "the user hears that it was not kept";
}

}  // namespace
}  // namespace velmora::testing
