#pragma once
// What the file information dialog shows, worked out apart from the dialog:
// the texts of sizes and times, the version keys, the rows and their order,
// and the addresses handed to the shell.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/language_table.h"
#include "lang/local_formats.h"

namespace velmora {

// A local date and time, as the system hands it back.
using DateTime = LocalTime;

// "0x%04X 0x%04X": the heading of one translation's group.
std::string languageCodeText(std::uint16_t language, std::uint16_t codePage);
// "\StringFileInfo\%04x%04x\<key>", lower-case hexadecimal.
std::string versionQueryPath(std::uint16_t language, std::uint16_t codePage, std::string_view key);

struct VersionKey {
  const char* name;         // as it is written in the version resource
  const char* languageKey;  // the row's name, translated
};
// The twelve texts asked of every translation, in the order they are asked.
extern const std::array<VersionKey, 12> kVersionKeys;

// One entry of a version resource's translation table with the texts found
// for it; a key the resource lacks is absent.
struct VersionGroup {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
  std::map<std::string, std::string> texts;
};

struct FileStamps {
  DateTime created;
  DateTime lastAccess;
  DateTime lastWrite;
  std::uint64_t size = 0;
};

// Everything learnt about one file when the dialog opens.
struct FileFacts {
  bool exists = false;
  std::vector<VersionGroup> groups;   // in the order of the translation table
  std::optional<FileStamps> stamps;   // none when the attributes could not be read
};

struct InfoRow {
  std::string name;
  std::string value;
  bool operator==(const InfoRow&) const = default;
};

// The list's rows: each version group (ordered by its code text) headed by a
// _LanguageCode row that names its language (the code text when the system
// has no name; the code text too when two groups share a name), then the
// file rows; rows within a group and the file rows are ordered by their
// translated names, byte by byte. Times and sizes are in `formats`. A
// missing file gives the single not-exist row.
std::vector<InfoRow> buildFileInfoRows(const FileFacts& facts, const Translator& translator,
                                       const LocalFormats& formats = fixedFormats());

// The term searched for: the search text when given, else the file name
// (the text after the last backslash or colon).
std::string searchTerm(std::string_view path, std::string_view searchText);
// UTF-8 bytes percent-encoded for a query value: only the unreserved
// characters of an address stay as they are.
std::string percentEncode(std::string_view text);
// The web search for a term.
std::string searchAddress(std::string_view term);
// Explorer's parameters that select the file. Quoted, so a comma or blank in
// the path does not end it.
std::string explorerSelectParameters(std::string_view path);

// The search service every search goes to.
inline constexpr std::string_view kSearchServiceBase = "https://www.google.com";

}  // namespace velmora
