// The program-list family against the in-memory registry and store: the
// listing, each command, and what happens when a step fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "history/change_log.h"
#include "family/families.h"
#include "programlist/program_list.h"
#include "programlist/program_list_family.h"
#include "programlist/short_path.h"

namespace velmora::testing {
namespace {

class MapShortPaths : public ShortPathPort {
 public:
  std::map<std::string, std::string> forms;
  [[nodiscard]] std::string shortForm(const std::string& path) override {
    auto it = forms.find(path);
    return it == forms.end() ? std::string() : it->second;
  }
};

// The store of the fakes, which can also refuse removals after a number of
// them succeeded (a file that turns read-only half-way), or find every
// record moved away by the time it is removed (another program saved
// config.xml in between).
class TestStore : public FakeStore {
 public:
  int removalsAllowed = -1;
  bool vanish = false;
  [[nodiscard]] StoreStatus remove(RecordKind kind, const StoredItem& item) override {
    if (vanish) return StoreStatus::Vanished;
    if (removalsAllowed == 0) return StoreStatus::WriteFailed;
    if (removalsAllowed > 0) --removalsAllowed;
    return FakeStore::remove(kind, item);
  }
};

const std::string kWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kLoad = "HKEY_CURRENT_USER\\" + kWindowsKey + "\\Load";
const std::string kRun = "HKEY_CURRENT_USER\\" + kWindowsKey + "\\Run";
const std::string kUserinit = "HKEY_LOCAL_MACHINE\\" + kWinlogonKey + "\\Userinit";

class WininiPaneTest : public ::testing::Test {
 protected:
  WininiPaneTest() {
    tr.texts = {{"_TreeWininiType", "Program list"},
                {"_LogItemType1Content", "remove %s|%s|%s"},
                {"_LogItemType2Content", "add %s|%s|%s"},
                {"_LogItemType3Content", "modify %s|%s|%s|%s|%s"},
                {"_LogItemType4Content", "enable %s|%s|%s"},
                {"_LogItemType5Content", "disable %s|%s|%s"}};
  }

  FakeRegistry reg;
  TestStore store;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  MapShortPaths shortPaths;
  FamilyContext context{store, log, tr};
  ScriptedPrompt prompt;
  FakeList list;

