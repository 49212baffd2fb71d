#include "core/theme.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

double linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// Close to Windows 11's dark File Explorer: the list a shade darker than
// the panes around it, the selection in the accent blue.
constexpr ColourPair kDarkWindow{{25, 25, 25}, {240, 240, 240}};
constexpr ColourPair kDarkFace{{43, 43, 43}, {240, 240, 240}};
constexpr ColourPair kDarkSelection{{0, 95, 184}, {255, 255, 255}};
constexpr Rgb kDarkSplitter{64, 64, 64};

}  // namespace

double relativeLuminance(Rgb colour) {
  return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

double contrastRatio(Rgb a, Rgb b) {
  const double la = relativeLuminance(a);
  const double lb = relativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb readableText(Rgb wanted, Rgb background) {
  const Rgb towards = isDarkBackground(background) ? kWhite : kBlack;
  const auto mix = [](std::uint8_t from, std::uint8_t to, int step) {
    return static_cast<std::uint8_t>(from + (to - from) * step / 20);
  };
  for (int step = 0; step < 20; ++step) {
    const Rgb tried{mix(wanted.red, towards.red, step), mix(wanted.green, towards.green, step),
                    mix(wanted.blue, towards.blue, step)};
    if (contrastRatio(tried, background) >= kReadableContrast) return tried;
  }
  return towards;
}

std::optional<ColourPair> skinPair(const SkinColours& skin, bool dark) {
  if (!skin.background || isDarkBackground(*skin.background) != dark) return std::nullopt;
  ColourPair pair{*skin.background, skin.text.value_or(kBlack)};
  if (!skin.text || !readable(pair)) {
    pair.text = contrastRatio(pair.background, kBlack) >= contrastRatio(pair.background, kWhite) ? kBlack : kWhite;
  }
  return pair;
}

Palette systemPalette() { return Palette{}; }

Palette lightPalette(const SkinColours& skin) {
  Palette palette;
  palette.face = skinPair(skin, false);
  palette.splitter = skin.splitter;
  return palette;
}

Palette darkPalette(const SkinColours& skin) {
  Palette palette;
  palette.dark = true;
  palette.window = kDarkWindow;
  palette.face = skinPair(skin, true).value_or(kDarkFace);
  palette.selection = kDarkSelection;
  // A light bar would glare between two dark panes.
  palette.splitter = skin.splitter && isDarkBackground(*skin.splitter) ? *skin.splitter : kDarkSplitter;
  return palette;
}

std::optional<ThemeChoice> parseThemeChoice(std::string_view text) {
  for (const ThemeChoice choice : {ThemeChoice::System, ThemeChoice::Light, ThemeChoice::Dark}) {
    if (text == themeChoiceName(choice)) return choice;
  }
  return std::nullopt;
}

std::string_view themeChoiceName(ThemeChoice choice) {
  switch (choice) {
    case ThemeChoice::Light: return "Light";
    case ThemeChoice::Dark: return "Dark";
    case ThemeChoice::System: break;
  }
  return "System";
}

Look resolveLook(ThemeChoice choice, std::optional<std::uint32_t> appsUseLightTheme, bool highContrast) {
  if (highContrast) return Look::HighContrast;
  switch (choice) {
    case ThemeChoice::Light: return Look::Light;
    case ThemeChoice::Dark: return Look::Dark;
    case ThemeChoice::System: break;
  }
  return appsUseLightTheme == std::optional<std::uint32_t>(0) ? Look::Dark : Look::Light;
}

}  // namespace velmora
