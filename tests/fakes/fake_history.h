#pragma once
// An in-memory history file with the real one's failure modes: a file that
// is no history (never overwritten) and saves that fail. Copies live in a
// fake folder tree, so pruning can be seen to delete them.
#include <vector>

#include "fakes/fake_folders.h"
#include "history/change_history.h"

namespace velmora::testing {

class FakeHistoryFile : public HistoryFile {
 public:
  explicit FakeHistoryFile(FakeFolders* folders = nullptr) : folders_(folders) {}
  std::vector<HistoryRecord> records;
  bool exists = false;
  bool unreadable = false;
  bool failWrites = false;
  int writes = 0;
  std::vector<std::string> removed;

  HistoryStatus read(std::vector<HistoryRecord>& out) override {
    if (unreadable) return HistoryStatus::Unreadable;
    if (!exists) return HistoryStatus::Missing;
    out = records;
    return HistoryStatus::Ok;
  }
  HistoryStatus write(const std::vector<HistoryRecord>& r) override {
    if (unreadable || failWrites) return HistoryStatus::WriteFailed;
    records = r;
    exists = true;
    ++writes;
    return HistoryStatus::Ok;
  }
  void removeFile(const std::string& path) override {
    removed.push_back(path);
    if (folders_) (void)folders_->removeFile(path);
  }

 private:
  FakeFolders* folders_;
};

}  // namespace velmora::testing
