#include <gtest/gtest.h>

#include <map>

#include "lang/language_table.h"

namespace velmora {
namespace {

// Files by name, so the table reads the same bytes a real file would hold.
struct Files {
  std::map<std::string, std::string> content;
  LanguageTable table{[this](const std::string& p) -> std::optional<std::string> {
                        auto it = content.find(p);
                        if (it == content.end()) return std::nullopt;
                        return it->second;
                      },
                      decodeWindows1252};
  void set(const std::string& bytes) {
    content["x.language"] = bytes;
    table.setFile("x.language");
  }
};

std::string utf16le(const std::u16string& s) {
  std::string out = "\xFF\xFE";
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

TEST(LanguageTable, MissingFileKeyOrEmptyTextGivesTheKey) {
  Files f;
  EXPECT_EQ(f.table.translate("_Remove"), "_Remove") << "no file set yet";
  f.table.setFile("nowhere.language");
  EXPECT_EQ(f.table.translate("_Remove"), "_Remove");
  f.set("[String]\r\n_Remove=\r\n_Add=Add\r\n");
  EXPECT_EQ(f.table.translate("_Remove"), "_Remove");
  EXPECT_EQ(f.table.translate("_Missing\\n", Escapes::Convert), "_Missing\\n") << "a key is never unescaped";
}

TEST(LanguageTable, KeysAndSectionMatchWithoutRegardToCase) {
  Files f;
  f.set("[other]\n_Remove=wrong\n[STRING]\n  _REMOVE = Remove it  \n_remove=second\n");
  EXPECT_EQ(f.table.translate("_Remove"), "Remove it");
}

TEST(LanguageTable, WithoutAStringSectionEveryKeyIsItself) {
  Files f;
  f.set("[Strings]\n_Remove=Remove\n");
  EXPECT_EQ(f.table.translate("_Remove"), "_Remove");
}

TEST(LanguageTable, EscapesAreConvertedOnlyWhenAsked) {
  Files f;
  f.set("[String]\n_Ask=Sure?\\r\\nReally\\n%s\n");
  EXPECT_EQ(f.table.translate("_Ask"), "Sure?\\r\\nReally\\n%s");
  EXPECT_EQ(f.table.translate("_Ask", Escapes::Convert), "Sure?\r\nReally\n%s");
  EXPECT_EQ(unescape("a\\\\nb"), "a\\\nb");
}

TEST(LanguageTable, ReadsUtf16Utf8AndLegacyFiles) {
  Files f;
  f.set(utf16le(u"[String]\r\n_Name=\u540D\u524D \u0141\r\n"));
  EXPECT_EQ(f.table.translate("_Name"), "\xE5\x90\x8D\xE5\x89\x8D \xC5\x81");
  f.set("\xEF\xBB\xBF[String]\n_Name=Pr\xC3\xA9nom\n");
  EXPECT_EQ(f.table.translate("_Name"), "Pr\xC3\xA9nom");
  f.set("[String]\n_Name=\xD0\x98\xD0\xBC\xD1\x8F\n");
  EXPECT_EQ(f.table.translate("_Name"), "\xD0\x98\xD0\xBC\xD1\x8F");
  f.set("[String]\n_Name=Pr\xE9nom \x80\n");  // Windows-1252
  EXPECT_EQ(f.table.translate("_Name"), "Pr\xC3\xA9nom \xE2\x82\xAC");
}

TEST(LanguageTable, EnclosingQuotesAreRemovedAndCommentsSkipped) {
  Files f;
  f.set("[String]\n; _Name=comment\n_Name=\"  padded  \"\n_Odd=\"half\n");
  EXPECT_EQ(f.table.translate("_Name"), "  padded  ");
  EXPECT_EQ(f.table.translate("_Odd"), "\"half");
}

TEST(LanguageTable, LongTextsAreCutTo65534Units) {
  Files f;
  f.set("[String]\n_Long=" + std::string(70000, 'x') + "\n");
  EXPECT_EQ(f.table.translate("_Long").size(), kMaxTranslationUnits);
}

TEST(LanguageTable, AnEditedFileTakesEffectAtOnce) {
  Files f;
  f.set("[String]\n_Name=Old\n");
  EXPECT_EQ(f.table.translate("_Name"), "Old");
  f.content["x.language"] = "[String]\n_Name=New\n";
  EXPECT_EQ(f.table.translate("_Name"), "New");
}

// Under a hold the file is read once, whatever happens to it; once the last
// hold ends, the next lookup sees the file as it is.
TEST(LanguageTable, AHoldReadsTheFileOnceUntilItEnds) {
  int reads = 0;
  std::map<std::string, std::string> content{{"x.language", "[String]\n_Name=Old\n_Other=One\n"}};
  LanguageTable table{[&](const std::string& p) -> std::optional<std::string> {
                        ++reads;
                        auto it = content.find(p);
                        if (it == content.end()) return std::nullopt;
                        return it->second;
                      },
                      decodeWindows1252};
  table.setFile("x.language");
  {
    LanguageTable::Hold outer(table);
    EXPECT_EQ(table.translate("_Name"), "Old");
    content["x.language"] = "[String]\n_Name=New\n";
    {
      LanguageTable::Hold inner(table);
      EXPECT_EQ(table.translate("_Other"), "One");
    }
    EXPECT_EQ(table.translate("_Name"), "Old");
    EXPECT_EQ(reads, 1);
  }
  EXPECT_EQ(table.translate("_Name"), "New");
  EXPECT_EQ(reads, 2);
  // A file missing when a hold starts is looked for again at the next lookup.
  content.clear();
  LanguageTable::Hold hold(table);
  EXPECT_EQ(table.translate("_Name"), "_Name");
  content["x.language"] = "[String]\n_Name=Back\n";
  EXPECT_EQ(table.translate("_Name"), "Back");
}

}  // namespace
}  // namespace velmora
