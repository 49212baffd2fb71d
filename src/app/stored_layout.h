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
// The index of the tree node selected last, one of `nodes`.
std::optional<int> storedNode(std::optional<std::uint32_t> value, int nodes);

}  // namespace velmora
