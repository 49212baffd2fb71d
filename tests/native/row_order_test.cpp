// The order of a pane's rows: natural order of texts, the stable sort by a
// column, and the pane's operations still acting on the entry of the row
// the user sees once the rows are sorted.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "core/natural_order.h"
#include "fakes/fakes.h"
#include "fakes/recording_family.h"
#include "pane/filtered_list.h"
#include "pane/pane_logic.h"
#include "pane/row_order.h"

namespace velmora::testing {
namespace {

TEST(NaturalOrder, NumbersByValueCaseAndAccentsIgnored) {
  EXPECT_LT(compareNatural("Item 2", "Item 10"), 0);
  EXPECT_GT(compareNatural("Item 10", "Item 9"), 0);
  EXPECT_LT(compareNatural("v1.9.3", "v1.10.0"), 0);
  EXPECT_EQ(compareNatural("Item 007", "item 7"), 0) << "leading zeros and case do not count";
  EXPECT_EQ(compareNatural("ADOBE", "adobe"), 0);
  EXPECT_EQ(compareNatural("\xC3\x89mile", "emile"), 0) << "\xC3\x89 is an E with an accent";
  EXPECT_LT(compareNatural("\xC3\xA4pfel", "Birne"), 0) << "\xC3\xA4 sorts with a, not after z";
  EXPECT_LT(compareNatural("\xC5\x81ukasz", "Maria"), 0);
  // A number longer than any integer still compares by value.
  EXPECT_LT(compareNatural("x99999999999999999999999", "x100000000000000000000000"), 0);
  EXPECT_LT(compareNatural("Setup", "Setup2"), 0) << "the shorter first when all else is equal";
  EXPECT_LT(compareNatural("2 Backup", "Backup"), 0) << "digits before letters";
}

// Natural order is a strict weak ordering on a mixed set (else a sort may
// crash or loop): antisymmetric and transitive on every triple.
TEST(NaturalOrder, IsAConsistentOrderOnMixedTexts) {
  const std::vector<std::string> texts = {"a", "A", "a0", "a00", "a1", "a01", "a10", "a9", "ab", "a b", "", "0", "00",
                                          "10", "9", "\xC3\x84", "b", "B2", "b10", "_x", "x_", "~"};
  for (const auto& a : texts) {
    EXPECT_EQ(compareNatural(a, a), 0) << a;
    for (const auto& b : texts) {
      EXPECT_EQ(compareNatural(a, b), -compareNatural(b, a)) << a << " / " << b;
      for (const auto& c : texts) {
        if (compareNatural(a, b) <= 0 && compareNatural(b, c) <= 0) {
          EXPECT_LE(compareNatural(a, c), 0) << a << " / " << b << " / " << c;
        }
      }
    }
  }
}

Row named(const std::string& name, const std::string& data = "", const std::string& publisher = "") {
  Row r{name, "Registry value", data, "HKEY_CURRENT_USER\\Run", RowState::Live};
  r.publisher = publisher;
  return r;
}

std::vector<std::string> namesIn(const std::vector<Row>& rows, const std::vector<std::size_t>& order) {
  std::vector<std::string> out;
  for (const std::size_t i : order) out.push_back(rows[i].name);
  return out;
}

TEST(SortedIndices, StableEitherWayWithEmptyCellsLast) {
  const std::vector<Row> rows = {named("one", "Tool 10"), named("two", ""), named("three", "tool 9"),
                                 named("four", "TOOL 10"), named("five", "Alpha"), named("six", "")};
  std::vector<std::size_t> all(rows.size());
  std::iota(all.begin(), all.end(), 0);
  EXPECT_EQ(namesIn(rows, sortedIndices(rows, all, {2, false})),
            (std::vector<std::string>{"five", "three", "one", "four", "two", "six"}))
      << "equal cells (Tool 10, TOOL 10) keep their listing order; empty ones go last";
  EXPECT_EQ(namesIn(rows, sortedIndices(rows, all, {2, true})),
            (std::vector<std::string>{"one", "four", "three", "five", "two", "six"}))
      << "down: still stable, empty cells still last";
  EXPECT_EQ(sortedIndices(rows, all, {}), all) << "unsorted: as listed";
  EXPECT_EQ(sortedIndices(rows, {0, 4}, {0, false}), (std::vector<std::size_t>{4, 0})) << "only the indices given";
}

TEST(SortedIndices, AHeaderClickSortsUpThenTheOtherWay) {
  SortOrder order;
  order = afterHeaderClick(order, 3);
  EXPECT_EQ(order, (SortOrder{3, false}));
  order = afterHeaderClick(order, 3);
  EXPECT_EQ(order, (SortOrder{3, true}));
  order = afterHeaderClick(order, 3);
  EXPECT_EQ(order, (SortOrder{3, false}));
  EXPECT_EQ(afterHeaderClick(SortOrder{3, true}, 0), (SortOrder{0, false})) << "another column starts up";
}

// The fake list's boxes, as the list view's are: setting one reports back
// to the pane at once.
class ReportingBoxes : public CheckBoxes {
 public:
  explicit ReportingBoxes(FakeList& list) : list_(list) {}
  PaneController* controller = nullptr;
  int stateImage(int row) const override { return static_cast<int>(list_.rows.at(static_cast<std::size_t>(row)).state); }
  void check(int row, RowState state) override {
    const auto old = static_cast<std::uint32_t>(stateImage(row)) << 12;
    list_.rows.at(static_cast<std::size_t>(row)).state = state;
    if (controller) controller->itemChanged(row, old, static_cast<std::uint32_t>(state) << 12, false);
  }

