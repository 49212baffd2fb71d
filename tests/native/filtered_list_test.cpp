// The filter between a family and its list: what shows, what the counts
// say, and that a family working through it works on the rows shown.
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "family/program_facts.h"
#include "pane/filtered_list.h"
#include "pane/pane_logic.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

// The fake list's boxes, as the list view's are.
class FakeBoxes : public CheckBoxes {
 public:
  explicit FakeBoxes(FakeList& list) : list_(list) {}
  int stateImage(int row) const override { return static_cast<int>(list_.rows.at(static_cast<std::size_t>(row)).state); }
  void check(int row, RowState state) override { list_.rows.at(static_cast<std::size_t>(row)).state = state; }

 private:
  FakeList& list_;
};

Row row(const std::string& name, const std::string& data, RowState state = RowState::Live) {
  return Row{name, "Registry value", data, "HKEY_CURRENT_USER\\Run", state};
}

std::vector<std::string> names(const FakeList& list) {
  std::vector<std::string> out;
  for (const Row& r : list.rows) out.push_back(r.name);
  return out;
}

TEST(RowMatches, AnyColumnIgnoringCase) {
  const Row r{"Spotify", "Registry value", "C:\\Users\\\xC5\x81ukasz\\spotify.exe /min", "HKEY_CURRENT_USER\\Run",
              RowState::Live};
  EXPECT_TRUE(rowMatches(r, ""));
  EXPECT_TRUE(rowMatches(r, "SPOT"));
  EXPECT_TRUE(rowMatches(r, "registry"));
  EXPECT_TRUE(rowMatches(r, "\xC5\x82UKASZ"));
  EXPECT_TRUE(rowMatches(r, "current_user\\run"));
  EXPECT_FALSE(rowMatches(r, "teams"));
}

TEST(FilteredList, ShowsMatchingRowsAcrossRefillsAndCountsThem) {
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  const std::vector<Row> rows = {row("Spotify", "C:\\s.exe"), row("Teams", "C:\\t.exe", RowState::Disabled),
                                 row("Steam", "C:\\steam.exe"), row("Zoom", "C:\\z.exe", RowState::Disabled)};
  list.setRows(rows);
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Spotify", "Teams", "Steam", "Zoom"}));
  RowCounts c = list.counts();
  EXPECT_EQ(c.shown, 4);
  EXPECT_EQ(c.total, 4);
  EXPECT_EQ(c.disabled, 2);

  list.setFilter("TEAM");
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Teams", "Steam"}));
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list.row(1).name, "Steam") << "indices are those of the rows shown";
  list.setRows(rows);  // a refresh keeps the filter
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Teams", "Steam"}));
  c = list.counts();
  EXPECT_EQ(c.shown, 2);
  EXPECT_EQ(c.total, 4);
  EXPECT_EQ(c.disabled, 2) << "of all rows";

  // A box the user set while filtered is kept when the filter changes.
  boxes.check(1, RowState::Disabled);  // Steam
  list.select(1);
  list.setFilter("c:\\S");
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Spotify", "Steam"}));
  EXPECT_EQ(shown.rows[1].state, RowState::Disabled);
  EXPECT_EQ(list.selected(), 1) << "the selected row stays selected";
  EXPECT_EQ(list.counts().disabled, 3);

  list.setFilter("nothing like it");
  EXPECT_TRUE(shown.rows.empty());
  EXPECT_EQ(list.selected(), -1);
  list.setFilter("");
  EXPECT_EQ(shown.rows.size(), 4u);
  EXPECT_FALSE(list.filtered());
}

// Publisher and status are completed only when something looks at them: a
// filter matches against them, so it completes every row it tries.
// Rows added after a listing (the places it left out) take their place in
// the order shown and under the filter; what the user did meanwhile stands.
// "Show only entries that will not start": entries that look on but whose
// status gives Windows a reason not to run them; a record kept by Velmora,
// a warning or RunOnce is no such reason.
TEST(FilteredList, OnlyTheEntriesThatWillNotStart) {
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  const std::pair<const char*, const char*> reasons[] = {
      {"Plain", ""},
      {"Blocked", "_StatusPolicyDisableCurrentUserRun"},
      {"Gone", "_StatusFileMissing"},
      {"Trigger", "_StatusNoTrigger"},
      {"Once", "_StatusRunsOnce"},
      {"Hijackable", "_StatusHijackable"},
      {"Kept", "_StatusFileMissing"},
  };
  std::vector<Row> rows;
  for (const auto& [name, key] : reasons) {
    Row r = row(name, "C:\\x.exe");
    if (*key) r.reasons = {{key, key}};
    if (std::string(name) == "Kept") r.origin = RowOrigin::Record;
    rows.push_back(r);
  }
  list.setRows(rows);
  list.showOnlyNotStarting(true);
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Blocked", "Gone", "Trigger"}));
  EXPECT_EQ(list.counts().total, 7);
  list.showOnlyNotStarting(false);
  EXPECT_EQ(shown.rows.size(), 7u);
}

