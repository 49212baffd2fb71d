#include "core/csv.h"

namespace velmora {

CsvWriter::CsvWriter() : text_("\xEF\xBB\xBF") {}

void CsvWriter::record(const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text_ += ',';
    text_ += csvField(fields[i]);
  }
  text_ += "\r\n";
  ++records_;
}

std::string csvField(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace velmora
