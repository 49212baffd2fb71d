#include "dialogs/win32/centre_dialog.h"

#include "dialogs/dialog_placement.h"

namespace velmora::win32 {

namespace {
Box boxOf(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }
}  // namespace

void centreDialog(HWND dialog) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT window{};
  if (!GetWindowRect(dialog, &window)) return;

  RECT reference = work;
  const bool child = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) != 0;
  HWND parent = child ? GetParent(dialog) : nullptr;
  if (parent) {
    GetClientRect(parent, &reference);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&reference), 2);
  } else if (HWND owner = GetWindow(dialog, GW_OWNER); owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &reference);
  }

  const Origin at = centredOrigin(boxOf(window), boxOf(reference), boxOf(work));
  POINT position{at.x, at.y};
  if (parent) ScreenToClient(parent, &position);  // a child is placed in its parent's coordinates
  SetWindowPos(dialog, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmora::win32
