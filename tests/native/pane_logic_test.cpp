#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "fakes/recording_family.h"
#include "pane/pane_logic.h"

namespace velmora {
namespace {

using namespace pane_command;
using testing::FakeList;
using testing::MapTranslator;
using testing::RecordingFamily;
using testing::RecordingLog;
using testing::ScriptedPrompt;

TEST(AboutFilePath, QuotedPathWithSlashSwitchLosesQuotesAndSwitch) {
  EXPECT_EQ(aboutFilePath("\"C:\\Program Files\\App\\app.exe\" /background"), "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(aboutFilePath("  \"C:\\A B\\x.exe\" -min  "), "C:\\A B\\x.exe");
  EXPECT_EQ(aboutFilePath("C:\\Tools\\sync.exe /q /r"), "C:\\Tools\\sync.exe");
}

TEST(AboutFilePath, SwitchWithoutBlankBeforeItIsKept) {
  EXPECT_EQ(aboutFilePath("C:\\Tools\\app.exe/hide"), "C:\\Tools\\app.exe/hide");
  EXPECT_EQ(aboutFilePath("C:\\Tools\\app.exe-q"), "C:\\Tools\\app.exe-q");
}

TEST(AboutFilePath, QuotesAndBlanksAtTheEdges) {
  EXPECT_EQ(aboutFilePath("\""), "") << "a lone quote";
  EXPECT_EQ(aboutFilePath("\"\""), "");
  EXPECT_EQ(aboutFilePath(""), "");
  EXPECT_EQ(aboutFilePath("    "), "");
  EXPECT_EQ(aboutFilePath("\"C:\\a.exe"), "\"C:\\a.exe") << "an unmatched quote stays";
  // Only the space is a blank; a tab is part of the text.
  EXPECT_EQ(aboutFilePath("\tC:\\a.exe"), "\tC:\\a.exe");
}

TEST(AboutFilePath, SwitchAtTheVeryStartIsNotCut) {
  // A " /" found at position 0 is no switch after a path.
  EXPECT_EQ(aboutFilePath("\" /x\""), " /x");
  // After trimming and unquoting, the path may end in a quote that a second
  // pass removes: "C:\a b.exe" /s  ->  C:\a b.exe
  EXPECT_EQ(aboutFilePath("\"\"C:\\a b.exe\" /s\""), "C:\\a b.exe");
}

TEST(CheckBoxAction, OnlyAChangeBetweenImageOneAndTwoCounts) {
  EXPECT_EQ(checkBoxAction(false, 0x2000, 0x1000, 1), CheckBoxAction::Disable);
  EXPECT_EQ(checkBoxAction(false, 0x1000, 0x2000, 2), CheckBoxAction::Enable);
  // Selection and focus changes carry no image bits.
  EXPECT_EQ(checkBoxAction(false, 0x2000 | 0x2, 0x2000, 2), CheckBoxAction::None) << "state image unchanged";
  EXPECT_EQ(checkBoxAction(false, 0x0, 0x3, 2), CheckBoxAction::None);
  // An item getting its first box (0 to 2) is no user's change.
  EXPECT_EQ(checkBoxAction(false, 0x0000, 0x2000, 2), CheckBoxAction::None);
  // Bits above the image field spoil it.
  EXPECT_EQ(checkBoxAction(false, 0x12000, 0x1000, 1), CheckBoxAction::None);
  // Selection bits riding along a real box change do not.
  EXPECT_EQ(checkBoxAction(false, 0x2002, 0x1003, 1), CheckBoxAction::Disable);
}

TEST(CheckBoxAction, NothingCountsWhileTheListIsFilled) {
  EXPECT_EQ(checkBoxAction(true, 0x2000, 0x1000, 1), CheckBoxAction::None);
  EXPECT_EQ(checkBoxAction(true, 0x1000, 0x2000, 2), CheckBoxAction::None);
}

TEST(ButtonTarget, EnableOnlyAnUncheckedRowAndDisableOnlyAChecked) {
  EXPECT_EQ(buttonTarget(kEnable, 1), RowState::Live);
  EXPECT_EQ(buttonTarget(kEnable, 2), std::nullopt);
  EXPECT_EQ(buttonTarget(kDisable, 2), RowState::Disabled);
  EXPECT_EQ(buttonTarget(kDisable, 1), std::nullopt);
  EXPECT_EQ(buttonTarget(kRemove, 1), std::nullopt);
}

TEST(ContextMenuGreying, WithoutARowOnlyAddAndRefresh) {
  for (int id : {kRemove, kModify, kProperty, kAboutFile, kEnable, kDisable}) {
    EXPECT_FALSE(contextItemEnabled(id, std::nullopt)) << id;
  }
  EXPECT_TRUE(contextItemEnabled(kAddNew, std::nullopt));
  EXPECT_TRUE(contextItemEnabled(kRefresh, std::nullopt));
}

TEST(ContextMenuGreying, LiveRowGreysEnableAndDisabledRowGreysDisable) {
  EXPECT_FALSE(contextItemEnabled(kEnable, 2));
  EXPECT_TRUE(contextItemEnabled(kDisable, 2));
  EXPECT_TRUE(contextItemEnabled(kEnable, 1));
  EXPECT_FALSE(contextItemEnabled(kDisable, 1));
  for (int image : {1, 2}) {
    for (int id : {kRemove, kModify, kProperty, kAboutFile, kAddNew, kRefresh}) {
      EXPECT_TRUE(contextItemEnabled(id, image)) << id;
    }
  }
}

TEST(TableText, TitlesThenOneCrLfLineARowWithTabsBetweenCells) {
  EXPECT_EQ(tableText({"Name", "Command"}, {{"One", "C:\\one.exe /q"}, {"Tw\xC3\xB6", ""}}),
            "Name\tCommand\r\nOne\tC:\\one.exe /q\r\nTw\xC3\xB6\t\r\n")
      << "an empty last cell keeps its tab; UTF-8 passes unchanged";
  EXPECT_EQ(tableText({"Name"}, {}), "Name\r\n") << "no rows: the titles alone";
}

TEST(TableText, ATabOrLineBreakInACellBecomesASpaceSoTheTableHolds) {
  const std::string text = tableText({"A\tB", "C"}, {{"x\ty", "l1\r\nl2\nl3\r"}});
  EXPECT_EQ(text, "A B\tC\r\nx y\tl1  l2 l3 \r\n");
  // Every line has as many cells as there are titles.
  std::size_t lines = 0, tabs = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\t') ++tabs;
    if (text[i] == '\r' && text[i + 1] == '\n') ++lines;
  }
  EXPECT_EQ(lines, 2u);
  EXPECT_EQ(tabs, 2u);
}

