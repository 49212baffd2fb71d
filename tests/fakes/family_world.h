#pragma once
// What every family's tests stand on: config.xml, the texts, the log, the
// user, and the one commit, with the change history for the tests that keep
// one (Undo's). A fixture derives from it and adds its family's ports.
#include <string>
#include <vector>

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

}  // namespace velmora::testing
