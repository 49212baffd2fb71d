// The Run-key family against in-memory ports: what it lists, and that every
// operation leaves each entry in exactly one place (or, for Remove, gone on
// purpose) with a log that tells only what happened. Each result goes
// through the real commit, so log records and messages come out as the
// program shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "fakes/family_world.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "pane/pane_logic.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kOnce = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kOnceSub = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr RootKey kHkcu = RootKey::CurrentUser;

// One family over fresh fakes; fault-matrix tests make one per case.
struct PaneWorld : FamilyWorld {
  PaneWorld() {
    tr.texts = {
        {"_RegString", "Registry value"},
        {"_RegExpandString", "Registry value (expandable)"},
        {"_AreyousureDeleteThisEntry", "Delete %s from %s?\\n%s"},
        {"_YouMustSelectAnItem", "select first"},
        {"_RegistryWriteFailed", "cannot write %s"},
        {"_RegistryDeleteFailed", "cannot delete from %s"},
        {"_RegistryValueExists", "replace %s|%s?"},
        {"_EntryKeptTwice", "twice %s"},
        {"_ConfigUnreadable", "config unreadable"},
        {"_ConfigWriteFailed", "config not saved"},
        {"_RegistryEntryChanged", "changed %s|%s"},
        {"_RegistryRemoveChanged", "not removed %s|%s"},
        {"_RegistryEnableChanged", "not enabled %s|%s"},
        {"_FlagWriteFailed", "flag %s|%s"},
        {"_StatusOffInWindows", "off in Windows"},
        {"_LogItemType1Content", "remove %s|%s|%s"},
        {"_LogItemType2Content", "add %s|%s|%s"},
        {"_LogItemType3Content", "modify %s|%s|%s|%s|%s"},
        {"_LogItemType4Content", "enable %s|%s|%s"},
        {"_LogItemType5Content", "disable %s|%s|%s"},
    };
  }

  void live(const std::string& name, const std::string& data, const std::string& sub = kRunSub) {
    reg.put(kHkcu, sub, name, data);
  }
  void record(const std::string& path, const std::string& name, const std::string& data) {
    store.elements.push_back({kRegistryRecords, {path, name, data}});
  }
  // Lists the family afresh; the driver acts on these rows.
  const std::vector<Row>& refresh() { return driver.list(); }
  const std::vector<Row>& rows() const { return driver.rows(); }
  int rowOf(const std::string& name, RowState state) const {
    for (std::size_t i = 0; i < rows().size(); ++i) {
      if (rows()[i].name == name && rows()[i].state == state) return static_cast<int>(i);
    }
    return -1;
  }
  // Where an entry of the Run key is: its live value's text ("" when there
  // is none) and how many records hold it.
  std::string liveData(const std::string& name, const std::string& sub = kRunSub) const {
    const RegValue* v = reg.find(kHkcu, sub, name);
    return v ? v->text : "";
  }
  // The Run key's values as name|type|text.
  std::vector<std::string> runKey() const {
    std::vector<std::string> out;
    for (const RegValue& v : reg.values(kHkcu, kRunSub)) {
      out.push_back(v.name + "|" + std::to_string(v.type) + "|" + v.text);
    }
    return out;
  }
  bool isLive(const std::string& name, const std::string& sub = kRunSub) const {
    return reg.find(kHkcu, sub, name) != nullptr;
  }
  int records(const std::string& name) const {
    const auto items = store.items(kRegistryRecords);
    return static_cast<int>(std::count_if(items.begin(), items.end(),
                                          [&](const DisabledItem& i) { return i.valuename == name; }));
  }
  FakeRegistry reg;
  RegistryFamily pane{{kRun, kOnce}, reg, context};
  FamilyDriver driver{pane, prompt, commit};
};

class RegistryPane : public ::testing::Test, public PaneWorld {};

// One row of a fault table: what breaks, how, and the message it must give.
struct FaultCase {
  const char* what;
  std::function<void(PaneWorld&)> fault;
  const char* message;
};

// A store whose records have moved away by the time they are removed or
// changed.
class VanishingStore : public FakeStore {
 public:
  StoreStatus remove(RecordKind, const StoredItem&) override { return StoreStatus::Vanished; }
  StoreStatus update(RecordKind, const StoredItem&, const std::optional<std::string>&, const std::string&,
                     const std::optional<std::string>&) override {
    return StoreStatus::Vanished;
  }
};

using Rows = std::vector<Row>;

// --- Listing ---------------------------------------------------------------