// A list whose boxes report back the way the list view does: setting one
// runs the item-changed handling at once.
class ReportingList : public FakeList, public CheckBoxes {
 public:
  PaneController* controller = nullptr;
  int stateImage(int row) const override { return static_cast<int>(rows.at(static_cast<std::size_t>(row)).state); }
  void check(int row, RowState state) override {
    const auto old = static_cast<std::uint32_t>(stateImage(row)) << 12;
    rows.at(static_cast<std::size_t>(row)).state = state;
    if (controller) controller->itemChanged(row, old, static_cast<std::uint32_t>(state) << 12, false);
  }
};

class PaneDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    translator.texts["_YouMustSelectAnItem"] = "Select an entry.";
    family.rowsToFill = {{"a", "t", "\"C:\\A\\a.exe\" /s", "P", RowState::Live},
                         {"b", "t", "C:\\b.exe", "P", RowState::Disabled}};
    family.rowsToFill[1].origin = RowOrigin::Record;
    controller.refill();
    list.controller = &controller;
  }
  RecordingFamily family;
  ReportingList list;
  ScriptedPrompt prompt;
  MapTranslator translator;
  RecordingLog sink;
  OperationLog log{translator, &sink};
  ChangeCommit commit{log, nullptr, translator};
  PaneController controller{family, list, list, prompt, commit, translator};
};

