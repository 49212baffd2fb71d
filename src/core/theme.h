#pragma once
// The colours the program paints with, as pairs of a background and the
// text on it, and which set of them applies: light, dark, or the system's
// own (High Contrast). A pair is taken whole, from the palette or from the
// system, never half of each, so text can never land on a background it
// was not chosen for.
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/colour.h"

namespace velmora {

// WCAG 2 relative luminance (0 black to 1 white) and contrast ratio (1 to 21).
[[nodiscard]] double relativeLuminance(Rgb colour);
[[nodiscard]] double contrastRatio(Rgb a, Rgb b);

// A background darker than this is a dark one.
inline constexpr double kDarkLuminance = 0.25;
// Normal text on its background reads at WCAG AA from this ratio on.
inline constexpr double kReadableContrast = 4.5;

[[nodiscard]] inline bool isDarkBackground(Rgb background) { return relativeLuminance(background) < kDarkLuminance; }

// `wanted` as text on `background`, moved towards white (on a dark
// background) or black just far enough to read at AA; unchanged when it
// reads already. For colours the user chose, such as links.
[[nodiscard]] Rgb readableText(Rgb wanted, Rgb background);

struct ColourPair {
  Rgb background;
  Rgb text;
  bool operator==(const ColourPair&) const = default;
};

[[nodiscard]] inline bool readable(const ColourPair& pair) {
  return contrastRatio(pair.background, pair.text) >= kReadableContrast;
}

// Every colour the windows take from the program. An empty pair means the
// system's pair (GetSysColor) for that part.
struct Palette {
  bool dark = false;
  std::optional<ColourPair> window;     // tree, list, edit boxes
  std::optional<ColourPair> face;       // dialogs, panes, status bar, headers, buttons
  std::optional<ColourPair> selection;  // the selected row or node
  std::optional<Rgb> splitter;          // the bar between tree and list
  // The pairs that are set, for checking them all alike.
  template <class Visit>
  void forEachPair(Visit visit) const {
    for (const auto* pair : {&window, &face, &selection}) {
      if (*pair) visit(**pair);
    }
  }
};

// What a skin file asks for one palette: a dialog background and its text,
// and the splitter. Either colour may be missing.
struct SkinColours {
  std::optional<Rgb> background;
  std::optional<Rgb> text;
  std::optional<Rgb> splitter;
};

// The system's own colours everywhere (High Contrast).
[[nodiscard]] Palette systemPalette();
// Windows' own light colours, with the skin's dialog pair and splitter.
[[nodiscard]] Palette lightPalette(const SkinColours& skin = {});
// Dark everywhere the program paints; the skin's dark dialog pair and
// splitter where they are dark and readable.
[[nodiscard]] Palette darkPalette(const SkinColours& skin = {});

// A skin's background and text as a pair for a light or a dark palette.
// A background of the other kind (a dark one for the light palette, a light
// one for the dark) is refused, so the two palettes never end up the same;
// a missing or unreadable text becomes black or white, whichever reads
// better on the background.
[[nodiscard]] std::optional<ColourPair> skinPair(const SkinColours& skin, bool dark);

// View > Theme.
enum class ThemeChoice { System, Light, Dark };
[[nodiscard]] std::optional<ThemeChoice> parseThemeChoice(std::string_view text);
[[nodiscard]] std::string_view themeChoiceName(ThemeChoice choice);

enum class Look { Light, Dark, HighContrast };
// `appsUseLightTheme` is Windows' "apps" setting (0 dark, missing light).
// High Contrast wins over every choice: the user's colours are then the
// only ones.
[[nodiscard]] Look resolveLook(ThemeChoice choice, std::optional<std::uint32_t> appsUseLightTheme, bool highContrast);

}  // namespace velmora