TEST_F(RegistryPane, ListsRecordsThenLiveValuesKeyByKey) {
  live("A", "a.exe");
  reg.put(kHkcu, kRunSub, "Expand", "%windir%\\x.exe", kRegExpandSz);
  reg.put(kHkcu, kRunSub, "Number", "", 4);
  live("B", "b.exe");
  live("C", "c.exe", kOnceSub);
  record(kOnce, "D2", "d2.exe");
  record("HKEY_CURRENT_USER\\Software\\Other", "X", "x.exe");
  record(kRun, "D1", "d1.exe");

  const std::string t = "Registry value";
  // RunOnce's entries say that Windows runs them once.
  const auto once = [](Row row) {
    row.reasons = {{"_StatusRunsOnce", row.status = "_StatusRunsOnce"}};
    return row;
  };
  EXPECT_EQ(refresh(), (Rows{recordRow("D1", t, "d1.exe", kRun),
                             {"A", t, "a.exe", kRun, RowState::Live},
                             {"Expand", "Registry value (expandable)", "%windir%\\x.exe", kRun, RowState::Live},
                             {"B", t, "b.exe", kRun, RowState::Live},
                             once(recordRow("D2", t, "d2.exe", kOnce)),
                             once({"C", t, "c.exe", kOnce, RowState::Live})}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(RegistryPane, RecordWithPathInOtherCaseShowsThePanesSpelling) {
  std::string lower = kRun;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  record(lower, "Tool", "t.exe");
  refresh();
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_EQ(rows()[0].path, kRun);
  EXPECT_EQ(rows()[0].state, RowState::Disabled);
}

TEST_F(RegistryPane, LiveValueAndIdenticalRecordAreListedTwice) {
  live("Tool", "t.exe");
  record(kRun, "Tool", "t.exe");
  refresh();
  ASSERT_EQ(rows().size(), 2u);
  EXPECT_EQ(rows()[0].state, RowState::Disabled);
  EXPECT_EQ(rows()[1].state, RowState::Live);
}

TEST_F(RegistryPane, UnreachableKeysAndStoresListWhatIsLeftSilently) {
  record(kRun, "Kept", "k.exe");  // the Run key itself does not exist
  live("Hidden", "h.exe", kOnceSub);
  reg.denyRead(kHkcu, kOnceSub);
  EXPECT_EQ(refresh(), (Rows{recordRow("Kept", "Registry value", "k.exe", kRun)}));

  store.unreadable = true;
  live("A", "a.exe");
  EXPECT_EQ(refresh(), (Rows{{"A", "Registry value", "a.exe", kRun, RowState::Live}}));
  EXPECT_TRUE(prompt.messages.empty());
}

// --- Remove ----------------------------------------------------------------

TEST_F(RegistryPane, RemoveNeedsAConfirmation) {
  live("A", "a.exe");
  refresh();
  prompt.answers = {false};
  const OperationResult result = driver.remove(0);
  EXPECT_TRUE(isLive("A"));
  EXPECT_FALSE(result.done());
  EXPECT_TRUE(result.changes.empty());
  EXPECT_TRUE(result.messages.empty()) << "the user said no: nothing to say";
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(RegistryPane, RemoveQuestionNamesTheEntryAndItsKeyConvertsEscapesAndTakesDataLiterally) {
  live("A", "a.exe %s %n %d");
  refresh();
  prompt.answers = {false};
  driver.remove(0);
  EXPECT_EQ(prompt.questions, (std::vector<std::string>{"Delete A from " + rows()[0].path + "?\na.exe %s %n %d"}));
  EXPECT_NE(rows()[0].path, "");
}

TEST_F(RegistryPane, RemoveDeletesTheValueAndLogsIt) {
  for (const char* n : {"a", "b", "c", "d", "e"}) live(n, std::string(n) + ".exe");
  refresh();
  const OperationResult result = driver.remove(4);
  EXPECT_TRUE(result.done());
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].kind, "remove");
  EXPECT_EQ(result.changes[0].location, kRun);
  EXPECT_EQ(result.changes[0].before, (EntryState{"e", "e.exe", "REG_SZ", false}));
  EXPECT_FALSE(result.changes[0].after);
  EXPECT_FALSE(isLive("e"));
  EXPECT_EQ(logged(), (std::vector<std::string>{"remove e|" + kRun + "|e.exe"}));

  refresh();
  driver.remove(1);
  EXPECT_FALSE(isLive("b"));
  EXPECT_EQ(runKey(), (std::vector<std::string>{"a|1|a.exe", "c|1|c.exe", "d|1|d.exe"}));
  EXPECT_EQ(logged().size(), 2u);
}

TEST_F(RegistryPane, RemoveOfADisabledEntryTakesOnlyTheFirstIdenticalRecord) {
  record(kRun, "Tool", "t.exe");
  record(kRun, "TOOL", "T.EXE");
  refresh();
  const OperationResult result = driver.remove(0);
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "TOOL", "T.EXE"}}));
  EXPECT_EQ(refresh().size(), 1u) << "the second record is listed again";
  EXPECT_EQ(logged(), (std::vector<std::string>{"remove Tool|" + kRun + "|t.exe"}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_TRUE(result.changes[0].before->disabled) << "Undo puts a record back, not a value";
}

TEST_F(RegistryPane, RemoveOfADisabledEntryWhoseRecordVanishedChangesNothing) {
  record(kRun, "Tool", "t.exe");
  refresh();
  store.elements.clear();  // removed by hand meanwhile
  record(kRun, "Other", "o.exe");
  const OperationResult result = driver.remove(0);
  EXPECT_FALSE(result.done());
  EXPECT_EQ(records("Other"), 1);
  EXPECT_EQ(store.saves, 0);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(prompt.messages.empty());

  // Listed, then moved away before its removal (another program saved
  // config.xml in between): just as quiet.
  VanishingStore vanishing;
  vanishing.elements = store.elements;
  FamilyContext vanishingContext{vanishing, tr};
  RegistryFamily p{{kRun}, reg, vanishingContext};
  FamilyDriver d{p, prompt, commit};
  d.list();
  d.remove(0);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(vanishing.items(kRegistryRecords).size(), 1u);
}

TEST_F(RegistryPane, RemoveFaults) {
  // The store cannot be read, or not saved: the record stays, and the user hears why.
  record(kRun, "Tool", "t.exe");
  refresh();
  store.unreadable = true;
  driver.remove(0);
  store.unreadable = false;
  store.readOnly = true;
  refresh();
  driver.remove(0);
  EXPECT_EQ(records("Tool"), 1);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"config unreadable", "config not saved"}));
  store.readOnly = false;
  store.elements.clear();

  // The value may not be deleted.
  prompt.messages.clear();
  live("A", "a.exe");
  reg.denyDelete(kHkcu, kRunSub);
  refresh();
  const OperationResult refused = driver.remove(0);
  EXPECT_FALSE(refused.done());
  EXPECT_TRUE(isLive("A"));
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"cannot delete from " + kRun}));
  EXPECT_TRUE(sink.records.empty());

  // The value is gone already (deleted by another program): nothing to
  // report or log.
  prompt.messages.clear();
  live("G", "g.exe", kOnceSub);
  refresh();
  ASSERT_EQ(reg.deleteValue(kHkcu, kOnceSub, "G"), RegStatus::Ok);
  driver.remove(rowOf("G", RowState::Live));
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(refresh(), (Rows{{"A", "Registry value", "a.exe", kRun, RowState::Live}}));
}

// --- Disable -----------------------------------------------------------------

TEST_F(RegistryPane, DisableMovesTheValueIntoTheStore) {
  live("Tool", "\"C:\\Tools\\t.exe\" /min");
  refresh();
  const OperationResult result = driver.disable(0);
  EXPECT_TRUE(result.done());
  EXPECT_FALSE(isLive("Tool"));
  EXPECT_EQ(store.items(kRegistryRecords),
            (std::vector<DisabledItem>{{kRun, "Tool", "\"C:\\Tools\\t.exe\" /min"}}));
  EXPECT_EQ(logged(), (std::vector<std::string>{"disable Tool|" + kRun + "|\"C:\\Tools\\t.exe\" /min"}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].kind, "disable");
  EXPECT_FALSE(result.changes[0].before->disabled);
  EXPECT_TRUE(result.changes[0].after->disabled);
  EXPECT_TRUE(result.messages.empty());
}

