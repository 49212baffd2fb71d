#include <gtest/gtest.h>

#include "core/format.h"
#include "core/paths.h"
#include "core/text.h"

namespace velmora {
namespace {

TEST(Utf, RoundTripsEveryPlaneAndReplacesBrokenBytes) {
  const std::string s = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x9A\x80";
  EXPECT_EQ(utf8ToUtf16(s), std::u16string(u"a\u00E9\u65E5\U0001F680"));
  EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(s)), s);
  EXPECT_TRUE(isValidUtf8(s));
  EXPECT_FALSE(isValidUtf8("\xE9t\xE9"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF")) << "overlong";
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")) << "surrogate";
  EXPECT_EQ(utf8ToUtf16("\xFF"), std::u16string(u"\uFFFD"));
}

TEST(EqualsIgnoreCase, FoldsLatinGreekAndCyrillic) {
  EXPECT_TRUE(equalsIgnoreCase("HKEY_Current_User\\Run", "hkey_current_user\\RUN"));
  EXPECT_TRUE(equalsIgnoreCase("C:\\Users\\\xC5\x81ukasz", "c:\\users\\\xC5\x82UKASZ"));   // Łukasz / łUKASZ
  EXPECT_TRUE(equalsIgnoreCase("\xCE\xA3\xCE\x9F\xCE\xA6", "\xCF\x83\xCE\xBF\xCF\x86"));   // ΣΟΦ / σοφ
  EXPECT_TRUE(equalsIgnoreCase("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x81", "\xD0\xBF\xD1\x80\xD0\xB8\xD1\x91"));  // ПРИЁ / приё
  EXPECT_FALSE(equalsIgnoreCase("a.exe", "a.ex"));
  EXPECT_FALSE(equalsIgnoreCase("strasse", "stra\xC3\x9F" "e")) << "no multi-letter folds";
  EXPECT_FALSE(equalsIgnoreCase("i", "\xC4\xB0")) << "ordinal: no Turkish dotted I";
}

// The folded key agrees with the comparison for every pair: ASCII, letters
// beyond it, letters without a simple upper case, broken bytes.
TEST(FoldedIgnoreCase, EqualKeysExactlyForTextsEqualIgnoringCase) {
  const std::vector<std::string> texts = {"Spotify", "SPOTIFY", "spotifY ", "\xC5\x81ukasz", "\xC5\x82UKASZ",
                                          "\xCE\xA3\xCE\xB9", "\xCF\x83\xCE\x99", "stra\xC3\x9F" "e", "STRASSE",
                                          "\xFF" "a", "\xFE" "A", "", "C:\\Program Files\\a.exe"};
  for (const auto& a : texts) {
    for (const auto& b : texts) {
      EXPECT_EQ(foldedIgnoreCase(a) == foldedIgnoreCase(b), equalsIgnoreCase(a, b)) << a << " / " << b;
    }
  }
}

TEST(SafeFormat, HonoursOnlyPercentSAndPercentPercent) {
  EXPECT_EQ(safeFormat("Delete %s?", {"C:\\a.exe"}), "Delete C:\\a.exe?");
  EXPECT_EQ(safeFormat("%s and %s", {"one"}), "one and ") << "missing values are empty";
  EXPECT_EQ(safeFormat("only %s", {"a", "b", "c"}), "only a") << "extra values are ignored";
  EXPECT_EQ(safeFormat("100%% %s", {"done"}), "100% done");
  EXPECT_EQ(safeFormat("%n%x%d%999999s%", {"v"}), "%n%x%d%999999s%") << "hostile formats print literally";
  EXPECT_EQ(safeFormat("%s", {"%s%n"}), "%s%n") << "values are never formats";
}

TEST(Paths, DirectoryPartCutsAtTheLastBackslashOrColon) {
  EXPECT_EQ(directoryPart("C:\\Tools\\app.exe"), "C:\\Tools");
  EXPECT_EQ(directoryPart("C:\\app.exe"), "C:");
  EXPECT_EQ(directoryPart("C:app.exe"), "C:");
  EXPECT_EQ(directoryPart("C:\\Startup\\"), "C:\\Startup");
  EXPECT_EQ(directoryPart("app.exe"), "app.exe:");
}

TEST(Paths, ProgramFilesAreNamedFromTheProgramsBaseName) {
  const ProgramFiles f = programFilesFor("C:\\Program Files\\Velmora\\my.tool.exe");
  EXPECT_EQ(f.languageFile(), "C:\\Program Files\\Velmora\\my.tool.language");
  EXPECT_EQ(f.skinFile(), "C:\\Program Files\\Velmora\\my.tool.smf");
  EXPECT_EQ(f.configFile(), "C:\\Program Files\\Velmora\\config.xml");
  EXPECT_EQ(f.logDataFolder(), "C:\\Program Files\\Velmora\\Log\\Data");
  EXPECT_EQ(programFilesFor("D:\\app").baseName, "app");
  EXPECT_EQ(programFilesFor("\\\\server\\share\\Velmora\\velmora.exe").configFile(),
            "\\\\server\\share\\Velmora\\config.xml")
      << "a program on a network share keeps its folder";
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(ContainsIgnoreCase, FindsAnyPartFoldingCaseBeyondAscii) {
  EXPECT_TRUE(containsIgnoreCase("C:\\Program Files\\Spotify\\spotify.exe", "SPOTIFY.EXE"));
  EXPECT_TRUE(containsIgnoreCase("\xC5\x81ukasz", "\xC5\x82UK")) << "Ł and ł";
  EXPECT_TRUE(containsIgnoreCase("\xCE\xA3\xCE\xB9\xCF\x83", "\xCE\x99\xCE\xA3")) << "Greek";
  EXPECT_TRUE(containsIgnoreCase("anything", ""));
  EXPECT_FALSE(containsIgnoreCase("", "a"));
  EXPECT_FALSE(containsIgnoreCase("Teams", "teamz"));
}

TEST(WithoutMnemonic, DropsSingleAmpersandsAndKeepsDoubledOnes) {
  EXPECT_EQ(withoutMnemonic("&Properties"), "Properties");
  EXPECT_EQ(withoutMnemonic("Ei&genschaften"), "Eigenschaften");
  EXPECT_EQ(withoutMnemonic("Tom && &Jerry"), "Tom & Jerry");
  EXPECT_EQ(withoutMnemonic("Plain"), "Plain");
  EXPECT_EQ(withoutMnemonic("trailing&"), "trailing");
}

}  // namespace
}  // namespace velmora
