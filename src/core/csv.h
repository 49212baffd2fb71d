#pragma once
// A CSV text as RFC 4180 has it, in UTF-8 with a byte-order mark so that
// spreadsheet programs read the encoding right: fields with a comma, a
// double quote or a line break are quoted, quotes inside are doubled, and
// records end in CRLF.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

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

// One field as it stands in a record.
std::string csvField(std::string_view field);

}  // namespace velmora
