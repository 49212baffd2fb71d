// A fourth kind of startup place, added the way README > Layout > "Adding a
// kind of startup place" says: a port, a family on the operations contract
// that keeps a FamilySupport, a descriptor, one more entry in the list of
// families. Nothing else learns of it, yet its nodes, its pane, the commit
// (log and history), Undo and the export all take it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/all_families.h"
#include "app/export.h"
#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/family_driver.h"
#include "fakes/real_families.h"
#include "family/family_support.h"
#include "history/change_undo.h"
#include "pane/pane_logic.h"

namespace velmora::testing {
namespace {

// 1. The port: what the family needs of the system. Here: tasks with an
// on/off switch of their own, as a task scheduler keeps them.
struct Task {
  std::string folder, name, command;
  bool enabled = true;
};
class TaskPort {
 public:
  std::vector<Task> tasks;
  Task* find(const std::string& folder, const std::string& name) {
    for (Task& t : tasks) {
      if (t.folder == folder && t.name == name) return &t;
    }
    return nullptr;
  }
};

// 2. The family, on the operations contract, with its traits.
std::vector<std::string> taskLog(const std::string& location, const EntryState& s) { return {location + "\\" + s.name}; }
std::vector<std::string> taskLogModified(const std::string& location, const EntryState& b, const EntryState&) {
  return {location + "\\" + b.name};
}
const FamilyTraits kTaskTraits{RecordKind{"disabledtaskitem"}, LogKeys{"Task"}, "_TaskType",
                               [](std::string_view a, std::string_view b) { return a == b; }, "tasks", &taskLog,
                               &taskLogModified};

class TaskFamily : public EntryFamily {
 public:
  TaskFamily(std::vector<std::string> folders, TaskPort& port, const FamilyContext& context)
      : folders_(std::move(folders)), port_(port), support_(context, kTaskTraits) {}

  const FamilyTraits& traits() const override { return kTaskTraits; }
  // Tasks are switched and removed, never written here.
  FamilyAbilities abilities() const override { return {false, false, true, true}; }
  ColumnWidths columnWidths() const override { return {150, 100, 300, 200}; }
  std::vector<Row> list() override {
    std::vector<Row> rows;
    for (const Task& t : port_.tasks) {
      if (std::find(folders_.begin(), folders_.end(), t.folder) == folders_.end()) continue;
      Row row{t.name, support_.typeText(), t.command, t.folder, t.enabled ? RowState::Live : RowState::Disabled};
      row.origin = t.enabled ? RowOrigin::Live : RowOrigin::OffInWindows;
      rows.push_back(std::move(row));
    }
    support_.describeRows(rows, [](const Row& r) { return r.data; });
    return rows;
  }
  void describe(Row& row) override { support_.describe(row); }
  EntryDialogData dialogData(const EntryRef& e) const override { return support_.dialogData(e); }
  OperationResult prepareAdd(EntryDialogData&) override { return {}; }
  OperationResult add(const EntryDialogData&, UserPrompt&) override { return {}; }
  OperationResult modify(const EntryRef&, const EntryDialogData&, UserPrompt&) override { return {}; }
  OperationResult remove(const EntryRef& e, UserPrompt& prompt) override {
    return support_.run(prompt, [&] {
      Task* t = current(e);
      if (!t || !support_.confirmRemove(e.name, e.location, e.data)) return;
      const EntryState was{t->name, t->command, {}, !t->enabled};
      port_.tasks.erase(port_.tasks.begin() + (t - port_.tasks.data()));
      support_.done(support_.change(change_kind::kRemove, e.location, was, std::nullopt));
    });
  }
  OperationResult enable(const EntryRef& e, UserPrompt& prompt) override {
    return support_.run(prompt, [&] { return setEnabled(e, true); });
  }
  OperationResult disable(const EntryRef& e, UserPrompt& prompt) override {
    return support_.run(prompt, [&] { return setEnabled(e, false); });
  }
  OperationResult undo(const Change& c, UserPrompt& prompt) override {
    return support_.run(prompt, [&] {
      if (!support_.mayUndo(c, folders_, true) || !c.after) return false;
      const EntryRef e{c.location, c.after->name, c.after->data};
      if (c.kind == change_kind::kDisable) return setEnabled(e, true);
      if (c.kind == change_kind::kEnable) return setEnabled(e, false);
      support_.tell("_UndoNotPossible");
      return false;
    });
  }
  OperationResult openLocation(const EntryRef&) override { return {}; }

