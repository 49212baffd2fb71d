// The program-list family against the in-memory registry and store: the
// listing, each operation and what it logs, and what happens when a step
// fails. Each result goes through the real commit, as in the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>

#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/family_world.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "family/families.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
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

class ProgramListFamilyTest : public ::testing::Test, public FamilyWorldOf<TestStore> {
 protected:
  ProgramListFamilyTest() {
    tr.texts = {{"_TreeWininiType", "Program list"}};
    logValuesJoined();
  }

  FakeRegistry reg;
  MapShortPaths shortPaths;

  // A new family over `locations`, driven as the pane drives it.
  FamilyDriver& pane(std::vector<std::string> locations = {kLoad, kRun}) {
    driver_.reset();
    family_ = std::make_unique<ProgramListFamily>(std::move(locations), reg, shortPaths, context);
    driver_.emplace(*family_, prompt, commit);
    return *driver_;
  }
  ProgramListFamily& family() { return *family_; }
  FamilyDriver& driver() { return *driver_; }

  void putLoad(const std::string& text) { reg.put(RootKey::CurrentUser, kWindowsKey, "Load", text); }
  std::string load() const {
    const RegValue* v = reg.find(RootKey::CurrentUser, kWindowsKey, "Load");
    return v ? v->text : "<missing>";
  }
  void addRecord(const std::string& path, const std::string& name, const std::string& data) {
    store.elements.push_back({kProgramListRecords, DisabledItem{path, name, data}});
  }
  std::vector<DisabledItem> records() const { return store.items(kProgramListRecords); }
  // The row of the latest listing that holds `data`.
  int rowOf(const std::string& data) const {
    const std::vector<Row>& rows = driver_->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].data == data) return static_cast<int>(i);
    }
    return -1;
  }
  // A row's entry after Disable or Enable moved it, as the pane marks it.
  EntryRef moved(int row, RowOrigin now) const {
    EntryRef entry = driver_->entry(row);
    entry.origin = now;
    return entry;
  }
  // Where a program lives: how often in the Load value plus how many records.
  int places(const std::string& program) const {
    const auto pieces = splitPrograms(load() == "<missing>" ? "" : load());
    int n = static_cast<int>(std::count(pieces.begin(), pieces.end(), program));
    for (const auto& r : records()) n += r.valuedata == program;
    return n;
  }

 private:
  std::unique_ptr<ProgramListFamily> family_;
  std::optional<FamilyDriver> driver_;
};

// ---------------------------------------------------------------------------
// Listing

TEST_F(ProgramListFamilyTest, ListsEachLocationsRecordsThenItsProgramsInPaneOrder) {
  putLoad("a.exe, b.exe,,z.exe");
  reg.put(RootKey::CurrentUser, kWindowsKey, "Run", "r.exe");
  addRecord(kRun, "Run", "off-run.exe");
  addRecord(kLoad, "Load", "off-load.exe");
  addRecord("HKEY_CURRENT_USER\\Elsewhere\\Load", "Load", "other.exe");
  auto& p = pane();

  const std::vector<Row> expected = {
      recordRow("Load", "Program list", "off-load.exe", kLoad),
      {"Load", "Program list", "a.exe", kLoad, RowState::Live},
      {"Load", "Program list", "b.exe", kLoad, RowState::Live},
      {"Load", "Program list", "z.exe", kLoad, RowState::Live},
      recordRow("Run", "Program list", "off-run.exe", kRun),
      {"Run", "Program list", "r.exe", kRun, RowState::Live},
  };
  EXPECT_EQ(p.list(), expected);
  EXPECT_EQ(&family().traits(), &kProgramListTraits);
}

TEST_F(ProgramListFamilyTest, TheFactoryGivesProgramListNodesThisFamily) {
  putLoad("a.exe,b.exe");
  auto made = programListFamily(reg, shortPaths, context).make({kLoad});
  EXPECT_EQ(made->list().size(), 2u);
  EXPECT_EQ(made->traits().id, "programlist");
}

TEST_F(ProgramListFamilyTest, ARecordWhosePathDiffersInCaseIsListedUnderThePanesPath) {
  std::string upper = kLoad;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  addRecord(upper, "LOAD", "x.exe");
  const auto rows = pane().list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].path, kLoad);
  EXPECT_EQ(rows[0].name, "LOAD");
}

