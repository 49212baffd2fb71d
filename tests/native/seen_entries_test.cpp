// "New since last time": the rule that makes an entry new, the list kept at
// close, the file's text, and the Run-key family and the filter with it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "fakes/family_world.h"
#include "family/seen_entries.h"
#include "pane/filtered_list.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kLastClosed = "2026-12-08T21:30:00Z";

// The file as a value: missing, damaged or a list; writes are kept.
class FakeSeenFile : public SeenFile {
 public:
  std::optional<SeenList> list;
  bool damaged = false;
  int writes = 0;

  SeenStatus read(SeenList& out) override {
    if (damaged) return SeenStatus::Unreadable;
    if (!list) return SeenStatus::Missing;
    out = *list;
    return SeenStatus::Ok;
  }
  SeenStatus write(const SeenListView& l) override {
    ++writes;
    list = SeenList{std::string(l.closed), {}, {}};
    for (const SeenPlace* p : l.places) list->places.push_back(*p);
    for (const SeenEntry* e : l.entries) list->entries.push_back(*e);
    return SeenStatus::Ok;
  }
  std::string now() override { return "2026-12-09T08:00:00Z"; }
  // The day of the UTC time, marked, so a test sees which time was shown.
  std::string localDate(const std::string& utc) override {
    return utc.rfind("2026-02-31", 0) == 0 ? std::string() : "day " + utc.substr(0, 10);
  }
};

Row runRow(const std::string& name, const std::string& data, const std::string& place = kRun) {
  return Row{name, "Registry value", data, place, RowState::Live};
}

SeenEntry runEntry(const std::string& name, const std::string& data) { return {"registry", kRun, name, data}; }
const SeenPlace kRunPlace{"registry", kRun};
const std::string kRunOnceEx = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

// --- The rule ----------------------------------------------------------------

TEST(SeenEntries, AnEntryIsNewWhenTheLastRunDidNotSeeItIgnoringCaseInPlaceNameAndData) {
  struct Case {
    const char* what;
    std::string family;
    Row row;
    bool isNew;
  };
  const std::vector<Case> cases = {
      {"seen as it was", "registry", runRow("Updater", "C:\\Vendor\\update.exe /quiet"), false},
      {"a name the last run never saw", "registry", runRow("Fresh", "C:\\fresh.exe"), true},
      {"the same name with other data", "registry", runRow("Updater", "C:\\Other\\update.exe /quiet"), true},
      {"the same data under another name", "registry", runRow("Updater2", "C:\\Vendor\\update.exe /quiet"), true},
      {"the name in other case", "registry", runRow("UPDATER", "C:\\Vendor\\update.exe /quiet"), false},
      {"the command line in other case", "registry", runRow("Updater", "c:\\vendor\\UPDATE.EXE /QUIET"), false},
      {"the key in other case", "registry",
       runRow("Updater", "C:\\Vendor\\update.exe /quiet", "hkey_current_user\\software\\microsoft\\windows\\currentversion\\run"),
       false},
      {"non-ASCII letters in other case", "registry", runRow("\xC5\x81ukasz Sync", "C:\\Sync.exe"), false},
      {"the same entry in another place", "registry",
       runRow("Updater", "C:\\Vendor\\update.exe /quiet", kRunOnceEx + "\\0001"), true},
      {"the same entry of another family", "programlist", runRow("Updater", "C:\\Vendor\\update.exe /quiet"), true},
      {"a command line with a blank more", "registry", runRow("Updater", "C:\\Vendor\\update.exe  /quiet"), true},
      {"a place the last run never looked at", "registry", runRow("Fresh", "C:\\fresh.exe", kRun + "Once"), false},
      {"a group under a place it looked at", "registry", runRow("Setup", "C:\\setup.exe", kRunOnceEx + "\\0001"), true},
      {"a key that only begins like one it looked at", "registry",
       runRow("Setup", "C:\\setup.exe", kRunOnceEx + "2"), false},
      {"a task under the root of the tasks", "scheduledtasks", runRow("Updater", "C:\\u.exe", "\\Vendor\\Updater"), true},
      {"a file in a folder listed with a backslash at its end", "startupfolder",
       runRow("Tool.lnk", "C:\\tool.exe", "C:\\Users\\u\\Startup"), true},
  };
  FakeSeenFile file;
  file.list = SeenList{kLastClosed,
                       {kRunPlace, {"programlist", kRun}, {"registry", kRunOnceEx}, {"scheduledtasks", "\\"},
                        {"startupfolder", "c:\\users\\u\\startup\\"}},
                       {runEntry("Updater", "C:\\Vendor\\update.exe /quiet"),
                        runEntry("\xC5\x82UKASZ SYNC", "C:\\Sync.exe")}};
  SeenEntries seen(file);
  seen.load();
  ASSERT_TRUE(seen.marking());
  EXPECT_EQ(seen.lastClosedDate(), "day 2026-12-08");
  for (const Case& c : cases) EXPECT_EQ(seen.isNew(c.family, c.row), c.isNew) << c.what;
}

