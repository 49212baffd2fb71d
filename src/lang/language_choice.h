#pragma once
// Which language file Velmora speaks: the user's own choice (View ›
// Language, kept per user), else the one of Windows' display language when
// its file is present (German on a German Windows), else the file beside
// the program (velmora.language, the language the copy was set up with).
// Only files present beside the program are ever chosen: a stored choice
// names a language, never a path.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/profile.h"

namespace velmora {

// A language file present beside the program, as its own keys say:
// _LanguageId (the language's ISO 639-1 code, "en", "de") and
// _LanguageName (the language's name in itself, "Deutsch", with a
// mnemonic). A file without an id counts by its file name's stem.
struct LanguageFile {
  std::string path;
  std::string id;
  std::string name;
  bool operator==(const LanguageFile&) const = default;
};

// What a file's text says of its language; `path` is where it lies.
LanguageFile describeLanguageFile(const std::string& path, std::string_view text);

// Each language once, in the order given (the file beside the program
// first, then languages\ in name order); of two files of one language the
// first counts. Ids compare without regard to case.
std::vector<LanguageFile> offeredLanguages(const std::vector<LanguageFile>& present);

// The file to speak from `offered` (at least one; the first is the
// fallback): the language `stored` names when one of the files is it, else
// the one of `displayLanguage` (Windows' display language as a locale name,
// "de-DE": its language part counts), else the first.
const LanguageFile& chosenLanguage(const std::vector<LanguageFile>& offered, const std::optional<std::string>& stored,
                                   std::string_view displayLanguage);

}  // namespace velmora
