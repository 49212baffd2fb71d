#include "dialogs/link_colour.h"

#include <cctype>

namespace velmora {

namespace {

// One number as atoi reads it: blanks, a sign, digits; anything else ends
// it and no digits read as 0. Kept modulo 256 as it is read, so no length
// of digits can overflow; `minusOne` tells the one value that means "unset".
struct Number {
  std::uint8_t modulo = 0;
  bool minusOne = false;
};

Number readNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  unsigned mod = 0;
  unsigned long long magnitude = 0;  // saturates: only "is it exactly 1" matters
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const unsigned digit = static_cast<unsigned>(s[i] - '0');
    mod = (mod * 10 + digit) % 256;
    if (magnitude < 1000000) magnitude = magnitude * 10 + digit;
  }
  Number n;
  n.modulo = static_cast<std::uint8_t>(negative ? (256 - mod) % 256 : mod);
  n.minusOne = negative && magnitude == 1;
  return n;
}

}  // namespace

Rgb parseAnchorColour(std::optional<std::string_view> text, Rgb fallback) {
  if (!text) return fallback;
  const std::string_view s = *text;
  const std::size_t first = s.find(',');
  if (first == std::string_view::npos) return fallback;
  const std::size_t second = s.find(',', first + 1);
  if (second == std::string_view::npos || second + 1 >= s.size()) return fallback;
  const Number red = readNumber(s.substr(0, first));
  const Number green = readNumber(s.substr(first + 1, second - first - 1));
  const Number blue = readNumber(s.substr(second + 1));
  if (red.minusOne || green.minusOne) return fallback;
  return Rgb{red.modulo, green.modulo, blue.modulo};
}

LinkColours readLinkColours(RegistryPort& registry, RootKey root, std::string_view subkey) {
  const auto read = [&](const char* name) -> std::optional<std::string> {
    RegValue value;
    if (registry.queryValue(root, std::string(subkey), name, value) != RegStatus::Ok) return std::nullopt;
    if (value.type != kRegSz && value.type != kRegExpandSz) return std::nullopt;
    return value.text;
  };
  LinkColours colours;
  colours.link = parseAnchorColour(read("Anchor Color"), kDefaultLinkColour);
  colours.visited = parseAnchorColour(read("Anchor Color Visited"), kDefaultVisitedColour);
  return colours;
}

}  // namespace velmora