TEST_F(ProgramListFamilyTest, AValueOfAnyLengthIsListedWhole) {
  std::string value;
  for (int i = 0; i < 40; ++i) value += "C:\\PROGRA~1\\tool" + std::to_string(i) + ".exe,";
  ASSERT_GT(value.size(), 255u);
  putLoad(value);
  const auto rows = pane({kLoad}).list();
  ASSERT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows[39].data, "C:\\PROGRA~1\\tool39.exe");
}

TEST_F(ProgramListFamilyTest, AnUnreadableStoreOrMissingKeyHidesOnlyItsOwnRows) {
  putLoad("a.exe");
  addRecord(kRun, "Run", "off.exe");  // the Run value itself does not exist
  auto& p = pane();
  auto rows = p.list();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].data, "off.exe");

  store.unreadable = true;
  rows = p.list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].data, "a.exe");
  EXPECT_TRUE(prompt.messages.empty()) << "listing never interrupts the user";
}

TEST_F(ProgramListFamilyTest, AnUnsplittablePathListsOnlyItsRecords) {
  addRecord("HKEY_CURRENT_USER\\Load", "Load", "x.exe");
  const auto rows = pane({"HKEY_CURRENT_USER\\Load"}).list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].state, RowState::Disabled);
}

// ---------------------------------------------------------------------------
// Remove, Add, Modify, the dialogs, Open Location

TEST_F(ProgramListFamilyTest, RemoveAsksThenDeletesTheProgramAndLogsIt) {
  putLoad("a.exe,b.exe,c.exe");
  tr.texts["_AreyousureDeleteThisEntry"] = "Delete %s from %s?\\n\\n%s";
  auto& p = pane({kLoad});
  p.list();
  const int c = rowOf("c.exe");
  const std::string place = p.rows()[static_cast<std::size_t>(c)].path;
  const OperationResult result = p.remove(c);
  EXPECT_EQ(prompt.questions, std::vector<std::string>{"Delete c.exe from " + place + "?"})
      << "names the entry and its place";
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(logged(), std::vector<std::string>{"remove Load|" + kLoad + "|c.exe"}) << "names the program";
  EXPECT_TRUE(result.done());
  EXPECT_TRUE(result.messages.empty());
  ASSERT_EQ(result.changes.size(), 1u);
  const Change& removed = result.changes[0];
  EXPECT_EQ(removed.family, "programlist");
  EXPECT_EQ(removed.kind, "remove");
  EXPECT_EQ(removed.location, kLoad);
  EXPECT_EQ(removed.before, (EntryState{"Load", "c.exe", {}, false}));
  EXPECT_FALSE(removed.after);
  EXPECT_EQ(removed.position, 2u) << "its place, for the Undo";
  EXPECT_EQ(removed.valueBefore, "a.exe,b.exe,c.exe");
  EXPECT_EQ(removed.valueAfter, "a.exe,b.exe");

  p.list();
  p.remove(0);
  p.list();
  p.remove(0);
  EXPECT_EQ(load(), "") << "the value stays, empty";
  EXPECT_TRUE(p.list().empty());
}

TEST_F(ProgramListFamilyTest, RemoveDeletesEveryWholeOccurrenceButNotLongerPrograms) {
  putLoad("b.exe,aa.exe,b.exe c.exe");
  auto& p = pane({kLoad});
  p.list();
  p.remove(0);
  EXPECT_EQ(load(), "aa.exe,c.exe");
}

TEST_F(ProgramListFamilyTest, RemoveCancelledChangesNothing) {
  putLoad("a.exe");
  auto& p = pane({kLoad});
  p.list();
  prompt.answers = {false};
  const OperationResult result = p.remove(0);
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
  EXPECT_FALSE(result.done());
  EXPECT_TRUE(result.changes.empty());
  EXPECT_TRUE(result.messages.empty()) << "the user said no: nothing to tell";
}

TEST_F(ProgramListFamilyTest, RemoveOfADisabledRowTakesOnlyItsFirstRecord) {
  putLoad("x.exe");
  addRecord(kLoad, "Load", "x.exe");
  addRecord(kLoad, "load", "X.EXE");
  auto& p = pane({kLoad});
  p.list();
  const OperationResult result = p.remove(0);
  EXPECT_EQ(load(), "x.exe");
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0].valuedata, "X.EXE");
  EXPECT_EQ(logged(), std::vector<std::string>{"remove Load|" + kLoad + "|x.exe"});
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].before, (EntryState{"Load", "x.exe", {}, true}));
  EXPECT_FALSE(result.changes[0].valueBefore) << "a record's change leaves the value alone";
}

