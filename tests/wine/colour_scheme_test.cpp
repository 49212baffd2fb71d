// The real velmora.exe in Windows' dark and light settings, with View >
// Theme and with the system colours a High Contrast theme sets, read from
// the screen: the tree, the list, the status bar and a dialog dark with
// light text (or back again), the tree's text readable in High Contrast.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/theme.h"
#include "main_frame_res.h"
#include "wine/support/remote_process.h"
#include "wine/support/running_program.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

// A registry value of the current user as a test needs it, put back after.
class ScopedValue {
 public:
  ScopedValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size)
      : key_(key), name_(name) {
    had_ = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &oldType_, nullptr, &oldSize_) == ERROR_SUCCESS;
    if (had_) {
      old_.resize(oldSize_);
      RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, old_.data(), &oldSize_);
    }
    set(type, data, size);
  }
  void set(DWORD type, const void* data, DWORD size) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, type, data, size), ERROR_SUCCESS);
  }
  ~ScopedValue() {
    if (had_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, key_, name_, oldType_, old_.data(), oldSize_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, name_);
    }
  }

 private:
  const wchar_t* key_;
  const wchar_t* name_;
  bool had_ = false;
  DWORD oldType_ = 0, oldSize_ = 0;
  std::vector<BYTE> old_;
};

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// What a control shows on the screen: its most frequent colour (the
// background) and how many pixels are light or dark against it.
struct Seen {
  double background = 0;  // luminance
  int light = 0;          // pixels of luminance above 0.6
  int dark = 0;           // below 0.15
  int selection = 0;      // in the dark palette's selection background
  bool darkWithLightText() const { return background < kDarkLuminance && light > 20; }
  bool lightWithDarkText() const { return background > 0.5 && dark > 20; }
};

Seen look(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
  RECT r{};
  GetClientRect(control, &r);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int w = r.right - r.left, h = r.bottom - r.top;
  Seen seen;
  if (w <= 0 || h <= 0) return seen;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  std::map<std::uint32_t, int> counts;
  const Rgb selected = darkPalette().selection->background;
  const std::uint32_t selectedPixel = static_cast<std::uint32_t>(selected.red) << 16 | selected.green << 8 | selected.blue;
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) {
    const std::uint32_t p = pixels[i] & 0xFFFFFF;
    ++counts[p];
    seen.selection += p == selectedPixel;
    const double l = relativeLuminance(Rgb{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                           static_cast<std::uint8_t>(p)});
    seen.light += l > 0.6;
    seen.dark += l < 0.15;
  }
  std::uint32_t most = 0;
  int best = 0;
  for (const auto& [colour, n] : counts) {
    if (n > best) best = n, most = colour;
  }
  seen.background = relativeLuminance(
      Rgb{static_cast<std::uint8_t>(most >> 16), static_cast<std::uint8_t>(most >> 8), static_cast<std::uint8_t>(most)});
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return seen;
}

struct Window {
  RunningProgram& run;
  HWND statusBar() const { return FindWindowExW(run.frame, nullptr, STATUSCLASSNAMEW, nullptr); }
  // Tree, list and status bar all dark with light text, or all light with dark.
  void expect(bool dark, const char* when) {
    for (const auto& [name, control] : {std::pair{"tree", run.tree}, {"list", run.list()}, {"status bar", statusBar()}}) {
      const Seen seen = look(control);
      EXPECT_TRUE(dark ? seen.darkWithLightText() : seen.lightWithDarkText())
          << when << ": " << name << " background " << seen.background << ", light " << seen.light << ", dark "
          << seen.dark;
    }
    // The selected node in the palette's selection pair, not the system's highlight.
    EXPECT_EQ(look(run.tree).selection > 100, dark) << when;
  }
};

void windowsSays(const wchar_t* area) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area), SMTO_ABORTIFHUNG, 5000,
                      &result);
}

std::wstring readKeptTheme() {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Velmora", L"Theme", RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

TEST(ColourScheme, FollowsWindowsDarkSettingWhileRunningAndViewThemeOverrides) {
  const SettingsSetAside settings;
  const DWORD darkApps = 0, lightApps = 1;
  ScopedValue apps(kPersonalize, L"AppsUseLightTheme", REG_DWORD, &darkApps, sizeof darkApps);
  SeededRun seeded;
  seeded.add(L"Velmora colour test", L"C:\\windows\\notepad.exe");
  ProgramCopy copy;
  RunningProgram run(copy.dir);
  ASSERT_NE(run.frame, nullptr);
  Window window{run};
  window.expect(true, "dark at start");

  // A dialog: About, with its links lightened to read on the dark face.
  PostMessageW(run.frame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT_CMD, 0), 0);
  HWND about = run.program.dialog(L"About Velmora", 10000);
  ASSERT_NE(about, nullptr);
  const Seen dialog = look(about);
  EXPECT_TRUE(dialog.darkWithLightText()) << dialog.background << " " << dialog.light;
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(within(5000, [&] { return !IsWindow(about); }));

  // Windows turns light: the running window follows.
  apps.set(REG_DWORD, &lightApps, sizeof lightApps);
  windowsSays(L"ImmersiveColorSet");
  window.expect(false, "after Windows turned light");

  // View > Theme > Dark wins over Windows' light setting, and is kept.
  SendMessageW(run.frame, WM_COMMAND, MAKEWPARAM(ID_THEME_DARK, 0), 0);
  window.expect(true, "View > Theme > Dark");
  EXPECT_EQ(readKeptTheme(), L"Dark");
  windowsSays(L"ImmersiveColorSet");
  window.expect(true, "Windows' setting no longer followed");
  SendMessageW(run.frame, WM_COMMAND, MAKEWPARAM(ID_THEME_SYSTEM, 0), 0);
  window.expect(false, "back to Windows' setting");
  EXPECT_TRUE(run.close());
}

// What a High Contrast theme sets (Wine cannot turn High Contrast itself
// on): the tree takes both its colours from the system, never white text
// on a white background.
TEST(ColourScheme, TheTreeIsReadableInTheSystemColoursOfHighContrast) {
  const SettingsSetAside settings;
  const wchar_t black[] = L"0 0 0", white[] = L"255 255 255";
  ScopedValue window(L"Control Panel\\Colors", L"Window", REG_SZ, black, sizeof black);
  ScopedValue text(L"Control Panel\\Colors", L"WindowText", REG_SZ, white, sizeof white);
  ProgramCopy copy;
  RunningProgram run(copy.dir);
  ASSERT_NE(run.frame, nullptr);
  const Seen tree = look(run.tree);
  EXPECT_TRUE(tree.darkWithLightText()) << tree.background << " " << tree.light;
  EXPECT_TRUE(run.close());
}

}  // namespace
}  // namespace velmora::testing
