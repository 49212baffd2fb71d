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

struct LogEntry {
  std::string time;  // "YYYY-MM-DD HH:MM:SS", local time
  LogRecord record;
  bool operator==(const LogEntry&) const = default;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::string formatTimeStamp(const LocalTime& t);

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

// A text as one line of a list cell: line breaks and tabs become spaces.
std::string singleLine(std::string_view text);

}  // namespace velmora
