#include "app/masked_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstddef>

namespace velmora {

namespace {

struct Share {
  int index;
  long long weight;
};

// For each of `to` new pixels along one axis, the old pixels it covers (of
// `from`) and how much of each, counted in 1/(from*to) of a pixel on both
// sides so that the edges between images of a strip stay exact.
std::vector<std::vector<Share>> shares(int from, int to) {
  std::vector<std::vector<Share>> out(static_cast<std::size_t>(to));
  for (int i = 0; i < to; ++i) {
    const long long start = static_cast<long long>(i) * from;
    const long long end = start + from;
    for (int s = static_cast<int>(start / to); s < from && static_cast<long long>(s) * to < end; ++s) {
      const long long weight = std::min<long long>((s + 1LL) * to, end) - std::max<long long>(s * 1LL * to, start);
      if (weight > 0) out[static_cast<std::size_t>(i)].push_back({s, weight});
    }
  }
  return out;
}

std::uint8_t channel(double sum, long long weight) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(sum / static_cast<double>(weight)), 0L, 255L));
}

}  // namespace

MaskedImage scaleMasked(const MaskedImage& source, Rgb key, int width, int height) {
  MaskedImage out;
  if (width <= 0 || height <= 0) return out;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), key);
  if (source.width <= 0 || source.height <= 0 ||
      source.pixels.size() < static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height)) {
    return out;
  }
  const auto columns = shares(source.width, width);
  const auto rows = shares(source.height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      long long covered = 0, shown = 0;
      double red = 0, green = 0, blue = 0;
      for (const Share& row : rows[static_cast<std::size_t>(y)]) {
        for (const Share& column : columns[static_cast<std::size_t>(x)]) {
          const long long weight = row.weight * column.weight;
          covered += weight;
          const Rgb& p = source.pixels[static_cast<std::size_t>(row.index) * static_cast<std::size_t>(source.width) +
                                       static_cast<std::size_t>(column.index)];
          if (p == key) continue;
          shown += weight;
          red += static_cast<double>(p.red) * static_cast<double>(weight);
          green += static_cast<double>(p.green) * static_cast<double>(weight);
          blue += static_cast<double>(p.blue) * static_cast<double>(weight);
        }
      }
      if (shown <= 0 || shown * 2 < covered) continue;
      Rgb p{channel(red, shown), channel(green, shown), channel(blue, shown)};
      if (p == key) p.green = static_cast<std::uint8_t>(p.green > 0 ? p.green - 1 : 1);
      out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = p;
    }
  }
  return out;
}

}  // namespace velmora
