// Undo of the Run-key family's changes over the fakes: each comes back
// exactly (value type, replaced values, Windows' flag bytes), an Undo is a
// change of its own that can be undone in turn, an entry that changed since
// is left alone, and the log tells the steps in the order they were made.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "fakes/family_world.h"
#include "history/change_commit.h"
#include "history/change_undo.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRun = "HKEY_CURRENT_USER\\" + kRunSub;
const std::string kApprovedSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

struct RegistryUndoWorld : FamilyWorld {
  FakeRegistry reg;
  FamilyTable table{{registryFamily(reg, context)}};
  std::unique_ptr<EntryFamily> family = table.family("registry").make({kRun});
  FamilyDriver driver{*family, prompt, historyCommit};

  RegistryUndoWorld() {
    context.programFolder = "C:\\Velmora";
    context.copies = &history;
    tr.texts = {{"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}, {"_UndoNowHolds", "it now holds %s"}};
    logValuesJoined();
  }
  int rowOf(const std::string& name, RowState state) {
    const std::vector<Row>& rows = driver.list();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name && rows[i].state == state) return static_cast<int>(i);
    }
    return -1;
  }
  const RegValue* value(const std::string& name) const { return reg.find(kHkcu, kRunSub, name); }
  bool undo(const Change& c) { return undoChange(table, c, prompt, historyCommit, tr); }
  bool undoNewest() { return undo(newest()); }
  std::vector<std::string> logged() const {
    std::vector<std::string> out;
    for (const auto& r : sink.records) out.push_back(r.content);
    return out;
  }
  // Every record, value and kept change a change could touch, as text.
  std::string everything() const {
    std::string out;
    for (const DisabledItem& i : store.items(kRegistryRecords)) out += i.path + '|' + i.valuename + '|' + i.valuedata + '\n';
    for (const std::string& sub : {kRunSub, kApprovedSub}) {
      for (const RegValue& v : reg.values(kHkcu, sub)) out += v.name + '=' + v.text + '\n';
    }
    return out + std::to_string(file.records.size());
  }
};

TEST(RegistryUndo, RemoveComesBackWithItsTypeAndTheUndoCanBeUndone) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "%ProgramFiles%\\tool.exe", kRegExpandSz);
  w.driver.remove(w.rowOf("Tool", RowState::Live));
  ASSERT_FALSE(w.value("Tool"));
  const Change removed = w.newest();
  EXPECT_EQ(removed.kind, "remove");
  EXPECT_EQ(removed.before->valueType, "REG_EXPAND_SZ");

  ASSERT_TRUE(w.undoNewest());
  const RegValue* back = w.value("Tool");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->type, kRegExpandSz);
  EXPECT_EQ(back->text, "%ProgramFiles%\\tool.exe");
  EXPECT_EQ(w.newest().kind, "add");
  EXPECT_EQ(w.newest().undoes, removed.id);

  ASSERT_TRUE(w.undoNewest()) << "the Undo is a change of its own";
  EXPECT_FALSE(w.value("Tool"));
  EXPECT_EQ(w.kept(), 3u);
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"remove Tool|" + kRun + "|%ProgramFiles%\\tool.exe",
                                                  "add Tool|" + kRun + "|%ProgramFiles%\\tool.exe",
                                                  "remove Tool|" + kRun + "|%ProgramFiles%\\tool.exe"}));
}

TEST(RegistryUndo, ARemovedRecordComesBackAsARecord) {
  RegistryUndoWorld w;
  w.store.elements.push_back({kRegistryRecords, {kRun, "Off", "%windir%\\off.exe", "REG_EXPAND_SZ"}});
  w.driver.remove(w.rowOf("Off", RowState::Disabled));
  ASSERT_TRUE(w.store.items(kRegistryRecords).empty());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.store.items(kRegistryRecords),
            (std::vector<DisabledItem>{{kRun, "Off", "%windir%\\off.exe", "REG_EXPAND_SZ"}}));
  EXPECT_FALSE(w.value("Off")) << "never made live";
  ASSERT_TRUE(w.undoNewest());
  EXPECT_TRUE(w.store.items(kRegistryRecords).empty());
}

