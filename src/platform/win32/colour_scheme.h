#pragma once
// The colours every window of the program paints with now, and what gives
// them to a window: Windows' own parts where Windows offers them (the dark
// title bar, the Explorer look of lists and trees), our colours for the
// rest (dialog backgrounds and texts, list, tree, header, status bar).
#include <windows.h>

#include <optional>

#include "core/theme.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

[[nodiscard]] inline COLORREF colorOf(Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

class ColourScheme {
 public:
  ColourScheme() = default;
  ColourScheme(const ColourScheme&) = delete;
  ColourScheme& operator=(const ColourScheme&) = delete;

  // Takes `palette`; the brushes of the last one go once the new ones exist.
  void set(const Palette& palette);
  [[nodiscard]] const Palette& palette() const { return palette_; }
  [[nodiscard]] bool dark() const { return palette_.dark; }
  // Each part's background and text, the palette's pair or the system's.
  [[nodiscard]] COLORREF windowBackground() const;
  [[nodiscard]] COLORREF windowText() const;
  [[nodiscard]] COLORREF faceBackground() const;
  [[nodiscard]] COLORREF faceText() const;
  // The brushes of WM_CTLCOLOR*: null when the system's own is meant.
  [[nodiscard]] HBRUSH faceBrush() const { return face_.get(); }
  [[nodiscard]] HBRUSH windowBrush() const { return window_.get(); }
  // A dialog's answer to WM_CTLCOLOR* (msg, wp, lp as it came); nothing
  // leaves it to the system.
  [[nodiscard]] std::optional<INT_PTR> controlColour(UINT msg, WPARAM wp, LPARAM lp) const;
  // A list's or tree's NM_CUSTOMDRAW while the palette has a selection
  // pair: the selected row in that pair, so its text never lands on a
  // highlight chosen for other text. Nothing leaves the drawing to the
  // control.
  [[nodiscard]] std::optional<LRESULT> customDraw(const NMHDR& header) const;

 private:
  Palette palette_;
  BrushHandle face_;
  BrushHandle window_;
};

// The process's scheme.
ColourScheme& colourScheme();

// Gives `window` and every control in it the scheme's look: the title bar
// (a top-level window), the Explorer theme and colours of lists and trees,
// the painters of headers and status bars, the themes of buttons and edit
// boxes; and repaints it. Called when a window is made and after every
// change of the scheme.
void applyColourScheme(HWND window);

// Applies the scheme to every top-level window of this thread.
void applyColourSchemeToThreadWindows();

// In themed_controls.cpp: the painters that make a header and a status bar
// follow the scheme (Windows draws neither dark by itself). Installed
// once; they pass everything through while the scheme is not dark.
void paintHeaderFromScheme(HWND list);
void paintStatusBarFromScheme(HWND statusBar);

}  // namespace velmora::win32
