#include "lang/language_choice.h"

#include "core/text.h"

namespace velmora {

namespace {

// "de-DE" -> "de": the language, not the region.
std::string_view languagePart(std::string_view locale) { return locale.substr(0, locale.find_first_of("-_")); }

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string stemOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

LanguageFile describeLanguageFile(const std::string& path, std::string_view text) {
  LanguageFile file{path, {}, {}};
  if (auto id = profileLookup(text, "String", "_LanguageId"); id && !id->empty()) file.id = lowered(*id);
  if (auto name = profileLookup(text, "String", "_LanguageName"); name && !name->empty()) file.name = *name;
  if (file.id.empty()) file.id = lowered(stemOf(path));
  if (file.name.empty()) file.name = stemOf(path);
  return file;
}

std::vector<LanguageFile> offeredLanguages(const std::vector<LanguageFile>& present) {
  std::vector<LanguageFile> out;
  for (const LanguageFile& f : present) {
    bool known = false;
    for (const LanguageFile& o : out) known = known || equalsIgnoreCase(o.id, f.id);
    if (!known) out.push_back(f);
  }
  return out;
}

const LanguageFile& chosenLanguage(const std::vector<LanguageFile>& offered, const std::optional<std::string>& stored,
                                   std::string_view displayLanguage) {
  for (const std::optional<std::string_view> wanted :
       {stored ? std::optional<std::string_view>(*stored) : std::nullopt,
        std::optional<std::string_view>(languagePart(displayLanguage))}) {
    if (!wanted || wanted->empty()) continue;
    for (const LanguageFile& f : offered) {
      if (equalsIgnoreCase(f.id, *wanted)) return f;
    }
  }
  return offered.front();
}

}  // namespace velmora