TEST(RegistryUndo, ModifyDisableAndEnableGoBack) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\tool.exe /tray");
  w.driver.modify(w.rowOf("Tool", RowState::Live), "Renamed", "C:\\new.exe");
  ASSERT_TRUE(w.value("Renamed"));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_FALSE(w.value("Renamed"));
  ASSERT_TRUE(w.value("Tool"));
  EXPECT_EQ(w.value("Tool")->text, "C:\\tool.exe /tray");
  EXPECT_EQ(w.value("Tool")->type, kRegSz);

  ASSERT_TRUE(w.driver.disable(w.rowOf("Tool", RowState::Live)).done());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_TRUE(w.value("Tool"));
  EXPECT_TRUE(w.store.items(kRegistryRecords).empty());
  EXPECT_EQ(w.newest().kind, "enable");

  ASSERT_TRUE(w.undoNewest()) << "undoing the Enable disables again";
  EXPECT_FALSE(w.value("Tool"));
  EXPECT_EQ(w.store.items(kRegistryRecords).size(), 1u);
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"modify Tool|" + kRun + "|C:\\tool.exe /tray|Renamed|C:\\new.exe",
                                                  "modify Renamed|" + kRun + "|C:\\new.exe|Tool|C:\\tool.exe /tray",
                                                  "disable Tool|" + kRun + "|C:\\tool.exe /tray",
                                                  "enable Tool|" + kRun + "|C:\\tool.exe /tray",
                                                  "disable Tool|" + kRun + "|C:\\tool.exe /tray"}));
}

TEST(RegistryUndo, RefusedWhenTheEntryChangedSinceOrTheLocationIsForeign) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\tool.exe");
  w.driver.modify(w.rowOf("Tool", RowState::Live), "Tool", "C:\\new.exe");
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\someone-else.exe");  // another program wrote it
  const std::size_t before = w.kept();
  const std::size_t logged = w.sink.records.size();
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
  EXPECT_NE(w.prompt.messages.back().find("someone-else"), std::string::npos) << "says what differs";
  EXPECT_EQ(w.value("Tool")->text, "C:\\someone-else.exe");
  EXPECT_EQ(w.kept(), before);
  EXPECT_EQ(w.sink.records.size(), logged);

  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\new.exe", kRegExpandSz);
  EXPECT_FALSE(w.undoNewest()) << "the same text under another type is a change too";

  Change foreign = w.newest();
  foreign.location = "HKEY_CURRENT_USER\\Software\\Classes\\exefile";
  EXPECT_FALSE(w.undo(foreign));
  foreign.family = "nosuchfamily";
  EXPECT_FALSE(w.undo(foreign));
  EXPECT_EQ(w.value("Tool")->text, "C:\\new.exe");
}

TEST(RegistryUndo, AnAddThatReplacedAValueGivesThatValueBack) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "%OLD%\\tool.exe", kRegExpandSz);
  w.driver.add("Tool", "C:\\new.exe");
  ASSERT_EQ(w.prompt.questions.size(), 1u) << "asked before replacing";
  ASSERT_EQ(w.value("Tool")->text, "C:\\new.exe");
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.value("Tool")->text, "%OLD%\\tool.exe");
  EXPECT_EQ(w.value("Tool")->type, kRegExpandSz);
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.value("Tool")->text, "C:\\new.exe");
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"add Tool|" + kRun + "|C:\\new.exe",
                                                  "add Tool|" + kRun + "|%OLD%\\tool.exe",
                                                  "add Tool|" + kRun + "|C:\\new.exe"}));
}

