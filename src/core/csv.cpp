#include "core/csv.h"

namespace velmora {

CsvWriter::CsvWriter() : text_("\xEF\xBB\xBF") {}

std::string spreadsheetText(std::string_view field) {
  // Any program may name a Run value "=HYPERLINK(...)": a spreadsheet would
  // take it for a formula. An apostrophe first makes it text there.
  if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos) {
    return "'" + std::string(field);
  }
  return std::string(field);
}

void CsvWriter::record(const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text_ += ',';
    text_ += csvField(spreadsheetText(fields[i]));
  }
  text_ += "\r\n";
  ++records_;
}

std::string csvField(std::string_view field) { return delimitedField(field, ','); }

std::string delimitedField(std::string_view field, char separator) {
  const char special[] = {separator, '"', '\r', '\n', '\0'};
  if (field.find_first_of(special) == std::string_view::npos) return std::string(field);
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::optional<std::vector<std::vector<std::string>>> readDelimited(std::string_view text, char separator) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  std::size_t i = 0;
  const auto endRecord = [&] {
    record.push_back(std::move(field));
    field.clear();
    records.push_back(std::move(record));
    record.clear();
  };
  while (i < text.size()) {
    if (text[i] == '"' && field.empty()) {
      // A quoted field runs to the quote not followed by another.
      for (++i;; ++i) {
        if (i >= text.size()) return std::nullopt;
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        field += text[i];
      }
      if (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n') return std::nullopt;
      continue;
    }
    const char c = text[i++];
    if (c == separator) {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
      endRecord();
    } else {
      field += c;
    }
  }
  if (!field.empty() || !record.empty()) endRecord();
  return records;
}

}  // namespace velmora
