// RunOnceEx over the fakes: its groups' (subkeys') named values are entries
// of the group, listed, moved and undone there as a Run key's values are,
// and no path outside its direct subkeys is ever taken as one of its groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "fakes/fake_registry.h"
#include "fakes/family_driver.h"
#include "fakes/family_world.h"
#include "history/change_undo.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

constexpr RootKey kHklm = RootKey::LocalMachine;
const std::string kOnceSub = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kExSub = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const std::string kEx = "HKEY_LOCAL_MACHINE\\" + kExSub;
const std::string kEx32 = "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const std::string kGroup = kEx + "\\0001";
const std::string kGroupSub = kExSub + "\\0001";

struct RunOnceExWorld : FamilyWorld {
  FakeRegistry reg;
  FamilyTable table{{registryFamily(reg, context)}};
  // The pane of All Users > RunOnce, as the tree gives it.
  std::unique_ptr<EntryFamily> family = table.family("registry").make(table.paneLocations()[3]);
  FamilyDriver driver{*family, prompt, historyCommit};

  RunOnceExWorld() {
    tr.texts = {{"_RegRunOnceEx", "once-ex"}, {"_RegString", "value"}};
    logValuesJoined();
  }
  int rowOf(const std::string& name) {
    const std::vector<Row>& rows = driver.list();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  bool undo(const Change& c) { return undoChange(table, c, prompt, historyCommit, tr); }
};

TEST(RunOnceEx, TheRunOnceNodeAndItsAncestorsListBothViewsAndOnlyThey) {
  RunOnceExWorld w;
  const auto lists = w.table.paneLocations();
  const auto holdsEx = [&](int node) {
    const auto& l = lists[static_cast<std::size_t>(node)];
    return std::count(l.begin(), l.end(), kEx) + std::count(l.begin(), l.end(), kEx32);
  };
  EXPECT_EQ(w.table.nodes()[3].labelKey, "_RunOnce");
  EXPECT_EQ(w.table.nodes()[3].parent, 1);
  for (int node : {0, 1, 3}) EXPECT_EQ(holdsEx(node), 2) << node;
  for (int node : {2, 4, 5, 6, 7, 8}) EXPECT_EQ(holdsEx(node), 0) << node;
}

TEST(RunOnceEx, ListsEachGroupsNamedStringsUnderTheGroupsPath) {
  RunOnceExWorld w;
  w.reg.put(kHklm, kOnceSub, "Classic", "classic.exe");
  w.reg.put(kHklm, kExSub, "Title", "not an entry");
  w.reg.put(kHklm, kGroupSub, "", "Group title");
  w.reg.put(kHklm, kGroupSub, "A", "a.exe");
  w.reg.put(kHklm, kGroupSub, "B", "%SystemRoot%\\b.exe", kRegExpandSz);
  w.reg.putBytes(kHklm, kGroupSub, "Bin", {1, 2});
  w.reg.put(kHklm, kGroupSub + "\\Deeper", "Deep", "deep.exe");
  w.reg.put(kHklm, kExSub + "\\0002", "Hidden", "hidden.exe");
  w.reg.denyRead(kHklm, kExSub + "\\0002");
  w.reg.put(kHklm, kExSub + "\\0003", "C", "c.exe");
  // Records of a group Windows has run and deleted, and of paths that are
  // no group.
  for (const std::string& path : {kEx + "\\0009", kGroup + "\\Deeper", kEx, kEx + "\\..", kEx + "\\"}) {
    w.store.elements.push_back({kRegistryRecords, {path, "R" + std::to_string(path.size()), "r.exe"}});
  }

  const std::vector<Row> rows = w.driver.list();
  std::vector<std::string> seen;
  for (const Row& r : rows) seen.push_back(r.name + "|" + r.type + "|" + r.data + "|" + r.path);
  const std::string classic = "HKEY_LOCAL_MACHINE\\" + kOnceSub;
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "Classic|value|classic.exe|" + classic,
                      "R" + std::to_string(kEx.size() + 5) + "|once-ex|r.exe|" + kEx + "\\0009",
                      "A|once-ex|a.exe|" + kGroup,
                      "B|once-ex|%SystemRoot%\\b.exe|" + kGroup,
                      "C|once-ex|c.exe|" + kEx + "\\0003",
                  }));
  EXPECT_EQ(rows[1].state, RowState::Disabled);
  EXPECT_EQ(rows[2].state, RowState::Live);
  EXPECT_TRUE(w.prompt.messages.empty()) << "an unreadable group is skipped quietly";
  EXPECT_EQ(w.reg.subkeyEnumerations, 2) << "one read of each view's groups";
  EXPECT_EQ(w.family->dialogData(w.driver.entry(2)).typeText, "once-ex");
}

