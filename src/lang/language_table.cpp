#include "lang/language_table.h"

#include "core/text.h"

namespace velmora {

std::string unescape(std::string_view text) {
  return replaceAll(replaceAll(text, "\\r", "\r"), "\\n", "\n");
}

LanguageTable::LanguageTable(FileReader reader, LegacyDecoder legacy)
    : reader_(std::move(reader)), legacy_(std::move(legacy)) {}

std::string LanguageTable::translate(std::string_view key, Escapes escapes) const {
  if (path_.empty() || !reader_) return std::string(key);
  if (!held_) {
    const std::optional<std::string> bytes = reader_(path_);
    if (!bytes) return std::string(key);
    if (lastText_.empty() || *bytes != lastBytes_) {
      lastText_ = decodeProfileText(*bytes, legacy_);
      lastBytes_ = *bytes;
    }
    held_ = holds_ > 0;
  }
  std::optional<std::string> text = profileLookup(lastText_, "String", key);
  if (!text || text->empty()) return std::string(key);
  std::u16string wide = utf8ToUtf16(*text);
  if (wide.size() > kMaxTranslationUnits) {
    std::size_t cut = kMaxTranslationUnits;
    if (wide[cut - 1] >= 0xD800 && wide[cut - 1] <= 0xDBFF) --cut;  // keep pairs whole
    wide.resize(cut);
    *text = utf16ToUtf8(wide);
  }
  return escapes == Escapes::Convert ? unescape(*text) : *text;
}

}  // namespace velmora
