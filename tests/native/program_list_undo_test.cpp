// Undo of the program-list family's changes over the fakes, through the
// family table, the real commit and a kept history: a program comes back
// to its place in the value, an Undo is logged and kept as the change it
// makes, Userinit stays guarded, and a change edited in the file is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/family_world.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_undo.h"
#include "programlist/program_list_family.h"
#include "programlist/short_path.h"

namespace velmora::testing {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const std::string kWindowsSub = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kLoad = "HKEY_CURRENT_USER\\" + kWindowsSub + "\\Load";
const std::string kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kUserinit = "HKEY_LOCAL_MACHINE\\" + kWinlogonSub + "\\Userinit";

struct UndoWorld : FamilyWorld {
  FakeRegistry reg;
  FamilyTable table{{programListFamily(reg, noShortPaths(), context)}};
  std::unique_ptr<EntryFamily> family;
  std::optional<FamilyDriver> driver;

  UndoWorld() {
    context.copies = &history;
    tr.texts = {{"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}};
    logValuesJoined();
  }
  // The pane of one location, listed.
  FamilyDriver& pane(const std::string& location) {
    driver.reset();
    family = table.family("programlist").make({location});
    driver.emplace(*family, prompt, historyCommit);
    driver->list();
    return *driver;
  }
  int rowOf(const std::string& data, RowState state) const {
    const std::vector<Row>& rows = driver->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].data == data && rows[i].state == state) return static_cast<int>(i);
    }
    return -1;
  }
  std::string load() const { return reg.find(kHkcu, kWindowsSub, "Load")->text; }
  bool undo(const Change& change) { return undoChange(table, change, prompt, historyCommit, tr); }
  bool undoNewest() { return undo(newest()); }
  std::string lastLogged() const { return sink.records.empty() ? std::string() : sink.records.back().content; }
  // Every record, value and kept change a change could touch, as text.
  std::string everything() const {
    std::string out;
    for (const DisabledItem& i : store.items(kProgramListRecords)) {
      out += i.path + '|' + i.valuename + '|' + i.valuedata + '\n';
    }
    for (const auto& [root, sub] :
         std::vector<std::pair<RootKey, std::string>>{{kHkcu, kWindowsSub}, {RootKey::LocalMachine, kWinlogonSub}}) {
      for (const RegValue& v : reg.values(root, sub)) out += v.name + '=' + v.text + '\n';
    }
    return out + std::to_string(file.records.size());
  }
};

TEST(ProgramListUndo, ARemovedProgramGoesBackToItsPlace) {
  UndoWorld w;
  w.reg.put(kHkcu, kWindowsSub, "Load", "a.exe b.exe,c.exe");
  auto& pane = w.pane(kLoad);
  pane.remove(w.rowOf("b.exe", RowState::Live));
  ASSERT_EQ(w.load(), "a.exe,c.exe");
  EXPECT_EQ(w.newest().position, 1u);
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.load(), "a.exe b.exe,c.exe") << "the very text it had";

  // Changed meanwhile: only the program goes back, between its neighbours.
  pane.list();
  pane.remove(w.rowOf("b.exe", RowState::Live));
  const Change removed = w.newest();
  w.reg.put(kHkcu, kWindowsSub, "Load", "a.exe,c.exe,d.exe");
  ASSERT_TRUE(w.undo(removed));
  EXPECT_EQ(w.load(), "a.exe,b.exe,c.exe,d.exe");
  EXPECT_FALSE(w.undo(removed)) << "it is there already";
  EXPECT_TRUE(w.saidChanged());
}

TEST(ProgramListUndo, ModifyAndDisableGoBackAndUserinitIsGuarded) {
  UndoWorld w;
  w.reg.put(kHkcu, kWindowsSub, "Load", "a.exe,b.exe");
  auto& pane = w.pane(kLoad);
  pane.modify(w.rowOf("a.exe", RowState::Live), "Load", "z.exe");
  ASSERT_EQ(w.load(), "b.exe,z.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.load(), "a.exe,b.exe");

  pane.list();
  ASSERT_TRUE(pane.disable(w.rowOf("b.exe", RowState::Live)).done());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.load(), "a.exe,b.exe");
  EXPECT_TRUE(w.store.items(kProgramListRecords).empty());

  // Undoing a Modify that put userinit.exe in would take it out again: the
  // warning is asked, and its default (Cancel) changes nothing.
  w.reg.put(RootKey::LocalMachine, kWinlogonSub, "Userinit", "other.exe");
  auto& userinit = w.pane(kUserinit);
  userinit.modify(w.rowOf("other.exe", RowState::Live), "Userinit", "C:\\Windows\\system32\\userinit.exe");
  const std::string afterModify = w.reg.find(RootKey::LocalMachine, kWinlogonSub, "Userinit")->text;
  ASSERT_NE(afterModify.find("userinit.exe"), std::string::npos);
  const std::size_t kept = w.kept();
  EXPECT_FALSE(w.undoNewest());
  EXPECT_EQ(w.prompt.warnings.size(), 1u);
  EXPECT_EQ(w.reg.find(RootKey::LocalMachine, kWinlogonSub, "Userinit")->text, afterModify);
  EXPECT_EQ(w.kept(), kept);
}

