#include "dialogs/file_info_format.h"

#include "core/format.h"
#include "core/paths.h"

namespace velmora {

std::string languageCodeText(std::uint16_t language, std::uint16_t codePage) {
  return printed("0x%04X 0x%04X", static_cast<unsigned>(language), static_cast<unsigned>(codePage));
}

std::string versionQueryPath(std::uint16_t language, std::uint16_t codePage, std::string_view key) {
  return printed("\\StringFileInfo\\%04x%04x\\", static_cast<unsigned>(language), static_cast<unsigned>(codePage)) +
         std::string(key);
}

const std::array<VersionKey, 12> kVersionKeys = {{
    {"Comments", "_Comments"},
    {"InternalName", "_InternalName"},
    {"ProductName", "_ProductName"},
    {"CompanyName", "_CompanyName"},
    {"LegalCopyright", "_LegalCopyright"},
    {"ProductVersion", "_ProductVersion"},
    {"FileDescription", "_FileDescription"},
    {"LegalTrademarks", "_LegalTrademarks"},
    {"PrivateBuild", "_PrivateBuild"},
    {"FileVersion", "_FileVersion"},
    {"OriginalFilename", "_OriginalFilename"},
    {"SpecialBuild", "_SpecialBuild"},
}};

std::vector<InfoRow> buildFileInfoRows(const FileFacts& facts, const Translator& translator,
                                       const LocalFormats& formats) {
  std::vector<InfoRow> rows;
  if (!facts.exists) {
    rows.push_back({"", translator.translate("_FileIsNotExistInfo")});
    return rows;
  }

  // Keyed by display texts, so the order follows the translation in use.
  // Two table entries with the same code share a group; the later one's
  // texts win, as they would when written into one map.
  std::map<std::string, std::map<std::string, std::string>> groups;
  std::map<std::string, std::string> languageNames;  // by code text
  std::map<std::string, int> nameUses;
  for (const VersionGroup& g : facts.groups) {
    const std::string code = languageCodeText(g.language, g.codePage);
    if (!languageNames.contains(code)) {
      const std::string name = formats.languageName(g.language);
      languageNames[code] = name;
      if (!name.empty()) ++nameUses[name];
    }
    auto& named = groups[code];
    for (const VersionKey& key : kVersionKeys) {
      const auto found = g.texts.find(key.name);
      named[translator.translate(key.languageKey)] = found != g.texts.end() ? found->second : std::string();
    }
  }
  std::map<std::string, std::string> fileRows;
  if (facts.stamps) {
    fileRows[translator.translate("_CreationTime")] = formats.dateTime(facts.stamps->created);
    fileRows[translator.translate("_LastAccessTime")] = formats.dateTime(facts.stamps->lastAccess);
    fileRows[translator.translate("_LastWriteTime")] = formats.dateTime(facts.stamps->lastWrite);
    const std::uint64_t size = facts.stamps->size;
    fileRows[translator.translate("_FileSize")] =
        safeFormat(translator.translate("_FileSizeBytes"), {formats.shortSize(size), formats.number(size)});
  }

  const std::string codeName = translator.translate("_LanguageCode");
  for (const auto& [code, named] : groups) {
    const std::string& name = languageNames[code];
    if (name.empty()) {
      rows.push_back({codeName, code});
    } else {
      rows.push_back({codeName, nameUses[name] > 1 ? name + " (" + code + ")" : name});
    }
    for (const auto& [name, value] : named) rows.push_back({name, value});
  }
  for (const auto& [name, value] : fileRows) rows.push_back({name, value});
  return rows;
}

std::string searchTerm(std::string_view path, std::string_view searchText) {
  if (!searchText.empty()) return std::string(searchText);
  return fileNamePart(path);
}

std::string percentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '_' || c == '.' || c == '~';
    if (unreserved) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

std::string searchAddress(std::string_view term) {
  return std::string(kSearchServiceBase) + "/search?q=" + percentEncode(term);
}

std::string explorerSelectParameters(std::string_view path) {
  // A Windows path cannot hold a quotation mark; one that slipped through
  // from a command line would end the quoted part early, so it goes.
  std::string quoted;
  for (const char c : path)
    if (c != '"') quoted.push_back(c);
  return "/select,\"" + quoted + "\"";
}

}  // namespace velmora