  ProgramListFamily pane(std::vector<std::string> locations = {kLoad, kRun}) {
    return ProgramListFamily(std::move(locations), reg, shortPaths, context, prompt);
  }
  void putLoad(const std::string& text) { reg.put(RootKey::CurrentUser, kWindowsKey, "Load", text); }
  std::string load() const {
    const RegValue* v = reg.find(RootKey::CurrentUser, kWindowsKey, "Load");
    return v ? v->text : "<missing>";
  }
  void addRecord(const std::string& path, const std::string& name, const std::string& data) {
    store.elements.push_back({kProgramListRecords, DisabledItem{path, name, data}});
  }
  std::vector<DisabledItem> records() const { return store.items(kProgramListRecords); }
  std::vector<std::string> logged() const {
    std::vector<std::string> out;
    for (const auto& r : sink.records) out.push_back(r.content);
    return out;
  }
  int rowOf(const std::string& data) const {
    for (int i = 0; i < list.count(); ++i) {
      if (list.rows[static_cast<std::size_t>(i)].data == data) return i;
    }
    return -1;
  }
  // Where a program lives: how often in the Load value plus how many records.
  int places(const std::string& program) const {
    const auto pieces = splitPrograms(load() == "<missing>" ? "" : load());
    int n = static_cast<int>(std::count(pieces.begin(), pieces.end(), program));
    for (const auto& r : records()) n += r.valuedata == program;
    return n;
  }
  void answerDialog(const std::string& path) {
    prompt.onDialog = [path](EntryDialogKind, EntryDialogData& d) {
      d.name = "ignored";
      d.path = path;
      return true;
    };
  }
};

// ---------------------------------------------------------------------------
// Listing

TEST_F(WininiPaneTest, ListsEachLocationsRecordsThenItsProgramsInPaneOrder) {
  putLoad("a.exe, b.exe,,z.exe");
  reg.put(RootKey::CurrentUser, kWindowsKey, "Run", "r.exe");
  addRecord(kRun, "Run", "off-run.exe");
  addRecord(kLoad, "Load", "off-load.exe");
  addRecord("HKEY_CURRENT_USER\\Elsewhere\\Load", "Load", "other.exe");
  auto p = pane();
  p.fill(list);

  const std::vector<Row> expected = {
      recordRow("Load", "Program list", "off-load.exe", kLoad),
      {"Load", "Program list", "a.exe", kLoad, RowState::Live},
      {"Load", "Program list", "b.exe", kLoad, RowState::Live},
      {"Load", "Program list", "z.exe", kLoad, RowState::Live},
      recordRow("Run", "Program list", "off-run.exe", kRun),
      {"Run", "Program list", "r.exe", kRun, RowState::Live},
  };
  EXPECT_EQ(list.rows, expected);
  EXPECT_EQ(p.columnWidths().name, 200);
  EXPECT_EQ(p.columnWidths().type, 110);
  EXPECT_EQ(p.columnWidths().data, 350);
  EXPECT_EQ(p.columnWidths().path, 350);
}

TEST_F(WininiPaneTest, TheFactoryGivesProgramListNodesThisFamily) {
  putLoad("a.exe,b.exe");
  auto family = programListFamily(reg, shortPaths, context).make({kLoad}, prompt);
  EXPECT_EQ(family->columnWidths().name, 200);
  family->fill(list);
  EXPECT_EQ(list.count(), 2);
}

TEST_F(WininiPaneTest, ARecordWhosePathDiffersInCaseIsListedUnderThePanesPath) {
  std::string upper = kLoad;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  addRecord(upper, "LOAD", "x.exe");
  auto p = pane();
  p.fill(list);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.rows[0].path, kLoad);
  EXPECT_EQ(list.rows[0].name, "LOAD");
}

TEST_F(WininiPaneTest, AValueOfAnyLengthIsListedWhole) {
  std::string value;
  for (int i = 0; i < 40; ++i) value += "C:\\PROGRA~1\\tool" + std::to_string(i) + ".exe,";
  ASSERT_GT(value.size(), 255u);
  putLoad(value);
  auto p = pane({kLoad});
  p.fill(list);
  ASSERT_EQ(list.count(), 40);
  EXPECT_EQ(list.rows[39].data, "C:\\PROGRA~1\\tool39.exe");
}

TEST_F(WininiPaneTest, AnUnreadableStoreOrMissingKeyHidesOnlyItsOwnRows) {
  putLoad("a.exe");
  addRecord(kRun, "Run", "off.exe");  // the Run value itself does not exist
  auto p = pane();
  p.fill(list);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.rows[1].data, "off.exe");

  store.unreadable = true;
  p.fill(list);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.rows[0].data, "a.exe");
  EXPECT_TRUE(prompt.messages.empty()) << "listing never interrupts the user";
}

TEST_F(WininiPaneTest, AnUnsplittablePathListsOnlyItsRecords) {
  addRecord("HKEY_CURRENT_USER\\Load", "Load", "x.exe");
  auto p = pane({"HKEY_CURRENT_USER\\Load"});
  p.fill(list);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.rows[0].state, RowState::Disabled);
}

// ---------------------------------------------------------------------------
// Remove, Add, Modify, Property

TEST_F(WininiPaneTest, RemoveAsksThenDeletesTheProgramLogsRefillsAndReselects) {
  putLoad("a.exe,b.exe,c.exe");
  tr.texts["_AreyousureDeleteThisEntry"] = "Delete %s from %s?\\n\\n%s";
  auto p = pane({kLoad});
  p.fill(list);
  list.select(rowOf("c.exe"));
  const std::string place = list.row(list.selected()).path;
  p.remove(list, list.selected());
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"Delete c.exe from " + place + "?"})
      << "names the entry and its place";
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(logged(), std::vector<std::string>{"remove " + kLoad + "|Load|c.exe"}) << "names the program";
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list.selected(), 1) << "the old index is past the end: the last row is selected";

  list.select(0);
  p.remove(list, list.selected());
  list.select(0);
  p.remove(list, list.selected());
  EXPECT_EQ(load(), "") << "the value stays, empty";
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.selected(), -1);
}

