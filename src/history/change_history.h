#pragma once
// The change history: every change a family made, with what is needed to
// reverse it exactly, kept in a file beside config.xml (history.xml) and,
// for a file that a change removed or replaced, an exact copy of that file
// in a folder of its own (History\). It keeps the newest changes up to a
// bound; a change that falls off takes its copy with it. A history file that
// cannot be read is never overwritten: changes go on, unrecorded.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "family/change.h"

namespace velmora {

// One change as the file holds it: attribute names and values.
using HistoryRecord = std::vector<std::pair<std::string, std::string>>;

HistoryRecord toRecord(const Change& change);
// Nothing for a record without id, family, kind or location, or with a
// number that does not read.
std::optional<Change> fromRecord(const HistoryRecord& record);

// The file's text: UTF-8 XML, <history version="1"> with one <change>
// element per change, oldest first.
std::string historyXml(const std::vector<HistoryRecord>& records);

enum class HistoryStatus {
  Ok,
  Missing,       // no history yet (read)
  Unreadable,    // the file exists but is no history: never overwritten
  WriteFailed,   // the new file could not be saved; the old one is as it was
};

// The history file and its copy folder. Every call leaves its output
// untouched unless it returns Ok.
class HistoryFile {
 public:
  HistoryFile() = default;
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;
  virtual ~HistoryFile() = default;
  // Every change, oldest first.
  [[nodiscard]] virtual HistoryStatus read(std::vector<HistoryRecord>& out) = 0;
  // Replaces the whole file atomically.
  [[nodiscard]] virtual HistoryStatus write(const std::vector<HistoryRecord>& records) = 0;
  // Deletes a file of the copy folder; quiet when it is gone already.
  virtual void removeFile(const std::string& path) = 0;
};

class ChangeHistory : public ChangeCopies {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  static constexpr std::size_t kDefaultLimit = 1000;

  // `copyFolder`: where copies are kept (made by whoever makes a copy).
  ChangeHistory(HistoryFile& file, std::string copyFolder, std::size_t limit = kDefaultLimit, Clock clock = {});
  ChangeHistory(const ChangeHistory&) = delete;
  ChangeHistory& operator=(const ChangeHistory&) = delete;

  const std::string& copyFolder() const { return copyFolder_; }
  std::string newCopyName() override;
  std::string copyPath(std::string_view name) const override;

  // Appends a change (its id and time are set here) and drops the oldest
  // beyond the bound, with their copies. False when the history is not
  // being kept (unreadable, or the save failed): the change's own copy is
  // then deleted, and the file left as it was.
  bool record(Change change);
  // Every change, newest first; nothing when the file cannot be read.
  std::optional<std::vector<Change>> changes();
  // The one change with this id; nothing when none or several carry it.
  std::optional<Change> find(std::uint64_t id);

  // True the first time it is asked after a change was not recorded: the
  // user is told once per run.
  bool takeWarning();

 private:
  std::string timeText() const;

  HistoryFile& file_;
  std::string copyFolder_;
  std::size_t limit_;
  Clock clock_;
  std::uint64_t lastStamp_ = 0;
  bool failed_ = false;
  bool warned_ = false;
};

}  // namespace velmora
