// Which language Velmora speaks: the user's own choice, else Windows'
// display language when its file is present, else the file beside the
// program; only files present are ever chosen.
#include <gtest/gtest.h>

#include "lang/language_choice.h"

namespace velmora::testing {
namespace {

const LanguageFile kBeside{"C:\\V\\velmora.language", "en", "&English"};
const LanguageFile kGerman{"C:\\V\\languages\\german.language", "de", "&Deutsch"};
const LanguageFile kEnglishCopy{"C:\\V\\languages\\english.language", "en", "&English"};
const LanguageFile kFrench{"C:\\V\\languages\\french.language", "fr", "&Fran\xC3\xA7" "ais"};

TEST(LanguageChoice, TheUsersChoiceThenWindowsDisplayLanguageThenTheFileBesideTheProgram) {
  const std::vector<LanguageFile> offered = offeredLanguages({kBeside, kEnglishCopy, kFrench, kGerman});
  ASSERT_EQ(offered, (std::vector<LanguageFile>{kBeside, kFrench, kGerman})) << "each language once, the first file";
  struct Case {
    const char* what;
    std::optional<std::string> stored;
    const char* display;
    const LanguageFile& chosen;
  };
  const Case cases[] = {
      {"a German Windows at the first start", std::nullopt, "de-DE", kGerman},
      {"an Austrian one", std::nullopt, "de-AT", kGerman},
      {"a Windows in a language with no file", std::nullopt, "ja-JP", kBeside},
      {"no display language known", std::nullopt, "", kBeside},
      {"the user chose English on a German Windows", "en", "de-DE", kBeside},
      {"the user chose French", "FR", "en-US", kFrench},
      {"a choice whose file went", "it", "de-DE", kGerman},
      {"an empty choice", "", "de-CH", kGerman},
      {"a choice that is a path", "C:\\evil\\x.language", "en-GB", kBeside},
  };
  for (const Case& c : cases) EXPECT_EQ(chosenLanguage(offered, c.stored, c.display), c.chosen) << c.what;
}

TEST(LanguageChoice, AFileSaysWhatItIsOrIsNamedByItsFile) {
  EXPECT_EQ(describeLanguageFile("C:\\V\\languages\\german.language",
                                 "; comment\n[String]\n_LanguageId=DE\n_LanguageName=&Deutsch\n"),
            (LanguageFile{"C:\\V\\languages\\german.language", "de", "&Deutsch"}));
  EXPECT_EQ(describeLanguageFile("C:\\V\\languages\\Klingon.language", "[String]\n_Remove=Qaw'\n"),
            (LanguageFile{"C:\\V\\languages\\Klingon.language", "klingon", "Klingon"}));
}

}  // namespace
}  // namespace velmora::testing
