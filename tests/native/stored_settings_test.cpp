// What the main window and its panes keep per user, read back as input: a
// value that does not hold is ignored, and the part it was for starts as on
// the first day.
#include <gtest/gtest.h>

#include "app/stored_layout.h"
#include "core/window_placement.h"
#include "pane/pane_layout.h"

namespace velmora {
namespace {

const std::vector<Box> kOneScreen = {{0, 0, 1920, 1040}};
// A second screen left of the first, higher up.
const std::vector<Box> kTwoScreens = {{0, 0, 1920, 1040}, {-1280, -200, 0, 824}};

TEST(StoredPlacement, RoundTripsAndKeepsAWindowOnAnyScreen) {
  const StoredPlacement restored{{100, 80, 1100, 780}, false};
  EXPECT_EQ(formatPlacement(restored), "100,80,1100,780,0");
  EXPECT_EQ(parsePlacement(formatPlacement(restored), kOneScreen), restored);
  const StoredPlacement maximised{{-1200, -150, -300, 500}, true};
  EXPECT_EQ(parsePlacement(formatPlacement(maximised), kTwoScreens), maximised) << "on the second screen";
  // Partly beyond the right edge, the title bar still in reach.
  EXPECT_TRUE(parsePlacement("1800,100,2800,700,0", kOneScreen));
  EXPECT_TRUE(parsePlacement("0,0,1920,1040,1", kOneScreen)) << "as large as the screen";
}

TEST(StoredPlacement, AWindowOffEveryScreenOrOfAnAbsurdSizeIsIgnored) {
  // The screen it was on is gone.
  EXPECT_FALSE(parsePlacement("-1200,-150,-300,500,0", kOneScreen));
  EXPECT_FALSE(parsePlacement("3000,100,4000,700,0", kOneScreen));
  // Only a sliver of the title bar on the screen, or none of it.
  EXPECT_FALSE(parsePlacement("1890,100,2890,700,0", kOneScreen));
  EXPECT_FALSE(parsePlacement("100,-300,1100,10,0", kOneScreen)) << "title bar above the top";
  EXPECT_FALSE(parsePlacement("100,1030,1100,1730,0", kOneScreen)) << "title bar below the bottom";
  // Sizes.
  EXPECT_FALSE(parsePlacement("100,100,150,900,0", kOneScreen)) << "too narrow to use";
  EXPECT_FALSE(parsePlacement("100,100,900,120,0", kOneScreen)) << "too low to use";
  EXPECT_FALSE(parsePlacement("100,100,90,900,0", kOneScreen)) << "right of its left";
  EXPECT_FALSE(parsePlacement("0,0,50000,900,0", kOneScreen)) << "wider than every screen";
  EXPECT_FALSE(parsePlacement("0,0,3300,900,0", kTwoScreens)) << "wider than both screens";
  EXPECT_FALSE(parsePlacement("100,80,1100,780,0", {})) << "no screen at all";
}

TEST(StoredPlacement, OnlyFiveWholeNumbersRead) {
  for (const char* text : {"", "100,80,1100,780", "100,80,1100,780,0,5", "100,80,1100,780,2", "100, 80,1100,780,0",
                           "100,80,1100,780,", "a,80,1100,780,0", "100,80,1100.5,780,0",
                           "99999999999999999999,80,1100,780,0", "-5000000,0,1000,700,0"}) {
    EXPECT_FALSE(parsePlacement(text, kOneScreen)) << text;
  }
}

TEST(PaneLayout, RoundTripsEachPartOnItsOwn) {
  const PaneLayout full{{260, 100, 0, 250, 180, 240, 180}, {2, 0, 1, 3, 4, 6, 5}, {5, true}};
  EXPECT_EQ(formatPaneLayout(full), "widths=260,100,0,250,180,240,180;order=2,0,1,3,4,6,5;sort=5,down");
  EXPECT_EQ(parsePaneLayout(formatPaneLayout(full), 7), full);
  const PaneLayout sortOnly{{}, {}, {0, false}};
  EXPECT_EQ(formatPaneLayout(sortOnly), "sort=0,up");
  EXPECT_EQ(parsePaneLayout("sort=0,up", 7), sortOnly);
  EXPECT_EQ(parsePaneLayout("", 7), PaneLayout{});
  // Kept by a version of seven columns, read with nine: its widths and
  // order hold for the first seven, the new columns follow them.
  EXPECT_EQ(parsePaneLayout(formatPaneLayout(full), 9),
            (PaneLayout{full.widths, {2, 0, 1, 3, 4, 6, 5, 7, 8}, full.sort}));
  EXPECT_TRUE(parsePaneLayout("order=0,1,2,3,4,5,7", 9).order.empty()) << "a shorter order names its own columns";
  EXPECT_TRUE(parsePaneLayout("widths=1,2,3", 9).widths.empty()) << "no version had three columns";
}

TEST(PaneLayout, APartThatDoesNotHoldIsLeftOutTheOthersKept) {
  const std::string order = ";order=0,1,2,3,4,5,6";
  const std::vector<int> asMade = {0, 1, 2, 3, 4, 5, 6};
  for (const char* widths : {"widths=1,2,3", "widths=1,2,3,4,5,6,7,8", "widths=1,2,3,-4,5,6,7",
                             "widths=1,2,3,4001,5,6,7", "widths=1,2,3,,5,6,7", "widths=1,2,3,4,5,6,x"}) {
    const PaneLayout read = parsePaneLayout(std::string(widths) + order + ";sort=3,up", 7);
    EXPECT_TRUE(read.widths.empty()) << widths;
    EXPECT_EQ(read.order, asMade) << widths;
    EXPECT_EQ(read.sort, (SortOrder{3, false})) << widths;
  }
  for (const char* badOrder : {"order=0,1,2,3,4,5,5", "order=0,1,2,3,4,5", "order=0,1,2,3,4,5,7",
                               "order=6,5,4,3,2,1,0,0"}) {
    EXPECT_TRUE(parsePaneLayout(badOrder, 7).order.empty()) << badOrder << ": each column once";
  }
  for (const char* badSort : {"sort=7,up", "sort=-1,up", "sort=2", "sort=2,sideways", "sort=,up"}) {
    EXPECT_FALSE(parsePaneLayout(badSort, 7).sort.sorted()) << badSort;
  }
  EXPECT_EQ(parsePaneLayout("junk;sort=1,down;more=junk", 7).sort, (SortOrder{1, true}));
  EXPECT_EQ(parsePaneLayout("sort=1,down", 0), PaneLayout{}) << "a list without columns keeps nothing";
}

TEST(StoredLayout, SplitterAndNodeWithinTheirBounds) {
  EXPECT_EQ(storedSplitter(250u), 250);
  EXPECT_EQ(storedSplitter(0u), 0) << "the user may drag the tree shut";
  EXPECT_EQ(storedSplitter(static_cast<std::uint32_t>(kWidestTree)), kWidestTree);
  EXPECT_EQ(storedSplitter(kWidestTree + 1u), std::nullopt);
  EXPECT_EQ(storedSplitter(0xFFFFFFFFu), std::nullopt) << "a negative number written as a DWORD";
  EXPECT_EQ(storedSplitter(std::nullopt), std::nullopt);
  EXPECT_EQ(storedNode(16u, 17), 16);
  EXPECT_EQ(storedNode(17u, 17), std::nullopt) << "a node this version no longer has";
  EXPECT_EQ(storedNode(0u, 0), std::nullopt);
  EXPECT_EQ(storedNode(std::nullopt, 17), std::nullopt);
}

}  // namespace
}  // namespace velmora