// The entry is gone already, which is what the user asked for: Remove
// says nothing and logs nothing.
TEST_F(ProgramListFamilyTest, RemoveOfADisabledRowWhoseRecordIsGoneSaysNothing) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "off.exe");
  addRecord(kLoad, "Load", "other.exe");
  auto& p = pane({kLoad});
  p.list();
  store.elements.erase(store.elements.begin());  // removed by hand meanwhile
  const OperationResult gone = p.remove(0);
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(gone.changes.empty());
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{kLoad, "Load", "other.exe"}}));
  EXPECT_EQ(load(), "a.exe");
  ASSERT_EQ(p.list().size(), 2u);
  EXPECT_EQ(p.rows()[0].data, "other.exe");

  store.vanish = true;  // listed, then gone before its removal
  p.remove(0);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(records().size(), 1u);
}

TEST_F(ProgramListFamilyTest, AddAppendsTheShortFormToTheFirstLocation) {
  shortPaths.forms["C:\\Program Files\\Tool\\t.exe"] = "C:\\PROGRA~1\\Tool\\t.exe";
  putLoad("a.exe,");
  reg.put(RootKey::CurrentUser, kWindowsKey, "Run", "r.exe");
  auto& p = pane();
  EntryDialogData shown;
  ASSERT_TRUE(family().prepareAdd(shown).done());
  EXPECT_EQ(shown.typeText, "Program list");
  EXPECT_EQ(shown.sectionText, kLoad);
  EXPECT_EQ(shown.name, "");
  EXPECT_EQ(shown.path, "");

  const OperationResult result = p.add("ignored", "C:\\Program Files\\Tool\\t.exe");
  EXPECT_EQ(load(), "a.exe,,C:\\PROGRA~1\\Tool\\t.exe") << "add trims only the ends";
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kWindowsKey, "Run")->text, "r.exe");
  EXPECT_EQ(logged(), std::vector<std::string>{"add Load|" + kLoad + "|C:\\PROGRA~1\\Tool\\t.exe"});
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].after, (EntryState{"Load", "C:\\PROGRA~1\\Tool\\t.exe", {}, false}))
      << "named after the value it went into, not the dialog's name";
  EXPECT_FALSE(result.changes[0].before);
}

TEST_F(ProgramListFamilyTest, AddWithoutAShortFormWritesThePathAsEnteredIntoAMissingValue) {
  reg.createKey(RootKey::CurrentUser, kWindowsKey);
  auto& p = pane();
  p.add("ignored", "D:\\No Such\\x.exe");
  EXPECT_EQ(load(), "D:\\No Such\\x.exe");
  ASSERT_EQ(p.list().size(), 2u) << "a blank in the path shows as two rows";
}

TEST_F(ProgramListFamilyTest, AddWithoutLocationsDoesNothing) {
  putLoad("a.exe");
  auto& none = pane({});
  EntryDialogData shown;
  EXPECT_FALSE(family().prepareAdd(shown).done());
  const OperationResult result = none.add("ignored", "b.exe");
  EXPECT_FALSE(result.done());
  EXPECT_FALSE(family().add(EntryDialogData{{}, kLoad, "Load", "b.exe"}, prompt).done())
      << "not even with the dialog's answer";
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ProgramListFamilyTest, ModifyOfALiveProgramReplacesItInOneWrite) {
  shortPaths.forms["C:\\New Dir\\n.exe"] = "C:\\NEWDIR~1\\n.exe";
  putLoad("a.exe b.exe c.exe");
  auto& p = pane({kLoad});
  p.list();
  const int b = rowOf("b.exe");
  const EntryDialogData shown = family().dialogData(p.entry(b));
  EXPECT_EQ(shown.name, "Load");
  EXPECT_EQ(shown.path, "b.exe");
  EXPECT_EQ(shown.sectionText, kLoad);
  EXPECT_EQ(shown.typeText, "Program list");
  const int writesBefore = reg.writes;
  const OperationResult result = p.modify(b, "ignored", "C:\\New Dir\\n.exe");
  EXPECT_EQ(load(), "a.exe,c.exe,C:\\NEWDIR~1\\n.exe");
  EXPECT_EQ(reg.writes, writesBefore + 1);
  EXPECT_EQ(logged(), std::vector<std::string>{"modify Load|" + kLoad + "|b.exe|Load|C:\\NEWDIR~1\\n.exe"});
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].position, 1u);
  EXPECT_EQ(result.changes[0].valueBefore, "a.exe b.exe c.exe");
}