TEST(RunOnceEx, DisableAndEnableRestoreTheValueInItsGroupEvenAfterWindowsDeletedIt) {
  RunOnceExWorld w;
  w.reg.put(kHklm, kGroupSub, "", "Group title");
  w.reg.put(kHklm, kGroupSub, "Setup", "%SystemRoot%\\setup.exe /q", kRegExpandSz);
  ASSERT_TRUE(w.driver.disable(w.rowOf("Setup")).done());
  EXPECT_FALSE(w.reg.find(kHklm, kGroupSub, "Setup"));
  EXPECT_EQ(w.store.items(kRegistryRecords),
            (std::vector<DisabledItem>{{kGroup, "Setup", "%SystemRoot%\\setup.exe /q", "REG_EXPAND_SZ"}}));

  w.reg.removeKey(kHklm, kGroupSub);
  const int row = w.rowOf("Setup");
  ASSERT_GE(row, 0);
  EXPECT_EQ(w.driver.rows()[static_cast<std::size_t>(row)].path, kGroup);
  ASSERT_TRUE(w.driver.enable(row).done());
  const RegValue* back = w.reg.find(kHklm, kGroupSub, "Setup");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->type, kRegExpandSz);
  EXPECT_EQ(back->text, "%SystemRoot%\\setup.exe /q");
  EXPECT_TRUE(w.store.items(kRegistryRecords).empty());
  EXPECT_FALSE(w.reg.hasKey(kHklm, kOnceSub)) << "nothing went to the classic key";
  EXPECT_EQ(w.reg.writes, 1) << "no Windows flag is written for a group's value";
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"disable Setup|" + kGroup + "|%SystemRoot%\\setup.exe /q",
                                                  "enable Setup|" + kGroup + "|%SystemRoot%\\setup.exe /q"}));
}

TEST(RunOnceEx, RemoveAndModifyStayInTheGroupAndAddGoesToTheClassicKey) {
  RunOnceExWorld w;
  w.reg.put(kHklm, kGroupSub, "Keep", "keep.exe");
  w.reg.put(kHklm, kGroupSub, "Old", "%TEMP%\\old.exe", kRegExpandSz);
  w.reg.put(kHklm, kGroupSub, "Gone", "gone.exe");
  ASSERT_TRUE(w.driver.remove(w.rowOf("Gone")).done());
  ASSERT_EQ(w.prompt.questions.size(), 1u);
  ASSERT_TRUE(w.driver.modify(w.rowOf("Old"), "New", "%TEMP%\\new.exe /x").done());
  const std::vector<RegValue> group = w.reg.values(kHklm, kGroupSub);
  ASSERT_EQ(group.size(), 2u);
  EXPECT_EQ(group[0].name, "Keep");
  EXPECT_EQ(group[1].name, "New");
  EXPECT_EQ(group[1].text, "%TEMP%\\new.exe /x");
  EXPECT_EQ(group[1].type, kRegExpandSz);

  // A pane that lists RunOnceEx before any classic key still adds there.
  auto exFirst = w.table.family("registry").make(
      {kEx, "HKEY_LOCAL_MACHINE\\" + kOnceSub, "HKEY_LOCAL_MACHINE\\Software\\Other"});
  FamilyDriver driver{*exFirst, w.prompt, w.historyCommit};
  ASSERT_TRUE(driver.add("Added", "added.exe").done());
  EXPECT_TRUE(w.reg.find(kHklm, kOnceSub, "Added"));
  EXPECT_EQ(w.reg.values(kHklm, kExSub).size(), 0u);
  EXPECT_EQ(w.reg.values(kHklm, kGroupSub).size(), 2u);
}

TEST(RunOnceEx, UndoOfADisablePutsTheValueBackInItsGroup) {
  RunOnceExWorld w;
  w.reg.put(kHklm, kGroupSub, "Setup", "setup.exe");
  ASSERT_TRUE(w.driver.disable(w.rowOf("Setup")).done());
  ASSERT_TRUE(w.undo(w.newest()));
  const RegValue* back = w.reg.find(kHklm, kGroupSub, "Setup");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text, "setup.exe");
  EXPECT_TRUE(w.store.items(kRegistryRecords).empty());
  EXPECT_EQ(w.newest().kind, "enable");
  EXPECT_EQ(w.newest().location, kGroup);
}

// history.xml is input: a change moved by hand out of RunOnceEx's groups
// (to RunOnceEx itself, deeper, or up) is refused before anything is written.
TEST(RunOnceEx, UndoRefusesAChangeNamingAnythingButADirectGroup) {
  for (const std::string& place : {kEx, kGroup + "\\Deeper", kEx + "\\..", kEx + "\\.", kEx + "\\",
                                   kEx + "\\\\0001", kGroup + "\\..\\..\\RunOnce", "\\" + kGroup}) {
    RunOnceExWorld w;
    w.reg.put(kHklm, kGroupSub, "Setup", "setup.exe");
    ASSERT_TRUE(w.driver.remove(w.rowOf("Setup")).done());
    const int writes = w.reg.writes;
    EXPECT_FALSE(w.undo(w.editedNewest("location", place))) << place;
    EXPECT_TRUE(w.saidNotPossible()) << place;
    EXPECT_EQ(w.reg.writes, writes) << place;
  }
  // Another group of the same key is one of the pane's places.
  RunOnceExWorld w;
  w.reg.put(kHklm, kGroupSub, "Setup", "setup.exe");
  ASSERT_TRUE(w.driver.remove(w.rowOf("Setup")).done());
  EXPECT_TRUE(w.undo(w.editedNewest("location", kEx32 + "\\0002")));
  EXPECT_TRUE(w.reg.find(kHklm, "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\0002", "Setup"));
}

}  // namespace
}  // namespace velmora::testing