TEST(SeenEntries, TheFirstRunAndADamagedFileMarkNothingAndOnlyTheFirstRunWritesAtClose) {
  struct Case {
    const char* what;
    std::optional<SeenList> list;
    bool damaged;
    SeenStatus saved;
    int writes;
  };
  const std::vector<Case> cases = {
      {"no file yet", std::nullopt, false, SeenStatus::Ok, 1},
      {"a file that does not read", std::nullopt, true, SeenStatus::Unreadable, 0},
      {"a closing time that is no date", SeenList{"2026-02-31T10:00:00Z", {kRunPlace}, {}}, false, SeenStatus::Unreadable, 0},
  };
  for (const Case& c : cases) {
    FakeSeenFile file;
    file.list = c.list;
    file.damaged = c.damaged;
    SeenEntries seen(file);
    seen.load();
    EXPECT_FALSE(seen.marking()) << c.what;
    seen.listed("registry", {kRun}, {runRow("Fresh", "C:\\fresh.exe")});
    EXPECT_FALSE(seen.isNew("registry", runRow("Fresh", "C:\\fresh.exe"))) << c.what;
    EXPECT_EQ(seen.save(), c.saved) << c.what;
    EXPECT_EQ(file.writes, c.writes) << c.what;
    if (c.writes == 0) {
      EXPECT_EQ(file.list, c.list) << c.what << ": the file is as it was";
    }
  }
}

TEST(SeenEntries, WhatVelmoraItselfDisabledEnabledAddedOrChangedIsNotNew) {
  FakeSeenFile file;
  file.list = SeenList{kLastClosed, {kRunPlace}, {runEntry("Old", "C:\\old.exe")}};
  SeenEntries seen(file);
  seen.load();
  const auto change = [](std::string_view kind, std::optional<EntryState> before, std::optional<EntryState> after) {
    Change c;
    c.family = "registry";
    c.kind = std::string(kind);
    c.location = kRun;
    c.before = std::move(before);
    c.after = std::move(after);
    return c;
  };
  // A new entry the user dealt with in Velmora: disabled, then enabled.
  ASSERT_TRUE(seen.isNew("registry", runRow("Fresh", "C:\\fresh.exe")));
  seen.changed(change(change_kind::kDisable, EntryState{"Fresh", "C:\\fresh.exe"}, EntryState{"Fresh", "C:\\fresh.exe", {}, true}));
  EXPECT_FALSE(seen.isNew("registry", runRow("Fresh", "C:\\fresh.exe"))) << "disabled by Velmora";
  seen.changed(change(change_kind::kEnable, EntryState{"Fresh", "C:\\fresh.exe", {}, true}, EntryState{"Fresh", "C:\\fresh.exe"}));
  EXPECT_FALSE(seen.isNew("registry", runRow("Fresh", "C:\\fresh.exe"))) << "enabled again by Velmora";
  seen.changed(change(change_kind::kAdd, std::nullopt, EntryState{"Added", "C:\\added.exe"}));
  EXPECT_FALSE(seen.isNew("registry", runRow("Added", "C:\\added.exe")));
  seen.changed(change(change_kind::kModify, EntryState{"Old", "C:\\old.exe"}, EntryState{"Old", "C:\\old.exe /new"}));
  EXPECT_FALSE(seen.isNew("registry", runRow("Old", "C:\\old.exe /new")));
  // Removed by Velmora, then put back behind its back: new again.
  seen.changed(change(change_kind::kRemove, EntryState{"Added", "C:\\added.exe"}, std::nullopt));
  EXPECT_TRUE(seen.isNew("registry", runRow("Added", "C:\\added.exe")));
}

// --- What is kept at close -------------------------------------------------------

