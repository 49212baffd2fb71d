// The scheduled-tasks family over a fake Task Scheduler: its node follows
// the other families', its rows are the tasks that start at logon or boot,
// its switch is the scheduler's own and counts only when it reads back, and
// Remove keeps the exact definition so that Undo registers it again.
#include <gtest/gtest.h>

#include "app/export.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_signatures.h"
#include "fakes/fake_tasks.h"
#include "fakes/family_world.h"
#include "fakes/real_families.h"
#include "history/change_undo.h"
#include "pane/pane_logic.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "scheduledtasks/task_listing.h"

namespace velmora::testing {
namespace {

const std::string kUpdater = "\\Vendor\\Updater Task";
const std::string kBackup = "\\Backup";

class Restart : public AdminRestart {
 public:
  int restarts = 0;
  bool available() const override { return true; }
  RestartOutcome restart() override {
    ++restarts;
    return RestartOutcome::Started;
  }
};

struct TaskWorld : FamilyWorld {
  FakeTaskPort tasks;
  FamilyTable table{{scheduledTaskFamily(tasks, context)}};

  TaskWorld() {
    context.copies = &history;
    logValuesJoined();
    tr.texts.insert({{"_LogItemType1ContentTask", "remove %s|%s|%s"},
                     {"_LogItemType2ContentTask", "add %s|%s|%s"},
                     {"_LogItemType4ContentTask", "enable %s|%s|%s"},
                     {"_LogItemType5ContentTask", "disable %s|%s|%s"},
                     {"_TaskAtLogon", "at logon"},
                     {"_TaskAtStartup", "at startup"},
                     {"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}});
    tasks.add(kUpdater, logonTask("C:\\Program Files\\Vendor\\update.exe", "/silent"));
    TaskDefinition boot;
    boot.atStartup = true;
    boot.actions = {{TaskAction::Kind::Exec, "C:\\backup.exe", "", ""},
                    {TaskAction::Kind::ComHandler, "", "", "{AB12}"}};
    tasks.comServers["{AB12}"] = "C:\\Windows\\System32\\backup.dll";
    tasks.add(kBackup, boot, false);
  }
  DrivenFamily pane() {
    DrivenFamily p(table.family("scheduledtasks").make({"\\"}), prompt, historyCommit);
    p->list();
    return p;
  }
  bool undo(const Change& c) { return undoChange(table, c, prompt, historyCommit, tr); }
  bool undoNewest() { return undo(newest()); }
  std::string everything() const {
    std::string out;
    for (const auto& t : tasks.tasks) out += t.path + (t.enabled ? " on " : " off ") + t.xml + '\n';
    return out + std::to_string(file.records.size());
  }
};

TEST(ScheduledTasks, TheNodeFollowsTheOtherFamiliesAndTheExportTakesTheTasks) {
  FakeRegistry reg;
  RealFamilies f(reg);
  f.tasks.add(kUpdater, logonTask("C:\\update.exe"));
  // The last family's node before the All Entries view.
  const CategoryNode& last = f.table.nodes()[16];
  EXPECT_EQ(f.table.nodes()[17].family, "allentries");
  EXPECT_EQ(last.family, "scheduledtasks");
  EXPECT_EQ(last.labelKey, "_TreeScheduledTasks");
  EXPECT_EQ(last.index, 16);
  EXPECT_EQ(last.parent, -1);
  EXPECT_NE(exportEntries(f.table, f.tr).text().find("C:\\update.exe"), std::string::npos);
}

TEST(ScheduledTasks, ListsWhatStartsAtLogonOrBootWithTheSchedulersSwitch) {
  TaskWorld w;
  TaskDefinition timed;  // a daily task starts nothing at logon
  timed.actions = {{TaskAction::Kind::Exec, "C:\\daily.exe", "", ""}};
  w.tasks.add("\\Daily", timed);
  TaskDefinition triggerOff = timed;  // looks like a startup task, but its logon trigger is off
  triggerOff.triggersOff = triggerOff.offTriggerAtLogon = true;
  w.tasks.add("\\Trigger Off", triggerOff);
  auto p = w.pane();
  const std::vector<Row>& rows = p->rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].type, "at logon");
  EXPECT_EQ(rows[2].state, RowState::Live);
  ASSERT_EQ(rows[2].reasons.size(), 1u);
  EXPECT_EQ(rows[2].reasons[0].key, "_StatusNoTrigger");
  EXPECT_EQ(rows[0].name, "Updater Task");
  EXPECT_EQ(rows[0].type, "at logon");
  EXPECT_EQ(rows[0].data, "\"C:\\Program Files\\Vendor\\update.exe\" /silent");
  EXPECT_EQ(rows[0].path, kUpdater);
  EXPECT_EQ(rows[0].state, RowState::Live);
  EXPECT_EQ(rows[1].type, "at startup");
  EXPECT_EQ(rows[1].data, "C:\\backup.exe; {AB12} (C:\\Windows\\System32\\backup.dll)");
  EXPECT_EQ(rows[1].state, RowState::Disabled);
  EXPECT_TRUE(p.family->listingProblem().empty());

  // What a task cannot do is greyed; File Info works on its program.
  const FamilyAbilities can = p.family->abilities();
  EXPECT_FALSE(contextItemEnabled(pane_command::kAddNew, std::nullopt, can));
  EXPECT_FALSE(contextItemEnabled(pane_command::kModify, 2, can));
  EXPECT_TRUE(contextItemEnabled(pane_command::kRemove, 2, can));
  EXPECT_TRUE(contextItemEnabled(pane_command::kAboutFile, 2, can));
  EXPECT_TRUE(p->openLocation(0).messages.empty());
  EXPECT_TRUE(w.tasks.consoleOpened);
}

// Windows' own COM-handler tasks: their program is the DLL the class
// registers, so Publisher, Status and Signed by describe it (not "File not
// found" for a class id), "Hide entries signed by Microsoft" hides them, File
// Info opens the DLL, and switching one off asks first, naming it part of
// Windows (No keeps it on).
TEST(ScheduledTasks, AComHandlersProgramIsItsDllAndWindowsOwnAsksBeforeItGoesOff) {
  TaskWorld w;
  const std::string dll = "C:\\Windows\\System32\\wininet.dll";
  TaskDefinition cache;
  cache.atLogon = true;
  cache.actions = {{TaskAction::Kind::ComHandler, "", "", "{CD34}"}};
  w.tasks.comServers["{CD34}"] = dll;
  w.tasks.add("\\Microsoft\\Windows\\Wininet\\CacheTask", cache);
  FilesOnly files;
  files.files = {dll};
  FakeSignatureCheck check;
  check.files[dll] = {{1, 1}, {SignatureVerdict::Verified, "Microsoft Windows"}};
  SignatureMemory signatures{check};
  w.context.programFiles = &files;
  w.context.signatures = &signatures;
  w.tr.texts.insert({{"_StatusFileMissing", "File not found"}, {"_DisableWindowsPart", "%s is part of Windows (%s)"}});
  auto family = w.table.family("scheduledtasks").make({"\\"});
  FakeList list;
  struct Boxes : CheckBoxes {
    FakeList& list;
    explicit Boxes(FakeList& l) : list(l) {}
    int stateImage(int row) const override { return static_cast<int>(list.rows.at(static_cast<std::size_t>(row)).state); }
    void check(int, RowState) override {}
  } boxes{list};
  PaneController pane{*family, list, boxes, w.prompt, w.commit, w.tr};
  pane.refill();
  const auto at = std::find_if(list.rows.begin(), list.rows.end(), [](const Row& r) { return r.name == "CacheTask"; });
  ASSERT_NE(at, list.rows.end());
  const int row = static_cast<int>(at - list.rows.begin());
  Row described = list.rows[row];
  family->describe(described);
  EXPECT_EQ(described.data, "{CD34} (" + dll + ")") << "the Command still names the class";
  EXPECT_EQ(described.programFile, dll);
  EXPECT_EQ(described.status, "") << "no File not found";
  EXPECT_EQ(described.signedBy, "Microsoft Windows");
  EXPECT_TRUE(described.signedByMicrosoft) << "hidden with Windows' own entries";

  list.selection = row;
  ASSERT_TRUE(pane.command(pane_command::kAboutFile));
  EXPECT_EQ(w.prompt.fileInfoPaths, std::vector<std::string>{dll});

  // The box cleared: asked first; No leaves the task on, Yes switches it off.
  list.rows[row].state = RowState::Disabled;
  w.prompt.answers = {false};
  pane.itemChanged(row, 0x2000, 0x1000, false);
  ASSERT_EQ(w.prompt.questions.size(), 1u);
  EXPECT_EQ(w.prompt.questions[0], "CacheTask is part of Windows (Microsoft Windows)");
  EXPECT_TRUE(w.tasks.find("\\Microsoft\\Windows\\Wininet\\CacheTask")->enabled);
  EXPECT_EQ(list.rows[row].state, RowState::Live) << "the box shows the task still on";
  list.rows[row].state = RowState::Disabled;
  w.prompt.answers = {true};
  pane.itemChanged(row, 0x2000, 0x1000, false);
  EXPECT_FALSE(w.tasks.find("\\Microsoft\\Windows\\Wininet\\CacheTask")->enabled);
  // Microsoft's other products are no part of Windows: no question.
  const std::size_t asked = w.prompt.questions.size();
  check.files[dll] = {{2, 2}, {SignatureVerdict::Verified, "Microsoft Corporation"}};
  w.tasks.find("\\Microsoft\\Windows\\Wininet\\CacheTask")->enabled = true;
  pane.refill();
  list.rows[row].state = RowState::Disabled;
  pane.itemChanged(row, 0x2000, 0x1000, false);
  EXPECT_EQ(w.prompt.questions.size(), asked);
  EXPECT_FALSE(w.tasks.find("\\Microsoft\\Windows\\Wininet\\CacheTask")->enabled);
}

TEST(ScheduledTasks, ANodeWithoutAListSaysSoAndAsksNothing) {
  TaskWorld w;
  w.tasks.unavailable = true;
  auto p = w.pane();
  EXPECT_TRUE(p->rows().empty());
  EXPECT_EQ(p.family->listingProblem(), "_TasksUnavailable");
  EXPECT_TRUE(w.prompt.messages.empty());
  w.tasks.unavailable = false;
  p->list();
  EXPECT_TRUE(p.family->listingProblem().empty()) << "a later listing that works clears it";
}

// As the window sees the scheduler: a reading a worker brings, kept and
// followed by every change, so that a list refilled after one reads
// nothing; a definition too large to read is listed by name, and left as
// it is.
TEST(ScheduledTasks, AReadingKeptFollowsEachChangeAndAHugeDefinitionIsListedUnread) {
  TaskWorld w;
  const std::string huge = "\\Huge";
  w.tasks.tasks.push_back({huge, true, std::string(kLargestTaskDefinition + 1, ' ')});
  int readings = 0;
  TaskListing listing(w.tasks, [&readings] { ++readings; });
  FamilyTable table{{scheduledTaskFamily(listing, w.context)}};
  DrivenFamily p(table.family("scheduledtasks").make({"\\"}), w.prompt, w.historyCommit);
  w.tr.texts.insert({{"_TaskDefinitionTooLarge", "too large %s"}});

  EXPECT_TRUE(p->list().empty());
  EXPECT_TRUE(p.family->placesPending());
  EXPECT_EQ(p.family->listingProblem(), "_StatusReadingLater");
  EXPECT_EQ(readings, 1);
  std::vector<RegisteredTaskInfo> read;
  ASSERT_EQ(w.tasks.listTasks(read), TaskStatus::Ok);
  listing.arrived(TaskStatus::Ok, read);
  const std::vector<Row> rows = p.family->listDeferredPlaces();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_FALSE(p.family->placesPending());
  EXPECT_EQ(rows[2].name, "Huge");
  EXPECT_EQ(rows[2].data, "");
  EXPECT_EQ(rows[2].status, "_TaskDefinitionNotRead");

  p->list();
  ASSERT_FALSE(p->disable(2).done());
  EXPECT_EQ(w.prompt.messages.back(), "too large Huge");
  EXPECT_TRUE(w.tasks.find(huge)->enabled);

  ASSERT_TRUE(p->disable(0).done());
  ASSERT_TRUE(p->remove(1).done());
  const std::vector<Row>& after = p->list();
  EXPECT_EQ(readings, 1) << "the reading kept follows the changes";
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].state, RowState::Disabled);
  EXPECT_EQ(after[1].name, "Huge");
  ASSERT_TRUE(undoChange(table, w.newest(), w.prompt, w.historyCommit, w.tr));
  EXPECT_EQ(p->list().size(), 3u) << "a task registered again by Undo is listed";
  EXPECT_EQ(readings, 1);
}

TEST(ScheduledTasks, DisableAndEnableSwitchTheTaskAndAreLoggedKeptAndUndone) {
  TaskWorld w;
  auto p = w.pane();
  ASSERT_TRUE(p->disable(0).done());
  EXPECT_FALSE(w.tasks.find(kUpdater)->enabled);
  EXPECT_TRUE(w.store.items(kScheduledTaskTraits.records).empty()) << "nothing goes to config.xml";
  ASSERT_TRUE(p->enable(1).done());
  EXPECT_TRUE(w.tasks.find(kBackup)->enabled);
  EXPECT_EQ(w.logged(), (std::vector<std::string>{
                            "disable Updater Task|\\Vendor|\"C:\\Program Files\\Vendor\\update.exe\" /silent",
                            "enable Backup|\\|C:\\backup.exe; {AB12} (C:\\Windows\\System32\\backup.dll)"}));
  ASSERT_EQ(w.kept(), 2u);
  EXPECT_EQ(w.newest().family, "scheduledtasks");

  ASSERT_TRUE(w.undoNewest());
  EXPECT_FALSE(w.tasks.find(kBackup)->enabled);
  EXPECT_EQ(*w.newest().undoes, w.history.changes()->at(1).id);
  ASSERT_TRUE(w.undo(w.history.changes()->at(2)));
  EXPECT_TRUE(w.tasks.find(kUpdater)->enabled);
  EXPECT_TRUE(w.prompt.messages.empty());
}

TEST(ScheduledTasks, ASwitchCountsOnlyWhenTheTaskReadsBackSwitched) {
  TaskWorld w;
  w.tasks.ignoreSwitch = true;  // success, and nothing changed
  auto p = w.pane();
  const OperationResult r = p->disable(0);
  EXPECT_FALSE(r.done());
  EXPECT_EQ(w.tasks.switches, 1);
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_TaskSwitchIgnored"}));
  EXPECT_TRUE(w.logged().empty());
  EXPECT_EQ(w.kept(), 0u);
}

TEST(ScheduledTasks, ARowOutOfDateChangesNothing) {
  TaskWorld w;
  auto p = w.pane();
  w.tasks.find(kUpdater)->enabled = false;  // switched elsewhere meanwhile
  EXPECT_FALSE(p->disable(0).done());
  w.tasks.definitions[w.tasks.find(kBackup)->xml].actions[0].command = "C:\\other.exe";
  EXPECT_FALSE(p->remove(1).done());
  w.tasks.tasks.clear();
  EXPECT_FALSE(p->enable(1).done());
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>(3, "_TaskChanged")));
  EXPECT_EQ(w.tasks.switches, 0);
  EXPECT_TRUE(w.prompt.questions.empty()) << "nothing is asked about a task that is not as listed";
}

