// The texts and rows of the file information dialog, and the addresses it
// hands to the shell.
#include <gtest/gtest.h>

#include "dialogs/file_info_format.h"
#include "fakes/fakes.h"

namespace velmora {
namespace {

TEST(FileInfoTexts, LanguageCodeIsUpperCaseAndQueryPathLowerCase) {
  EXPECT_EQ(languageCodeText(0x0409, 0x04B0), "0x0409 0x04B0");
  EXPECT_EQ(languageCodeText(0x7, 0xfde9), "0x0007 0xFDE9");
  EXPECT_EQ(versionQueryPath(0x0409, 0x04B0, "ProductName"), "\\StringFileInfo\\040904b0\\ProductName");
}

TEST(FileInfoSearch, TermIsTheSearchTextOrTheFileName) {
  EXPECT_EQ(searchTerm("D:\\Tools\\a.exe", ""), "a.exe");
  EXPECT_EQ(searchTerm("a.exe", ""), "a.exe");
  EXPECT_EQ(searchTerm("C:setup.exe", ""), "setup.exe");
  EXPECT_EQ(searchTerm("D:\\Tools\\a.exe", "something else"), "something else");
}

TEST(FileInfoSearch, TermIsPercentEncodedAsUtf8) {
  EXPECT_EQ(percentEncode("a&b#c+d e"), "a%26b%23c%2Bd%20e");
  EXPECT_EQ(percentEncode("Az09-_.~"), "Az09-_.~");
  EXPECT_EQ(percentEncode("%/?="), "%25%2F%3F%3D");
  EXPECT_EQ(percentEncode("\xC3\xA9t\xC3\xA9.exe"), "%C3%A9t%C3%A9.exe");  // été.exe
  EXPECT_EQ(percentEncode("\xE6\x97\xA5"), "%E6%97%A5");
  EXPECT_EQ(searchAddress("R&D tool.exe"), std::string(kSearchServiceBase) + "/search?q=R%26D%20tool.exe");
  EXPECT_EQ(kSearchServiceBase.substr(0, 8), "https://");
}

TEST(FileInfoSearch, ExplorerSelectsTheQuotedPath) {
  EXPECT_EQ(explorerSelectParameters("C:\\My Tools\\a,b.exe"), "/select,\"C:\\My Tools\\a,b.exe\"");
  EXPECT_EQ(explorerSelectParameters("C:\\x\".exe"), "/select,\"C:\\x.exe\"") << "a stray quote cannot end it early";
}

class FileInfoRows : public ::testing::Test {
 protected:
  void SetUp() override {
    // Translated names whose order differs from the keys' own order.
    t.texts = {{"_CreationTime", "b created"},     {"_LastAccessTime", "a accessed"},
               {"_LastWriteTime", "c written"},    {"_FileSize", "d size"},
               {"_LanguageCode", "Language"},      {"_FileIsNotExistInfo", "No such file"},
               {"_ProductName", "Product"},        {"_CompanyName", "Company"},
               {"_Comments", "zz comments"},       {"_FileVersion", "File version"},
               {"_FileSizeBytes", "%s (%s bytes)"}};
  }
  static FileStamps stamps() {
    return FileStamps{{2020, 1, 2, 3, 4, 5}, {2021, 6, 7, 8, 9, 10}, {2022, 11, 12, 13, 14, 15}, 1536};
  }
  static std::vector<std::string> names(const std::vector<InfoRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.name);
    return out;
  }
  testing::MapTranslator t;
};

TEST_F(FileInfoRows, MissingFileGivesTheSingleNotExistRow) {
  FileFacts facts;
  facts.exists = false;
  facts.stamps = stamps();  // ignored: the file is gone
  EXPECT_EQ(buildFileInfoRows(facts, t), (std::vector<InfoRow>{{"", "No such file"}}));
}

TEST_F(FileInfoRows, WithoutVersionResourceOnlyTheFourFileRowsInTranslatedOrder) {
  FileFacts facts;
  facts.exists = true;
  facts.stamps = stamps();
  EXPECT_EQ(buildFileInfoRows(facts, t),
            (std::vector<InfoRow>{{"a accessed", "2021-06-07 08:09:10"},
                                  {"b created", "2020-01-02 03:04:05"},
                                  {"c written", "2022-11-12 13:14:15"},
                                  {"d size", "1.50 KB (1,536 bytes)"}}));
}

TEST_F(FileInfoRows, ExistingFileWhoseAttributesFailedHasNoRows) {
  FileFacts facts;
  facts.exists = true;
  EXPECT_TRUE(buildFileInfoRows(facts, t).empty());
}

TEST_F(FileInfoRows, GroupsOrderedByCodeTextEachHeadedAndFileRowsLast) {
  FileFacts facts;
  facts.exists = true;
  facts.stamps = stamps();
  facts.groups.push_back({0x0409, 0x04B0, {{"ProductName", "Tool"}, {"CompanyName", "Acme"}}});
  facts.groups.push_back({0x0407, 0x04E4, {{"ProductName", "Werkzeug"}}});
  const std::vector<InfoRow> rows = buildFileInfoRows(facts, t);

  // Two groups of 1 heading + 12 keys, then four file rows.
  ASSERT_EQ(rows.size(), 2u * 13 + 4);
  EXPECT_EQ(rows[0], (InfoRow{"Language", "0x0407 0x04E4"})) << "0x0407 sorts before 0x0409";
  EXPECT_EQ(rows[13], (InfoRow{"Language", "0x0409 0x04B0"}));

  // Within a group: byte order of the translated names; capitals first, and
  // untranslated keys (starting with '_') after the capitals.
  const std::vector<std::string> all = names(rows);
  const std::vector<std::string> group(all.begin() + 14, all.begin() + 26);
  EXPECT_TRUE(std::is_sorted(group.begin(), group.end()));
  EXPECT_EQ(group.front(), "Company");
  EXPECT_EQ(group.back(), "zz comments");
  const auto value = [&](std::size_t from, const std::string& name) {
    for (std::size_t i = from; i < from + 13; ++i)
      if (rows[i].name == name) return rows[i].value;
    return std::string("<absent>");
  };
  EXPECT_EQ(value(13, "Product"), "Tool");
  EXPECT_EQ(value(13, "Company"), "Acme");
  EXPECT_EQ(value(0, "Product"), "Werkzeug");
  EXPECT_EQ(value(0, "Company"), "") << "a key the translation lacks is shown empty";
  EXPECT_EQ(value(0, "_SpecialBuild"), "") << "an untranslated name is the key";
  EXPECT_EQ(rows[26].name, "a accessed");
  EXPECT_EQ(rows.back().name, "d size");
}

TEST_F(FileInfoRows, RepeatedTranslationEntryGivesOneGroup) {
  FileFacts facts;
  facts.exists = true;
  facts.groups.push_back({0x0409, 0x04B0, {{"ProductName", "Tool"}}});
  facts.groups.push_back({0x0409, 0x04B0, {{"ProductName", "Tool"}}});
  EXPECT_EQ(buildFileInfoRows(facts, t).size(), 13u);
}

TEST(FileInfoKeys, TwelveKeysInQueryOrder) {
  EXPECT_STREQ(kVersionKeys.front().name, "Comments");
  EXPECT_STREQ(kVersionKeys[5].name, "ProductVersion");
  EXPECT_STREQ(kVersionKeys.back().name, "SpecialBuild");
  for (const VersionKey& k : kVersionKeys) EXPECT_EQ(std::string("_") + k.name, k.languageKey);
}

// Groups are named by their language as the system names it; the code text
// stays where there is no name, and beside a name two groups share.
TEST_F(FileInfoRows, GroupsAreHeadedByTheirLanguagesName) {
  struct Named : LocalFormats {
    std::string languageName(std::uint16_t language) const override {
      return language == 0x0409 ? "English (United States)" : language == 0x0407 ? "German (Germany)" : "";
    }
  } formats;
  FileFacts facts;
  facts.exists = true;
  facts.groups.push_back({0x0409, 0x04B0, {}});
  facts.groups.push_back({0x0407, 0x04E4, {}});
  facts.groups.push_back({0x0407, 0x04B0, {}});
  facts.groups.push_back({0x7FFF, 0x04B0, {}});
  std::vector<std::string> headings;
  for (const InfoRow& row : buildFileInfoRows(facts, t, formats)) {
    if (row.name == "Language") headings.push_back(row.value);
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"German (Germany) (0x0407 0x04B0)", "German (Germany) (0x0407 0x04E4)",
                                                "English (United States)", "0x7FFF 0x04B0"}));
}

}  // namespace
}  // namespace velmora