TEST_F(RegistryPane, DisableFaultsLeaveTheEntryLive) {
  const std::vector<FaultCase> cases = {
      {"store unreadable", [](PaneWorld& t) { t.store.unreadable = true; }, "config unreadable"},
      {"store read-only", [](PaneWorld& t) { t.store.readOnly = true; }, "config not saved"},
      {"deletion refused", [](PaneWorld& t) { t.reg.denyDelete(kHkcu, kRunSub); }, "cannot delete from "},
      {"key read-only", [](PaneWorld& t) { t.reg.denyWrite(kHkcu, kRunSub); }, "cannot delete from "},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    PaneWorld t;
    t.live("Tool", "t.exe");
    t.refresh();
    c.fault(t);
    const OperationResult result = t.driver.disable(0);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    t.store.unreadable = false;
    EXPECT_EQ(t.liveData("Tool"), "t.exe");
    EXPECT_EQ(t.records("Tool"), 0) << "a record written first is taken back";
    ASSERT_EQ(t.prompt.messages.size(), 1u);
    EXPECT_EQ(t.prompt.messages[0].rfind(c.message, 0), 0u) << t.prompt.messages[0];
    EXPECT_TRUE(t.sink.records.empty());
  }
}

TEST_F(RegistryPane, FailedDisableKeepsAnEarlierIdenticalRecord) {
  record(kRun, "Tool", "t.exe");
  live("Tool", "t.exe");
  refresh();
  reg.denyDelete(kHkcu, kRunSub);
  EXPECT_FALSE(driver.disable(1).done());
  EXPECT_EQ(records("Tool"), 1);
  EXPECT_EQ(store.saves, 2) << "one add, one take-back";
  EXPECT_TRUE(isLive("Tool"));
}

// Another program (an installer, say) changed the value after the list was
// read: disabling it would delete the new text and keep only the stale one.
TEST_F(RegistryPane, DisableOfAValueChangedSinceTheListingTouchesNothing) {
  const std::vector<FaultCase> cases = {
      {"new text", [](PaneWorld& t) { t.live("Tool", "t2.exe"); }, "changed Tool|"},
      {"text differing only in case", [](PaneWorld& t) { t.live("Tool", "T.EXE"); }, "changed Tool|"},
      {"a number now", [](PaneWorld& t) { t.reg.put(kHkcu, kRunSub, "Tool", "t.exe", 4); },
       "changed Tool|"},
      {"deleted", [](PaneWorld& t) { ASSERT_EQ(t.reg.deleteValue(kHkcu, kRunSub, "Tool"), RegStatus::Ok); },
       "changed Tool|"},
      {"key deleted", [](PaneWorld& t) { t.reg.reset(); }, "changed Tool|"},
      {"no longer readable", [](PaneWorld& t) { t.reg.denyRead(kHkcu, kRunSub); }, "cannot delete from "},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    PaneWorld t;
    t.live("Tool", "t.exe");
    t.refresh();
    c.fault(t);
    const std::vector<std::string> now = t.runKey();
    const int deletions = t.reg.deletions;
    EXPECT_FALSE(t.driver.disable(0).done());
    EXPECT_EQ(t.runKey(), now) << "the value stays as the other program left it";
    EXPECT_EQ(t.reg.deletions, deletions);
    EXPECT_EQ(t.store.saves, 0) << "nothing recorded";
    EXPECT_TRUE(t.sink.records.empty());
    ASSERT_EQ(t.prompt.messages.size(), 1u);
    EXPECT_EQ(t.prompt.messages[0].rfind(c.message, 0), 0u) << t.prompt.messages[0];
  }
}

TEST_F(RegistryPane, RemoveOfAValueChangedSinceTheListingDeletesNothing) {
  live("Tool", "t.exe");
  refresh();
  live("Tool", "t2.exe");  // an installer rewrote it meanwhile
  driver.remove(0);
  EXPECT_EQ(liveData("Tool"), "t2.exe") << "the user agreed to delete t.exe, not t2.exe";
  EXPECT_TRUE(sink.records.empty());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], "not removed Tool|" + kRun) << "Remove has its own message, not Disable's";
  EXPECT_EQ(refresh()[0].data, "t2.exe");
}

// --- Enable ------------------------------------------------------------------

TEST_F(RegistryPane, EnableWritesTheValueThenDropsTheRecord) {
  record(kRun, "Tool", "t.exe /x");
  refresh();
  const OperationResult result = driver.enable(0);
  EXPECT_TRUE(result.done());
  EXPECT_EQ(liveData("Tool"), "t.exe /x");
  EXPECT_EQ(records("Tool"), 0);
  EXPECT_EQ(logged(), (std::vector<std::string>{"enable Tool|" + kRun + "|t.exe /x"}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].kind, "enable");
  EXPECT_TRUE(result.changes[0].extra.empty()) << "nothing was replaced";
}

TEST_F(RegistryPane, EnableFindsARecordDifferingInCaseAndTakesOnlyTheFirst) {
  record(kRun, "Tool", "T.EXE");
  record(kRun, "Tool", "t.exe");
  refresh();
  EXPECT_TRUE(driver.enable(1).done());  // the row of the second record
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "Tool", "t.exe"}}));
  EXPECT_EQ(liveData("Tool"), "t.exe");
}

// One rule for every family: a record that has left config.xml before
// Enable starts leaves nothing to enable (the row was stale); one that leaves
// while Enable runs is fine, as the entry is live and unrecorded either way.
TEST_F(RegistryPane, EnableOfARowWhoseRecordVanishedChangesNothing) {
  record(kRun, "Tool", "t.exe");
  refresh();
  store.elements.clear();
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_FALSE(isLive("Tool"));
  EXPECT_TRUE(logged().empty());
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"_EntryRecordGone"}));
}

TEST_F(RegistryPane, EnableIntoAMissingKeyCreatesIt) {
  record(kOnce, "Tool", "t.exe");
  refresh();
  ASSERT_FALSE(reg.hasKey(kHkcu, kOnceSub));
  EXPECT_TRUE(driver.enable(0).done());
  EXPECT_EQ(liveData("Tool", kOnceSub), "t.exe");
  EXPECT_EQ(records("Tool"), 0);
}

