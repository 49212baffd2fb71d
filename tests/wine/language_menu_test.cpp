// The language Velmora speaks at start-up, against the real registry and
// the language files beside the program (the tests' folder holds them as
// the zip does). Run twice by ctest: as the prefix is (an English Windows),
// and as a German Windows (LANG=de_DE.UTF-8, which Wine takes for the
// display language; VELMORA_EXPECT_DISPLAY_LANGUAGE=de says so to the test).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "app/win32/language_menu.h"
#include "app/win32/user_settings_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(LanguageAtStart, FollowsWindowsDisplayLanguageUntilTheUserChooses) {
  const SettingsSetAside settings;  // no choice made yet, as on the first day
  const char* expect = std::getenv("VELMORA_EXPECT_DISPLAY_LANGUAGE");
  const std::string display = expect ? expect : "en";
  EXPECT_EQ(win32::displayLanguage().substr(0, 3), display + "-") << win32::displayLanguage();

  // This program's own file beside it (velmora.exe's is velmora.language).
  const ProgramFiles files = win32::programFiles();
  ASSERT_TRUE(CopyFileW(win32::widen(files.directory + "\\velmora.language").c_str(),
                        win32::widen(files.languageFile()).c_str(), FALSE));
  struct Remove {
    std::wstring path;
    ~Remove() { DeleteFileW(path.c_str()); }
  } beside{win32::widen(files.languageFile())};

  const std::vector<LanguageFile> present = win32::presentLanguages(files);
  ASSERT_EQ(present.size(), 2u);
  EXPECT_EQ(present[0].id, "en");
  EXPECT_EQ(present[1].id, "de");
  EXPECT_TRUE(endsWith(present[1].path, "\\languages\\german.language")) << present[1].path;

  // The first start: Windows' display language, when its file is present.
  EXPECT_EQ(win32::startupLanguageFile(files), display == "de" ? present[1].path : files.languageFile());
  // The user's choice wins over it, whichever it is; a choice whose file is
  // not there is no choice.
  ASSERT_TRUE(win32::writeText(L"Language", "en"));
  EXPECT_EQ(win32::startupLanguageFile(files), files.languageFile());
  ASSERT_TRUE(win32::writeText(L"Language", "de"));
  EXPECT_EQ(win32::startupLanguageFile(files), present[1].path);
  ASSERT_TRUE(win32::writeText(L"Language", "..\\..\\evil"));
  EXPECT_EQ(win32::startupLanguageFile(files), display == "de" ? present[1].path : files.languageFile());
}

}  // namespace
}  // namespace velmora::testing
