#pragma once
// What the main window keeps for the next start besides its placement and
// the panes' layouts, read back as input: a value that does not hold is no
// value, and the window starts as on the first day for that part.
#include <cstdint>
#include <optional>

namespace velmora {

// The widest tree kept, at 96 DPI.
constexpr int kWidestTree = 4000;

// The splitter's position (the tree's width) at 96 DPI.
std::optional<int> storedSplitter(std::optional<std::uint32_t> value);

// The narrowest the tree and the list are made, at 96 DPI: no stored value
// and no drag hides either (a tree of 4000 on a screen of 1280 would leave
// the list nothing, for good).
constexpr int kNarrowestTree = 120;
constexpr int kNarrowestList = 240;
// Where the splitter stands in a window `width` pixels wide whose bar is
// `bar` wide: at `wanted`, moved so that the tree keeps `narrowestTree`
// pixels and the list `narrowestList`; a window too narrow for both gives
// each half. Before the window has a width, `wanted`.
int splitterPosition(int wanted, int width, int bar, int narrowestTree, int narrowestList);
// The index of the tree node selected last, one of `nodes`.
std::optional<int> storedNode(std::optional<std::uint32_t> value, int nodes);

}  // namespace velmora
