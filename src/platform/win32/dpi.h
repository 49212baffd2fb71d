#pragma once
// Pixels per inch of a window's monitor, and what follows from it. Every
// pixel figure of the program is given at 96 DPI and scaled here; the
// manifest declares the program per-monitor aware, so nobody stretches its
// bitmaps for it.
#include <windows.h>

#include "platform/win32/handles.h"

namespace velmora::win32 {

constexpr int kBaseDpi = 96;

// The DPI of the monitor `window` is on; the screen's when the system
// cannot say per window (user32 before Windows 10 1607).
[[nodiscard]] int windowDpi(HWND window);

// A length given at 96 DPI, at `dpi`.
[[nodiscard]] inline int scaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
// A length measured at `from` DPI, at `to`.
[[nodiscard]] inline int rescale(int pixels, int from, int to) { return from == to ? pixels : MulDiv(pixels, to, from); }

// Stops the dialog manager from resizing `dialog` and its controls by itself
// when the DPI changes (Windows 10 1703 on), since the window does it.
void takeOverDpiScaling(HWND dialog);

// A copy of `font` sized for `to` DPI instead of `from`; of the default GUI
// font when `font` is null. Empty when it cannot be made.
[[nodiscard]] FontHandle rescaledFont(HFONT font, int from, int to);

// Moves and sizes `child` (in its parent's client coordinates) from `from`
// DPI to `to` and gives it `font` (when not null).
void rescaleChild(HWND child, int from, int to, HFONT font);

// rescaleChild for every direct child of `parent`.
void rescaleChildren(HWND parent, int from, int to, HFONT font);

}  // namespace velmora::win32
