// All Entries: one pane over every family's places. Its rows are every
// family's, each operation is done by the row's own family (same records,
// log keys and history), greying follows the selected row's family, one
// family that cannot list hides nobody else's rows, and Add offers every
// place.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/all_families.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_packages.h"
#include "fakes/fake_tasks.h"
#include "fakes/family_world.h"
#include "family/all_entries_family.h"
#include "family/program_file.h"
#include "history/change_undo.h"
#include "pane/pane_logic.h"
#include "programlist/short_path.h"
#include "scheduledtasks/task_listing.h"

namespace velmora::testing {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUserRun = "HKEY_CURRENT_USER\\" + kRun;
const std::string kWindows = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kLoad = "HKEY_CURRENT_USER\\" + kWindows + "\\Load";
const std::string kUserStartup = "C:\\Users\\me\\Startup";
const std::string kTask = "\\Vendor\\Updater";

// One entry in each kind of place: a Run value, a Load program, a shortcut
// in the current user's startup folder, a task at logon.
struct AllEntriesWorld : FamilyWorld {
  // With `slowTasks` the families see the tasks as the window does: a
  // reading that a worker brings (`listing`), each one counted.
  explicit AllEntriesWorld(bool slowTasks = false) : slow(slowTasks) {}
  // No program file exists unless a test says so.
  FilesOnly files;
  FakeRegistry reg;
  FakeFolders folders;
  FakeShellLinks links{folders};
  FakeTaskPort tasks;
  int readings = 0;
  TaskListing listing{tasks, [this] { ++readings; }};
  FakePackagePort packages;
  bool slow;
  FamilyTable table{allFamilies({reg, folders, links, noShortPaths(), slow ? static_cast<TaskPort&>(listing) : tasks,
                                 packages, "C:\\Velmora"},
                                context)};
  std::unique_ptr<EntryFamily> view;
  FamilyDriver driver{*(view = makeView()), prompt, historyCommit};

  std::unique_ptr<EntryFamily> makeView() {
    context.programFiles = &files;
    reg.put(RootKey::CurrentUser, kRun, "Tool", "C:\\tool.exe /tray");
    reg.put(RootKey::CurrentUser, kWindows, "Load", "C:\\a.exe C:\\b.exe");
    reg.put(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup",
            kUserStartup);
    folders.addFolder(kUserStartup);
    folders.addFolder("C:\\Velmora");
    folders.put(kUserStartup + "\\Helper.lnk", FakeShellLinks::linkBytes("C:\\helper.exe"));
    tasks.add(kTask, logonTask("C:\\update.exe"));
    logValuesJoined();
    tr.texts.insert({{"_LogItemType5ContentTask", "disable %s|%s"},
                     {"_LogItemType4ContentTask", "enable %s|%s"},
                     {"_LogItemType5Content1", "disable file %s|%s|%s"},
                     {"_TasksUnavailable", "no tasks"},
                     {"_StatusReadingLater", "tasks later"},
                     {"_AddFileNotFound", "missing %s"}});
    const CategoryNode& node = table.nodes().at(kAllEntriesNode);
    return table.family(node.family).make(table.paneLocations().at(kAllEntriesNode));
  }
  int rowOf(const std::string& name) const {
    const auto& rows = driver.rows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const Row& r : driver.rows()) out.push_back(r.name);
    return out;
  }
};

TEST(AllEntriesNode, KeepsItsIndexFirstInTheTreeAndOutsideExportAndUndo) {
  AllEntriesWorld w;
  ASSERT_EQ(w.table.nodes().size(), 19u);
  const CategoryNode& node = w.table.nodes()[kAllEntriesNode];
  EXPECT_EQ(node.labelKey, "_TreeAllEntries");
  EXPECT_EQ(node.parent, -1);
  EXPECT_TRUE(node.top);
  EXPECT_EQ(std::count_if(w.table.nodes().begin(), w.table.nodes().end(), [](const CategoryNode& n) { return n.top; }), 1);
  EXPECT_EQ(w.table.nodes()[16].labelKey, "_TreeScheduledTasks") << "the nodes before keep their indices";
  EXPECT_EQ(w.table.nodes()[18].labelKey, "_TreePackagedApps") << "a family added since comes after it";
  // A view owns no entry: the export would list each twice, and no change
  // is ever its own.
  const auto ids = w.table.ids();
  EXPECT_EQ(ids, (std::vector<FamilyId>{"startupfolder", "registry", "programlist", "scheduledtasks", "packagedapps"}));
  Change forged;
  forged.id = 1;
  forged.family = "allentries";
  forged.kind = std::string(change_kind::kRemove);
  forged.location = kUserRun;
  EXPECT_FALSE(undoChange(w.table, forged, w.prompt, w.historyCommit, w.tr));
  EXPECT_TRUE(w.saidNotPossible());
}

