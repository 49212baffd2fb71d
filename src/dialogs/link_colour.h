#pragma once
// The colours of links, as the user set them for web pages: the values
// "Anchor Color" and "Anchor Color Visited" hold "red,green,blue".
#include <optional>
#include <string>
#include <string_view>

#include "core/colour.h"
#include "core/registry_port.h"

namespace velmora {

inline constexpr Rgb kDefaultLinkColour{0, 0, 255};
inline constexpr Rgb kDefaultVisitedColour{128, 0, 128};

struct LinkColours {
  Rgb link = kDefaultLinkColour;
  Rgb visited = kDefaultVisitedColour;
};

// Three decimal numbers separated by commas, each taken modulo 256. A missing
// text, one with fewer than two commas or nothing after the second, or whose
// first or second number is -1, gives the fallback.
Rgb parseAnchorColour(std::optional<std::string_view> text, Rgb fallback);

inline constexpr std::string_view kAnchorColourKey = "Software\\Microsoft\\Internet Explorer\\Settings";

// Both colours from the current user's settings (any value that cannot be
// read keeps its default). The key can be moved for tests.
LinkColours readLinkColours(RegistryPort& registry, RootKey root = RootKey::CurrentUser,
                            std::string_view subkey = kAnchorColourKey);

}  // namespace velmora