TEST_F(ProgramListFamilyTest, ModifyOfADisabledRowChangesOnlyItsRecord) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "old.exe");
  auto& p = pane({kLoad});
  p.list();
  p.modify(0, "ignored", "new.exe");
  EXPECT_EQ(load(), "a.exe");
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0], (DisabledItem{kLoad, "Load", "new.exe"}));
  EXPECT_EQ(logged(), std::vector<std::string>{"modify Load|" + kLoad + "|old.exe|Load|new.exe"});
}

// The user's edit has nowhere to go: saying nothing would let it pass for done.
TEST_F(ProgramListFamilyTest, ModifyOfADisabledRowWhoseRecordIsGoneSaysTheEditWasNotKept) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "old.exe");
  auto& p = pane({kLoad});
  p.list();
  store.elements.clear();  // removed by hand meanwhile
  const OperationResult result = p.modify(0, "ignored", "new.exe");
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_EntryRecordGone"});
  EXPECT_FALSE(result.done());
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(ProgramListFamilyTest, TheDialogsShowTheEntryAndChangeNothing) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "off.exe");
  auto& p = pane({kLoad});
  p.list();
  const EntryDialogData live = family().dialogData(p.entry(rowOf("a.exe")));
  EXPECT_EQ(live.path, "a.exe");
  EXPECT_EQ(live.name, "Load");
  const EntryDialogData off = family().dialogData(p.entry(rowOf("off.exe")));
  EXPECT_EQ(off.path, "off.exe");
  EXPECT_EQ(off.sectionText, kLoad);
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records().size(), 1u);
  EXPECT_TRUE(sink.records.empty());
}

// ---------------------------------------------------------------------------
// Disable and Enable

TEST_F(ProgramListFamilyTest, DisableThenEnableMovesTheProgramAndBack) {
  putLoad("a.exe b.exe");
  auto& p = pane({kLoad});
  p.list();
  const int b = rowOf("b.exe");
  const OperationResult disabled = p.disable(b);
  ASSERT_TRUE(disabled.done());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records(), std::vector<DisabledItem>{(DisabledItem{kLoad, "Load", "b.exe"})});
  ASSERT_EQ(disabled.changes.size(), 1u);
  EXPECT_EQ(disabled.changes[0].kind, "disable");
  EXPECT_EQ(disabled.changes[0].before, (EntryState{"Load", "b.exe", {}, false}));
  EXPECT_EQ(disabled.changes[0].after, (EntryState{"Load", "b.exe", {}, true}));
  EXPECT_EQ(disabled.changes[0].position, 1u);

  const OperationResult enabled = p.enable(moved(b, RowOrigin::Record));
  ASSERT_TRUE(enabled.done());
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_TRUE(records().empty());
  ASSERT_EQ(enabled.changes.size(), 1u);
  EXPECT_EQ(enabled.changes[0].kind, "enable");
  EXPECT_EQ(enabled.changes[0].after, (EntryState{"Load", "b.exe", {}, false}));
  EXPECT_EQ(enabled.changes[0].valueAfter, "a.exe,b.exe");
  EXPECT_EQ(logged(), (std::vector<std::string>{"disable Load|" + kLoad + "|b.exe", "enable Load|" + kLoad + "|b.exe"}))
      << "the log names the program that moved, not only its value";
}

TEST_F(ProgramListFamilyTest, DisablingOneOfTwoEqualProgramsTakesBothOutOfTheValue) {
  putLoad("x.exe,a.exe,x.exe");
  auto& p = pane({kLoad});
  p.list();
  ASSERT_TRUE(p.disable(0).done());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records().size(), 1u);
}

TEST_F(ProgramListFamilyTest, EnableRemovesEveryMatchingRecordAndKeepsOthers) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "x.exe");
  addRecord(kLoad, "Load", "keep.exe");
  addRecord(kLoad, "LOAD", "X.exe");
  addRecord(kRun, "Run", "x.exe");
  auto& p = pane({kLoad});
  p.list();
  ASSERT_TRUE(p.enable(0).done());
  EXPECT_EQ(load(), "a.exe,x.exe");
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{kLoad, "Load", "keep.exe"}, {kRun, "Run", "x.exe"}}));
}

