#pragma once
// The change history's file (history.xml beside config.xml) through MSXML:
// read whole, written whole and atomically; a file that does not parse as a
// history is reported Unreadable and never written over.
#include <string>

#include "history/change_history.h"

namespace velmora::win32 {

class Win32HistoryFile : public HistoryFile {
 public:
  explicit Win32HistoryFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  [[nodiscard]] HistoryStatus read(std::vector<HistoryRecord>& out) override;
  [[nodiscard]] HistoryStatus write(const std::vector<HistoryRecord>& records) override;
  void removeFile(const std::string& path) override;

 private:
  std::string path_;
};

}  // namespace velmora::win32
