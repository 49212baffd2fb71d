// The link colours of the About dialog's hyperlinks, and where the frame's
// pages and dialogs go.
#include <gtest/gtest.h>

#include "dialogs/link_colour.h"
#include "dialogs/web_pages.h"
#include "core/window_placement.h"
#include "fakes/fake_registry.h"

namespace velmora {
namespace {

constexpr Rgb kFallback{1, 2, 3};

TEST(AnchorColour, ThreeNumbersGiveTheColour) {
  EXPECT_EQ(parseAnchorColour("255,0,0", kFallback), (Rgb{255, 0, 0}));
  EXPECT_EQ(parseAnchorColour("0,128,64", kFallback), (Rgb{0, 128, 64}));
  EXPECT_EQ(parseAnchorColour(" 10, 20, 30", kFallback), (Rgb{10, 20, 30})) << "blanks before a number";
}

TEST(AnchorColour, NumbersWrapModulo256) {
  EXPECT_EQ(parseAnchorColour("300,256,511", kFallback), (Rgb{44, 0, 255}));
  EXPECT_EQ(parseAnchorColour("0,0,-1", kFallback), (Rgb{0, 0, 255})) << "only red and green -1 mean unset";
  EXPECT_EQ(parseAnchorColour("-2,0,0", kFallback), (Rgb{254, 0, 0}));
  EXPECT_EQ(parseAnchorColour("99999999999999999999999,0,0", kFallback).red, 255u)
      << "long digit runs neither overflow nor read as -1";  // 10^23-1 mod 256
}

TEST(AnchorColour, MalformedOrUnsetKeepsTheDefault) {
  EXPECT_EQ(parseAnchorColour(std::nullopt, kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("255", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("255,0", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("255,0,", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("-1,0,0", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("0,-1,0", kFallback), kFallback);
  EXPECT_EQ(parseAnchorColour("x,y,z", kFallback), (Rgb{0, 0, 0})) << "non-numbers read as 0, like atoi";
}

TEST(AnchorColour, ReadFromTheUsersSettings) {
  testing::FakeRegistry reg;
  EXPECT_EQ(readLinkColours(reg).link, kDefaultLinkColour) << "no key at all";
  EXPECT_EQ(readLinkColours(reg).visited, kDefaultVisitedColour);

  reg.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color", "255,0,0");
  LinkColours c = readLinkColours(reg);
  EXPECT_EQ(c.link, (Rgb{255, 0, 0}));
  EXPECT_EQ(c.visited, kDefaultVisitedColour) << "each value on its own";

  reg.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color Visited", "0,200,0");
  reg.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color", "255");
  c = readLinkColours(reg);
  EXPECT_EQ(c.link, kDefaultLinkColour);
  EXPECT_EQ(c.visited, (Rgb{0, 200, 0}));

  reg.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color", "1,2,3", 4 /* REG_DWORD */);
  EXPECT_EQ(readLinkColours(reg).link, kDefaultLinkColour) << "a value that is no text";

  reg.denyRead(RootKey::CurrentUser, std::string(kAnchorColourKey));
  EXPECT_EQ(readLinkColours(reg).visited, kDefaultVisitedColour) << "an unreadable key";
}

TEST(WebPages, EachPageIsAFileInThePagesFolder) {
  EXPECT_EQ(webPageAddress("C:\\Program Files\\Velmora", WebPage::Help), "C:\\Program Files\\Velmora\\help.htm");
  EXPECT_EQ(webPageAddress("C:\\Velmora\\", WebPage::Home), "C:\\Velmora\\index.htm");
  EXPECT_EQ(webPageAddress("C:", WebPage::Support), "C:\\support.htm");
}

TEST(DialogPlacement, CentresOnTheReferenceAndStaysInTheWorkArea) {
  const Box work{0, 0, 1000, 700};
  const Box dialog{0, 0, 301, 201};  // odd sizes: integer halves
  EXPECT_EQ(centredOrigin(dialog, Box{100, 100, 501, 401}, work), (Origin{150, 150}));
  EXPECT_EQ(centredOrigin(dialog, work, work), (Origin{350, 250}));
  EXPECT_EQ(centredOrigin(dialog, Box{-300, -300, -100, -100}, work), (Origin{0, 0})) << "owner off the left top";
  EXPECT_EQ(centredOrigin(dialog, Box{900, 600, 1100, 800}, work), (Origin{699, 499})) << "off the right bottom";
  EXPECT_EQ(centredOrigin(Box{0, 0, 1200, 900}, work, Box{0, 0, 1000, 700}), (Origin{0, 0}))
      << "a dialog larger than the area keeps its caption on screen";
}

}  // namespace
}  // namespace velmora