TEST_F(ProgramListFamilyTest, ARowThatNoLongerMatchesDoesNotMove) {
  putLoad("a.exe,b.exe");
  addRecord(kLoad, "Load", "off.exe");
  auto& p = pane({kLoad});
  p.list();
  putLoad("a.exe");  // b.exe went away behind our back
  store.elements.clear();
  EXPECT_FALSE(p.disable(rowOf("b.exe")).done());
  EXPECT_FALSE(p.enable(rowOf("off.exe")).done());
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

class ProgramListFaultTest : public ProgramListFamilyTest {
 protected:
  // A Load value holding a.exe, b.exe and c.exe (b.exe disabled when
  // `disabled`), listed, then the fault. Returns b.exe's row.
  int arrange(Fault fault, bool disabled) {
    reg.reset();
    store.reset();
    store.removalsAllowed = -1;
    store.vanish = false;
    sink.records.clear();
    prompt.messages.clear();
    putLoad(disabled ? "a.exe,c.exe" : "a.exe,b.exe,c.exe");
    if (disabled) addRecord(kLoad, "Load", "b.exe");
    pane({kLoad}).list();
    before_ = load();
    switch (fault) {
      case Fault::StoreUnreadable: store.unreadable = true; break;
      case Fault::StoreReadOnly: store.readOnly = true; break;
      case Fault::KeyMissing: reg.reset(); break;
      case Fault::ReadRefused: reg.denyRead(RootKey::CurrentUser, kWindowsKey); break;
      case Fault::WriteRefused: reg.denyWrite(RootKey::CurrentUser, kWindowsKey); break;
      case Fault::NotText: reg.put(RootKey::CurrentUser, kWindowsKey, "Load", before_, 7); break;
    }
    return rowOf("b.exe");
  }
  std::string before_;
};

TEST_F(ProgramListFaultTest, DisableKeepsTheProgramLiveWhenAnyStepFails) {
  for (Fault f : kFaults) {
    SCOPED_TRACE(name(f));
    const int b = arrange(f, false);
    const std::string value = load();
    const OperationResult result = driver().disable(b);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(load(), value);
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
    if (f != Fault::KeyMissing) {
      EXPECT_EQ(places("b.exe"), 1);
    }
  }
}

TEST_F(ProgramListFaultTest, EnableKeepsTheRecordWhenAnyStepFails) {
  for (Fault f : kFaults) {
    SCOPED_TRACE(name(f));
    const int b = arrange(f, true);
    const std::string value = load();
    const OperationResult result = driver().enable(b);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(load(), value) << "a value written before a failed record removal is put back";
    EXPECT_EQ(places("b.exe"), 1);
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
  }
}

TEST_F(ProgramListFaultTest, RemoveChangesNothingAndLogsNothingWhenAStepFails) {
  for (bool disabled : {false, true}) {
    for (Fault f : kFaults) {
      SCOPED_TRACE(std::string(name(f)) + (disabled ? ", disabled row" : ", live row"));
      const int b = arrange(f, disabled);
      const std::string value = load();
      const auto stored = records();
      const OperationResult result = driver().remove(b);
      const bool untouchedBranch = disabled ? (f == Fault::KeyMissing || f == Fault::ReadRefused ||
                                               f == Fault::WriteRefused || f == Fault::NotText)
                                            : (f == Fault::StoreUnreadable || f == Fault::StoreReadOnly);
      if (untouchedBranch) {
        // The fault lies on the other side: Remove works.
        EXPECT_TRUE(result.done());
        EXPECT_EQ(sink.records.size(), 1u);
        EXPECT_EQ(places("b.exe"), 0);
        continue;
      }
      EXPECT_FALSE(result.done());
      EXPECT_EQ(load(), value);
      EXPECT_EQ(records(), stored);
      EXPECT_TRUE(sink.records.empty());
      EXPECT_EQ(prompt.messages.size(), 1u);
    }
  }
}

TEST_F(ProgramListFaultTest, ModifyLeavesTheOldProgramWhereItWasWhenAStepFails) {
  for (bool disabled : {false, true}) {
    for (Fault f : kFaults) {
      SCOPED_TRACE(std::string(name(f)) + (disabled ? ", disabled row" : ", live row"));
      const int b = arrange(f, disabled);
      const std::string value = load();
      const auto stored = records();
      const OperationResult result = driver().modify(b, "ignored", "n.exe");
      const bool otherSide = disabled ? (f != Fault::StoreUnreadable && f != Fault::StoreReadOnly)
                                      : (f == Fault::StoreUnreadable || f == Fault::StoreReadOnly);
      if (otherSide) {
        EXPECT_TRUE(result.done());
        EXPECT_EQ(sink.records.size(), 1u);
        EXPECT_EQ(places("b.exe"), 0);
        EXPECT_EQ(places("n.exe"), 1);
        continue;
      }
      EXPECT_FALSE(result.done());
      EXPECT_EQ(load(), value);
      EXPECT_EQ(records(), stored);
      EXPECT_EQ(places("n.exe"), 0);
      EXPECT_TRUE(sink.records.empty());
      EXPECT_EQ(prompt.messages.size(), 1u);
    }
  }
}

TEST_F(ProgramListFaultTest, AddWritesNothingAndLogsNothingWhenTheValueCannotBeChanged) {
  for (Fault f : {Fault::KeyMissing, Fault::ReadRefused, Fault::WriteRefused, Fault::NotText}) {
    SCOPED_TRACE(name(f));
    arrange(f, false);
    const std::string value = load();
    const OperationResult result = driver().add("ignored", "n.exe");
    EXPECT_FALSE(result.done());
    EXPECT_EQ(load(), value);
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
  }
}

TEST_F(ProgramListFamilyTest, EnableWhoseRecordCannotBeRemovedPutsTheValueAndRecordsBack) {
  putLoad("a.exe");
  addRecord(kLoad, "Load", "b.exe");
  addRecord(kLoad, "Load", "b.exe");
  auto& p = pane({kLoad});
  p.list();
  store.removalsAllowed = 1;  // the later record goes, the earlier one is refused
  EXPECT_FALSE(p.enable(0).done());
  EXPECT_EQ(load(), "a.exe");
  EXPECT_EQ(records().size(), 2u);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_ConfigWriteFailed"});
}

TEST_F(ProgramListFamilyTest, ATakeBackThatFailsTooIsToldAndLosesNothing) {
  putLoad("a.exe,b.exe");
  auto& p = pane({kLoad});
  p.list();
  reg.denyWrite(RootKey::CurrentUser, kWindowsKey);
  store.removalsAllowed = 0;
  EXPECT_FALSE(p.disable(1).done());
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_EntryKeptTwice"});
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(ProgramListFamilyTest, DisableWhoseWriteFailsTakesItsRecordBack) {
  putLoad("a.exe,b.exe");
  addRecord(kLoad, "Load", "b.exe");  // an older record of the same program stays
  auto& p = pane({kLoad});
  p.list();
  reg.denyWrite(RootKey::CurrentUser, kWindowsKey);
  ASSERT_EQ(p.rows()[2].state, RowState::Live);
  EXPECT_FALSE(p.disable(2).done());
  EXPECT_EQ(load(), "a.exe,b.exe");
  EXPECT_EQ(records().size(), 1u);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_WininiAccessDenied"});
}

TEST_F(ProgramListFamilyTest, AnExpandableValueWithNothingToExpandIsRewritten) {
  reg.put(RootKey::CurrentUser, kWindowsKey, "Load", "a.exe,b.exe", kRegExpandSz);
  auto& p = pane({kLoad});
  p.list();
  ASSERT_TRUE(p.disable(1).done());
  EXPECT_EQ(load(), "a.exe");

  reg.put(RootKey::CurrentUser, kWindowsKey, "Load", "%SystemRoot%\\a.exe", kRegExpandSz);
  EXPECT_EQ(p.list().size(), 2u) << "listed all the same";
  EXPECT_FALSE(p.disable(1).done());
  EXPECT_EQ(load(), "%SystemRoot%\\a.exe");
}

// ---------------------------------------------------------------------------
// Userinit

class ProgramListUserinitTest : public ProgramListFamilyTest {
 protected:
  void SetUp() override {
    reg.put(RootKey::LocalMachine, kWinlogonKey, "Userinit", "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
    pane({kUserinit}).list();
  }
  std::string userinit() const { return reg.find(RootKey::LocalMachine, kWinlogonKey, "Userinit")->text; }
  const std::string kProgram = "C:\\Windows\\system32\\userinit.exe";
};

TEST_F(ProgramListUserinitTest, DisablingUserinitExeAsksAndCancelKeepsEverything) {
  prompt.warningAnswers = {false};
  EXPECT_FALSE(driver().disable(rowOf(kProgram)).done());
  EXPECT_EQ(prompt.warnings, std::vector<std::string>{"_WininiUserinitWarning"});
  EXPECT_TRUE(prompt.questions.empty()) << "asked as a warning, not as a plain question";
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(prompt.messages.empty()) << "the user said no: nothing to tell";

  prompt.warningAnswers = {true};
  EXPECT_TRUE(driver().disable(rowOf(kProgram)).done());
  EXPECT_EQ(userinit(), "C:\\x.exe");
  EXPECT_EQ(records().size(), 1u);
}

TEST_F(ProgramListUserinitTest, RemoveAndModifyAskBeforeLosingUserinitExe) {
  prompt.answers = {true};          // yes to the delete question
  prompt.warningAnswers = {false};  // no to the warning
  driver().remove(rowOf(kProgram));
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.warnings, std::vector<std::string>{"_WininiUserinitWarning"});
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(sink.records.empty());

  prompt.warningAnswers = {false};
  driver().modify(rowOf(kProgram), "ignored", "C:\\other.exe");
  EXPECT_EQ(prompt.warnings.size(), 2u);
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe,C:\\x.exe");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(ProgramListUserinitTest, ChangesThatKeepUserinitExeDoNotAsk) {
  const int x = rowOf("C:\\x.exe");
  ASSERT_TRUE(driver().disable(x).done());
  EXPECT_EQ(userinit(), "C:\\Windows\\system32\\userinit.exe");
  ASSERT_TRUE(driver().enable(moved(x, RowOrigin::Record)).done());
  driver().modify(rowOf(kProgram), "ignored", "c:\\windows\\SYSTEM32\\USERINIT.EXE");
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_TRUE(prompt.warnings.empty());
  EXPECT_EQ(userinit(), "C:\\x.exe,c:\\windows\\SYSTEM32\\USERINIT.EXE");
}

// ---------------------------------------------------------------------------
// Winlogon Shell

const std::string kUserWinlogonKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kMachineShell = "HKEY_LOCAL_MACHINE\\" + kWinlogonKey + "\\Shell";
const std::string kUserShell = "HKEY_CURRENT_USER\\" + kUserWinlogonKey + "\\Shell";

class ProgramListShellTest : public ProgramListFamilyTest {
 protected:
  // The Userinit node's locations, in its order.
  FamilyDriver& winlogon() { return pane({kUserinit, kMachineShell, kUserShell}); }
  void putMachineShell(const std::string& text) { reg.put(RootKey::LocalMachine, kWinlogonKey, "Shell", text); }
  void putUserShell(const std::string& text) { reg.put(RootKey::CurrentUser, kUserWinlogonKey, "Shell", text); }
  std::string machineShell() const { return reg.find(RootKey::LocalMachine, kWinlogonKey, "Shell")->text; }
  std::string userShell() const {
    const RegValue* v = reg.find(RootKey::CurrentUser, kUserWinlogonKey, "Shell");
    return v ? v->text : "<missing>";
  }
  int rowAt(const std::string& data, const std::string& location) {
    const std::vector<Row>& rows = driver().rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].data == data && rows[i].path == location) return static_cast<int>(i);
    }
    return -1;
  }
  std::vector<std::pair<std::string, std::string>> listed() {
    std::vector<std::pair<std::string, std::string>> out;
    for (const Row& r : driver().list()) out.emplace_back(r.data, r.path);
    return out;
  }
};

