#pragma once
// Which colours the program paints with: the user's View > Theme choice
// (kept with the layout), Windows' light or dark setting for apps, High
// Contrast, and the skin.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "app/win32/skin_layer.h"
#include "core/theme.h"

namespace velmora::win32 {

// Windows' "apps use light theme" (HKCU ...\Themes\Personalize); nothing
// when it is not set (before Windows 10 1809, or never chosen).
[[nodiscard]] std::optional<std::uint32_t> appsUseLightTheme();
[[nodiscard]] bool highContrastOn();

// View > Theme as the user left it; System until chosen.
[[nodiscard]] ThemeChoice storedThemeChoice();
void keepThemeChoice(ThemeChoice choice);

// The process's colour scheme for `choice` now. Returns the look taken.
Look chooseColours(ThemeChoice choice, const SkinLayer& skin);

// A message after which Windows' colours may differ: the light/dark
// setting ("ImmersiveColorSet"), High Contrast, or the system colours.
[[nodiscard]] bool coloursMayHaveChanged(UINT msg, WPARAM wp, LPARAM lp);

}  // namespace velmora::win32
