#include "app/stored_layout.h"

#include <algorithm>

namespace velmora {

std::optional<int> storedSplitter(std::optional<std::uint32_t> value) {
  if (!value || *value > static_cast<std::uint32_t>(kWidestTree)) return std::nullopt;
  return static_cast<int>(*value);
}

int splitterPosition(int wanted, int width, int bar, int narrowestTree, int narrowestList) {
  if (width <= 0) return wanted;
  const int room = std::max(0, width - bar);
  if (narrowestTree + narrowestList > room) return room / 2;
  return std::clamp(wanted, narrowestTree, room - narrowestList);
}

std::optional<int> storedNode(std::optional<std::uint32_t> value, int nodes) {
  if (!value || nodes <= 0 || *value >= static_cast<std::uint32_t>(nodes)) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace velmora
