#include "app/win32/theme_win32.h"

#include "app/win32/user_settings_win32.h"
#include "platform/win32/colour_scheme.h"

namespace velmora::win32 {

namespace {
constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kThemeValue[] = L"Theme";
}  // namespace

std::optional<std::uint32_t> appsUseLightTheme() {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool highContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

ThemeChoice storedThemeChoice() {
  const auto text = readText(kThemeValue);
  return text ? parseThemeChoice(*text).value_or(ThemeChoice::System) : ThemeChoice::System;
}

void keepThemeChoice(ThemeChoice choice) {
  // Not kept is still shown: the window follows the choice now.
  (void)writeText(kThemeValue, std::string(themeChoiceName(choice)));
}

Look chooseColours(ThemeChoice choice, const SkinLayer& skin) {
  // Only a System choice asks Windows for its setting.
  const auto lightSetting = choice == ThemeChoice::System ? appsUseLightTheme() : std::nullopt;
  const Look look = resolveLook(choice, lightSetting, highContrastOn());
  switch (look) {
    case Look::Dark: colourScheme().set(darkPalette(skin.colours(true))); break;
    case Look::Light: colourScheme().set(lightPalette(skin.colours(false))); break;
    case Look::HighContrast: colourScheme().set(systemPalette()); break;
  }
  return look;
}

bool coloursMayHaveChanged(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SYSCOLORCHANGE) return true;
  if (msg != WM_SETTINGCHANGE) return false;
  if (wp == SPI_SETHIGHCONTRAST) return true;
  const auto* area = reinterpret_cast<const wchar_t*>(lp);
  return area && CompareStringOrdinal(area, -1, L"ImmersiveColorSet", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace velmora::win32