// An Undo that would take explorer.exe out of the machine's Shell value is
// refused as the forward change would be: no question, nothing changed.
TEST(ProgramListUndo, UndoCannotTakeExplorerOutOfTheMachinesShell) {
  UndoWorld w;
  const std::string shell = "HKEY_LOCAL_MACHINE\\" + kWinlogonSub + "\\Shell";
  const auto refused = [&](const Change& c) {
    const std::string before = w.everything();
    w.prompt.messages.clear();
    EXPECT_FALSE(w.undo(c));
    EXPECT_EQ(w.prompt.messages, std::vector<std::string>{"_WininiShellRefused"});
    EXPECT_TRUE(w.prompt.warnings.empty()) << "a refusal, not a question";
    EXPECT_EQ(w.everything(), before);
  };

  // A Modify that made a program explorer.exe: undoing it would replace it.
  w.reg.put(RootKey::LocalMachine, kWinlogonSub, "Shell", "C:\\tray.exe");
  auto& pane = w.pane(shell);
  ASSERT_TRUE(pane.modify(w.rowOf("C:\\tray.exe", RowState::Live), "Shell", "C:\\Windows\\explorer.exe").done());
  refused(w.newest());

  // An Enable of a kept explorer.exe: undoing it would disable it.
  w.reg.put(RootKey::LocalMachine, kWinlogonSub, "Shell", "C:\\tray.exe");
  w.store.elements.push_back({kProgramListRecords, DisabledItem{shell, "Shell", "Explorer"}});
  pane.list();
  ASSERT_TRUE(pane.enable(w.rowOf("Explorer", RowState::Disabled)).done());
  ASSERT_EQ(w.reg.find(RootKey::LocalMachine, kWinlogonSub, "Shell")->text, "C:\\tray.exe,Explorer");
  refused(w.newest());
}

// An Undo is logged as the change it makes, and kept as the Undo of the
// change it reversed, with the value's texts for its own Undo.
TEST(ProgramListUndo, EachUndoIsLoggedAndKeptAsTheChangeItMakes) {
  UndoWorld w;
  w.reg.put(kHkcu, kWindowsSub, "Load", "a.exe,b.exe");
  auto& pane = w.pane(kLoad);

  ASSERT_TRUE(pane.disable(w.rowOf("b.exe", RowState::Live)).done());
  const Change disabled = w.newest();
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "enable Load|" + kLoad + "|b.exe");
  EXPECT_EQ(w.newest().kind, "enable");
  EXPECT_EQ(w.newest().undoes, disabled.id);
  EXPECT_EQ(w.newest().valueAfter, "a.exe,b.exe");
  ASSERT_TRUE(w.undoNewest()) << "undoing the Enable disables again";
  EXPECT_EQ(w.lastLogged(), "disable Load|" + kLoad + "|b.exe");
  EXPECT_EQ(w.newest().kind, "disable");
  EXPECT_EQ(w.load(), "a.exe");
  ASSERT_EQ(w.store.items(kProgramListRecords).size(), 1u);

  // A disabled program's record: removed, put back, taken away again.
  pane.list();
  pane.modify(w.rowOf("b.exe", RowState::Disabled), "Load", "c.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "modify Load|" + kLoad + "|c.exe|Load|b.exe");
  EXPECT_EQ(w.store.items(kProgramListRecords)[0].valuedata, "b.exe");
  pane.list();
  pane.remove(w.rowOf("b.exe", RowState::Disabled));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "add Load|" + kLoad + "|b.exe");
  EXPECT_EQ(w.newest().after, (EntryState{"Load", "b.exe", {}, true}));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "remove Load|" + kLoad + "|b.exe");
  EXPECT_TRUE(w.store.items(kProgramListRecords).empty());

  // A live program added, taken out by its Undo, put back by that one's.
  pane.add("Load", "n.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "remove Load|" + kLoad + "|n.exe");
  EXPECT_EQ(w.load(), "a.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "add Load|" + kLoad + "|n.exe");
  EXPECT_EQ(w.load(), "a.exe,n.exe");

  pane.list();
  pane.modify(w.rowOf("n.exe", RowState::Live), "Load", "m.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.lastLogged(), "modify Load|" + kLoad + "|m.exe|Load|n.exe");
  EXPECT_EQ(w.load(), "a.exe,n.exe");
  EXPECT_EQ(w.sink.records.size(), 13u) << "one record per change, Undo or not";
  EXPECT_EQ(w.kept(), 13u);
  EXPECT_TRUE(w.prompt.messages.empty());
}

// history.xml lies beside the program, where anyone who may write that
// folder may edit it: Undo takes it as input. A change whose fields would
// not pass as the user's own input is refused before anything is touched.
TEST(ProgramListUndo, AnEditedChangeMustPassTheFamilysRules) {
  UndoWorld w;
  w.reg.put(kHkcu, kWindowsSub, "Load", "a.exe b.exe,c.exe");
  auto& programs = w.pane(kLoad);
  programs.remove(w.rowOf("b.exe", RowState::Live));
  expectEachEditRefused(w, {
      {"beforename", "Shell"},
      {"location", "HKEY_LOCAL_MACHINE\\" + kWinlogonSub + "\\Shell"},
      {"beforedata", ""},
      {"valuebefore", std::string("a.exe b.exe,c.exe\0evil.exe", 26)}});
  EXPECT_EQ(w.load(), "a.exe b.exe,c.exe");
}

}  // namespace
}  // namespace velmora::testing