TEST_F(RegistryPane, EnableFaultsKeepTheRecord) {
  const std::vector<FaultCase> cases = {
      {"store unreadable", [](PaneWorld& t) { t.store.unreadable = true; }, "config unreadable"},
      {"store read-only", [](PaneWorld& t) { t.store.readOnly = true; }, "config not saved"},
      {"write refused", [](PaneWorld& t) { t.reg.denyWrite(kHkcu, kRunSub); }, "cannot write "},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.what);
    PaneWorld t;
    t.record(kRun, "Tool", "t.exe");
    t.reg.createKey(kHkcu, kRunSub);
    t.refresh();
    c.fault(t);
    const OperationResult result = t.driver.enable(0);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    t.store.unreadable = false;
    EXPECT_FALSE(t.isLive("Tool")) << "a value written first is taken back";
    EXPECT_EQ(t.records("Tool"), 1);
    ASSERT_EQ(t.prompt.messages.size(), 1u);
    EXPECT_EQ(t.prompt.messages[0].rfind(c.message, 0), 0u) << t.prompt.messages[0];
    EXPECT_TRUE(t.sink.records.empty());
  }
}

TEST_F(RegistryPane, EnableOverAnotherValueOfTheSameNameAsksFirst) {
  record(kRun, "Tool", "old.exe");
  live("Tool", "new.exe");  // reinstalled since it was disabled
  refresh();
  prompt.answers = {false};
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_EQ(prompt.questions, (std::vector<std::string>{"replace " + kRun + "|Tool?"}));
  EXPECT_EQ(liveData("Tool"), "new.exe");
  EXPECT_EQ(records("Tool"), 1);

  // Agreed, but the record cannot go: the replaced value comes back.
  store.readOnly = true;
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_EQ(liveData("Tool"), "new.exe");
  EXPECT_EQ(records("Tool"), 1);
  store.readOnly = false;

  const OperationResult result = driver.enable(0);
  EXPECT_TRUE(result.done());
  EXPECT_EQ(liveData("Tool"), "old.exe");
  EXPECT_EQ(records("Tool"), 0);
  // Undo gives the replaced value back.
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].extra.at("replaceddata"), "new.exe");
  EXPECT_EQ(result.changes[0].extra.at("replacedtype"), "REG_SZ");
}

TEST_F(RegistryPane, EnableOfARecordIdenticalToItsLiveValueAsksNothing) {
  record(kRun, "Tool", "t.exe");
  live("Tool", "t.exe");
  refresh();
  const OperationResult result = driver.enable(0);
  EXPECT_TRUE(result.done());
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_EQ(records("Tool"), 0);
  EXPECT_EQ(reg.values(kHkcu, kRunSub).size(), 1u);
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_TRUE(result.changes[0].extra.empty()) << "nothing was replaced";
}

// --- Add ---------------------------------------------------------------------

TEST_F(RegistryPane, AddWritesIntoTheFirstKey) {
  EntryDialogData fields;
  const OperationResult ready = pane.prepareAdd(fields);
  EXPECT_TRUE(ready.done());
  EXPECT_TRUE(ready.messages.empty());
  EXPECT_EQ(fields.typeText, "Registry value");
  EXPECT_EQ(fields.sectionText, kRun);
  EXPECT_EQ(fields.name, "");
  EXPECT_EQ(fields.path, "");

  const OperationResult result = driver.add("New", "n.exe");
  EXPECT_TRUE(result.done());
  EXPECT_EQ(liveData("New"), "n.exe") << "the key is created when missing";
  EXPECT_FALSE(isLive("New", kOnceSub));
  EXPECT_EQ(logged(), (std::vector<std::string>{"add New|" + kRun + "|n.exe"}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].kind, "add");
  EXPECT_FALSE(result.changes[0].before) << "nothing was replaced";
}

TEST_F(RegistryPane, AddWithoutAKeyIsRefusedQuietly) {
  RegistryFamily none{{}, reg, context};
  EntryDialogData fields;
  const OperationResult ready = none.prepareAdd(fields);
  EXPECT_FALSE(ready.done());
  EXPECT_TRUE(ready.messages.empty());
  fields.name = "New";
  fields.path = "n.exe";
  EXPECT_FALSE(none.add(fields, prompt).done());
  EXPECT_TRUE(reg.values(kHkcu, kRunSub).empty());
}

TEST_F(RegistryPane, AddOfAnExistingNameAsksBeforeReplacing) {
  live("Tool", "old.exe");
  prompt.answers = {false};
  EXPECT_FALSE(driver.add("TOOL", "new.exe").done());
  EXPECT_EQ(liveData("Tool"), "old.exe");
  EXPECT_TRUE(sink.records.empty());

  const OperationResult result = driver.add("TOOL", "new.exe");
  EXPECT_EQ(liveData("Tool"), "new.exe");
  EXPECT_EQ(refresh().size(), 1u) << "listed once, with the new data";
  EXPECT_EQ(prompt.questions.size(), 2u);
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].before, (EntryState{"TOOL", "old.exe", "REG_SZ", false})) << "what Undo gives back";
}

TEST_F(RegistryPane, AddFaults) {
  reg.denyWrite(kHkcu, kRunSub);
  const OperationResult result = driver.add("New", "n.exe");
  EXPECT_FALSE(result.done());
  EXPECT_FALSE(isLive("New"));
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"cannot write " + kRun}));
  EXPECT_TRUE(sink.records.empty());

  // The store plays no part in Add.
  PaneWorld t;
  t.store.unreadable = true;
  t.driver.add("New", "n.exe");
  EXPECT_EQ(t.liveData("New"), "n.exe");
  EXPECT_TRUE(t.prompt.messages.empty());
}

// --- Modify ------------------------------------------------------------------

// What the Modify and Property dialogs show; they change nothing themselves.
TEST_F(RegistryPane, DialogDataShowsTheEntry) {
  live("A", "a.exe");
  record(kRun, "D", "d.exe");
  refresh();
  const EntryDialogData live = pane.dialogData(driver.entry(rowOf("A", RowState::Live)));
  EXPECT_EQ(live.name, "A");
  EXPECT_EQ(live.path, "a.exe");
  EXPECT_EQ(live.sectionText, kRun);
  EXPECT_EQ(live.typeText, "Registry value");
  const EntryDialogData disabled = pane.dialogData(driver.entry(rowOf("D", RowState::Disabled)));
  EXPECT_EQ(disabled.name, "D");
  EXPECT_EQ(disabled.path, "d.exe");
  EXPECT_EQ(disabled.typeText, "Registry value");
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "D", "d.exe"}}));
  EXPECT_EQ(liveData("A"), "a.exe");
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(prompt.dialogs.empty()) << "the pane shows the dialogs";
}

