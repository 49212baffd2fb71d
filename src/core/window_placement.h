#pragma once
// Where a window goes when it opens: centred on a reference rectangle (its
// owner, or the work area), then held inside the work area; or where the
// user last left it, when that is still a place on a screen.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct Box {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
  long width() const { return right - left; }
  long height() const { return bottom - top; }
  bool operator==(const Box&) const = default;
};

struct Origin {
  long x = 0;
  long y = 0;
  bool operator==(const Origin&) const = default;
};

// The new top-left corner of `window` (only its size counts): its centre on
// the reference's centre, integer halves; then an edge beyond the work area
// moves it back inside, left and top taking precedence for a window larger
// than the area.
Origin centredOrigin(const Box& window, const Box& reference, const Box& workArea);

// Where the main window was when the user closed it: its restored
// rectangle in screen coordinates, and whether it was maximised.
struct StoredPlacement {
  Box normal;
  bool maximised = false;
  bool operator==(const StoredPlacement&) const = default;
};

// The smallest restored window kept; a smaller one is nothing anyone could use.
constexpr long kSmallestWindowWidth = 200;
constexpr long kSmallestWindowHeight = 150;
// How much of the band along the window's top edge (twice kGripHeight high,
// where its title bar is) must lie on one screen's work area for the user to
// take hold of it.
constexpr long kGripWidth = 48;
constexpr long kGripHeight = 16;

// "left,top,right,bottom,maximised" (the last 1 or 0).
std::string formatPlacement(const StoredPlacement& placement);
// The placement `text` keeps when it still fits the screens whose work
// areas are `workAreas`: a size from the smallest one up to no larger than
// all the work areas together, and a grip of its top edge on one of them.
// Nothing otherwise, or when the text is not five numbers.
std::optional<StoredPlacement> parsePlacement(std::string_view text, const std::vector<Box>& workAreas);

}  // namespace velmora