TEST(AllEntriesNode, ListsEveryFamilysRowsAndEachOperationIsTheRowsOwnFamilys) {
  AllEntriesWorld w;
  w.driver.list();
  const auto names = w.names();
  for (const char* n : {"Tool", "Helper.lnk", "Updater"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  }
  EXPECT_EQ(std::count_if(w.driver.rows().begin(), w.driver.rows().end(),
                          [&](const Row& r) { return r.path == kLoad; }),
            2)
      << "both Load programs";

  // Disable by each family, with its records, log keys and history.
  ASSERT_TRUE(w.driver.disable(w.rowOf("Tool")).done());
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  std::vector<StoredItem> records;
  ASSERT_EQ(w.store.list(RecordKind{"disabledregistryitem"}, records), StoreStatus::Ok);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].item.path, kUserRun);
  EXPECT_EQ(w.newest().family, "registry");

  ASSERT_TRUE(w.driver.disable(w.rowOf("Updater")).done());
  EXPECT_FALSE(w.tasks.find(kTask)->enabled);
  EXPECT_EQ(w.newest().family, "scheduledtasks");

  ASSERT_TRUE(w.driver.disable(w.rowOf("Helper.lnk")).done());
  EXPECT_FALSE(w.folders.hasFile(kUserStartup + "\\Helper.lnk"));
  EXPECT_EQ(w.newest().family, "startupfolder");

  const auto logged = w.logged();
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[0], "disable Tool|" + kUserRun + "|C:\\tool.exe /tray");
  EXPECT_EQ(logged[1], "disable Updater|\\Vendor") << "the task family's own log keys";
  EXPECT_EQ(logged[2].rfind("disable file ", 0), 0u) << logged[2];

  // Listed again: the records are rows of the same families, and Enable
  // puts each back.
  w.driver.list();
  ASSERT_TRUE(w.driver.enable(w.rowOf("Tool")).done());
  EXPECT_NE(w.reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  ASSERT_TRUE(w.driver.enable(w.rowOf("Updater")).done());
  EXPECT_TRUE(w.tasks.find(kTask)->enabled);
  ASSERT_TRUE(w.driver.enable(w.rowOf("Helper.lnk")).done());
  EXPECT_TRUE(w.folders.hasFile(kUserStartup + "\\Helper.lnk"));

  // Remove of a program-list entry, then Undo through the history, which
  // names the program list, not the view.
  w.driver.list();
  const auto load = std::find_if(w.driver.rows().begin(), w.driver.rows().end(),
                                 [&](const Row& r) { return r.path == kLoad && r.data == "C:\\a.exe"; });
  ASSERT_NE(load, w.driver.rows().end());
  ASSERT_TRUE(w.driver.remove(static_cast<int>(load - w.driver.rows().begin())).done());
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kWindows, "Load")->text, "C:\\b.exe");
  const Change removed = w.newest();
  EXPECT_EQ(removed.family, "programlist");
  EXPECT_TRUE(undoChange(w.table, removed, w.prompt, w.historyCommit, w.tr));
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kWindows, "Load")->text, "C:\\a.exe C:\\b.exe") << "at its old place";
  // The view's own Undo hands the change to the family it names as well.
  ASSERT_TRUE(w.driver.undo(w.newest()).done());
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kWindows, "Load")->text, "C:\\b.exe");
}

