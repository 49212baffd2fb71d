#include "core/window_placement.h"

#include <algorithm>
#include <charconv>

namespace velmora {

namespace {
long holdInside(long start, long size, long areaStart, long areaEnd) {
  if (start < areaStart) start = areaStart;
  if (start + size > areaEnd) start = areaEnd - size;
  // A window larger than the area keeps its top-left corner visible.
  if (start < areaStart) start = areaStart;
  return start;
}
}  // namespace

Origin centredOrigin(const Box& window, const Box& reference, const Box& workArea) {
  const long x = (reference.left + reference.right) / 2 - window.width() / 2;
  const long y = (reference.top + reference.bottom) / 2 - window.height() / 2;
  return Origin{holdInside(x, window.width(), workArea.left, workArea.right),
                holdInside(y, window.height(), workArea.top, workArea.bottom)};
}

std::string formatPlacement(const StoredPlacement& placement) {
  const Box& b = placement.normal;
  return std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.right) + "," +
         std::to_string(b.bottom) + "," + (placement.maximised ? "1" : "0");
}

std::optional<StoredPlacement> parsePlacement(std::string_view text, const std::vector<Box>& workAreas) {
  // Screen coordinates stay far inside 32 bits; anything beyond is no place.
  constexpr long long kFarthest = 1'000'000;
  long long v[5] = {};
  for (int i = 0; i < 5; ++i) {
    const std::size_t comma = i < 4 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return std::nullopt;
    const std::string_view part = text.substr(0, comma);
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), v[i]);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || v[i] < -kFarthest ||
        v[i] > kFarthest) {
      return std::nullopt;
    }
    text.remove_prefix(std::min(text.size(), comma + 1));
  }
  if (v[4] != 0 && v[4] != 1) return std::nullopt;
  const StoredPlacement placement{Box{static_cast<long>(v[0]), static_cast<long>(v[1]), static_cast<long>(v[2]),
                                      static_cast<long>(v[3])},
                                  v[4] == 1};
  const Box& w = placement.normal;
  if (workAreas.empty() || w.width() < kSmallestWindowWidth || w.height() < kSmallestWindowHeight) return std::nullopt;
  Box all = workAreas.front();
  for (const Box& area : workAreas) {
    all = Box{std::min(all.left, area.left), std::min(all.top, area.top), std::max(all.right, area.right),
              std::max(all.bottom, area.bottom)};
  }
  if (w.width() > all.width() || w.height() > all.height()) return std::nullopt;
  // The band along the top edge is where the title bar is: enough of it on
  // one screen to take hold of.
  const bool reachable = std::any_of(workAreas.begin(), workAreas.end(), [&w](const Box& area) {
    const long across = std::min(w.right, area.right) - std::max(w.left, area.left);
    const long down = std::min(w.top + 2 * kGripHeight, area.bottom) - std::max(w.top, area.top);
    return across >= kGripWidth && down >= kGripHeight;
  });
  if (!reachable) return std::nullopt;
  return placement;
}

}  // namespace velmora
