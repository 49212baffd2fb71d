#include "console/output_formats.h"

#include "console/json.h"
#include "core/csv.h"
#include "core/text.h"
#include "core/xml_text.h"

namespace velmora {

namespace {

constexpr std::string_view kTextSuffix = "text";

std::string joined(const std::vector<StatusReason>& reasons, bool keys) {
  std::string out;
  for (const StatusReason& r : reasons) {
    if (!out.empty()) out += keys ? ";" : "; ";
    out += keys ? reasonToken(r.key) : r.text;
  }
  return out;
}

// A record as flat fields of text: reasons in two, nothing left out.
std::vector<std::pair<std::string, std::optional<std::string>>> flat(const OutputRecord& record) {
  std::vector<std::pair<std::string, std::optional<std::string>>> out;
  for (const OutputField& f : record) {
    if (const auto* text = std::get_if<std::string>(&f.value)) {
      out.emplace_back(f.name, *text);
    } else if (const auto* flag = std::get_if<bool>(&f.value)) {
      out.emplace_back(f.name, *flag ? "true" : "false");
    } else if (const auto* reasons = std::get_if<std::vector<StatusReason>>(&f.value)) {
      out.emplace_back(f.name, joined(*reasons, true));
      out.emplace_back(f.name + std::string(kTextSuffix), joined(*reasons, false));
    } else {
      out.emplace_back(f.name, std::nullopt);
    }
  }
  return out;
}

void appendDelimitedLine(std::string& out, const std::vector<std::string>& fields, char separator) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += separator;
    out += delimitedField(fields[i], separator);
  }
  out += "\r\n";
}

std::string delimited(const OutputDocument& d, char separator, bool byteOrderMark) {
  std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
  std::vector<std::string> header;
  for (const auto& [name, value] : flat(d.schema)) header.push_back(name);
  appendDelimitedLine(out, header, separator);
  for (const OutputRecord& r : d.records) {
    std::vector<std::string> fields;
    for (const auto& [name, value] : flat(r)) fields.push_back(value.value_or(std::string()));
    appendDelimitedLine(out, fields, separator);
  }
  return out;
}

void appendJsonField(std::string& out, const OutputField& f) {
  appendJsonString(out, f.name);
  out += ':';
  if (const auto* text = std::get_if<std::string>(&f.value)) {
    appendJsonString(out, *text);
  } else if (const auto* flag = std::get_if<bool>(&f.value)) {
    out += *flag ? "true" : "false";
  } else if (const auto* reasons = std::get_if<std::vector<StatusReason>>(&f.value)) {
    out += '[';
    for (std::size_t i = 0; i < reasons->size(); ++i) {
      if (i > 0) out += ',';
      out += "{\"key\":";
      appendJsonString(out, reasonToken((*reasons)[i].key));
      out += ",\"text\":";
      appendJsonString(out, (*reasons)[i].text);
      out += '}';
    }
    out += ']';
  } else {
    out += "null";
  }
}

std::string json(const OutputDocument& d) {
  std::string out = "{";
  for (const OutputField& f : d.facts) {
    appendJsonField(out, f);
    out += ',';
  }
  appendJsonString(out, d.listName);
  out += ":[";
  for (std::size_t i = 0; i < d.records.size(); ++i) {
    out += i == 0 ? "\r\n{" : ",\r\n{";
    for (std::size_t k = 0; k < d.records[i].size(); ++k) {
      if (k > 0) out += ',';
      appendJsonField(out, d.records[i][k]);
    }
    out += '}';
  }
  out += d.records.empty() ? "]}\r\n" : "\r\n]}\r\n";
  return out;
}

// A value XML cannot hold goes in hexadecimal under the field's name
// followed by "-hex", as in the program's own files.
XmlFields xmlFields(const std::vector<OutputField>& fields) {
  XmlFields out;
  for (auto& [name, value] : flat(fields)) {
    if (value) out.emplace_back(name, std::move(*value));
  }
  return storableFields(std::move(out));
}

std::string xml(const OutputDocument& d) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  std::string root;
  appendXmlElement(root, d.listName, xmlFields(d.facts));
  // "<name .../>\r\n" opened instead of closed.
  root.resize(root.size() - 4);
  out += root + ">\r\n";
  for (const OutputRecord& r : d.records) appendXmlElement(out, d.recordName, xmlFields(r));
  out += "</" + d.listName + ">\r\n";
  return out;
}

}  // namespace

std::optional<OutputFormat> outputFormatNamed(std::string_view name) {
  const std::string n = asciiUpper(name);
  if (n == "CSV") return OutputFormat::Csv;
  if (n == "TSV") return OutputFormat::Tsv;
  if (n == "JSON") return OutputFormat::Json;
  if (n == "XML") return OutputFormat::Xml;
  return std::nullopt;
}

std::string renderDocument(const OutputDocument& document, OutputFormat format, bool byteOrderMark) {
  switch (format) {
    case OutputFormat::Csv: return delimited(document, ',', byteOrderMark);
    case OutputFormat::Tsv: return delimited(document, '\t', false);
    case OutputFormat::Json: return json(document);
    case OutputFormat::Xml: return xml(document);
  }
  return {};
}

std::string terminalSafe(std::string_view text) {
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) {
      out += kReplacement;
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      out += kReplacement;  // U+0080 to U+009F
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string reasonToken(std::string_view key) {
  constexpr std::string_view kPrefix = "_Status";
  if (key.substr(0, kPrefix.size()) == kPrefix) key.remove_prefix(kPrefix.size());
  while (!key.empty() && key.front() == '_') key.remove_prefix(1);
  std::string out;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const char c = key[i];
    if (c >= 'A' && c <= 'Z') {
      // A capital begins a word, unless it continues a run of capitals
      // ("OffInUI" -> "off-in-ui").
      const bool afterCapital = i > 0 && key[i - 1] >= 'A' && key[i - 1] <= 'Z';
      const bool beforeSmall = i + 1 < key.size() && key[i + 1] >= 'a' && key[i + 1] <= 'z';
      if (!out.empty() && (!afterCapital || beforeSmall)) out += '-';
      out += static_cast<char>(c - 'A' + 'a');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace velmora
