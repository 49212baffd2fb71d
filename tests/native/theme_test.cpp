#include <gtest/gtest.h>

#include "core/theme.h"

namespace velmora {
namespace {

// Every palette the program can end up with: each pair reads at AA, and a
// dark palette is dark wherever it paints while a light one never is.
TEST(Theme, EveryPaletteReadsAtAaAndIsOfItsKind) {
  const SkinColours shipped{Rgb{0xEE, 0xF2, 0xF7}, Rgb{0x1F, 0x29, 0x33}, Rgb{0xB8, 0xC4, 0xD4}};
  const SkinColours unreadable{Rgb{20, 20, 20}, Rgb{30, 30, 30}, std::nullopt};
  const SkinColours backgroundOnly{Rgb{200, 220, 240}, std::nullopt, std::nullopt};
  const struct {
    const char* name;
    Palette palette;
    bool dark;
  } cases[] = {
      {"dark", darkPalette(), true},
      {"dark, shipped light skin ignored", darkPalette(shipped), true},
      {"dark, unreadable dark skin", darkPalette(unreadable), true},
      {"light, shipped skin", lightPalette(shipped), false},
      {"light, background only", lightPalette(backgroundOnly), false},
      {"light, dark skin refused", lightPalette(unreadable), false},
  };
  for (const auto& c : cases) {
    int pairs = 0;
    c.palette.forEachPair([&](const ColourPair& pair) {
      ++pairs;
      EXPECT_GE(contrastRatio(pair.background, pair.text), kReadableContrast) << c.name;
      if (&pair != &*c.palette.selection) {
        EXPECT_EQ(isDarkBackground(pair.background), c.dark) << c.name;
      }
    });
    EXPECT_EQ(c.palette.dark, c.dark) << c.name;
    if (c.dark) {
      EXPECT_EQ(pairs, 3) << c.name << ": dark paints everything it can";
      EXPECT_TRUE(isDarkBackground(*c.palette.splitter)) << c.name;
    }
  }
  EXPECT_EQ(lightPalette(unreadable).face, std::nullopt) << "a dark skin pair never makes the light palette dark";
  EXPECT_EQ(darkPalette(unreadable).face->text, (Rgb{255, 255, 255})) << "unreadable text replaced";
  EXPECT_EQ(lightPalette(shipped).face, (ColourPair{*shipped.background, *shipped.text})) << "a readable skin is kept";
  EXPECT_EQ(systemPalette().window, std::nullopt);
  // A link colour the user chose: kept where it reads, lightened on dark.
  const Rgb blue{0, 0, 255};
  EXPECT_EQ(readableText(blue, Rgb{240, 240, 240}), blue);
  for (const auto& pair : {*darkPalette().face, *darkPalette().window}) {
    const Rgb shown = readableText(blue, pair.background);
    EXPECT_GE(contrastRatio(shown, pair.background), kReadableContrast);
    EXPECT_GT(shown.blue, shown.red) << "still a blue";
  }
  EXPECT_NEAR(contrastRatio(Rgb{0, 0, 0}, Rgb{255, 255, 255}), 21.0, 1e-9);
  EXPECT_NEAR(contrastRatio(Rgb{119, 119, 119}, Rgb{255, 255, 255}), 4.48, 0.01);
}

TEST(Theme, TheChoiceFollowsWindowsAndHighContrastWins) {
  using L = std::optional<std::uint32_t>;
  const struct {
    ThemeChoice choice;
    L appsUseLight;
    bool highContrast;
    Look look;
  } cases[] = {
      {ThemeChoice::System, L{}, false, Look::Light},     {ThemeChoice::System, L{0}, false, Look::Dark},
      {ThemeChoice::System, L{1}, false, Look::Light},    {ThemeChoice::System, L{7}, false, Look::Light},
      {ThemeChoice::Light, L{0}, false, Look::Light},     {ThemeChoice::Dark, L{1}, false, Look::Dark},
      {ThemeChoice::Dark, L{0}, true, Look::HighContrast}, {ThemeChoice::System, L{0}, true, Look::HighContrast},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(resolveLook(c.choice, c.appsUseLight, c.highContrast), c.look)
        << themeChoiceName(c.choice) << " " << c.appsUseLight.value_or(99) << " " << c.highContrast;
  }
  for (const ThemeChoice choice : {ThemeChoice::System, ThemeChoice::Light, ThemeChoice::Dark}) {
    EXPECT_EQ(parseThemeChoice(themeChoiceName(choice)), choice);
  }
  EXPECT_EQ(parseThemeChoice("dark "), std::nullopt);
}

}  // namespace
}  // namespace velmora