// Enable over a value written meanwhile, and a rename onto another value:
// undoing either gives the replaced value back, logged as an Add after the
// step that emptied its place, but kept only as part of the Undo.
TEST(RegistryUndo, AnEnableOrARenameThatReplacedAValueGivesThatValueBack) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\new.exe");
  w.reg.put(kHkcu, kRunSub, "Other", "C:\\other.exe");
  ASSERT_TRUE(w.driver.disable(w.rowOf("Other", RowState::Live)).done());
  w.reg.put(kHkcu, kRunSub, "Other", "C:\\meanwhile.exe", kRegExpandSz);
  ASSERT_TRUE(w.driver.enable(w.rowOf("Other", RowState::Disabled)).done());
  w.sink.records.clear();
  const std::size_t kept = w.kept();
  ASSERT_TRUE(w.undoNewest());
  ASSERT_TRUE(w.value("Other"));
  EXPECT_EQ(w.value("Other")->text, "C:\\meanwhile.exe");
  EXPECT_EQ(w.value("Other")->type, kRegExpandSz);
  EXPECT_EQ(w.store.items(kRegistryRecords).size(), 1u) << "and the entry is disabled again";
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"disable Other|" + kRun + "|C:\\other.exe",
                                                  "add Other|" + kRun + "|C:\\meanwhile.exe"}));
  EXPECT_EQ(w.kept(), kept + 1) << "the value put back is part of the Undo";
  EXPECT_EQ(w.newest().kind, "disable");

  w.sink.records.clear();
  w.driver.modify(w.rowOf("Tool", RowState::Live), "Other", "C:\\renamed.exe");
  ASSERT_FALSE(w.value("Tool"));
  ASSERT_TRUE(w.undoNewest());
  ASSERT_TRUE(w.value("Tool"));
  ASSERT_TRUE(w.value("Other"));
  EXPECT_EQ(w.value("Tool")->text, "C:\\new.exe");
  EXPECT_EQ(w.value("Other")->text, "C:\\meanwhile.exe");
  EXPECT_EQ(w.value("Other")->type, kRegExpandSz);
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"modify Tool|" + kRun + "|C:\\new.exe|Other|C:\\renamed.exe",
                                                  "modify Other|" + kRun + "|C:\\renamed.exe|Tool|C:\\new.exe",
                                                  "add Other|" + kRun + "|C:\\meanwhile.exe"}));
}

TEST(RegistryUndo, HistoryNotKeptTheChangeStandsAndTheUserIsToldOnce) {
  RegistryUndoWorld w;
  w.file.unreadable = true;
  w.reg.put(kHkcu, kRunSub, "A", "a.exe");
  w.reg.put(kHkcu, kRunSub, "B", "b.exe");
  ASSERT_TRUE(w.driver.disable(w.rowOf("A", RowState::Live)).done());
  ASSERT_TRUE(w.driver.disable(w.rowOf("B", RowState::Live)).done());
  EXPECT_FALSE(w.value("A"));
  EXPECT_FALSE(w.value("B"));
  EXPECT_EQ(std::count(w.prompt.messages.begin(), w.prompt.messages.end(), "_HistoryNotKept"), 1);
  EXPECT_EQ(w.file.writes, 0);
  EXPECT_EQ(w.logged().size(), 2u) << "logged all the same";
}

