// What a change came to, in words for the status bar, as the pane's logic
// learns it from a real family over fakes.
#include <gtest/gtest.h>

#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "pane/pane_logic.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Boxes : public CheckBoxes {
 public:
  explicit Boxes(FakeList& list) : list_(list) {}
  int stateImage(int row) const override { return static_cast<int>(list_.rows.at(static_cast<std::size_t>(row)).state); }
  void check(int row, RowState state) override { list_.rows.at(static_cast<std::size_t>(row)).state = state; }

 private:
  FakeList& list_;
};

class ChangeReports : public ::testing::Test {
 protected:
  ChangeReports() {
    tr.texts = {{"_StatusRemoved", "Removed %s"},
                {"_StatusAdded", "Added %s"},
                {"_StatusModified", "Changed %s"},
                {"_StatusDisabled", "Disabled %s"},
                {"_StatusEnabled", "Enabled %s"},
                {"_StatusRemoveFailed", "Could not remove %s: %s"},
                {"_StatusDisableFailed", "Could not disable %s: %s"},
                {"_RegistryDeleteFailed", "Access denied to %s.\nAsk an administrator."},
                {"_AreyousureDeleteThisEntry", "Delete %s?"}};
    reg.put(RootKey::CurrentUser, kSub, "Spotify", "C:\\spotify.exe");
    reg.put(RootKey::CurrentUser, kSub, "Teams", "C:\\teams.exe");
    controller.refill();
  }
  // The box of a row set by the user, as the list reports it.
  void click(int row, RowState to) {
    const std::uint32_t from = INDEX(list.rows[static_cast<std::size_t>(row)].state);
    list.rows[static_cast<std::size_t>(row)].state = to;
    controller.itemChanged(row, from, INDEX(to), false);
  }
  int rowOf(const std::string& name) const {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
      if (list.rows[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  static std::uint32_t INDEX(RowState s) { return static_cast<std::uint32_t>(s) << 12; }

  MapTranslator tr;
  FakeRegistry reg;
  FakeStore store;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt scripted;
  ChangeCommit commit{log, nullptr, tr};
  FamilyContext context{store, tr};
  RegistryFamily family{{kRun}, reg, context};
  FakeList list;
  Boxes boxes{list};
  PaneController controller{family, list, boxes, scripted, commit, tr};
};

TEST_F(ChangeReports, EachKindOfChangeSaysWhatItDidOnce) {
  click(0, RowState::Disabled);
  EXPECT_EQ(controller.takeOutcome(), "Disabled Spotify");
  EXPECT_EQ(controller.takeOutcome(), "") << "said once";
  controller.refill();
  click(0, RowState::Live);
  EXPECT_EQ(controller.takeOutcome(), "Enabled Spotify");

  scripted.onDialog = [](EntryDialogKind, EntryDialogData& d) {
    d.name = "Zoom";
    d.path = "C:\\zoom.exe";
    return true;
  };
  controller.command(pane_command::kAddNew);
  EXPECT_EQ(controller.takeOutcome(), "Added Zoom");

  list.select(rowOf("Teams"));
  scripted.onDialog = [](EntryDialogKind, EntryDialogData& d) {
    d.path = "C:\\new.exe";
    return true;
  };
  controller.command(pane_command::kModify);
  EXPECT_EQ(controller.takeOutcome(), "Changed Teams");

  list.select(rowOf("Teams"));
  controller.command(pane_command::kRemove);
  EXPECT_EQ(controller.takeOutcome(), "Removed Teams");
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kSub, "Teams"), nullptr);
}

TEST_F(ChangeReports, NoSaysNothingAndAFailureSaysWhyOnOneLine) {
  list.select(0);
  scripted.answers = {false};
  controller.command(pane_command::kRemove);
  EXPECT_EQ(controller.takeOutcome(), "") << "the user said no";
  scripted.onDialog = nullptr;  // Cancel
  controller.command(pane_command::kAddNew);
  controller.command(pane_command::kModify);
  EXPECT_EQ(controller.takeOutcome(), "");

  reg.denyDelete(RootKey::CurrentUser, kSub);
  list.select(0);
  controller.command(pane_command::kRemove);
  EXPECT_EQ(controller.takeOutcome(), "Could not remove Spotify: Access denied to " + kRun + ".");
  click(1, RowState::Disabled);
  EXPECT_EQ(controller.takeOutcome(), "Could not disable Teams: Access denied to " + kRun + ".");
  EXPECT_EQ(list.rows[1].state, RowState::Live) << "the box shows the truth";

  list.select(-1);
  controller.command(pane_command::kRemove);  // asks for a selection: no change
  EXPECT_EQ(controller.takeOutcome(), "");
}

// A change that was made is reported as made, even when the history could
// not keep it: the notice says so, the status bar names one outcome.
TEST(ChangeReportsWithoutAHistory, ADoneChangeIsReportedDoneAndTheHistoryNoticeIsShownOnce) {
  MapTranslator tr;
  tr.texts = {{"_StatusAdded", "Added %s"},
              {"_StatusDisabled", "Disabled %s"},
              {"_StatusAddFailed", "Could not add %s: %s"},
              {"_HistoryNotKept", "The change was made, but the history cannot be kept."}};
  FakeRegistry reg;
  FakeStore store;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  FakeHistoryFile file;
  file.failWrites = true;
  ChangeHistory history(file, "C:\\Velmora\\History");
  ScriptedPrompt scripted;
  ChangeCommit commit{log, &history, tr};
  FamilyContext context{store, tr};
  RegistryFamily family{{kRun}, reg, context};
  FakeList list;
  Boxes boxes{list};
  PaneController controller{family, list, boxes, scripted, commit, tr};
  controller.refill();

  scripted.onDialog = [](EntryDialogKind, EntryDialogData& d) {
    d.name = "My Tool";
    d.path = "C:\\tool.exe";
    return true;
  };
  controller.command(pane_command::kAddNew);
  ASSERT_NE(reg.find(RootKey::CurrentUser, kSub, "My Tool"), nullptr);
  EXPECT_EQ(scripted.messages, std::vector<std::string>{"The change was made, but the history cannot be kept."});
  EXPECT_EQ(controller.takeOutcome(), "Added My Tool");
}

}  // namespace
}  // namespace velmora::testing