TEST_F(RegistryPane, ModifyOfALiveEntryRenamesIt) {
  live("A", "a.exe");
  refresh();
  const OperationResult result = driver.modify(0, "B", "b.exe");
  EXPECT_TRUE(result.done());
  EXPECT_FALSE(isLive("A"));
  EXPECT_EQ(liveData("B"), "b.exe");
  EXPECT_EQ(logged(), (std::vector<std::string>{"modify A|" + kRun + "|a.exe|B|b.exe"}));
  EXPECT_EQ(refresh(), (Rows{{"B", "Registry value", "b.exe", kRun, RowState::Live}}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].before, (EntryState{"A", "a.exe", "REG_SZ", false}));
  EXPECT_EQ(result.changes[0].after, (EntryState{"B", "b.exe", "REG_SZ", false}));
  EXPECT_TRUE(result.changes[0].extra.empty()) << "B replaced nothing";
}

TEST_F(RegistryPane, ModifyOfALiveEntryKeepingItsNameRewritesIt) {
  live("A", "a.exe");
  refresh();
  driver.modify(0, "A", "a2.exe");
  EXPECT_EQ(liveData("A"), "a2.exe");
  EXPECT_EQ(reg.deletions, 0) << "written in place";

  refresh();
  driver.modify(0, "a", "a2.exe");
  ASSERT_EQ(reg.values(kHkcu, kRunSub).size(), 1u);
  EXPECT_EQ(reg.values(kHkcu, kRunSub)[0].name, "a") << "a change of case reaches the registry";
}

TEST_F(RegistryPane, ModifyOntoAnotherValuesNameAsksFirst) {
  live("A", "a.exe");
  live("B", "b.exe");
  refresh();
  prompt.answers = {false};
  EXPECT_FALSE(driver.modify(0, "B", "new.exe").done());
  EXPECT_EQ(liveData("A"), "a.exe");
  EXPECT_EQ(liveData("B"), "b.exe");
  EXPECT_TRUE(sink.records.empty());

  refresh();
  const OperationResult result = driver.modify(0, "B", "new.exe");
  EXPECT_FALSE(isLive("A"));
  EXPECT_EQ(liveData("B"), "new.exe");
  // The value the rename wrote over is kept for Undo.
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].extra.at("replaceddata"), "b.exe");
  EXPECT_EQ(result.changes[0].extra.at("replacedtype"), "REG_SZ");
}

TEST_F(RegistryPane, ModifyOfALiveEntryFaults) {
  // Write refused: nothing changes.
  live("A", "a.exe");
  refresh();
  reg.denyWrite(kHkcu, kRunSub);
  EXPECT_FALSE(driver.modify(0, "B", "b.exe").done());
  EXPECT_EQ(liveData("A"), "a.exe");
  EXPECT_FALSE(isLive("B"));
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"cannot write " + kRun}));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(refresh().size(), 1u);

  // Deletion refused after the new name was written over another value:
  // that value gets its text back and A stays.
  PaneWorld t;
  t.live("A", "a.exe");
  t.live("B", "b.exe");
  t.refresh();
  t.reg.denyDelete(kHkcu, kRunSub);
  t.driver.modify(0, "B", "new.exe");
  EXPECT_EQ(t.liveData("A"), "a.exe");
  EXPECT_EQ(t.liveData("B"), "b.exe");
  EXPECT_EQ(t.prompt.messages, (std::vector<std::string>{"cannot delete from " + kRun}));
  EXPECT_TRUE(t.sink.records.empty());

  // Deletion refused and the new value cannot be taken back either: the
  // entry is under both names, never under none, and the user is told.
  PaneWorld u;
  u.live("A", "a.exe");
  u.refresh();
  u.reg.denyDelete(kHkcu, kRunSub);
  u.driver.modify(0, "B", "b.exe");
  EXPECT_EQ(u.liveData("A"), "a.exe");
  EXPECT_EQ(u.prompt.messages, (std::vector<std::string>{"twice A"}));
  EXPECT_TRUE(u.sink.records.empty());

  // A case-only rename deletes first; a refused deletion changes nothing.
  PaneWorld v;
  v.live("A", "a.exe");
  v.refresh();
  v.reg.denyDelete(kHkcu, kRunSub);
  v.driver.modify(0, "a", "a.exe");
  EXPECT_EQ(v.reg.values(kHkcu, kRunSub)[0].name, "A");
  EXPECT_EQ(v.prompt.messages, (std::vector<std::string>{"cannot delete from " + kRun}));
}

TEST_F(RegistryPane, ModifyOfALiveEntryWhoseKeyVanishedWritesTheNewValue) {
  live("A", "a.exe");
  refresh();
  FakeRegistry empty;
  RegistryFamily p{{kRun}, empty, context};
  FamilyDriver d{p, prompt, commit};
  EntryDialogData fields = p.dialogData(driver.entry(0));
  fields.name = "B";
  fields.path = "b.exe";
  d.commit(p.modify(driver.entry(0), fields, prompt));
  ASSERT_NE(empty.find(kHkcu, kRunSub, "B"), nullptr);
  EXPECT_EQ(empty.values(kHkcu, kRunSub).size(), 1u);
}

TEST_F(RegistryPane, ModifyOfADisabledEntryChangesItsRecord) {
  record(kRun, "A", "a.exe");
  record(kRun, "A", "a.exe");
  refresh();
  const OperationResult result = driver.modify(0, "B", "b.exe");
  EXPECT_TRUE(result.done());
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "B", "b.exe"}, {kRun, "A", "a.exe"}}));
  EXPECT_FALSE(isLive("B"));
  EXPECT_EQ(refresh()[0], (recordRow("B", "Registry value", "b.exe", kRun)));
  EXPECT_EQ(logged(), (std::vector<std::string>{"modify A|" + kRun + "|a.exe|B|b.exe"}));
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_TRUE(result.changes[0].before->disabled);
  EXPECT_TRUE(result.changes[0].after->disabled);
}

