#include "core/log_file.h"

#include <cstdio>

namespace velmora {

std::string logFilePath(std::string_view dataFolder) {
  std::string path(dataFolder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + kLogFileName;
}

std::string formatTimeStamp(const LocalTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

std::string formatUtcStamp(const LocalTime& utc) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year, utc.month, utc.day, utc.hour,
                utc.minute, utc.second);
  return buf;
}

std::string escapeLogField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string unescapeLogField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c != '\\' || i + 1 == field.size()) {
      out.push_back(c);
      continue;
    }
    switch (field[i + 1]) {
      case '\\': out.push_back('\\'); break;
      case 't': out.push_back('\t'); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      default:
        // Not ours: keep both characters.
        out.push_back('\\');
        out.push_back(field[i + 1]);
    }
    ++i;
  }
  return out;
}

std::string encodeLogLine(const LogEntry& e) {
  const LogRecord& r = e.record;
  std::string line = escapeLogField(e.time);
  for (const std::string* f : {&r.type, &r.category, &r.itemType, &r.source, &r.content}) {
    line.push_back('\t');
    line += escapeLogField(*f);
  }
  return line;
}

std::optional<LogEntry> decodeLogLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(unescapeLogField(line.substr(start, tab == std::string_view::npos ? tab : tab - start)));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields.size() != 6) return std::nullopt;
  LogEntry e;
  e.time = std::move(fields[0]);
  e.record = LogRecord{std::move(fields[1]), std::move(fields[2]), std::move(fields[3]), std::move(fields[4]),
                       std::move(fields[5])};
  return e;
}

std::vector<LogEntry> readLogNewestFirst(std::string_view content) {
  const LogIndex index({}, std::string(content));
  std::vector<LogEntry> out;
  out.reserve(index.size());
  for (std::size_t i = 0; i < index.size(); ++i) out.push_back(index.entry(i));
  return out;
}

std::string olderLogFilePath(std::string_view logFile) {
  const std::size_t slash = logFile.find_last_of('\\');
  const std::string_view folder = slash == std::string_view::npos ? std::string_view() : logFile.substr(0, slash + 1);
  return std::string(folder) + kOlderLogFileName;
}

bool logNeedsRollOver(unsigned long long size, unsigned long long adding) {
  // A record longer than the limit still goes into a file of its own.
  return size > 0 && size + adding > kLogRollOverBytes;
}

LogIndex::LogIndex(std::string older, std::string newer) {
  // One text: the older file, a line break, the current one.
  const std::size_t olderSize = older.size();
  text_ = std::move(older);
  text_ += '\n';
  text_ += newer;
  newer.clear();
  newer.shrink_to_fit();
  const std::string_view all(text_);
  // Newest first: the current file's lines from its end, then the older's.
  index(all.substr(olderSize + 1), olderSize + 1);
  index(all.substr(0, olderSize), 0);
}

void LogIndex::index(std::string_view content, std::size_t base) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") {  // saved by an editor
    content.remove_prefix(3);
    base += 3;
  }
  std::size_t end = content.size();
  while (end > 0) {
    const std::size_t nl = content.rfind('\n', end - 1);
    const std::size_t begin = nl == std::string_view::npos ? 0 : nl + 1;
    const std::string_view line = content.substr(begin, end - begin);
    if (!line.empty() && line != "\r" && decodeLogLine(line)) lines_.push_back(Line{base + begin, line.size()});
    if (nl == std::string_view::npos) break;
    end = nl;
  }
}

LogEntry LogIndex::entry(std::size_t i) const {
  const Line& l = lines_.at(i);
  return decodeLogLine(std::string_view(text_).substr(l.begin, l.length)).value_or(LogEntry{});
}

std::string singleLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return out;
}

}  // namespace velmora
