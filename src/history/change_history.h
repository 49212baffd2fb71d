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

#include "core/data_lock.h"
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
  // Change::source of a change read from the machine's history.
  static constexpr std::size_t kMachine = 1;

  // `copyFolder`: where copies are kept (made by whoever makes a copy).
  ChangeHistory(HistoryFile& file, std::string copyFolder, std::size_t limit = kDefaultLimit, Clock clock = {});
  ChangeHistory(const ChangeHistory&) = delete;
  ChangeHistory& operator=(const ChangeHistory&) = delete;

  // Whether only administrators can write the file and its copies (none
  // until told): every change read carries it (Change::adminOnly).
  void setAdminOnly(bool adminOnly) { adminOnly_ = adminOnly; }
  // Held from the read to the write of every record(): other Velmoras
  // (other sessions) change the same file.
  void setLock(DataLock* lock) { lock_ = lock; }
  // The installed copy keeps the changes of places of all users, and their
  // copies, in the machine's history: record() of such a change goes there,
  // and changes() lists both.
  void keepMachineChangesIn(ChangeHistory* machine) { machine_ = machine; }

  const std::string& copyFolder() const { return copyFolder_; }
  std::string newCopyName() override;
  std::string copyPath(std::string_view name) const override;
  std::string copyPath(std::string_view name, PlaceScope place) const override;
  std::string keptCopyPath(const Change& change, std::string_view name) const override;

  // Appends a change (its id and time are set here) and drops the oldest
  // beyond the bound, with their copies; a change of a place of all users
  // goes to the machine's history when there is one. False when the
  // history is not being kept (unreadable, or the save failed): the
  // change's own copy is then deleted, and the file left as it was.
  bool record(Change change, PlaceScope place = PlaceScope::User);
  // Every change, newest first (the machine's among them by time); nothing
  // when the file cannot be read.
  std::optional<std::vector<Change>> changes();
  // The one change with this id in the history `source` names
  // (Change::source); nothing when none or several carry it.
  std::optional<Change> find(std::uint64_t id, std::size_t source = 0);

  // True the first time it is asked after a change was not recorded: the
  // user is told once per run.
  bool takeWarning();

 private:
  std::string timeText() const;
  // The changes of this file alone.
  std::optional<std::vector<Change>> ownChanges();

  HistoryFile& file_;
  std::string copyFolder_;
  std::size_t limit_;
  Clock clock_;
  std::uint64_t lastStamp_ = 0;
  bool failed_ = false;
  bool warned_ = false;
  bool adminOnly_ = false;
  DataLock* lock_ = nullptr;
  ChangeHistory* machine_ = nullptr;
};

}  // namespace velmora