TEST_F(ProgramListShellTest, BothShellValuesAreListedAfterUserinitWithTheirPaths) {
  reg.put(RootKey::LocalMachine, kWinlogonKey, "Userinit", "userinit.exe");
  putMachineShell("explorer.exe,C:\\tray.exe");
  winlogon();
  using Listed = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(listed(), (Listed{{"userinit.exe", kUserinit}, {"explorer.exe", kMachineShell}, {"C:\\tray.exe", kMachineShell}}))
      << "the user's Shell value is absent: nothing listed for it";

  putUserShell("C:\\Users\\me\\evil.exe");
  EXPECT_EQ(listed().back(), (std::pair<std::string, std::string>{"C:\\Users\\me\\evil.exe", kUserShell}));
  EXPECT_EQ(driver().rows().back().name, "Shell");
}

// Every spelling by which Windows would still find explorer.exe.
TEST_F(ProgramListShellTest, TheMachinesExplorerIsNeitherRemovedNorDisabledNorModifiedAway) {
  tr.texts["_WininiShellRefused"] = "no desktop";
  for (const std::string explorer : {"explorer.exe", "EXPLORER.EXE", "explorer", "C:\\Windows\\explorer.exe",
                                     "\"C:\\Windows\\explorer.exe\"", "C:/Windows/Explorer.exe"}) {
    SCOPED_TRACE(explorer);
    const std::string original = explorer + ",C:\\tray.exe";
    putMachineShell(original);
    prompt.messages.clear();
    winlogon().list();
    const int row = rowOf(explorer);
    ASSERT_GE(row, 0);

    EXPECT_FALSE(driver().remove(row).done());
    EXPECT_TRUE(prompt.questions.empty()) << "refused before asking whether to remove";
    EXPECT_FALSE(driver().disable(row).done());
    EXPECT_FALSE(driver().modify(row, "Shell", "C:\\Windows\\notepad.exe").done());
    EXPECT_EQ(prompt.messages, std::vector<std::string>(3, "no desktop"));
    EXPECT_TRUE(prompt.warnings.empty()) << "a refusal, not a question";
    EXPECT_EQ(machineShell(), original);
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(sink.records.empty());
  }
  // Still explorer.exe after the change: nothing to refuse.
  winlogon().list();
  ASSERT_TRUE(driver().modify(rowOf("C:/Windows/Explorer.exe"), "Shell", "explorer.exe").done());
  EXPECT_EQ(machineShell(), "C:\\tray.exe,explorer.exe");
}