TEST_F(RegistryPane, ModifyOfADisabledEntryFaults) {
  record(kRun, "A", "a.exe");
  refresh();
  store.readOnly = true;
  driver.modify(0, "B", "b.exe");
  store.readOnly = false;
  store.unreadable = true;
  driver.modify(0, "B", "b.exe");
  store.unreadable = false;
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "A", "a.exe"}}));
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"config not saved", "config unreadable"}));

  // The record vanished meanwhile: nothing changes or is logged, and the
  // user hears that the edit was not kept.
  prompt.messages.clear();
  refresh();
  store.elements.clear();
  EXPECT_FALSE(driver.modify(0, "B", "b.exe").done());
  EXPECT_TRUE(store.elements.empty());
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"_EntryRecordGone"}));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(refresh().empty());

  // Found, then moved away by another program's save before the change.
  prompt.messages.clear();
  VanishingStore vanishing;
  vanishing.elements = {{kRegistryRecords, {kRun, "A", "a.exe"}}};
  FamilyContext vanishingContext{vanishing, tr};
  RegistryFamily p{{kRun}, reg, vanishingContext};
  FamilyDriver d{p, prompt, commit};
  d.list();
  d.modify(0, "B", "b.exe");
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"_EntryRecordGone"}));
  EXPECT_TRUE(sink.records.empty());
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

TEST(EnvironmentReference, NeedsANameBetweenTwoPercentSigns) {
  EXPECT_TRUE(holdsEnvironmentReference("%windir%\\system32\\SecurityHealthSystray.exe"));
  EXPECT_TRUE(holdsEnvironmentReference("\"C:\\Tools\\t.exe\" --dir %APPDATA%\\t"));
  EXPECT_TRUE(holdsEnvironmentReference("50% off %TEMP%"));
  EXPECT_FALSE(holdsEnvironmentReference("C:\\t.exe /p 50%"));
  EXPECT_FALSE(holdsEnvironmentReference("C:\\t.exe %%"));
  EXPECT_FALSE(holdsEnvironmentReference("C:\\t.exe"));
  EXPECT_FALSE(holdsEnvironmentReference(""));
}

// An expandable value goes through Disable and Enable with its type, and is
// written back as REG_EXPAND_SZ, never flattened to REG_SZ.
TEST_F(RegistryPane, ExpandableValueKeepsItsTypeThroughDisableAndEnable) {
  reg.put(kHkcu, kRunSub, "Sec", "%windir%\\sec.exe", kRegExpandSz);
  live("Plain", "p.exe");
  refresh();
  ASSERT_EQ(rows().size(), 2u);
  EXPECT_EQ(rows()[0].type, "Registry value (expandable)");
  EXPECT_EQ(rows()[0].data, "%windir%\\sec.exe") << "as stored, unexpanded";
  const OperationResult disabled = driver.disable(0);
  ASSERT_TRUE(disabled.done());
  ASSERT_TRUE(driver.disable(1).done());
  EXPECT_EQ(disabled.changes.at(0).after->valueType, "REG_EXPAND_SZ");
  EXPECT_EQ(store.items(kRegistryRecords),
            (std::vector<DisabledItem>{{kRun, "Sec", "%windir%\\sec.exe", "REG_EXPAND_SZ"}, {kRun, "Plain", "p.exe"}}));
  refresh();
  EXPECT_EQ(rows()[0], (recordRow("Sec", "Registry value (expandable)", "%windir%\\sec.exe", kRun)));
  ASSERT_TRUE(driver.enable(0).done());
  ASSERT_TRUE(driver.enable(1).done());
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Sec|2|%windir%\\sec.exe", "Plain|1|p.exe"}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(RegistryPane, EnableOverTheSameTextOfAnotherTypeAsksFirst) {
  record(kRun, "Sec", "%windir%\\sec.exe");  // an older record: REG_SZ
  reg.put(kHkcu, kRunSub, "Sec", "%windir%\\sec.exe", kRegExpandSz);
  refresh();
  prompt.answers.push_back(false);
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Sec|2|%windir%\\sec.exe"}));
  EXPECT_EQ(prompt.questions.size(), 1u) << "writing it as REG_SZ would change it";
}

TEST_F(RegistryPane, AddWritesExpandableOnlyForAnEnvironmentReference) {
  driver.add("Env", "%ProgramFiles%\\T\\t.exe");
  driver.add("Plain", "C:\\t.exe /p 50%");
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Env|2|%ProgramFiles%\\T\\t.exe", "Plain|1|C:\\t.exe /p 50%"}));
}

// Modify keeps the value's type unless the new text needs REG_EXPAND_SZ; a
// failed rename gives the old value back with its type.
TEST_F(RegistryPane, ModifyKeepsTheTypeUnlessTheNewTextNeedsAnother) {
  reg.put(kHkcu, kRunSub, "Sec", "%windir%\\sec.exe", kRegExpandSz);
  live("Plain", "p.exe");
  refresh();
  const OperationResult kept = driver.modify(0, "Sec", "C:\\Windows\\sec.exe");
  EXPECT_EQ(kept.changes.at(0).before->valueType, "REG_EXPAND_SZ");
  EXPECT_EQ(kept.changes.at(0).after->valueType, "REG_EXPAND_SZ");
  refresh();
  driver.modify(1, "Renamed", "%TEMP%\\p.exe");
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Sec|2|C:\\Windows\\sec.exe", "Renamed|2|%TEMP%\\p.exe"}));

  refresh();
  reg.denyWrite(kHkcu, kRunSub);
  driver.modify(0, "SEC", "x.exe");
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Sec|2|C:\\Windows\\sec.exe", "Renamed|2|%TEMP%\\p.exe"}));

  record(kRun, "Off", "off.exe");
  refresh();
  ASSERT_EQ(rows()[0].name, "Off");
  const OperationResult record = driver.modify(0, "Off", "%windir%\\off.exe");
  EXPECT_EQ(store.items(kRegistryRecords),
            (std::vector<DisabledItem>{{kRun, "Off", "%windir%\\off.exe", "REG_EXPAND_SZ"}}));
  EXPECT_EQ(record.changes.at(0).before->valueType, "REG_SZ");
  EXPECT_EQ(record.changes.at(0).after->valueType, "REG_EXPAND_SZ");
}

// --- Windows' own on/off flags ---------------------------------------------

const std::string kFlagSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
using Bytes = std::vector<std::uint8_t>;
// What Task Manager writes when it turns an entry off: 03 and a FILETIME.
const Bytes kOff = {0x03, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01};
const Bytes kOn = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

