#pragma once
// What every family's tests stand on: config.xml, the texts, the log, the
// user, and the one commit, with the change history for the tests that keep
// one (Undo's). A fixture derives from it and adds its family's ports.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/fake_history.h"
#include "fakes/fake_store.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "family/families.h"
#include "history/change_commit.h"
#include "history/change_history.h"

namespace velmora::testing {

template <class Store = FakeStore>
struct FamilyWorldOf {
  // `copies`: the fake folders the history's copies live in, if any.
  explicit FamilyWorldOf(FakeFolders* copies = nullptr) : file(copies) {}

  // The operation log's texts as "<operation> value|value|...", so a test
  // reads back what was logged.
  void logValuesJoined() {
    tr.texts.insert({{"_LogItemType1Content", "remove %s|%s|%s"},
                     {"_LogItemType2Content", "add %s|%s|%s"},
                     {"_LogItemType3Content", "modify %s|%s|%s|%s|%s"},
                     {"_LogItemType4Content", "enable %s|%s|%s"},
                     {"_LogItemType5Content", "disable %s|%s|%s"}});
  }
  std::vector<std::string> logged() const {
    std::vector<std::string> out;
    for (const LogRecord& r : sink.records) out.push_back(r.content);
    return out;
  }

  // --- The change history, for Undo's tests --------------------------------
  Change newest() { return history.changes()->front(); }
  std::size_t kept() { return history.changes()->size(); }
  // The newest change as the file holds it, with one field set by hand (an
  // edited history.xml).
  Change editedNewest(const std::string& field, const std::string& value) {
    HistoryRecord& r = file.records.back();
    const auto it = std::find_if(r.begin(), r.end(), [&](const auto& p) { return p.first == field; });
    if (it == r.end()) {
      r.emplace_back(field, value);
    } else {
      it->second = value;
    }
    return newest();
  }
  bool saidChanged() const {
    return !prompt.messages.empty() && prompt.messages.back().find("_UndoEntryChanged") != std::string::npos;
  }
  bool saidNotPossible() const { return !prompt.messages.empty() && prompt.messages.back() == "_UndoNotPossible"; }

  Store store;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  FakeHistoryFile file;
  ChangeHistory history{file, "C:\\Velmora\\History"};
  ScriptedPrompt prompt;
  FamilyContext context{store, tr};
  // Most tests commit without a history; Undo's keep one.
  ChangeCommit commit{log, nullptr, tr};
  ChangeCommit historyCommit{log, &history, tr};
};

using FamilyWorld = FamilyWorldOf<>;

// history.xml lies beside the program, where anyone who may write that
// folder may edit it. Each edit of the newest change, alone, must be refused
// with nothing touched (`w.everything()` the same), and the change as it
// was made must still undo. World: a FamilyWorld with undo, undoNewest and
// everything.
template <class World>
void expectEachEditRefused(World& w, const std::vector<std::pair<std::string, std::string>>& edits) {
  const HistoryRecord genuine = w.file.records.back();
  const std::string before = w.everything();
  for (const auto& [field, value] : edits) {
    const Change c = w.editedNewest(field, value);
    EXPECT_FALSE(w.undo(c)) << field << "=" << value;
    EXPECT_TRUE(w.saidNotPossible()) << field << "=" << value;
    EXPECT_EQ(w.everything(), before) << field << "=" << value;
    w.file.records.back() = genuine;
  }
  EXPECT_TRUE(w.undoNewest()) << "the change as it was made still undoes";
}

}  // namespace velmora::testing