TEST_F(WininiPaneTest, RemoveDeletesEveryWholeOccurrenceButNotLongerPrograms) {
  putLoad("b.exe,aa.exe,b.exe c.exe");
  auto p = pane({kLoad});
  p.fill(list);
  list.select(0);
  p.remove(list, list.selected());
  EXPECT_EQ(load(), "aa.exe,c.exe");
}

TEST_F(WininiPaneTest, RemoveCancelledOrWithoutSelectionChangesNothing) {
  putLoad("a.exe");
  auto p = pane({kLoad});
  p.fill(list);
  p.remove(list, list.selected());
  list.select(1);  // past the last row
  p.remove(list, list.selected());
  EXPECT_TRUE(prompt.messages.empty()) << "the pane asks for a selection, not the family";
  EXPECT_TRUE(prompt.questions.empty());

  list.select(0);
  prompt.answers = {false};
  p.remove(list, list.selected());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(list.fills, 1);
}

TEST_F(WininiPaneTest, RemoveOfADisabledRowTakesOnlyItsFirstRecord) {
  putLoad("x.exe");
  addRecord(kLoad, "Load", "x.exe");
  addRecord(kLoad, "load", "X.EXE");
  auto p = pane({kLoad});
  p.fill(list);
  list.select(0);
  p.remove(list, list.selected());
  EXPECT_EQ(load(), "x.exe");
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0].valuedata, "X.EXE");
  EXPECT_EQ(sink.records.size(), 1u);
}

// The entry is gone already, which is what the user asked for: Remove
// refills without a word and logs nothing.
TEST_F(WininiPaneTest, RemoveOfADisabledRowWhoseRecordIsGoneRefillsQuietly) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "off.exe");
  addRecord(kLoad, "Load", "other.exe");
  auto p = pane({kLoad});
  p.fill(list);
  store.elements.erase(store.elements.begin());  // removed by hand meanwhile
  list.select(0);
  p.remove(list, list.selected());
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{kLoad, "Load", "other.exe"}}));
  EXPECT_EQ(load(), "a.exe");
  ASSERT_EQ(list.count(), 2) << "refilled";
  EXPECT_EQ(list.rows[0].data, "other.exe");
  EXPECT_EQ(list.selected(), 0);

  store.vanish = true;  // listed, then gone before its removal
  p.remove(list, list.selected());
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(records().size(), 1u);
  EXPECT_EQ(list.fills, 3);
}

TEST_F(WininiPaneTest, AddAppendsTheShortFormToTheFirstLocation) {
  shortPaths.forms["C:\\Program Files\\Tool\\t.exe"] = "C:\\PROGRA~1\\Tool\\t.exe";
  putLoad("a.exe,");
  reg.put(RootKey::CurrentUser, kWindowsKey, "Run", "r.exe");
  answerDialog("C:\\Program Files\\Tool\\t.exe");
  auto p = pane();
  p.add(list);
  ASSERT_EQ(prompt.dialogs.size(), 1u);
  EXPECT_EQ(prompt.dialogs[0].kind, EntryDialogKind::Add);
  EXPECT_EQ(prompt.dialogs[0].in.typeText, "Program list");
  EXPECT_EQ(prompt.dialogs[0].in.sectionText, kLoad);
  EXPECT_EQ(load(), "a.exe,,C:\\PROGRA~1\\Tool\\t.exe") << "add trims only the ends";
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kWindowsKey, "Run")->text, "r.exe");
  EXPECT_EQ(logged(), std::vector<std::string>{"add " + kLoad + "|Load|C:\\PROGRA~1\\Tool\\t.exe"});
  EXPECT_EQ(list.fills, 1);
}

TEST_F(WininiPaneTest, AddWithoutAShortFormWritesThePathAsEnteredIntoAMissingValue) {
  reg.createKey(RootKey::CurrentUser, kWindowsKey);
  answerDialog("D:\\No Such\\x.exe");
  auto p = pane();
  p.add(list);
  EXPECT_EQ(load(), "D:\\No Such\\x.exe");
  ASSERT_EQ(list.count(), 2) << "a blank in the path shows as two rows";
}

