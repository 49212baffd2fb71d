// The main window's colours: View > Theme, and Windows' light or dark
// setting while the choice is System.
#include "app/win32/main_frame.h"

#include "app/win32/theme_win32.h"
#include "platform/win32/colour_scheme.h"
#include "main_frame_res.h"

namespace velmora::win32 {

void MainFrame::takeColours() {
  (void)chooseColours(theme_, skin_);
  const auto& bar = colourScheme().palette().splitter;
  splitter_.setBarColour(bar ? std::optional<COLORREF>(colorOf(*bar)) : std::nullopt);
  if (HMENU menu = GetMenu(hwnd())) {
    CheckMenuRadioItem(menu, ID_THEME_SYSTEM, ID_THEME_DARK, ID_THEME_SYSTEM + static_cast<UINT>(theme_),
                       MF_BYCOMMAND);
  }
}

void MainFrame::chooseTheme(ThemeChoice choice) {
  theme_ = choice;
  keepThemeChoice(choice);
  takeColours();
  // Every window of the program that is open now: the frame, its panes
  // and any dialog or viewer beside it.
  applyColourSchemeToThreadWindows();
}

}  // namespace velmora::win32