TEST(SeenEntries, TheListKeptAtCloseIsTheLatestListingOfEachPlaceWhatChangesLeftAndTheRestAsItWas) {
  const std::string folder = "C:\\Users\\u\\Startup";
  FakeSeenFile file;
  const SeenPlace folderPlace{"startupfolder", folder};
  const SeenPlace oncePlace{"registry", kRun + "Once"};
  file.list = SeenList{kLastClosed,
                       {kRunPlace, folderPlace, oncePlace},
                       {runEntry("Gone", "C:\\gone.exe"), runEntry("Kept", "C:\\kept.exe"),
                        {"startupfolder", folder, "Tool.lnk", "C:\\tool.exe"},
                        {"registry", kRun + "Once", "Removed here", "C:\\r.exe"},
                        {"registry", kRunOnceEx + "\\0001", "Setup", "C:\\setup.exe"}}};
  SeenEntries seen(file);
  seen.load();
  // The Run key listed twice: the latest listing is what it holds.
  seen.listed("registry", {kRun}, {runRow("Kept", "C:\\kept.exe"), runRow("Fresh", "C:\\fresh.exe"),
                                   runRow("Brief", "C:\\brief.exe")});
  seen.listed("registry", {kRun}, {runRow("KEPT", "C:\\KEPT.EXE"), runRow("Fresh", "C:\\fresh.exe")});
  // RunOnceEx looked at for the first time, its group gone.
  seen.listed("registry", {kRunOnceEx}, {});
  // Velmora removed the one entry of RunOnce (never listed this run) and
  // added one to the Run key since its last listing.
  Change removed;
  removed.family = "registry";
  removed.location = kRun + "Once";
  removed.before = EntryState{"Removed here", "C:\\r.exe"};
  seen.changed(removed);
  Change added;
  added.family = "registry";
  added.location = kRun;
  added.after = EntryState{"Added", "C:\\added.exe"};
  seen.changed(added);

  ASSERT_EQ(seen.save(), SeenStatus::Ok);
  ASSERT_TRUE(file.list);
  EXPECT_EQ(file.list->closed, "2026-12-09T08:00:00Z");
  EXPECT_EQ(file.list->places, (std::vector<SeenPlace>{kRunPlace, folderPlace, oncePlace, {"registry", kRunOnceEx}}));
  EXPECT_EQ(file.list->entries, (std::vector<SeenEntry>{runEntry("KEPT", "C:\\KEPT.EXE"),
                                                       runEntry("Fresh", "C:\\fresh.exe"),
                                                       runEntry("Added", "C:\\added.exe"),
                                                       {"startupfolder", folder, "Tool.lnk", "C:\\tool.exe"}}))
      << "Gone and Brief left the Run key, the group RunOnceEx; the folder was not listed and keeps its entry";
}

// --- The file's text -------------------------------------------------------------

TEST(SeenXml, ReadsBackWhatItWritesAndRefusesWhatVelmoraNeverWrote) {
  const SeenList list{kLastClosed,
                      {kRunPlace, {"startupfolder", "C:\\Users\\\xC5\x81ukasz\\Startup"}},
                      {runEntry("", "\"C:\\A & B\\x.exe\" <arg>"), runEntry("Tab\tname", "line\r\nbreak"),
                       runEntry("Bell\x07", "C:\\b.exe")}};
  const std::string xml = seenXml(list);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<seen version=\"1\" closed=\"" + kLastClosed + "\">", 0), 0u)
      << xml;
  EXPECT_NE(xml.find("name-hex=\"42656c6c07\""), std::string::npos) << "a control character XML cannot hold";

  const XmlFields root = {{"version", "1"}, {"closed", kLastClosed}};
  const auto entry = [](std::string name) {
    return XmlFields{{"family", "registry"}, {"location", kRun}, {"name", std::move(name)}, {"data", "C:\\x.exe"}};
  };
  // What a parser hands back of the written file: the same list.
  std::vector<XmlFields> places, entries;
  for (const SeenPlace& p : list.places) places.push_back({{"family", p.family}, {"location", p.location}});
  for (const SeenEntry& e : list.entries) {
    entries.push_back(storableFields({{"family", e.family}, {"location", e.location}, {"name", e.name}, {"data", e.data}}));
  }
  EXPECT_EQ(seenFromXml(root, places, entries), list);
  EXPECT_EQ(seenFromXml({{"version", "2"}, {"closed", kLastClosed}, {"more", "x"}}, {}, {entry("A")}),
            (SeenList{kLastClosed, {}, {runEntry("A", "C:\\x.exe")}}))
      << "fields a later Velmora adds are passed over";

  struct Case {
    const char* what;
    XmlFields root;
    std::vector<XmlFields> places;
    std::vector<XmlFields> entries;
  };
  XmlFields noData = entry("A");
  noData.pop_back();
  XmlFields twice = entry("A");
  twice.emplace_back("name-hex", "42");
  XmlFields badHex = entry("A");
  badHex[2] = {"name-hex", "4"};
  XmlFields noFamily = entry("A");
  noFamily[0].second = "";
  const std::vector<Case> damaged = {
      {"no closing time", {{"version", "1"}}, {}, {}},
      {"a closing time of another shape", {{"closed", "8.12.2026"}}, {}, {}},
      {"an entry without its data", root, {}, {entry("A"), noData}},
      {"a field twice", root, {}, {twice}},
      {"hexadecimal that does not read", root, {}, {badHex}},
      {"an entry of no family", root, {}, {noFamily}},
      {"a place without its location", root, {{{"family", "registry"}}}, {}},
  };
  for (const Case& c : damaged) EXPECT_EQ(seenFromXml(c.root, c.places, c.entries), std::nullopt) << c.what;
}