TEST(ScheduledTasks, ARefusalOffersToStartAgainAsAdministrator) {
  TaskWorld w;
  w.tasks.denyChanges = true;
  auto p = w.pane();
  EXPECT_FALSE(p->disable(0).done());
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_TaskRefused"}));
  Restart admin;
  w.context.adminRestart = &admin;
  auto elevated = w.pane();
  w.prompt.warningAnswers = {true};
  EXPECT_FALSE(elevated->remove(0).done());
  EXPECT_EQ(w.prompt.warnings, (std::vector<std::string>{"_TaskRefusedAdmin"}));
  EXPECT_EQ(admin.restarts, 1);
  EXPECT_EQ(w.tasks.tasks.size(), 2u);
}

TEST(ScheduledTasks, RemoveKeepsTheExactDefinitionAndUndoRegistersItAgainAsItWas) {
  TaskWorld w;
  auto p = w.pane();
  const std::string xml = w.tasks.find(kBackup)->xml;
  ASSERT_TRUE(p->remove(1).done());
  EXPECT_EQ(w.tasks.find(kBackup), nullptr);
  const Change removed = w.newest();
  ASSERT_FALSE(removed.copy.empty());
  EXPECT_EQ(w.tasks.files.at(w.history.copyPath(removed.copy)), xml);
  EXPECT_EQ(w.logged().back(), "remove Backup|\\|C:\\backup.exe; {AB12} (C:\\Windows\\System32\\backup.dll)");

  ASSERT_TRUE(w.undoNewest());
  ASSERT_NE(w.tasks.find(kBackup), nullptr);
  EXPECT_EQ(w.tasks.find(kBackup)->xml, xml);
  EXPECT_FALSE(w.tasks.find(kBackup)->enabled) << "it comes back switched off, as it was";
  EXPECT_EQ(w.logged().back(), "add Backup|\\|C:\\backup.exe; {AB12} (C:\\Windows\\System32\\backup.dll)");
  // Undoing the Undo removes it again, asking as Remove does.
  const std::size_t asked = w.prompt.questions.size();
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.tasks.find(kBackup), nullptr);
  EXPECT_EQ(w.prompt.questions.size(), asked + 1);
}