TEST_F(WininiPaneTest, AddCancelledOrWithoutLocationsDoesNothing) {
  putLoad("a.exe");
  auto p = pane();
  p.add(list);
  auto none = pane({});
  answerDialog("b.exe");
  none.add(list);
  EXPECT_EQ(prompt.dialogs.size(), 1u);
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(WininiPaneTest, ModifyOfALiveProgramReplacesItInOneWrite) {
  shortPaths.forms["C:\\New Dir\\n.exe"] = "C:\\NEWDIR~1\\n.exe";
  putLoad("a.exe b.exe c.exe");
  auto p = pane({kLoad});
  p.fill(list);
  list.select(rowOf("b.exe"));
  answerDialog("C:\\New Dir\\n.exe");
  const int writesBefore = reg.writes;
  p.modify(list, list.selected());
  ASSERT_EQ(prompt.dialogs.size(), 1u);
  EXPECT_EQ(prompt.dialogs[0].kind, EntryDialogKind::Modify);
  EXPECT_EQ(prompt.dialogs[0].in.name, "Load");
  EXPECT_EQ(prompt.dialogs[0].in.path, "b.exe");
  EXPECT_EQ(prompt.dialogs[0].in.sectionText, kLoad);
  EXPECT_EQ(load(), "a.exe,c.exe,C:\\NEWDIR~1\\n.exe");
  EXPECT_EQ(reg.writes, writesBefore + 1);
  EXPECT_EQ(logged(), std::vector<std::string>{"modify " + kLoad + "|Load|b.exe|Load|C:\\NEWDIR~1\\n.exe"});
  EXPECT_EQ(list.fills, 2);
}

TEST_F(WininiPaneTest, ModifyOfADisabledRowChangesOnlyItsRecord) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "old.exe");
  auto p = pane({kLoad});
  p.fill(list);
  list.select(0);
  answerDialog("new.exe");
  p.modify(list, list.selected());
  EXPECT_EQ(load(), "a.exe");
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0], (DisabledItem{kLoad, "Load", "new.exe"}));
  EXPECT_EQ(sink.records.size(), 1u);
}

// The user's edit has nowhere to go: saying nothing would let it pass for done.
TEST_F(WininiPaneTest, ModifyOfADisabledRowWhoseRecordIsGoneSaysTheEditWasNotKept) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "old.exe");
  auto p = pane({kLoad});
  p.fill(list);
  list.select(0);
  store.elements.clear();  // removed by hand meanwhile
  answerDialog("new.exe");
  p.modify(list, list.selected());
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_EntryRecordGone"});
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(WininiPaneTest, PropertyShowsTheRowAndChangesNothing) {
  putLoad("a.exe");
  auto p = pane({kLoad});
  p.fill(list);
  p.property(list, list.selected());
  EXPECT_TRUE(prompt.messages.empty()) << "the pane asks for a selection, not the family";
  list.select(0);
  answerDialog("changed.exe");
  p.property(list, list.selected());
  ASSERT_EQ(prompt.dialogs.size(), 1u);
  EXPECT_EQ(prompt.dialogs[0].kind, EntryDialogKind::Property);
  EXPECT_EQ(prompt.dialogs[0].in.path, "a.exe");
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
}

// ---------------------------------------------------------------------------
// Disable and Enable

TEST_F(WininiPaneTest, DisableThenEnableMovesTheProgramAndBack) {
  putLoad("a.exe b.exe");
  auto p = pane({kLoad});
  p.fill(list);
  const int b = rowOf("b.exe");
  ASSERT_TRUE(p.disable(list, b));
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records(), std::vector<DisabledItem>{(DisabledItem{kLoad, "Load", "b.exe"})});
  ASSERT_TRUE(p.enable(list, b));
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(logged(), (std::vector<std::string>{"disable " + kLoad + "|Load|b.exe", "enable " + kLoad + "|Load|b.exe"}))
      << "the log names the program that moved, not only its value";
  EXPECT_EQ(list.fills, 1) << "enable and disable never refill";
}