// Windows' own flag: turning an entry on in place is a change of its own,
// undone byte for byte; a Remove takes the flag along and its Undo brings
// both back; a flag changed since is left alone.
TEST(RegistryUndo, TurnOnAndRemoveComeBackWithTheFlagsExactBytes) {
  RegistryUndoWorld w;
  const std::vector<std::uint8_t> off = {3, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01};
  const auto flag = [&] {
    const RegValue* v = w.reg.find(kHkcu, kApprovedSub, "Tool");
    return v ? v->bytes : std::vector<std::uint8_t>{};
  };
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\tool.exe");
  w.reg.putBytes(kHkcu, kApprovedSub, "Tool", off);
  const int row = w.rowOf("Tool", RowState::Disabled);
  ASSERT_GE(row, 0) << "listed unchecked";
  ASSERT_TRUE(w.driver.enable(row).done());
  EXPECT_EQ(flag(), flagOnBytes());
  EXPECT_EQ(w.newest().kind, "flag");

  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(flag(), off) << "the very bytes Windows wrote, its time included";
  EXPECT_EQ(w.newest().kind, "flag") << "an Undo is a change of its own";
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(flag(), flagOnBytes());
  // Turned on, off again by the Undo, on by the Undo of the Undo.
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"enable Tool|" + kRun + "|C:\\tool.exe",
                                                  "disable Tool|" + kRun + "|C:\\tool.exe",
                                                  "enable Tool|" + kRun + "|C:\\tool.exe"}));

  // Changed since: the setting in Windows was turned off again by hand.
  w.reg.putBytes(kHkcu, kApprovedSub, "Tool", off);
  const std::size_t before = w.kept();
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
  EXPECT_EQ(flag(), off);
  EXPECT_EQ(w.kept(), before);

  // Remove takes the flag along; Undo brings value and flag back.
  w.driver.remove(w.rowOf("Tool", RowState::Disabled));
  ASSERT_FALSE(w.value("Tool"));
  ASSERT_FALSE(w.reg.find(kHkcu, kApprovedSub, "Tool"));
  ASSERT_TRUE(w.undoNewest());
  ASSERT_TRUE(w.value("Tool"));
  EXPECT_EQ(flag(), off) << "still turned off in Windows, as before the Remove";
}

// history.xml lies beside the program, where anyone who may write that
// folder may edit it: Undo takes it as input. A change whose fields would
// not pass as the user's own input is refused before anything is touched.

TEST(RegistryUntrustedHistory, ChangesPassTheFamilysRules) {
  RegistryUndoWorld w;
  w.reg.put(kHkcu, kRunSub, "Tool", "C:\\tool.exe");
  w.driver.modify(w.rowOf("Tool", RowState::Live), "Renamed", "C:\\new.exe");
  expectEachEditRefused(w, {{"location", "HKEY_CURRENT_USER\\Software\\Classes\\exefile"},
                        {"location", kRun + "\\"},
                        {"beforename", std::string("Tool\0Other", 10)},
                        {"beforetype", "REG_BINARY"},
                        {"aftertype", "reg_expand_sz"},
                        {"replacedtype", "REG_MULTI_SZ"},
                        {"flagafter", "3:zz"},
                        {"undoes", "9"}});
}

// The row the user selected is the change undone: a number that two changes
// carry is refused, and so is a row the file no longer holds as shown.
TEST(RegistryUntrustedHistory, TheSelectedRowIsTheChangeUndoneAndANumberTwiceIsRefused) {
  RegistryUndoWorld w;
  w.driver.add("A", "C:\\a.exe");
  w.driver.add("B", "C:\\b.exe");
  const HistoryRecord genuine = w.file.records.back();
  w.editedNewest("id", "1");
  const auto twice = w.history.changes();
  ASSERT_EQ(twice->size(), 2u);
  const Change older = twice->back();
  ASSERT_EQ(older.after->name, "A");
  const std::string before = w.everything();
  EXPECT_FALSE(undoSelected(w.table, w.history, older, w.prompt, w.historyCommit, w.tr));
  EXPECT_TRUE(w.saidNotPossible());
  EXPECT_EQ(w.everything(), before) << "neither A nor B is taken away";

  w.file.records.back() = genuine;
  const Change shown = w.newest();  // number 2, the Add of B
  w.editedNewest("aftername", "A");
  w.editedNewest("afterdata", "C:\\a.exe");
  EXPECT_FALSE(undoSelected(w.table, w.history, shown, w.prompt, w.historyCommit, w.tr)) << "edited while it was shown";
  EXPECT_EQ(w.everything(), before);

  w.file.records.back() = genuine;
  ASSERT_TRUE(undoSelected(w.table, w.history, older, w.prompt, w.historyCommit, w.tr));
  EXPECT_FALSE(w.value("A"));
  EXPECT_TRUE(w.value("B"));
  EXPECT_EQ(w.newest().undoes, 1u);
}

}  // namespace
}  // namespace velmora::testing