 private:
  Task* current(const EntryRef& e) {
    Task* t = port_.find(e.location, e.name);
    if (!t || t->command != e.data) support_.tell("_TaskChanged", {e.name});
    return t && t->command == e.data ? t : nullptr;
  }
  bool setEnabled(const EntryRef& e, bool on) {
    Task* t = current(e);
    if (!t || t->enabled == on) return false;
    t->enabled = on;
    support_.done(support_.change(on ? change_kind::kEnable : change_kind::kDisable, e.location,
                                  EntryState{e.name, e.data, {}, on}, EntryState{e.name, e.data, {}, !on}));
    return true;
  }

  std::vector<std::string> folders_;
  TaskPort& port_;
  FamilySupport support_;
};

// 3. The descriptor: its id, traits, its part of the tree, and a factory.
FamilyDescriptor taskFamily(TaskPort& port, const FamilyContext& context) {
  return FamilyDescriptor{"tasks",
                          kTaskTraits,
                          {{0, "_TreeTasks", -1, 6, {}, {"\\", "\\Vendor"}}, {1, "_TreeVendorTasks", 0, 6, {}, {"\\Vendor"}}},
                          {},
                          [](const std::vector<std::string_view>& paths) {
                            return std::vector<std::string>(paths.begin(), paths.end());
                          },
                          [&port, &context](std::vector<std::string> folders) -> std::unique_ptr<EntryFamily> {
                            return std::make_unique<TaskFamily>(std::move(folders), port, context);
                          }};
}

// 4. One more entry in the list of families.
struct FourFamilies : RealFamilies {
  explicit FourFamilies(RegistryPort& reg) : RealFamilies(reg), all(table.nodes().size()) {
    std::vector<FamilyDescriptor> families = allFamilies({reg, folders, links, noShortPaths(), "C:\\Velmora"}, context);
    families.push_back(taskFamily(tasks, context));
    four = std::make_unique<FamilyTable>(std::move(families));
    tr.texts = {{"_TaskType", "Scheduled task"},
                {"_LogItemType5ContentTask", "disabled task %s"},
                {"_LogItemType4ContentTask", "enabled task %s"},
                {"_AreyousureDeleteThisEntry", "Remove %s from %s?"},
                {"_StatusDisabled", "Disabled %s"}};
    tasks.tasks = {{"\\", "Backup", "C:\\backup.exe"}, {"\\Vendor", "Updater", "C:\\Vendor\\update.exe", false}};
  }
  TaskPort tasks;
  std::size_t all;  // the nodes of the three families
  std::unique_ptr<FamilyTable> four;
};

TEST(FourthFamily, ItsNodesFollowTheOthersAndItsPaneWorksThroughTheContract) {
  FakeRegistry reg;
  FourFamilies f(reg);
  const auto& nodes = f.four->nodes();
  ASSERT_EQ(nodes.size(), f.all + 2);
  EXPECT_EQ(nodes[f.all].family, "tasks");
  EXPECT_EQ(nodes[f.all + 1].parent, static_cast<int>(f.all));

  // Its pane: rows listed, a box cleared is a Disable committed with the
  // family's own log keys, and what it cannot do is greyed.
  RecordingLog sink;
  OperationLog log{f.tr, &sink};
  FakeHistoryFile file;
  ChangeHistory history(file, "C:\\Velmora\\History");
  ChangeCommit commit{log, &history, f.tr};
  const auto family = f.four->family("tasks").make(f.four->paneLocations()[f.all]);
  ScriptedPrompt prompt;
  FamilyDriver drive(*family, prompt, commit);
  ASSERT_EQ(drive.list().size(), 2u);
  EXPECT_EQ(drive.rows()[0].type, "Scheduled task");
  ASSERT_TRUE(drive.disable(0).done());
  EXPECT_FALSE(f.tasks.tasks[0].enabled);
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].content, "disabled task \\\\Backup");
  EXPECT_FALSE(contextItemEnabled(pane_command::kAddNew, std::nullopt, family->abilities()));
  EXPECT_FALSE(contextItemEnabled(pane_command::kModify, 2, family->abilities()));
  EXPECT_TRUE(contextItemEnabled(pane_command::kRemove, 2, family->abilities()));

  // Undo finds it by its id in the history, over every place it lists.
  const auto kept = history.changes();
  ASSERT_TRUE(kept && kept->size() == 1u);
  EXPECT_EQ(kept->front().family, "tasks");
  EXPECT_TRUE(undoChange(*f.four, kept->front(), prompt, commit, f.tr));
  EXPECT_TRUE(f.tasks.tasks[0].enabled);
  EXPECT_EQ(history.changes()->front().undoes, kept->front().id);
  EXPECT_TRUE(prompt.messages.empty());

  // The export lists its entries with everyone else's.
  const std::string csv = exportEntries(*f.four, f.tr).text();
  EXPECT_NE(csv.find("C:\\Vendor\\update.exe"), std::string::npos);
  EXPECT_NE(csv.find("C:\\backup.exe"), std::string::npos);
}

}  // namespace
}  // namespace velmora::testing