TEST(AllEntriesNode, GreyingAndTraitsFollowTheSelectedRowsFamily) {
  AllEntriesWorld w;
  w.driver.list();
  const EntryRef task = w.driver.entry(w.rowOf("Updater"));
  const EntryRef run = w.driver.entry(w.rowOf("Tool"));
  EXPECT_FALSE(w.view->abilitiesFor(task).modify);
  EXPECT_FALSE(w.view->abilitiesFor(task).add);
  EXPECT_TRUE(w.view->abilitiesFor(run).modify);
  EXPECT_TRUE(w.view->abilities().add) << "Add belongs to the pane: some family can";
  EXPECT_EQ(w.view->traitsFor(task).id, "scheduledtasks");
  EXPECT_EQ(w.view->traitsFor(run).id, "registry");

  // The pane: Modify on the task's row does nothing (no dialog), on the Run
  // value's row it opens the dialog; the menu greys the same way.
  FakeList list;
  struct NoBoxes : CheckBoxes {
    int stateImage(int) const override { return 2; }
    void check(int, RowState) override {}
  } boxes;
  PaneController pane{*w.view, list, boxes, w.prompt, w.commit, w.tr};
  pane.refill();
  list.selection = w.rowOf("Updater");
  EXPECT_TRUE(pane.command(pane_command::kModify));
  EXPECT_TRUE(w.prompt.dialogs.empty());
  EXPECT_FALSE(contextItemEnabled(pane_command::kModify, 2, pane.abilitiesFor(pane_command::kModify)));
  EXPECT_TRUE(contextItemEnabled(pane_command::kAddNew, 2, pane.abilitiesFor(pane_command::kAddNew)));
  list.selection = w.rowOf("Tool");
  EXPECT_TRUE(contextItemEnabled(pane_command::kModify, 2, pane.abilitiesFor(pane_command::kModify)));
  EXPECT_TRUE(pane.command(pane_command::kModify));
  ASSERT_EQ(w.prompt.dialogs.size(), 1u);
  EXPECT_EQ(w.prompt.dialogs[0].in.sectionText, kUserRun);
}

TEST(AllEntriesNode, AFamilyThatCannotListHidesNobodyElsesRowsAndSlowPlacesComeAfter) {
  AllEntriesWorld w;
  w.tasks.unavailable = true;
  w.driver.list();
  EXPECT_GE(w.rowOf("Tool"), 0);
  EXPECT_GE(w.rowOf("Helper.lnk"), 0);
  EXPECT_EQ(w.rowOf("Updater"), -1);
  EXPECT_EQ(w.view->listingProblem(), "no tasks");

  // Read by a worker, as in the window: the first listing shows every other
  // place at once and says the tasks are being read.
  AllEntriesWorld slow(true);
  slow.driver.list();
  EXPECT_EQ(slow.readings, 1);
  EXPECT_GE(slow.rowOf("Tool"), 0);
  EXPECT_EQ(slow.rowOf("Updater"), -1);
  EXPECT_EQ(slow.view->listingProblem(), "tasks later");
  EXPECT_TRUE(slow.view->placesPending());
  EXPECT_TRUE(slow.view->listDeferredPlaces().empty()) << "still on their way";
  slow.driver.list();
  EXPECT_EQ(slow.readings, 1) << "one reading at a time";

  // Its rows come after those shown, which stand: the other places are not
  // read again; then nothing is left to add.
  std::vector<RegisteredTaskInfo> read;
  ASSERT_EQ(slow.tasks.listTasks(read), TaskStatus::Ok);
  slow.listing.arrived(TaskStatus::Ok, read);
  slow.reg.put(RootKey::CurrentUser, kRun, "Late", "C:\\late.exe");
  const std::vector<Row> added = slow.view->listDeferredPlaces();
  ASSERT_FALSE(added.empty());
  for (const Row& r : added) EXPECT_EQ(r.path.rfind("\\", 0), 0u) << r.name << " is a task, not " << r.path;
  EXPECT_TRUE(std::any_of(added.begin(), added.end(), [](const Row& r) { return r.name == "Updater"; }));
  EXPECT_EQ(slow.view->listingProblem(), "");
  EXPECT_FALSE(slow.view->placesPending());
  EXPECT_TRUE(slow.view->listDeferredPlaces().empty()) << "nothing was left out any more";
  // An operation on a task row added so goes to the task family.
  EXPECT_EQ(slow.view->traitsFor(entryOf(added.front())).id,
            std::string_view("scheduledtasks"));

  // A refill answers with the reading kept; a refresh the user asked for
  // reads the scheduler again.
  slow.driver.list();
  EXPECT_GE(slow.rowOf("Late"), 0);
  EXPECT_GE(slow.rowOf("Updater"), 0);
  EXPECT_EQ(slow.readings, 1);
  slow.view->rereadSlowPlaces();
  slow.driver.list();
  EXPECT_EQ(slow.readings, 2);
  EXPECT_EQ(slow.rowOf("Updater"), -1);
}