TEST_F(WininiPaneTest, DisablingOneOfTwoEqualProgramsTakesBothOutOfTheValue) {
  putLoad("x.exe,a.exe,x.exe");
  auto p = pane({kLoad});
  p.fill(list);
  ASSERT_TRUE(p.disable(list, 0));
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records().size(), 1u);
}

TEST_F(WininiPaneTest, EnableRemovesEveryMatchingRecordAndKeepsOthers) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "x.exe");
  addRecord(kLoad, "Load", "keep.exe");
  addRecord(kLoad, "LOAD", "X.exe");
  addRecord(kRun, "Run", "x.exe");
  auto p = pane({kLoad});
  p.fill(list);
  ASSERT_TRUE(p.enable(list, 0));
  EXPECT_EQ(load(), "a.exe,x.exe");
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{kLoad, "Load", "keep.exe"}, {kRun, "Run", "x.exe"}}));
}

TEST_F(WininiPaneTest, ARowThatNoLongerMatchesDoesNotMove) {
  putLoad("a.exe,b.exe");
  addRecord(kLoad, "Load", "off.exe");
  auto p = pane({kLoad});
  p.fill(list);
  putLoad("a.exe");  // b.exe went away behind our back
  store.elements.clear();
  EXPECT_FALSE(p.disable(list, rowOf("b.exe")));
  EXPECT_FALSE(p.enable(list, rowOf("off.exe")));
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"_WininiProgramGone", "_EntryRecordGone"}));
}

// ---------------------------------------------------------------------------
// Faults: after each, the program is in exactly one place and the log holds
// only what happened.

enum class Fault { StoreUnreadable, StoreReadOnly, KeyMissing, ReadRefused, WriteRefused, NotText };

const char* name(Fault f) {
  switch (f) {
    case Fault::StoreUnreadable: return "store unreadable";
    case Fault::StoreReadOnly: return "store read-only";
    case Fault::KeyMissing: return "key missing";
    case Fault::ReadRefused: return "read refused";
    case Fault::WriteRefused: return "write refused";
    case Fault::NotText: return "not text";
  }
  return "";
}

const Fault kFaults[] = {Fault::StoreUnreadable, Fault::StoreReadOnly, Fault::KeyMissing,
                         Fault::ReadRefused,     Fault::WriteRefused,  Fault::NotText};

class WininiFaultTest : public WininiPaneTest {
 protected:
  // A Load value holding a.exe, b.exe and c.exe (b.exe disabled when
  // `disabled`), listed, then the fault.
  void arrange(Fault fault, bool disabled) {
    reg.reset();
    store.reset();
    store.removalsAllowed = -1;
    store.vanish = false;
    sink.records.clear();
    prompt.messages.clear();
    putLoad(disabled ? "a.exe,c.exe" : "a.exe,b.exe,c.exe");
    if (disabled) addRecord(kLoad, "Load", "b.exe");
    auto p = pane({kLoad});
    p.fill(list);
    list.select(rowOf("b.exe"));
    before_ = load();
    switch (fault) {
      case Fault::StoreUnreadable: store.unreadable = true; break;
      case Fault::StoreReadOnly: store.readOnly = true; break;
      case Fault::KeyMissing: reg.reset(); break;
      case Fault::ReadRefused: reg.denyRead(RootKey::CurrentUser, kWindowsKey); break;
      case Fault::WriteRefused: reg.denyWrite(RootKey::CurrentUser, kWindowsKey); break;
      case Fault::NotText: reg.put(RootKey::CurrentUser, kWindowsKey, "Load", before_, 7); break;
    }
  }
  std::string before_;
};

TEST_F(WininiFaultTest, DisableKeepsTheProgramLiveWhenAnyStepFails) {
  for (Fault f : kFaults) {
    SCOPED_TRACE(name(f));
    arrange(f, false);
    const std::string value = load();
    auto p = pane({kLoad});
    EXPECT_FALSE(p.disable(list, rowOf("b.exe")));
    EXPECT_EQ(load(), value);
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
    if (f != Fault::KeyMissing) {
      EXPECT_EQ(places("b.exe"), 1);
    }
  }
}