TEST(FilteredList, RowsAddedLaterAreSortedAndFilteredAndKeepTheUsersBoxesAndSelection) {
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  list.setSort({0, false});
  list.setFilter("\\apps\\");
  list.setRows({row("Steam", "C:\\apps\\steam.exe"), row("Teams", "C:\\apps\\t.exe"), row("Zoom", "C:\\z.exe")});
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Steam", "Teams"}));
  boxes.check(1, RowState::Disabled);  // the user turned Teams off
  list.select(0);

  list.appendRows({row("Edge", "C:\\apps\\e.exe"), row("Skype", "C:\\s.exe"), row("Updater", "C:\\apps\\u.exe")});
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Edge", "Steam", "Teams", "Updater"}));
  EXPECT_EQ(shown.rows.at(2).state, RowState::Disabled) << "the box the user set";
  EXPECT_EQ(shown.selection, 1) << "Steam stays selected";
  const RowCounts c = list.counts();
  EXPECT_EQ(c.total, 6);
  EXPECT_EQ(c.shown, 4);
  EXPECT_EQ(c.disabled, 1);
  list.setFilter("");
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Edge", "Skype", "Steam", "Teams", "Updater", "Zoom"}));
}

TEST(FilteredList, AFilterCompletesTheRowsItMatchesAgainst) {
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  int described = 0;
  list.setDescriber([&](Row& r) {
    ++described;
    if (r.program.empty()) return;
    r.publisher = r.program == "C:\\s.exe" ? "Spotify AB" : "";
    r.program.clear();
  });
  std::vector<Row> rows = {row("Spotify", "C:\\s.exe"), row("Teams", "C:\\t.exe")};
  for (Row& r : rows) r.program = r.data;
  list.setRows(rows);
  EXPECT_EQ(described, 0) << "no filter: the list completes the rows it shows";
  EXPECT_EQ(shown.rows[0].program, "C:\\s.exe");

  list.setFilter("spotify ab");
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Spotify"}));
  EXPECT_EQ(shown.rows[0].publisher, "Spotify AB");
  EXPECT_TRUE(shown.rows[0].program.empty()) << "handed over complete";
  EXPECT_EQ(described, 2);
}

// A real family through the filter: Remove takes the row shown, and the
// row after it (among those shown) is selected, as without a filter.
TEST(FilteredList, RemoveOnAFilteredListRemovesTheRowShownAndSelectsTheNextShown) {
  MapTranslator tr;
  tr.texts = {{"_AreyousureDeleteThisEntry", "Delete %s?"}};
  FakeRegistry reg;
  FakeStore store;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt prompt;
  ChangeCommit commit{log, nullptr, tr};
  FamilyContext context{store, tr};
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string sub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  for (const char* name : {"Spotify", "Teams", "Steam", "Stream", "Zoom"}) {
    reg.put(RootKey::CurrentUser, sub, name, std::string("C:\\") + name + ".exe");
  }
  RegistryFamily family({run}, reg, context);
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  PaneController pane(family, list, boxes, prompt, commit, tr);
  list.setFilter("ea");
  pane.refill();
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Teams", "Steam", "Stream"}));

  list.select(1);
  pane.command(pane_command::kRemove);
  EXPECT_EQ(prompt.questions, (std::vector<std::string>{"Delete Steam?"})) << "the row shown was asked about";
  EXPECT_EQ(reg.find(RootKey::CurrentUser, sub, "Steam"), nullptr);
  EXPECT_NE(reg.find(RootKey::CurrentUser, sub, "Spotify"), nullptr) << "a hidden row is untouched";
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Teams", "Stream"})) << "still filtered after the refill";
  EXPECT_EQ(list.selected(), 1) << "the next row shown";
  EXPECT_EQ(list.counts().total, 4);
}

