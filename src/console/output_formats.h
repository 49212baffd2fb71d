#pragma once
// The four formats velmorac writes, over one model of its output: a
// document of a few facts about the run (machine, user, when) and a list of
// records, each a fixed list of named fields. The field names are the
// stable identifiers scripts read, never translated; the same in every
// format (the header row of CSV and TSV, JSON's keys, XML's attributes).
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "family/entry.h"

namespace velmora {

enum class OutputFormat { Csv, Tsv, Json, Xml };

// "csv", "tsv", "json" or "xml", in any letter case.
std::optional<OutputFormat> outputFormatNamed(std::string_view name);

// A field's value: text, a boolean, nothing (JSON null; an empty cell in
// CSV and TSV; no attribute in XML), or reasons. Reasons are an array of
// {"key", "text"} objects in JSON; elsewhere two fields, the keys joined by
// ";" under the field's name and the texts joined by "; " under its name
// followed by "text".
using FieldValue = std::variant<std::string, bool, std::nullptr_t, std::vector<StatusReason>>;

struct OutputField {
  std::string name;
  FieldValue value;
};
using OutputRecord = std::vector<OutputField>;

struct OutputDocument {
  // JSON's top-level fields and the XML root's attributes, before the list
  // (CSV and TSV have no place for them).
  std::vector<OutputField> facts;
  // The list's name (JSON's field, XML's root) and one record's (XML's element).
  std::string listName;
  std::string recordName;
  // A record of every field with its kind, for the header of an empty list.
  OutputRecord schema;
  std::vector<OutputRecord> records;
};

// The document as text, UTF-8. CSV starts with a byte-order mark when
// `byteOrderMark` (a file a spreadsheet opens); records end in CRLF, and
// JSON has one record a line.
std::string renderDocument(const OutputDocument& document, OutputFormat format, bool byteOrderMark);

// A text for a console window: what could drive it (ESC and the other
// control characters but tab and line ends, DEL, the C1 controls) becomes
// U+FFFD, so no entry's name or command can. Files and pipes get the text
// as it is.
std::string terminalSafe(std::string_view text);

// The reason keys as scripts read them: the language key without its
// "_Status", its words in lower case parted by hyphens
// ("_StatusFileMissing" -> "file-missing").
std::string reasonToken(std::string_view key);

}  // namespace velmora