// --- With the Run-key family, its commit and the filter -----------------------------

struct SeenWorld : FamilyWorld {
  SeenWorld() {
    tr.texts = {{"_RegString", "Registry value"}, {"_StatusNew", "New since %s"}};
  }
  const std::vector<Row>& list() { return driver.list(); }
  const Row* row(const std::string& name) const {
    for (const Row& r : driver.rows()) {
      if (r.name == name) return &r;
    }
    return nullptr;
  }
  int index(const std::string& name) const { return static_cast<int>(row(name) - driver.rows().data()); }

  FakeSeenFile file;
  SeenEntries seen{file};
  FakeRegistry reg;
  ChangeCommit seenCommit{log, nullptr, tr, &seen};
  std::unique_ptr<RegistryFamily> family;
  std::unique_ptr<FamilyDriver> driverOwner;
  FamilyDriver& driver = start();

 private:
  // The family keeps its own copy of the context: the memory goes in first.
  FamilyDriver& start() {
    context.seen = &seen;
    family = std::make_unique<RegistryFamily>(std::vector<std::string>{kRun}, reg, context);
    driverOwner = std::make_unique<FamilyDriver>(*family, prompt, seenCommit);
    return *driverOwner;
  }
};

TEST(SeenEntriesInAListing, TheStatusSaysSinceWhenAndVelmorasOwnChangesAreNeverNew) {
  SeenWorld w;
  w.file.list = SeenList{kLastClosed, {kRunPlace}, {runEntry("Old", "C:\\old.exe")}};
  w.seen.load();
  w.reg.put(RootKey::CurrentUser, kRunSub, "Old", "C:\\OLD.EXE");
  w.reg.put(RootKey::CurrentUser, kRunSub, "Fresh", "C:\\fresh.exe");
  w.list();
  ASSERT_TRUE(w.row("Fresh") && w.row("Old"));
  EXPECT_TRUE(w.row("Fresh")->isNew);
  EXPECT_EQ(w.row("Fresh")->status, "New since day 2026-12-08");
  EXPECT_FALSE(w.row("Old")->isNew);
  EXPECT_EQ(w.row("Old")->status, "");

  // Disabled and enabled again in Velmora: no longer new, and its row says
  // so once described without a new listing.
  ASSERT_TRUE(w.driver.disable(w.index("Fresh")).done());
  Row moved = *w.row("Fresh");
  moved.origin = RowOrigin::Record;
  w.family->describe(moved);
  EXPECT_FALSE(moved.isNew);
  EXPECT_EQ(moved.status, "");
  w.list();
  ASSERT_TRUE(w.driver.enable(w.index("Fresh")).done());
  ASSERT_TRUE(w.driver.add("Added", "C:\\added.exe").done());
  w.list();
  for (const Row& r : w.driver.rows()) EXPECT_FALSE(r.isNew) << r.name << ": " << r.status;

  // At close the list holds the Run key as it is now.
  ASSERT_EQ(w.seen.save(), SeenStatus::Ok);
  EXPECT_EQ(w.file.list->entries.size(), 3u);
}

TEST(SeenEntriesInAListing, OnlyNewShowsTheNewRowsAndTheCountsNameThemWhateverIsShown) {
  FakeList shown;
  struct Boxes : CheckBoxes {
    explicit Boxes(FakeList& l) : list(l) {}
    int stateImage(int r) const override { return static_cast<int>(list.rows.at(static_cast<std::size_t>(r)).state); }
    void check(int r, RowState s) override { list.rows.at(static_cast<std::size_t>(r)).state = s; }
    FakeList& list;
  } boxes(shown);
  FilteredList list(shown, boxes);
  std::vector<Row> rows = {runRow("A", "C:\\a.exe"), runRow("B", "C:\\b.exe"), runRow("C", "C:\\c.exe")};
  rows[0].isNew = rows[2].isNew = true;
  list.setRows(rows);
  EXPECT_EQ(list.counts().fresh, 2);
  list.showOnlyNew(true);
  ASSERT_EQ(shown.rows.size(), 2u);
  EXPECT_EQ(shown.rows[0].name, "A");
  EXPECT_EQ(shown.rows[1].name, "C");
  list.setFilter("c.exe");
  ASSERT_EQ(shown.rows.size(), 1u);
  EXPECT_EQ(list.counts().fresh, 2) << "counted over every row, shown or not";
  list.setFilter("");
  // Velmora moved A (an Enable or Disable): no longer counted as new; it
  // stays shown until the next listing.
  list.setOrigin(0, RowOrigin::Record);
  EXPECT_EQ(list.counts().fresh, 1);
  EXPECT_EQ(shown.rows.size(), 2u);
  list.showOnlyNew(false);
  EXPECT_EQ(shown.rows.size(), 3u);
}

}  // namespace
}  // namespace velmora::testing