// A refresh lists anew; the entry the user had selected stays selected
// wherever the new listing puts it, and one that comes only with a slow
// place's rows is selected when they come. Clearing the filter keeps it too.
TEST(FilteredList, ARefreshAndRowsThatComeLaterKeepTheSelectedEntrySelected) {
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  list.setRows({row("Alpha", "C:\\a.exe"), row("Beta", "C:\\b.exe"), row("Gamma", "C:\\g.exe")});
  list.select(1);
  list.setRows({row("Delta", "C:\\d.exe"), row("Alpha", "C:\\a.exe"), row("Gamma", "C:\\g.exe"), row("Beta", "C:\\b.exe")});
  EXPECT_EQ(shown.selection, 3) << "by the entry, not the index";
  list.setRows({row("Beta", "C:\\other.exe")});
  EXPECT_EQ(shown.selection, -1) << "another command is another entry";

  list.select(0);
  list.setRows({row("Alpha", "C:\\a.exe")});
  EXPECT_EQ(shown.selection, -1);
  list.appendRows({row("Task", "C:\\t.exe"), row("Beta", "C:\\other.exe")});
  EXPECT_EQ(shown.selection, 2) << "selected again when it came";

  list.setFilter("beta");
  ASSERT_EQ(names(shown), std::vector<std::string>{"Beta"});
  EXPECT_EQ(shown.selection, 0);
  list.setFilter("");
  EXPECT_EQ(shown.selection, 2) << "the filter cleared (Escape)";
}

// In the window a worker looks the program files up: a filter that needs
// their answers shows what is known, counts what it waits for, and is
// applied in full once every answer came; a refresh shows what the files
// said before until they were looked at again.
TEST(FilteredList, AFilterWaitingForTheWorkersAnswersIsAppliedInFullWhenTheyCame) {
  MapTranslator tr;
  FakeRegistry reg;
  FakeStore store;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt prompt;
  ChangeCommit commit{log, nullptr, tr};
  FilesOnly files;
  files.files = {"C:\\Spotify.exe", "C:\\Teams.exe"};
  QueuedProgramFacts facts;
  FamilyContext context{store, tr};
  context.programFiles = &files;
  context.programFacts = &facts;
  const std::string sub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  for (const char* name : {"Spotify", "Teams"}) reg.put(RootKey::CurrentUser, sub, name, std::string("C:\\") + name + ".exe");
  RegistryFamily family({"HKEY_CURRENT_USER\\" + sub}, reg, context);
  FakeList shown;
  FakeBoxes boxes(shown);
  FilteredList list(shown, boxes);
  list.setDescriber([&](Row& r) { family.describe(r); });
  list.setProgramFacts(&facts);
  PaneController pane(family, list, boxes, prompt, commit, tr);
  // The worker, played by the test: what each program file's maker is.
  std::map<std::string, std::string> makers = {{"C:\\Spotify.exe", "Spotify AB"}, {"C:\\Teams.exe", "Microsoft"}};
  const auto answerOne = [&] {
    const auto job = facts.queue().take();
    (void)facts.queue().deliver(*job, ProgramFacts{ProgramFile{job->key, true}, makers[job->key], std::nullopt, true});
  };

  pane.refill();
  EXPECT_EQ(facts.outstanding(), 0u) << "nothing asked before a row is looked at";
  list.setFilter("spotify ab");
  EXPECT_TRUE(names(shown).empty()) << "no maker known yet";
  EXPECT_EQ(list.counts().waiting, 2);
  answerOne();
  EXPECT_FALSE(list.factsArrived()) << "one answer still to come";
  answerOne();
  EXPECT_TRUE(list.factsArrived());
  EXPECT_EQ(names(shown), std::vector<std::string>{"Spotify"});
  EXPECT_EQ(shown.rows[0].publisher, "Spotify AB");
  EXPECT_EQ(list.counts().waiting, 0);

  // Refreshed: the makers known are shown at once, and looked up again.
  makers["C:\\Spotify.exe"] = "Someone Else";
  pane.refill();
  EXPECT_EQ(names(shown), std::vector<std::string>{"Spotify"});
  EXPECT_EQ(list.counts().waiting, 2);
  answerOne();
  answerOne();
  EXPECT_TRUE(list.factsArrived());
  EXPECT_TRUE(names(shown).empty()) << "what the file says now";
}

}  // namespace
}  // namespace velmora::testing
