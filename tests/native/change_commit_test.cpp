// The one commit: the log records a result's changes make, in the order
// they were made; what the history keeps of them; what the user is told.
#include <gtest/gtest.h>

#include "fakes/fake_history.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "startupflags/startup_flags.h"

namespace velmora::testing {
namespace {

std::vector<std::string> pathOnly(const std::string& location, const EntryState& s) { return {location + "\\" + s.name}; }

class CommitTest : public ::testing::Test {
 protected:
  CommitTest() {
    tr.texts = {{"_LogItemType1Content", "remove %s|%s|%s"}, {"_LogItemType2Content", "add %s|%s|%s"},
                {"_LogItemType3Content", "modify %s|%s|%s|%s|%s"}, {"_LogItemType4Content", "enable %s|%s|%s"},
                {"_LogItemType5Content", "disable %s|%s|%s"}, {"_LogItemType5ContentF", "file off %s"},
                {"_HistoryNotKept", "not kept"}};
  }
  static Change change(std::string kind, std::optional<EntryState> before, std::optional<EntryState> after) {
    Change c;
    c.family = "test";
    c.kind = std::move(kind);
    c.location = "Key";
    c.before = std::move(before);
    c.after = std::move(after);
    return c;
  }
  std::vector<std::string> logged() const {
    std::vector<std::string> out;
    for (const LogRecord& r : sink.records) out.push_back(r.content);
    return out;
  }
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  FakeHistoryFile file;
  ChangeHistory history{file, "C:\\H"};
  ChangeCommit commit{log, &history, tr};
  ScriptedPrompt prompt;
  FamilyTraits traits{RecordKind{"x"}, LogKeys{""}, "", nullptr, "test"};
};

TEST_F(CommitTest, EachChangeIsLoggedInOrderWithTheStepsLoggedBetweenAndKeptAsTheUndoItIs) {
  OperationResult r{Outcome::Done, {}, {}, {"why"}};
  const EntryState a{"A", "a.exe"}, b{"B", "b.exe"};
  r.changes = {change("disable", a, EntryState{"A", "a.exe", {}, true}), change("modify", a, b)};
  r.alsoLogged = {{1, change("add", std::nullopt, EntryState{"Old", "old.exe"})},
                  {2, change("remove", b, std::nullopt)}};
  commit.commit(traits, r, prompt, 7);
  EXPECT_EQ(logged(), (std::vector<std::string>{"disable Key|A|a.exe", "add Key|Old|old.exe",
                                                "modify Key|A|a.exe|B|b.exe", "remove Key|B|b.exe"}));
  const auto kept = history.changes();
  ASSERT_EQ(kept->size(), 2u) << "the steps logged between are no changes of their own";
  EXPECT_EQ(kept->back().kind, "disable");
  EXPECT_EQ(kept->back().undoes, 7u);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"why"});
}

TEST_F(CommitTest, AFamilyLogsInItsOwnWordsAndAFlagChangeIsAnEnableOrADisable) {
  traits.logKeys = LogKeys{"F"};
  traits.logEntry = &pathOnly;
  Change off = change("flag", EntryState{"t.lnk", "x"}, EntryState{"t.lnk", "x"});
  off.extra["flagafter"] = flagText(RegValue{"t.lnk", kRegBinary, {}, {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}});
  commit.commit(traits, OperationResult{Outcome::Done, {off}, {}, {}}, prompt);
  EXPECT_EQ(logged(), std::vector<std::string>{"file off Key\\t.lnk"});
}

TEST_F(CommitTest, AChangeTheHistoryCannotKeepStandsAndIsSaidOnce) {
  file.failWrites = true;
  const OperationResult r{Outcome::Done, {change("add", std::nullopt, EntryState{"A", "a"})}, {}, {}};
  commit.commit(traits, r, prompt);
  commit.commit(traits, r, prompt);
  EXPECT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"not kept"});
  EXPECT_EQ(commit.report(ChangeKind::Add, "A", r), "_StatusAdded");
}

}  // namespace
}  // namespace velmora::testing
