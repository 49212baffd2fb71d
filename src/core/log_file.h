#pragma once
// The built-in log's file: one record a line, UTF-8, the local time stamp and
// the five texts separated by tabs. Backslashes, tabs and line breaks inside
// a text are escaped so that every record reads back whole.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/operation_log.h"

namespace velmora {

// The file in the data folder that holds the records.
inline constexpr char kLogFileName[] = "operations.log";
std::string logFilePath(std::string_view dataFolder);
// The file grows to about kLogRollOverBytes; then it becomes the older file
// (replacing the one before) and a new file starts. The newest records are
// always in the current file, the ones before them in the older file.
inline constexpr char kOlderLogFileName[] = "operations.1.log";
inline constexpr unsigned long long kLogRollOverBytes = 4ull * 1024 * 1024;
std::string olderLogFilePath(std::string_view logFile);
// Whether a file of `size` bytes must roll over before `adding` more.
bool logNeedsRollOver(unsigned long long size, unsigned long long adding);

struct LogEntry {
  std::string time;  // "YYYY-MM-DD HH:MM:SS", local time
  LogRecord record;
  bool operator==(const LogEntry&) const = default;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::string formatTimeStamp(const LocalTime& t);
// "2026-12-07T21:40:05Z": a UTC time as the change history and the seen
// entries store it.
std::string formatUtcStamp(const LocalTime& utc);

// "\\" for a backslash, "\t", "\n" and "\r" for the control characters.
std::string escapeLogField(std::string_view text);
// The inverse; an unknown or unfinished escape is kept as it stands.
std::string unescapeLogField(std::string_view field);

// One line without its line break: time, type, category, item type, source,
// content.
std::string encodeLogLine(const LogEntry& entry);
// Nothing for a line that does not hold exactly six fields.
std::optional<LogEntry> decodeLogLine(std::string_view line);

// Every readable record of a file, newest first (records are appended, so
// the last line is the newest). Damaged lines are skipped.
std::vector<LogEntry> readLogNewestFirst(std::string_view fileContent);

// The records of one or more log texts, newest first, decoded only when
// asked for: a long log is held once, as its text, plus one offset a
// record. Damaged lines are not counted.
class LogIndex {
 public:
  // `older` is the text of the older file, `newer` that of the current one.
  LogIndex(std::string older, std::string newer);
  std::size_t size() const { return lines_.size(); }
  // Record `i`, 0 being the newest.
  LogEntry entry(std::size_t i) const;

 private:
  struct Line {
    std::size_t begin, length;
  };
  void index(std::string_view text, std::size_t base);
  std::string text_;
  std::vector<Line> lines_;
};

// A text as one line of a list cell: line breaks and tabs become spaces.
std::string singleLine(std::string_view text);

}  // namespace velmora