namespace velmora::testing {
namespace {

// Where a stored or dragged splitter lands in the window it lands in: never
// leaving the tree or the list less than its narrowest.
TEST(StoredLayout, TheSplitterKeepsBothPanesInTheWindowItLandsIn) {
  struct Case {
    int wanted, width;
    int expected;
    const char* what;
  };
  const Case cases[] = {
      {250, 1280, 250, "as stored"},
      {4000, 1280, 1280 - 5 - 240, "a tree that filled the window leaves the list its narrowest"},
      {0, 1280, 120, "a tree dragged shut keeps its narrowest"},
      {250, 300, 147, "a window too narrow for both shares it"},
      {900, 0, 900, "no width yet: as wanted"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splitterPosition(c.wanted, c.width, 5, kNarrowestTree, kNarrowestList), c.expected) << c.what;
  }
}

TEST(PaneLayout, AColumnIsKeptReadableAndNoWiderThanTheScreen) {
  EXPECT_EQ(checkedColumnWidth(0, 1920), kNarrowestColumn) << "dragged shut";
  EXPECT_EQ(checkedColumnWidth(260, 1920), 260);
  EXPECT_EQ(checkedColumnWidth(4000, 1280), 1280) << "wider than the screen";
  EXPECT_EQ(checkedColumnWidth(4000, 9000), kWidestColumn);
}

// At the first start the columns that say the most are in view: the list of
// a maximised window on a 1280-pixel screen, beside the tree, at 96 DPI and
// at 144 DPI (where the same pixels are two thirds as many at 96 DPI).
TEST(PaneLayout, AtTheFirstStartNameStatusCommandAndSignedByAreInViewThenImpactAndLastLogon) {
  EXPECT_EQ(defaultPaneLayout(1000, kRowColumns).order, (std::vector<int>{0, 5, 2, 6, 7, 8, 3, 4, 1}));
  // At 144 DPI the first four fit; at 96 DPI all up to Location, and a wider
  // list is filled to its edge, never left with an empty strip.
  const struct {
    int listWidth, inView;
  } cases[] = {{595, 4}, {1000, 7}, {1650, 7}};
  for (const auto& c : cases) {
    const PaneLayout layout = defaultPaneLayout(c.listWidth, kRowColumns);
    int right = 0;
    for (int i = 0; i < c.inView; ++i) right += layout.widths.at(static_cast<std::size_t>(layout.order.at(i)));
    EXPECT_TRUE(c.inView == 4 ? right <= c.listWidth : right == c.listWidth) << c.listWidth << ": " << right;
    for (const int column : {0, 2, 5, 6}) EXPECT_GE(layout.widths.at(column), 110) << c.listWidth << ", " << column;
  }
  // A wide list shares its width out, the Location narrow among them.
  const PaneLayout wide = defaultPaneLayout(1800, kRowColumns);
  EXPECT_GT(wide.widths[2], wide.widths[3]) << "Command wider than Location";
  EXPECT_GT(wide.widths[0], 300);
}

}  // namespace
}  // namespace velmora::testing