class RegistryFlags : public RegistryPane {
 protected:
  void flag(const std::string& name, const Bytes& bytes, RootKey root = kHkcu, const std::string& sub = kFlagSub) {
    reg.putBytes(root, sub, name, bytes);
  }
  // A flag's bytes, or {0xEE} when there is no such value.
  Bytes flagOf(const std::string& name, RootKey root = kHkcu, const std::string& sub = kFlagSub) const {
    const RegValue* v = reg.find(root, sub, name);
    if (!v) return {0xEE};
    EXPECT_EQ(v->type, kRegBinary) << name;
    return v->bytes;
  }
  static constexpr std::uint8_t kNone = 0xEE;
};

TEST_F(RegistryFlags, ATurnedOffValueIsListedUncheckedWhereItIsWithItsStatus) {
  live("Off", "off.exe");
  live("On", "on.exe");
  live("Short", "short.exe");
  live("Plain", "plain.exe");
  live("Seven", "seven.exe");
  live("Once", "once.exe", kOnceSub);
  record(kRun, "Kept", "kept.exe");
  flag("OFF", kOff);  // value names ignore case
  flag("On", kOn);
  flag("Short", {0x03, 0, 0});
  flag("Seven", {0x07, 0, 0, 0});
  flag("Once", kOff);  // RunOnce entries have no flag: a value of that name is another entry's
  reg.enumerations = 0;
  refresh();

  ASSERT_EQ(rows().size(), 7u);
  std::vector<std::string> seen;
  for (const Row& r : rows()) {
    static const char* const kOrigins[] = {"live", "record", "off"};
    seen.push_back(r.name + (r.state == RowState::Live ? " checked " : " unchecked ") +
                   kOrigins[static_cast<int>(r.origin)] + (r.status.empty() ? "" : " / " + r.status));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Kept unchecked record", "Off unchecked off / off in Windows",
                                            "On checked live", "Short checked live", "Plain checked live",
                                            "Seven unchecked off / off in Windows", "Once checked live / _StatusRunsOnce"}));
  EXPECT_EQ(reg.enumerations, 3) << "the Run key, its flags once, RunOnce";
}

TEST_F(RegistryFlags, TheMachineKeysHaveFlagsOfTheirOwnAndPolicyKeysNone) {
  const std::string machineRun = "HKEY_LOCAL_MACHINE\\" + kRunSub;
  const std::string run32Sub = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string policySub = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
  constexpr RootKey kHklm = RootKey::LocalMachine;
  reg.put(kHklm, kRunSub, "A", "a.exe");
  reg.put(kHklm, kRunSub, "B", "b.exe");
  reg.put(kHklm, run32Sub, "A", "a32.exe");
  reg.put(kHklm, run32Sub, "B", "b32.exe");
  reg.put(kHklm, policySub, "A", "pa.exe");
  flag("A", kOff, kHklm, kFlagSub);
  flag("B", kOff, kHklm, kFlagSub + "32");
  flag("B", kOff);  // the current user's flag says nothing about all users' entries
  RegistryFamily machine{{machineRun, "HKEY_LOCAL_MACHINE\\" + run32Sub, "HKEY_LOCAL_MACHINE\\" + policySub}, reg,
                         context};
  FamilyDriver d{machine, prompt, commit};
  std::vector<std::string> seen;
  for (const Row& r : d.list()) seen.push_back(r.data + (r.origin == RowOrigin::OffInWindows ? " off" : " on"));
  EXPECT_EQ(seen, (std::vector<std::string>{"a.exe off", "b.exe on", "a32.exe on", "b32.exe off", "pa.exe on"}));

  // Enable turns on the flag of the key the row came from, and only that one.
  ASSERT_TRUE(d.enable(3).done());
  EXPECT_EQ(flagOf("B", kHklm, kFlagSub + "32"), kOn);
  EXPECT_EQ(flagOf("B"), kOff);
  EXPECT_EQ(flagOf("A", kHklm, kFlagSub), kOff);
}

TEST_F(RegistryFlags, CheckingATurnedOffEntryTurnsItOnInPlaceWithoutConfigXml) {
  live("Tool", "\"C:\\Tools\\t.exe\" /min");
  flag("Tool", kOff);
  record(kRun, "Other", "o.exe");
  refresh();
  const int row = rowOf("Tool", RowState::Disabled);
  ASSERT_GE(row, 0);
  ASSERT_EQ(rows()[static_cast<std::size_t>(row)].origin, RowOrigin::OffInWindows);
  store.unreadable = true;  // config.xml is not even read
  const OperationResult result = driver.enable(row);
  EXPECT_TRUE(result.done());
  EXPECT_EQ(flagOf("Tool"), kOn);
  EXPECT_EQ(liveData("Tool"), "\"C:\\Tools\\t.exe\" /min") << "the value stays as it is";
  EXPECT_EQ(store.saves, 0);
  EXPECT_EQ(store.items(kRegistryRecords), (std::vector<DisabledItem>{{kRun, "Other", "o.exe"}}));
  EXPECT_EQ(logged(), (std::vector<std::string>{"enable Tool|" + kRun + "|\"C:\\Tools\\t.exe\" /min"}));
  EXPECT_TRUE(prompt.messages.empty());
  ASSERT_EQ(result.changes.size(), 1u);
  EXPECT_EQ(result.changes[0].kind, "flag");
  EXPECT_EQ(result.changes[0].extra.at("flagbefore"), flagText(RegValue{"Tool", kRegBinary, {}, kOff}));
  EXPECT_EQ(result.changes[0].extra.at("flagafter"), flagText(RegValue{"Tool", kRegBinary, {}, kOn}));
}

TEST_F(RegistryFlags, TurningOnThatFailsOrComesTooLateChangesNothingAndSaysSo) {
  live("Tool", "t.exe");
  flag("Tool", kOff);
  refresh();
  reg.denyWrite(kHkcu, kFlagSub);
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_EQ(flagOf("Tool"), kOff);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], "flag Tool|HKEY_CURRENT_USER\\" + kFlagSub);

  reg.reset();
  live("Tool", "changed.exe");  // another program changed it after the listing
  flag("Tool", kOff);
  EXPECT_FALSE(driver.enable(0).done());
  EXPECT_EQ(flagOf("Tool"), kOff);
  EXPECT_EQ(prompt.messages.back(), "not enabled Tool|" + kRun);
  EXPECT_TRUE(logged().empty());
}

