#include "app/stored_layout.h"

namespace velmora {

std::optional<int> storedSplitter(std::optional<std::uint32_t> value) {
  if (!value || *value > static_cast<std::uint32_t>(kWidestTree)) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> storedNode(std::optional<std::uint32_t> value, int nodes) {
  if (!value || nodes <= 0 || *value >= static_cast<std::uint32_t>(nodes)) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace velmora
