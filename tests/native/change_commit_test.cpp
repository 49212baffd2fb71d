// The one commit: the log records a result's changes make, in the order
// they were made; what the history keeps of them; what the user is told.
#include <gtest/gtest.h>

#include "fakes/fake_history.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_undo.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "startupflags/startup_flags.h"
#include "startupfolder/startup_folder_family.h"

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
  EXPECT_EQ(logged(), (std::vector<std::string>{"disable A|Key|a.exe", "add Old|Key|old.exe",
                                                "modify A|Key|a.exe|B|b.exe", "remove B|Key|b.exe"}));
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

// The operation log's Details and the change history's columns name the
// entry first and its place after: a long key path first cut the name off.
// Every family, every kind of change.
TEST_F(CommitTest, EveryFamilyNamesTheEntryBeforeItsPlace) {
  for (const char* suffix : {"", "1", "Task"}) {
    for (const char* n : {"1", "2", "3", "4", "5"}) {
      tr.texts["_LogItemType" + std::string(n) + "Content" + suffix] = "%s|%s|%s|%s|%s";
    }
  }
  struct Case {
    const FamilyTraits* traits;
    std::string location;
    std::string place;  // as the log names it
  };
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const Case cases[] = {
      {&kRegistryTraits, run, run},
      {&kProgramListTraits, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load",
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load"},
      {&kStartupFolderTraits, "C:\\Users\\me\\Start Menu\\Programs\\Startup\\", "C:\\Users\\me\\Start Menu\\Programs\\Startup"},
      {&kScheduledTaskTraits, "\\Vendor\\Entry", "\\Vendor"},
  };
  const EntryState entry{"Entry", "C:\\entry.exe"};
  for (const Case& c : cases) {
    for (const char* kind : {"remove", "add", "modify", "enable", "disable"}) {
      sink.records.clear();
      Change made = change(kind, std::string(kind) == "add" ? std::nullopt : std::optional<EntryState>(entry),
                           std::string(kind) == "remove" ? std::nullopt : std::optional<EntryState>(entry));
      made.location = c.location;
      commit.commit(*c.traits, OperationResult{Outcome::Done, {made}, {}, {}}, prompt);
      ASSERT_EQ(sink.records.size(), 1u);
      EXPECT_EQ(sink.records[0].content.rfind("Entry|" + c.place + "|", 0), 0u)
          << c.traits->id << " " << kind << ": " << sink.records[0].content;
      const std::vector<std::string> columns = historyColumns(made, tr);
      EXPECT_EQ(columns.at(3), "Entry") << c.traits->id << " " << kind;
      EXPECT_EQ(columns.at(4), c.location) << c.traits->id << " " << kind;
    }
  }
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