TEST_F(RegistryFlags, EnablingARecordAlsoTurnsOnAFlagThatSaysOff) {
  record(kRun, "Off", "off.exe");
  record(kRun, "Even", "even.exe");
  flag("Off", kOff);
  flag("Even", {0x06, 0, 0, 0, 9, 9, 9, 9});
  refresh();
  ASSERT_TRUE(driver.enable(0).done());
  ASSERT_TRUE(driver.enable(1).done());
  EXPECT_EQ(liveData("Off"), "off.exe");
  EXPECT_EQ(flagOf("Off"), kOn);
  EXPECT_EQ(flagOf("Even"), (Bytes{0x06, 0, 0, 0, 9, 9, 9, 9})) << "a flag that is on stays as it is";
  EXPECT_TRUE(store.items(kRegistryRecords).empty());

  // A flag that cannot be turned on leaves the entry disabled, its record kept.
  record(kRun, "Late", "late.exe");
  flag("Late", kOff);
  reg.denyWrite(kHkcu, kFlagSub);
  refresh();
  EXPECT_FALSE(driver.enable(rowOf("Late", RowState::Disabled)).done());
  EXPECT_FALSE(isLive("Late"));
  EXPECT_EQ(records("Late"), 1);
  EXPECT_EQ(flagOf("Late"), kOff);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"flag Late|HKEY_CURRENT_USER\\" + kFlagSub}));
  EXPECT_EQ(logged().size(), 2u);
}

TEST_F(RegistryFlags, RemoveTakesTheFlagAlongOrNothingAtAll) {
  live("Off", "off.exe");
  live("On", "on.exe");
  flag("Off", kOff);
  flag("On", kOn);
  refresh();
  const OperationResult off = driver.remove(rowOf("Off", RowState::Disabled));
  driver.remove(rowOf("On", RowState::Live));
  EXPECT_TRUE(runKey().empty());
  EXPECT_TRUE(reg.values(kHkcu, kFlagSub).empty()) << "no orphaned flag is left behind";
  EXPECT_EQ(logged().size(), 2u);
  ASSERT_EQ(off.changes.size(), 1u);
  EXPECT_EQ(off.changes[0].extra.at("flagbefore"), flagText(RegValue{"Off", kRegBinary, {}, kOff}))
      << "Undo puts the flag back too";

  // The value cannot go: its flag comes back byte for byte.
  live("Stuck", "s.exe");
  flag("Stuck", kOff);
  reg.denyDelete(kHkcu, kRunSub);
  refresh();
  driver.remove(0);
  EXPECT_EQ(liveData("Stuck"), "s.exe");
  EXPECT_EQ(flagOf("Stuck"), kOff);
  // The flag cannot go: the value stays.
  reg.reset();
  live("Stuck", "s.exe");
  flag("Stuck", kOff);
  reg.denyDelete(kHkcu, kFlagSub);
  driver.remove(0);
  EXPECT_EQ(liveData("Stuck"), "s.exe");
  EXPECT_EQ(flagOf("Stuck"), kOff);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"cannot delete from " + kRun,
                                                       "flag Stuck|HKEY_CURRENT_USER\\" + kFlagSub}));
  EXPECT_EQ(logged().size(), 2u);
}

TEST_F(RegistryFlags, ARenameTakesTheFlagToTheNewName) {
  live("Old", "old.exe");
  live("Plain", "plain.exe");
  flag("Old", kOff);
  flag("Taken", kOff);  // left behind by an entry removed outside Velmora
  refresh();
  driver.modify(rowOf("Old", RowState::Disabled), "New", "old.exe");
  EXPECT_EQ(runKey(), (std::vector<std::string>{"Plain|1|plain.exe", "New|1|old.exe"}));
  EXPECT_EQ(flagOf("Old")[0], kNone);
  EXPECT_EQ(flagOf("New"), kOff) << "still turned off, under its new name";
  refresh();
  driver.modify(rowOf("Plain", RowState::Live), "Taken", "plain.exe");
  EXPECT_EQ(flagOf("Taken")[0], kNone) << "an entry that was on must not take over an orphan that says off";

  // Case only: the same value, the same flag.
  refresh();
  driver.modify(rowOf("New", RowState::Disabled), "NEW", "old.exe");
  EXPECT_EQ(flagOf("new"), kOff);

  // The flag cannot follow: the new value is taken back, the old one stays.
  refresh();
  reg.denyWrite(kHkcu, kFlagSub);
  driver.modify(rowOf("NEW", RowState::Disabled), "Third", "old.exe");
  EXPECT_FALSE(isLive("Third"));
  EXPECT_EQ(liveData("NEW"), "old.exe");
  EXPECT_EQ(flagOf("NEW"), kOff);
  EXPECT_EQ(flagOf("Third")[0], kNone);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"flag Third|HKEY_CURRENT_USER\\" + kFlagSub}));
  EXPECT_EQ(logged().size(), 3u);
}

// The pane's check box after an Enable or Disable without a new listing:
// each click goes where the entry is now.
TEST_F(RegistryFlags, BoxClickedBackAndForthFollowsTheEntry) {
  FakeList list;
  class Boxes : public CheckBoxes {
   public:
    explicit Boxes(FakeList& list) : list_(list) {}
    PaneController* controller = nullptr;
    int stateImage(int row) const override { return static_cast<int>(list_.rows.at(static_cast<std::size_t>(row)).state); }
    void check(int row, RowState state) override {
      const auto old = static_cast<std::uint32_t>(stateImage(row)) << 12;
      list_.rows.at(static_cast<std::size_t>(row)).state = state;
      controller->itemChanged(row, old, static_cast<std::uint32_t>(state) << 12, false);
    }

   private:
    FakeList& list_;
  } boxes(list);
  PaneController controller(pane, list, boxes, prompt, commit, tr);
  boxes.controller = &controller;
  live("Tool", "t.exe");
  flag("Tool", kOff);
  controller.refill();

  boxes.check(0, RowState::Live);  // turned on in place
  EXPECT_EQ(flagOf("Tool"), kOn);
  EXPECT_EQ(list.rows[0].origin, RowOrigin::Live);
  boxes.check(0, RowState::Disabled);  // today's Disable
  EXPECT_FALSE(isLive("Tool"));
  EXPECT_EQ(records("Tool"), 1);
  EXPECT_EQ(list.rows[0].origin, RowOrigin::Record);
  boxes.check(0, RowState::Live);  // Enable of the record
  EXPECT_EQ(liveData("Tool"), "t.exe");
  EXPECT_EQ(records("Tool"), 0);
  EXPECT_EQ(list.rows[0].state, RowState::Live);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(logged().size(), 3u);
}

}  // namespace
}  // namespace velmora::testing