TEST(AllEntriesNode, AddOffersEveryPlaceAndAddsWhereChosen) {
  AllEntriesWorld w;
  w.files.files = {"C:\\there.exe"};
  EntryDialogData data;
  ASSERT_TRUE(w.view->prepareAdd(data).done());
  std::vector<std::string> places;
  for (const EntryPlace& p : data.places) places.push_back(p.location);
  EXPECT_EQ(addPlace(data), kUserRun) << "the current user's Run key by default";
  for (const std::string& p : {kUserStartup, kUserRun, kLoad}) {
    EXPECT_NE(std::find(places.begin(), places.end(), p), places.end()) << p;
  }
  EXPECT_EQ(std::find_if(places.begin(), places.end(), [](const std::string& p) { return p.find("RunOnceEx") != std::string::npos; }),
            places.end());
  EXPECT_EQ(std::find(places.begin(), places.end(), "\\"), places.end()) << "tasks cannot be added";
  const auto at = [&](const std::string& p) {
    return static_cast<std::size_t>(std::find(places.begin(), places.end(), p) - places.begin());
  };
  // The startup folder's place carries its own name rule.
  EXPECT_TRUE(data.places[at(kUserStartup)].check);
  EXPECT_FALSE(data.places[at(kUserRun)].check);

  ASSERT_TRUE(w.driver.add("There", "C:\\there.exe").done());
  EXPECT_NE(w.reg.find(RootKey::CurrentUser, kRun, "There"), nullptr);
  EXPECT_TRUE(w.prompt.questions.empty()) << "the file exists: nothing to ask";

  ASSERT_TRUE(w.driver.add("Link", "C:\\there.exe", at(kUserStartup)).done());
  EXPECT_TRUE(w.folders.hasFile(kUserStartup + "\\Link.lnk"));
  EXPECT_EQ(w.newest().family, "startupfolder");

  // A program file that is not there: asked, and No adds nothing.
  w.prompt.answers = {false};
  EXPECT_FALSE(w.driver.add("", "C:\\missing.exe", at(kLoad)).done());
  ASSERT_EQ(w.prompt.questions.size(), 1u);
  EXPECT_NE(w.prompt.questions[0].find("C:\\missing.exe"), std::string::npos);
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kWindows, "Load")->text, "C:\\a.exe C:\\b.exe");
  // Yes adds it all the same.
  w.prompt.answers = {true};
  ASSERT_TRUE(w.driver.add("", "C:\\missing.exe", at(kLoad)).done());
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kWindows, "Load")->text, "C:\\a.exe C:\\b.exe,C:\\missing.exe");
  EXPECT_EQ(w.newest().family, "programlist");
}

