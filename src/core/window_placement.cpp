#include "core/window_placement.h"

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

}  // namespace velmora