// What the window greys and why: the machine's explorer.exe can be neither
// removed nor disabled; everything else, the user's override too, can. The
// override says in its status that it replaces the desktop.
TEST_F(ProgramListShellTest, TheRowsThatCannotGoSayWhyAndTheOverrideSaysWhatItDoes) {
  putMachineShell("explorer.exe,C:\\tray.exe");
  putUserShell("C:\\Users\\me\\evil.exe");
  addRecord(kUserShell, "Shell", "C:\\kept.exe");
  winlogon().list();
  struct Case {
    std::string data, location;
    bool canGo;
    const char* status;
  };
  const Case cases[] = {{"explorer.exe", kMachineShell, false, ""},
                        {"C:\\tray.exe", kMachineShell, true, ""},
                        {"C:\\Users\\me\\evil.exe", kUserShell, true, "_StatusReplacesDesktop"},
                        {"C:\\kept.exe", kUserShell, true, ""}};  // disabled: it replaces nothing now
  for (const Case& c : cases) {
    const int row = rowAt(c.data, c.location);
    ASSERT_GE(row, 0) << c.data;
    const FamilyAbilities can = family().abilitiesFor(driver().entry(row));
    EXPECT_EQ(can.remove, c.canGo) << c.data;
    EXPECT_EQ(can.disable, c.canGo) << c.data;
    EXPECT_EQ(can.whyNot, c.canGo ? "" : "_WhyNotMachineShell") << c.data;
    EXPECT_EQ(driver().rows()[row].status, c.status) << c.data;
  }
}

