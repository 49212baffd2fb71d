#pragma once
// A CSV text as RFC 4180 has it, in UTF-8 with a byte-order mark so that
// spreadsheet programs read the encoding right: fields with a comma, a
// double quote or a line break are quoted, quotes inside are doubled, and
// records end in CRLF. The same rules with a tab as the separator make the
// tab-separated text velmorac writes, which spreadsheets read alike.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Records for spreadsheet programs: a field a spreadsheet would take for a
// formula (its first character one of = + - @, a tab or a carriage return)
// is written as text, with an apostrophe before it.
class CsvWriter {
 public:
  CsvWriter();
  void record(const std::vector<std::string>& fields);
  const std::string& text() const { return text_; }
  // Records written, the header included.
  std::size_t records() const { return records_; }

 private:
  std::string text_;
  std::size_t records_ = 0;
};

// `field` as a spreadsheet shows it as text (see CsvWriter).
std::string spreadsheetText(std::string_view field);
// One field as it stands in a record.
std::string csvField(std::string_view field);
// The same with another separator: quoted when it holds the separator, a
// double quote or a line break.
std::string delimitedField(std::string_view field, char separator);

// The records of such a text (a byte-order mark skipped, CRLF or LF line
// ends, a last line with or without its end), each a list of fields.
// Nothing when a quoted field is not closed, or a closing quote is followed
// by anything but the separator or the line's end: the text was cut or is
// no such text.
std::optional<std::vector<std::vector<std::string>>> readDelimited(std::string_view text, char separator);

}  // namespace velmora