// The pane does the list's work: the selected row becomes the entry, the
// dialogs are its own, and the list is read again after what changes it.
TEST_F(PaneDispatch, CommandsActOnTheSelectedRowsEntryAndRefillAfterAChange) {
  prompt.onDialog = [](EntryDialogKind kind, EntryDialogData& d) {
    if (kind == EntryDialogKind::Add) d.name = "n";
    if (kind == EntryDialogKind::Modify) d.name = "m";
    return kind != EntryDialogKind::Property;
  };
  for (int id : {kModify, kProperty, kOpenLocation, kAddNew, kRefresh, kRemove}) {
    list.selection = 1;  // a refill loses the selection
    EXPECT_TRUE(controller.command(id));
  }
  EXPECT_EQ(family.calls, (std::vector<std::string>{"fill", "modify b->m", "fill", "openLocation b", "add n", "fill",
                                                    "fill", "remove b", "fill"}));
  EXPECT_EQ(prompt.dialogs.size(), 3u) << "Modify, Property, Add";
  EXPECT_EQ(prompt.dialogs[1].kind, EntryDialogKind::Property);
  EXPECT_EQ(prompt.dialogs[1].in.name, "b");
  EXPECT_EQ(list.selection, 1) << "after a Remove the row now in its place";
  // Each change went through the commit into the log once.
  EXPECT_EQ(sink.records.size(), 3u);
  EXPECT_FALSE(controller.command(2));
  EXPECT_FALSE(controller.command(1014));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(PaneDispatch, ACancelledDialogChangesNothing) {
  list.selection = 0;
  controller.command(kModify);
  controller.command(kAddNew);
  EXPECT_EQ(family.operations(), std::vector<std::string>{});
  EXPECT_EQ(controller.takeOutcome(), "");
}

TEST_F(PaneDispatch, WhatTheFamilyCannotDoIsGreyedAndDoesNothing) {
  family.can = FamilyAbilities{false, false, false, false};
  prompt.onDialog = [](EntryDialogKind, EntryDialogData&) { return true; };
  list.selection = 0;
  for (int id : {kAddNew, kModify, kOpenLocation, kAboutFile, kSearchOnline}) {
    EXPECT_TRUE(controller.command(id));
    EXPECT_FALSE(contextItemEnabled(id, 2, family.can)) << id;
  }
  controller.doubleClick();
  EXPECT_TRUE(family.operations().empty());
  EXPECT_TRUE(prompt.dialogs.empty());
  EXPECT_TRUE(prompt.fileInfoPaths.empty());
  EXPECT_TRUE(prompt.searches.empty());
  EXPECT_TRUE(contextItemEnabled(kRemove, 2, family.can));
  EXPECT_TRUE(contextItemEnabled(kProperty, 2, family.can));
}

TEST_F(PaneDispatch, PaneCommandsWithoutSelectionTellTheUserAndDoNothingElse) {
  for (int id : {kAboutFile, kEnable, kDisable, kRemove, kModify, kProperty, kOpenLocation, kSearchOnline}) {
    controller.command(id);
  }
  list.selection = 2;  // beyond the last row (the list changed under it)
  controller.command(kRemove);
  EXPECT_EQ(prompt.messages, std::vector<std::string>(9, "Select an entry."));
  EXPECT_TRUE(family.operations().empty());
  EXPECT_TRUE(prompt.fileInfoPaths.empty());
  EXPECT_TRUE(prompt.searches.empty());
}

// As File Info's button: the program file's name, whatever the command's
// quotes and switches; a startup file that is no shortcut is its own program.
TEST_F(PaneDispatch, SearchOnlineLooksForTheProgramFilesName) {
  family.rowsToFill.push_back({"Sync.bat", "t", "", "C:\\Startup", RowState::Live});
  controller.refill();
  for (int row : {0, 1, 2}) {
    list.selection = row;
    EXPECT_TRUE(controller.command(kSearchOnline));
  }
  EXPECT_EQ(prompt.searches, (std::vector<std::string>{"a.exe", "b.exe", "Sync.bat"}));
  EXPECT_TRUE(family.operations().empty()) << "the family is not asked";
  EXPECT_TRUE(contextItemEnabled(kSearchOnline, 2));
  EXPECT_FALSE(contextItemEnabled(kSearchOnline, std::nullopt));
}

TEST_F(PaneDispatch, AboutFileAndDoubleClickShowTheCleanedPath) {
  controller.doubleClick();
  EXPECT_TRUE(prompt.messages.empty()) << "a double click without a row says nothing";
  EXPECT_TRUE(prompt.fileInfoPaths.empty());
  list.selection = 0;
  controller.doubleClick();
  list.selection = 1;
  controller.command(kAboutFile);
  EXPECT_EQ(prompt.fileInfoPaths, (std::vector<std::string>{"C:\\A\\a.exe", "C:\\b.exe"}));
}

TEST_F(PaneDispatch, ButtonsMoveTheSelectedRowThroughTheCheckBox) {
  list.selection = 1;
  controller.command(kDisable);  // already unchecked
  EXPECT_TRUE(family.operations().empty());
  controller.command(kEnable);
  EXPECT_EQ(family.operations(), std::vector<std::string>{"enable b"});
  EXPECT_EQ(list.rows[1].state, RowState::Live);
  EXPECT_EQ(list.rows[1].origin, RowOrigin::Live) << "it now stands for a live entry, without a refill";
  controller.command(kEnable);  // now checked: nothing
  list.selection = 0;
  controller.command(kDisable);
  EXPECT_EQ(family.operations(), (std::vector<std::string>{"enable b", "disable a"}));
  EXPECT_EQ(list.rows[0].origin, RowOrigin::Record);
  EXPECT_EQ(family.fills, 1) << "Enable and Disable never refill";
  EXPECT_EQ(family.originsSeen, (std::vector<RowOrigin>{RowOrigin::Record, RowOrigin::Live}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(PaneDispatch, ARowThatDidNotMoveShowsItsRealStateAgain) {
  family.moves = false;
  list.rows[0].state = RowState::Disabled;  // the user cleared the box
  controller.itemChanged(0, 0x2000, 0x1000, false);
  EXPECT_EQ(list.rows[0].state, RowState::Live);

  list.rows[1].state = RowState::Live;  // the user set the box
  controller.itemChanged(1, 0x1000, 0x2000, false);
  EXPECT_EQ(family.operations(), (std::vector<std::string>{"disable a", "enable b"}));
  EXPECT_EQ(list.rows[1].state, RowState::Disabled);
  EXPECT_EQ(list.rows[1].origin, RowOrigin::Record);
}

TEST_F(PaneDispatch, ChangesWhileLoadingAndOfOtherBitsStartNothing) {
  controller.itemChanged(0, 0x2000, 0x1000, true);
  controller.itemChanged(0, 0x2000, 0x2002, false);
  controller.itemChanged(-1, 0x2000, 0x1000, false);
  EXPECT_TRUE(family.operations().empty());
}

}  // namespace
}  // namespace velmora