TEST_F(WininiFaultTest, EnableKeepsTheRecordWhenAnyStepFails) {
  for (Fault f : kFaults) {
    SCOPED_TRACE(name(f));
    arrange(f, true);
    const std::string value = load();
    auto p = pane({kLoad});
    EXPECT_FALSE(p.enable(list, rowOf("b.exe")));
    EXPECT_EQ(load(), value) << "a value written before a failed record removal is put back";
    EXPECT_EQ(places("b.exe"), 1);
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
  }
}

TEST_F(WininiFaultTest, RemoveChangesNothingAndLogsNothingWhenAStepFails) {
  for (bool disabled : {false, true}) {
    for (Fault f : kFaults) {
      SCOPED_TRACE(std::string(name(f)) + (disabled ? ", disabled row" : ", live row"));
      arrange(f, disabled);
      const std::string value = load();
      const auto stored = records();
      auto p = pane({kLoad});
      const int fillsBefore = list.fills;
      p.remove(list, list.selected());
      const bool untouchedBranch = disabled ? (f == Fault::KeyMissing || f == Fault::ReadRefused ||
                                               f == Fault::WriteRefused || f == Fault::NotText)
                                            : (f == Fault::StoreUnreadable || f == Fault::StoreReadOnly);
      if (untouchedBranch) {
        // The fault lies on the other side: Remove works.
        EXPECT_EQ(sink.records.size(), 1u);
        EXPECT_EQ(places("b.exe"), 0);
        continue;
      }
      EXPECT_EQ(load(), value);
      EXPECT_EQ(records(), stored);
      EXPECT_TRUE(sink.records.empty());
      EXPECT_EQ(prompt.messages.size(), 1u);
      // A confirmed Remove always shows the list as it now is.
      EXPECT_EQ(list.fills, fillsBefore + 1);
    }
  }
}

TEST_F(WininiFaultTest, ModifyLeavesTheOldProgramWhereItWasWhenAStepFails) {
  for (bool disabled : {false, true}) {
    for (Fault f : kFaults) {
      SCOPED_TRACE(std::string(name(f)) + (disabled ? ", disabled row" : ", live row"));
      arrange(f, disabled);
      const std::string value = load();
      const auto stored = records();
      answerDialog("n.exe");
      auto p = pane({kLoad});
      p.modify(list, list.selected());
      const bool otherSide = disabled ? (f != Fault::StoreUnreadable && f != Fault::StoreReadOnly)
                                      : (f == Fault::StoreUnreadable || f == Fault::StoreReadOnly);
      if (otherSide) {
        EXPECT_EQ(sink.records.size(), 1u);
        EXPECT_EQ(places("b.exe"), 0);
        EXPECT_EQ(places("n.exe"), 1);
        continue;
      }
      EXPECT_EQ(load(), value);
      EXPECT_EQ(records(), stored);
      EXPECT_EQ(places("n.exe"), 0);
      EXPECT_TRUE(sink.records.empty());
      EXPECT_EQ(prompt.messages.size(), 1u);
    }
  }
}

TEST_F(WininiFaultTest, AddWritesNothingAndLogsNothingWhenTheValueCannotBeChanged) {
  for (Fault f : {Fault::KeyMissing, Fault::ReadRefused, Fault::WriteRefused, Fault::NotText}) {
    SCOPED_TRACE(name(f));
    arrange(f, false);
    const std::string value = load();
    answerDialog("n.exe");
    auto p = pane({kLoad});
    p.add(list);
    EXPECT_EQ(load(), value);
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
  }
}

TEST_F(WininiPaneTest, EnableWhoseRecordCannotBeRemovedPutsTheValueAndRecordsBack) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "b.exe");
  addRecord(kLoad, "Load", "b.exe");
  auto p = pane({kLoad});
  p.fill(list);
  store.removalsAllowed = 1;  // the later record goes, the earlier one is refused
  EXPECT_FALSE(p.enable(list, 0));
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records().size(), 2u);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_ConfigWriteFailed"});
}