TEST_F(ProgramListShellTest, ProgramsThatAreNotExplorerComeAndGoFreely) {
  putMachineShell("explorer.exe,C:\\tray.exe");
  winlogon().list();
  const int tray = rowOf("C:\\tray.exe");
  ASSERT_TRUE(driver().disable(tray).done());
  EXPECT_EQ(machineShell(), "explorer.exe");
  ASSERT_TRUE(driver().enable(moved(tray, RowOrigin::Record)).done());
  EXPECT_EQ(machineShell(), "explorer.exe,C:\\tray.exe") << "back in the machine's Shell, not in Userinit";
  EXPECT_TRUE(records().empty());

  // A name that only contains explorer is another program.
  putMachineShell("C:\\myexplorer.exe,explorer.exe.bak");
  winlogon().list();
  EXPECT_TRUE(driver().disable(rowOf("C:\\myexplorer.exe")).done());
  EXPECT_TRUE(driver().remove(rowOf("explorer.exe.bak")).done());
  EXPECT_EQ(machineShell(), "");
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ProgramListShellTest, TheUsersOverrideIsDisabledAndEnabledBackWithoutASafeguard) {
  putMachineShell("explorer.exe");
  putUserShell("C:\\Users\\me\\evil.exe");
  winlogon().list();
  const int evil = rowOf("C:\\Users\\me\\evil.exe");
  ASSERT_TRUE(driver().disable(evil).done());
  // An empty override could leave no shell at all: it goes, and the
  // machine's shell starts again.
  EXPECT_EQ(userShell(), "<missing>");
  EXPECT_EQ(records(), (std::vector<DisabledItem>{{kUserShell, "Shell", "C:\\Users\\me\\evil.exe"}}));
  EXPECT_EQ(machineShell(), "explorer.exe");
  ASSERT_TRUE(driver().enable(moved(evil, RowOrigin::Record)).done());
  EXPECT_EQ(userShell(), "C:\\Users\\me\\evil.exe");
  EXPECT_TRUE(records().empty());

  // Taking explorer.exe out of the override leaves the machine's desktop.
  putUserShell("explorer.exe");
  winlogon().list();
  EXPECT_TRUE(driver().remove(rowAt("explorer.exe", kUserShell)).done());
  EXPECT_EQ(userShell(), "<missing>");
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