 private:
  FakeList& list_;
};

std::vector<std::string> names(const FakeList& list) {
  std::vector<std::string> out;
  for (const Row& r : list.rows) out.push_back(r.name);
  return out;
}

class SortedPane : public ::testing::Test {
 protected:
  void SetUp() override {
    translator.texts["_YouMustSelectAnItem"] = "Select an entry.";
    family.rowsToFill = {named("Zoom", "C:\\z.exe"), named("agent 10", "C:\\a10.exe"), named("Agent 9", "C:\\a9.exe"),
                         named("beta", "C:\\b.exe")};
    for (Row& r : family.rowsToFill) r.program = r.data;
    boxes.controller = &controller;
    list.setDescriber([this](Row& r) { family.describe(r); });
    controller.refill();
  }
  RecordingFamily family;
  FakeList shown;
  ReportingBoxes boxes{shown};
  FilteredList list{shown, boxes};
  ScriptedPrompt prompt;
  MapTranslator translator;
  RecordingLog sink;
  OperationLog log{translator, &sink};
  ChangeCommit commit{log, nullptr, translator};
  PaneController controller{family, list, boxes, prompt, commit, translator};
};

TEST_F(SortedPane, BoxesAndCommandsActOnTheEntryOfTheRowShownAfterSortingAndFiltering) {
  list.setSort({0, false});
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Agent 9", "agent 10", "beta", "Zoom"}));
  boxes.check(1, RowState::Disabled);
  EXPECT_EQ(family.operations(), std::vector<std::string>{"disable agent 10"});
  EXPECT_EQ(list.row(1).origin, RowOrigin::Record);

  // The other way round: the box the user cleared stays with its row, and
  // the selection follows its row.
  list.select(3);  // Zoom
  list.setSort({0, true});
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Zoom", "beta", "agent 10", "Agent 9"}));
  EXPECT_EQ(shown.rows[2].state, RowState::Disabled);
  EXPECT_EQ(shown.rows[2].origin, RowOrigin::Record) << "its new origin moved with it";
  EXPECT_EQ(list.selected(), 0);
  boxes.check(2, RowState::Live);
  controller.command(pane_command::kRemove);  // Zoom, selected
  EXPECT_EQ(family.operations(), (std::vector<std::string>{"disable agent 10", "enable agent 10", "remove Zoom"}));
  EXPECT_EQ(family.originsSeen.back(), RowOrigin::Record) << "Enable was asked of the record";

  // A refill is sorted as the user left it, and a filter keeps the sort.
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Zoom", "beta", "agent 10", "Agent 9"}));
  EXPECT_EQ(list.selected(), 0) << "after a Remove, the row now in its place";
  list.setFilter("agent");
  EXPECT_EQ(names(shown), (std::vector<std::string>{"agent 10", "Agent 9"}));
  list.select(1);
  controller.command(pane_command::kDisable);
  EXPECT_EQ(family.operations().back(), "disable Agent 9");
}

TEST_F(SortedPane, AddAndModifySelectTheEntryWhereverTheSortPutsIt) {
  list.setSort({0, false});
  prompt.onDialog = [](EntryDialogKind kind, EntryDialogData& d) {
    d.name = kind == EntryDialogKind::Add ? "Alpha" : "yak";
    return true;
  };
  // The family lists the new names after the change.
  family.rowsToFill.push_back(named("Alpha", "C:\\alpha.exe"));
  family.rowsToFill[3].name = "yak";  // beta, modified
  family.rowsToFill.push_back(named("beta", "C:\\elsewhere.exe"));
  family.rowsToFill.back().path = "HKEY_LOCAL_MACHINE\\Run";

  list.select(2);  // beta
  controller.command(pane_command::kModify);
  ASSERT_EQ(names(shown), (std::vector<std::string>{"Agent 9", "agent 10", "Alpha", "beta", "yak", "Zoom"}));
  EXPECT_EQ(list.selected(), 4) << "the modified entry, not the row at its old place";
  controller.command(pane_command::kAddNew);
  EXPECT_EQ(list.selected(), 2);
  EXPECT_EQ(family.operations(), (std::vector<std::string>{"modify beta->yak", "add Alpha"}));
}

// Publisher and signer are completed only when looked at: sorting by them
// completes the rows it sorts, and sorting by a name completes none.
TEST_F(SortedPane, SortingByADescribedColumnDescribesTheRowsItSorts) {
  family.describes = 0;
  list.setSort({0, true});
  EXPECT_EQ(family.describes, 0);
  list.setFilter("agent");
  const int afterFilter = family.describes;
  EXPECT_EQ(afterFilter, 4) << "the filter completes every row it tries";
  list.setFilter("");
  family.describes = 0;
  controller.refill();
  list.setSort({4, false});
  EXPECT_EQ(family.describes, 4) << "every row sorted";
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Agent 9", "agent 10", "beta", "Zoom"}))
      << "by the publishers, Maker of C:\\a9.exe before Maker of C:\\a10.exe";
  list.setSort({6, true});
  EXPECT_EQ(names(shown), (std::vector<std::string>{"Zoom", "beta", "agent 10", "Agent 9"}));
}

}  // namespace
}  // namespace velmora::testing