TEST_F(WininiPaneTest, AnUndoThatFailsTooIsToldAndLosesNothing) {
  putLoad("a.exe,b.exe");
  auto p = pane({kLoad});
  p.fill(list);
  reg.denyWrite(RootKey::CurrentUser, kWindowsKey);
  store.removalsAllowed = 0;
  EXPECT_FALSE(p.disable(list, 1));
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_EntryKeptTwice"});
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(WininiPaneTest, DisableWhoseWriteFailsTakesItsRecordBack) {
  putLoad("a.exe,b.exe");
  addRecord(kLoad, "Load", "b.exe");  // an older record of the same program stays
  auto p = pane({kLoad});
  p.fill(list);
  reg.denyWrite(RootKey::CurrentUser, kWindowsKey);
  ASSERT_EQ(list.rows[2].state, RowState::Live);
  EXPECT_FALSE(p.disable(list, 2));
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(records().size(), 1u);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_WininiAccessDenied"});
}

TEST_F(WininiPaneTest, AnExpandableValueWithNothingToExpandIsRewritten) {
  reg.put(RootKey::CurrentUser, kWindowsKey, "Load", "a.exe,b.exe", kRegExpandSz);
  auto p = pane({kLoad});
  p.fill(list);
  ASSERT_TRUE(p.disable(list, 1));
  EXPECT_EQ(load(), "a.exe");

  reg.put(RootKey::CurrentUser, kWindowsKey, "Load", "%SystemRoot%\\a.exe", kRegExpandSz);
  p.fill(list);
  EXPECT_EQ(list.count(), 2) << "listed all the same";
  EXPECT_FALSE(p.disable(list, 1));
  EXPECT_EQ(load(), "%SystemRoot%\\a.exe");
}

// ---------------------------------------------------------------------------
// Userinit

class WininiUserinitTest : public WininiPaneTest {
 protected:
  void SetUp() override {
    reg.put(RootKey::LocalMachine, kWinlogonKey, "Userinit", "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
    p.fill(list);
  }
  std::string userinit() const { return reg.find(RootKey::LocalMachine, kWinlogonKey, "Userinit")->text; }
  ProgramListFamily p = pane({kUserinit});
  const std::string kProgram = "C:\\Windows\\system32\\userinit.exe";
};

TEST_F(WininiUserinitTest, DisablingUserinitExeAsksAndCancelKeepsEverything) {
  prompt.warningAnswers = {false};
  EXPECT_FALSE(p.disable(list, rowOf(kProgram)));
  EXPECT_EQ(prompt.warnings, std::vector<std::string>{"_WininiUserinitWarning"});
  EXPECT_TRUE(prompt.questions.empty()) << "asked as a warning, not as a plain question";
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());

  prompt.warningAnswers = {true};
  EXPECT_TRUE(p.disable(list, rowOf(kProgram)));
  EXPECT_EQ(userinit(), "C:\\x.exe");
  EXPECT_EQ(records().size(), 1u);
}

TEST_F(WininiUserinitTest, RemoveAndModifyAskBeforeLosingUserinitExe) {
  list.select(rowOf(kProgram));
  prompt.answers = {true};           // yes to the delete question
  prompt.warningAnswers = {false};   // no to the warning
  p.remove(list, list.selected());
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.warnings, std::vector<std::string>{"_WininiUserinitWarning"});
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(sink.records.empty());

  list.select(rowOf(kProgram));
  answerDialog("C:\\other.exe");
  prompt.warningAnswers = {false};
  p.modify(list, list.selected());
  EXPECT_EQ(prompt.warnings.size(), 2u);
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(WininiUserinitTest, ChangesThatKeepUserinitExeDoNotAsk) {
  ASSERT_TRUE(p.disable(list, rowOf("C:\\x.exe")));
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe");
  ASSERT_TRUE(p.enable(list, rowOf("C:\\x.exe")));
  list.select(rowOf(kProgram));
  answerDialog("c:\\windows\\SYSTEM32\\USERINIT.EXE");
  p.modify(list, list.selected());
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_TRUE(prompt.warnings.empty());
  EXPECT_EQ(userinit(), "C:\\x.exe,c:\\windows\\SYSTEM32\\USERINIT.EXE");
}

}  // namespace
}  // namespace velmora::testing
