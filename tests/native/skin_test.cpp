#include <gtest/gtest.h>

#include <type_traits>

#include "dialogs/link_colour.h"
#include "app/skin.h"

namespace velmora {
namespace {

TEST(SkinColour, HexAndDecimalTriplesAreRead) {
  EXPECT_EQ(parseColour("#C9d3E0"), (Rgb{0xC9, 0xD3, 0xE0}));
  EXPECT_EQ(parseColour(" 240, 243 ,247 "), (Rgb{240, 243, 247}));
  EXPECT_EQ(parseColour("0,0,0"), (Rgb{0, 0, 0}));
}

// Both readers of colours in one translation unit: two different types of
// one name would not even compile here, and each parser's result must be the
// other's type, so a skin colour and a link colour can stand for each other.
TEST(SkinColour, SkinAndLinkColoursAreOneType) {
  static_assert(std::is_same_v<decltype(parseColour("")), std::optional<Rgb>>);
  static_assert(std::is_same_v<decltype(parseAnchorColour(std::nullopt, Rgb{})), Rgb>);
  static_assert(std::is_same_v<decltype(LinkColours{}.link), Rgb>);
  EXPECT_EQ(parseColour("0,0,255"), kDefaultLinkColour);
  EXPECT_EQ(parseColour("#800080"), parseAnchorColour("128,0,128", Rgb{}));
}

TEST(SkinColour, AnythingElseIsNoColour) {
  for (const char* bad : {"", "#FFF", "#GG0000", "#1234567", "256,0,0", "1,2", "1,2,3,4", "-1,0,0", "red", "1,,2",
                          "0x10,0,0"}) {
    EXPECT_EQ(parseColour(bad), std::nullopt) << bad;
  }
}

std::string identity(std::string_view s) { return std::string(s); }

TEST(SkinFile, ColoursAreFoundPerObject) {
  const auto skin = Skin::parse(
      "; a skin\r\n[Skin]\r\nName=Blue\r\n[MainFrame]\r\nSplitter=#010203\r\n[Dialog]\r\nBackground=4,5,6\r\n"
      "Text=oops\r\n",
      identity);
  ASSERT_TRUE(skin);
  EXPECT_EQ(skin->name(), "Blue");
  EXPECT_EQ(skin->colour("MainFrame", "Splitter"), (Rgb{1, 2, 3}));
  EXPECT_EQ(skin->colour("dialog", "background"), (Rgb{4, 5, 6}));
  EXPECT_EQ(skin->colour("Dialog", "Text"), std::nullopt) << "an unreadable colour keeps the system's";
  EXPECT_EQ(skin->colour("Dialog", "Splitter"), std::nullopt) << "colours belong to their object";
}

TEST(SkinFile, TextWithoutSkinSectionIsNoSkin) {
  EXPECT_FALSE(Skin::parse("", identity));
  EXPECT_FALSE(Skin::parse("[MainFrame]\nSplitter=#010203\n", identity));
  EXPECT_FALSE(Skin::parse("\x89PNG\r\n\x1a\n binary", identity));
  // Unicode files read like the language file.
  EXPECT_TRUE(Skin::parse(std::string("\xFF\xFE[\0S\0k\0i\0n\0]\0\n\0N\0a\0m\0e\0=\0x\0", 28), identity));
}

}  // namespace
}  // namespace velmora