// Two families' places may read alike: a startup folder value that spells
// the current user's Run key, or a folder at the drive's root spelt as a
// task's path. Each row's operation goes to the family that listed it, the
// first family listing that text notwithstanding, and an entry that names
// no family goes nowhere.
TEST(AllEntriesNode, EachRowGoesToTheFamilyThatListedItWhateverItsLocationReads) {
  AllEntriesWorld w;
  // The current user's folder spells the Run key; the machine's spells the task.
  const std::string folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  w.reg.put(RootKey::CurrentUser, folders, "Startup", kUserRun);
  w.reg.put(RootKey::LocalMachine, folders, "Common Startup", kTask);
  for (const std::string& f : {kUserRun, kTask}) w.folders.addFolder(f);
  w.folders.put(kUserRun + "\\InRunFolder.lnk", FakeShellLinks::linkBytes("C:\\one.exe"));
  w.folders.put(kTask + "\\InTaskFolder.lnk", FakeShellLinks::linkBytes("C:\\two.exe"));
  // The view over the folders as Windows names them now.
  const auto view = w.table.family(w.table.nodes().at(kAllEntriesNode).family)
                        .make(w.table.paneLocations().at(kAllEntriesNode));
  FamilyDriver driver{*view, w.prompt, w.historyCommit};
  driver.list();
  const auto rowOf = [&](const std::string& name) {
    const auto& rows = driver.rows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  };

  struct Case {
    const char* name;
    std::string_view family;
    std::string location;
  };
  const Case cases[] = {{"InRunFolder.lnk", "startupfolder", kUserRun},
                        {"Tool", "registry", kUserRun},
                        {"InTaskFolder.lnk", "startupfolder", kTask},
                        {"Updater", "scheduledtasks", kTask}};
  for (const Case& c : cases) {
    const int row = rowOf(c.name);
    ASSERT_GE(row, 0) << c.name;
    EXPECT_EQ(driver.rows()[row].path, c.location) << c.name;
    EXPECT_EQ(driver.rows()[row].family, c.family) << c.name;
    EXPECT_EQ(view->traitsFor(driver.entry(row)).id, c.family) << c.name;
    ASSERT_TRUE(driver.disable(row).done()) << c.name;
    EXPECT_EQ(w.newest().family, c.family) << c.name;
  }
  EXPECT_FALSE(w.folders.hasFile(kUserRun + "\\InRunFolder.lnk"));
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_FALSE(w.folders.hasFile(kTask + "\\InTaskFolder.lnk"));
  EXPECT_FALSE(w.tasks.find(kTask)->enabled);

  // Without the family that listed it an entry is nobody's: nothing is done.
  EntryRef unlisted = driver.entry(rowOf("Tool"));
  unlisted.family = {};
  EXPECT_FALSE(view->enable(unlisted, w.prompt).done());
  EXPECT_EQ(w.reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
}

// Add's drop-down names each place by what it is (Run, RunOnce, policy Run
// and Shell no longer look alike when the box cuts their keys) and starts at
// the current user's Run key.
TEST(AllEntriesNode, AddNamesEveryPlaceByWhatItIsAndStartsAtTheCurrentUsersRunKey) {
  AllEntriesWorld w;
  w.reg.put(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
            "Common Startup", "C:\\ProgramData\\Startup");
  w.folders.addFolder("C:\\ProgramData\\Startup");
  const auto view = w.table.family(w.table.nodes().at(kAllEntriesNode).family)
                        .make(w.table.paneLocations().at(kAllEntriesNode));
  EntryDialogData data;
  ASSERT_TRUE(view->prepareAdd(data).done());
  const std::string lm = "HKEY_LOCAL_MACHINE\\Software\\", cv = "Microsoft\\Windows\\CurrentVersion\\";
  const std::string nt = "\\Microsoft\\Windows NT\\CurrentVersion\\";
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"C:\\ProgramData\\Startup", "_PlaceStartupAllUsers"},
      {kUserStartup, "_PlaceStartupCurrentUser"},
      {lm + cv + "Run", "_PlaceRunAllUsers"},
      {lm + "WOW6432Node\\" + cv + "Run", "_PlaceRun32AllUsers"},
      {lm + cv + "Policies\\Explorer\\Run", "_PlacePolicyRunAllUsers"},
      {lm + cv + "RunOnce", "_PlaceRunOnceAllUsers"},
      {lm + "WOW6432Node\\" + cv + "RunOnce", "_PlaceRunOnce32AllUsers"},
      {lm + cv + "RunServices", "_PlaceRunServices"},
      {lm + cv + "RunServicesOnce", "_PlaceRunServicesOnce"},
      {kUserRun, "_PlaceRunCurrentUser"},
      {"HKEY_CURRENT_USER\\Software\\" + cv + "Policies\\Explorer\\Run", "_PlacePolicyRunCurrentUser"},
      {"HKEY_CURRENT_USER\\Software\\" + cv + "RunOnce", "_PlaceRunOnceCurrentUser"},
      {kLoad, "_PlaceLoad"},
      {"HKEY_CURRENT_USER\\Software" + nt + "Windows\\Run", "_PlaceWininiRun"},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE" + nt + "Winlogon\\Userinit", "_PlaceUserinit"},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE" + nt + "Winlogon\\Shell", "_PlaceShellAllUsers"},
      {"HKEY_CURRENT_USER\\Software" + nt + "Winlogon\\Shell", "_PlaceShellCurrentUser"},
  };
  std::vector<std::pair<std::string, std::string>> offered;
  for (const EntryPlace& p : data.places) offered.emplace_back(p.location, p.label);
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(addPlace(data), kUserRun) << "the current user's Run key by default";
  EXPECT_EQ(data.places[data.place].label, "_PlaceRunCurrentUser");
}

// A place no family offered is refused by every family's Add, and by the
// view: an edited choice never writes somewhere unasked.
TEST(AllEntriesNode, AnAddToAPlaceNobodyOfferedChangesNothing) {
  AllEntriesWorld w;
  EntryDialogData data;
  ASSERT_TRUE(w.view->prepareAdd(data).done());
  data.name = "X";
  data.path = "C:\\x.exe";
  data.places.push_back(EntryPlace{"HKEY_LOCAL_MACHINE\\Software\\Elsewhere", data.typeText, {}});
  data.place = data.places.size() - 1;
  EXPECT_FALSE(w.view->add(data, w.prompt).done());
  EXPECT_EQ(w.reg.writes, 0);
}

}  // namespace
}  // namespace velmora::testing
