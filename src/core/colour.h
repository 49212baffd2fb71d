#pragma once
// The one colour type of the program: the skin file and the user's link
// colours are both read into it.
#include <cstdint>

namespace velmora {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

}  // namespace velmora
