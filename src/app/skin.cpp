#include "app/skin.h"

#include <charconv>

namespace velmora {

namespace {

std::string_view trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<std::uint8_t> parseComponent(std::string_view s, int base) {
  s = trim(s);
  if (s.empty()) return std::nullopt;
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size() || value > 255) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<Rgb> parseColour(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '#') {
    if (text.size() != 7) return std::nullopt;
    const auto r = parseComponent(text.substr(1, 2), 16);
    const auto g = parseComponent(text.substr(3, 2), 16);
    const auto b = parseComponent(text.substr(5, 2), 16);
    if (!r || !g || !b) return std::nullopt;
    return Rgb{*r, *g, *b};
  }
  const std::size_t c1 = text.find(',');
  if (c1 == std::string_view::npos) return std::nullopt;
  const std::size_t c2 = text.find(',', c1 + 1);
  if (c2 == std::string_view::npos || text.find(',', c2 + 1) != std::string_view::npos) return std::nullopt;
  const auto r = parseComponent(text.substr(0, c1), 10);
  const auto g = parseComponent(text.substr(c1 + 1, c2 - c1 - 1), 10);
  const auto b = parseComponent(text.substr(c2 + 1), 10);
  if (!r || !g || !b) return std::nullopt;
  return Rgb{*r, *g, *b};
}

std::optional<Skin> Skin::parse(std::string_view bytes, const LegacyDecoder& legacy) {
  Skin skin;
  skin.text_ = decodeProfileText(bytes, legacy);
  const auto name = profileLookup(skin.text_, "Skin", "Name");
  if (!name) return std::nullopt;
  skin.name_ = *name;
  return skin;
}

std::optional<Rgb> Skin::colour(std::string_view object, std::string_view key) const {
  const auto text = profileLookup(text_, object, key);
  if (!text) return std::nullopt;
  return parseColour(*text);
}

}  // namespace velmora