TEST(ScheduledTasks, AnUndoneRemoveThatComesBackSwitchedOnAgainstItsWillSaysSo) {
  TaskWorld w;
  auto p = w.pane();
  ASSERT_TRUE(p->remove(1).done());  // \Backup, switched off
  w.tasks.ignoreSwitch = true;        // it registers switched on and stays so
  ASSERT_TRUE(w.undoNewest()) << "the task is back";
  EXPECT_TRUE(w.tasks.find(kBackup)->enabled);
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_TaskRestoredSwitchedOn"}));
}

TEST(ScheduledTasks, RemoveIsRefusedWhenNoCopyCanBeKept) {
  TaskWorld w;
  w.tasks.failCopies = true;
  auto p = w.pane();
  EXPECT_FALSE(p->remove(0).done());
  EXPECT_NE(w.tasks.find(kUpdater), nullptr);
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_TaskCopyFailed"}));
  w.tasks.failCopies = false;
  w.tasks.ignoreDelete = true;  // success, and the task still there
  EXPECT_FALSE(p->remove(0).done());
  EXPECT_EQ(w.prompt.messages.back(), "_TaskNotRemoved");
  EXPECT_EQ(w.kept(), 0u);
}

TEST(ScheduledTasks, ATaskThatNeedsItsPasswordIsRemovedOnlyAfterSayingUndoCannotRestoreIt) {
  TaskWorld w;
  TaskDefinition always = logonTask("C:\\sync.exe");
  always.needsPassword = true;
  w.tasks.add("\\Sync", always);
  auto p = w.pane();
  ASSERT_EQ(p->rows()[2].name, "Sync");
  ASSERT_TRUE(p->remove(2).done());
  ASSERT_EQ(w.prompt.questions.size(), 1u);
  EXPECT_EQ(w.prompt.questions[0].rfind("_AreyousureDeleteTaskPassword", 0), 0u);
  EXPECT_FALSE(w.undoNewest());
  EXPECT_EQ(w.prompt.messages.back(), "_TaskUndoNeedsPassword");
  EXPECT_EQ(w.tasks.find("\\Sync"), nullptr);

  // A task registered there meanwhile is never replaced.
  w.tasks.add(kBackup + "2", logonTask("C:\\x.exe"));
  ASSERT_TRUE(w.pane()->remove(1).done());
  w.tasks.add(kBackup, logonTask("C:\\someone-else.exe"));
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
}

TEST(ScheduledTasks, AnEditedHistoryReachesNoOtherTaskAndNoOtherFile) {
  TaskWorld w;
  w.tasks.add("\\Other", logonTask("C:\\Program Files\\Vendor\\update.exe", "/silent"));
  ASSERT_TRUE(w.pane()->remove(0).done());
  expectEachEditRefused(w, {{"location", "\\Other"},
                            {"location", "\\Vendor\\..\\Updater Task"},
                            {"location", "Vendor\\Updater Task"},
                            {"location", "\\Vendor\\Upd?ter Task"},
                            {"copy", "..\\..\\Windows\\win.ini"},
                            {"family", "registry"}});
}

}  // namespace
}  // namespace velmora::testing
