#include "console/baseline.h"

#include <map>
#include <string>

#include "console/json.h"
#include "core/csv.h"

namespace velmora {

namespace {

using Fields = std::map<std::string, std::string, std::less<>>;

std::optional<ListedEntry> entryFrom(const Fields& fields) {
  const auto field = [&fields](std::string_view name) -> const std::string* {
    const auto it = fields.find(name);
    return it == fields.end() ? nullptr : &it->second;
  };
  for (const char* name : {"id", "family", "place", "name", "command", "enabled"}) {
    if (!field(name)) return std::nullopt;
  }
  ListedEntry e;
  e.id = *field("id");
  e.family = *field("family");
  e.place = *field("place");
  e.name = *field("name");
  e.command = *field("command");
  const std::string& enabled = *field("enabled");
  if (enabled != "true" && enabled != "false") return std::nullopt;
  e.enabled = enabled == "true";
  if (e.id.empty()) return std::nullopt;
  for (const auto& [name, target] :
       {std::pair{"type", &e.type}, std::pair{"publisher", &e.publisher}, std::pair{"signer", &e.signer},
        std::pair{"signature", &e.signature}, std::pair{"program", &e.program}}) {
    if (const std::string* value = field(name)) *target = *value;
  }
  return e;
}

std::optional<std::vector<ListedEntry>> fromRecords(const std::vector<Fields>& records) {
  std::vector<ListedEntry> entries;
  for (const Fields& r : records) {
    std::optional<ListedEntry> e = entryFrom(r);
    if (!e) return std::nullopt;
    entries.push_back(std::move(*e));
  }
  return entries;
}

std::optional<std::vector<ListedEntry>> fromDelimited(std::string_view text, char separator) {
  const auto rows = readDelimited(text, separator);
  if (!rows || rows->empty()) return std::nullopt;
  const std::vector<std::string>& header = rows->front();
  std::vector<Fields> records;
  for (std::size_t i = 1; i < rows->size(); ++i) {
    const std::vector<std::string>& row = (*rows)[i];
    if (row.size() == 1 && row.front().empty()) continue;  // an empty line
    if (row.size() != header.size()) return std::nullopt;
    Fields fields;
    for (std::size_t k = 0; k < row.size(); ++k) fields.emplace(header[k], row[k]);
    records.push_back(std::move(fields));
  }
  return fromRecords(records);
}

std::optional<std::vector<ListedEntry>> fromJson(std::string_view text) {
  const std::optional<JsonValue> document = parseJson(text);
  if (!document) return std::nullopt;
  const JsonValue* list = document->member("entries");
  if (!list || list->kind != JsonValue::Kind::Array) return std::nullopt;
  std::vector<Fields> records;
  for (const JsonValue& item : list->items) {
    if (item.kind != JsonValue::Kind::Object) return std::nullopt;
    Fields fields;
    for (const auto& [name, value] : item.members) {
      switch (value.kind) {
        case JsonValue::Kind::String:
        case JsonValue::Kind::Number: fields.emplace(name, value.text); break;
        case JsonValue::Kind::Boolean: fields.emplace(name, value.boolean ? "true" : "false"); break;
        default: break;  // null and the status's array: nothing compared
      }
    }
    records.push_back(std::move(fields));
  }
  return fromRecords(records);
}

}  // namespace

std::optional<std::vector<ListedEntry>> readBaseline(std::string_view text, const XmlListingReader& xml) {
  std::string_view start = text;
  if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::nullopt;
  if (start[first] == '{') return fromJson(text);
  if (start[first] == '<') {
    const auto elements = xml ? xml() : std::nullopt;
    if (!elements) return std::nullopt;
    std::vector<Fields> records;
    for (const XmlFields& element : *elements) {
      const std::optional<XmlFields> readable = readableFields(element);
      if (!readable) return std::nullopt;
      records.emplace_back(readable->begin(), readable->end());
    }
    return fromRecords(records);
  }
  const std::string_view header = start.substr(0, start.find_first_of("\r\n"));
  return fromDelimited(text, header.find('\t') != std::string_view::npos ? '\t' : ',');
}

}  // namespace velmora
