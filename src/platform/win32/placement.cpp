#include "platform/win32/placement.h"

#include "core/window_placement.h"

namespace velmora::win32 {

namespace {

Box boxOf(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }

// The work area of the monitor that holds most of `window` (the nearest one
// when none does).
RECT workAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

void centreWindow(HWND window) {
  // A window made maximised is centred where it goes when restored. The
  // restored rectangle is in workspace coordinates (the work area's own).
  if (IsZoomed(window)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return;
    const RECT work = workAreaOf(window);
    const Box workspace{0, 0, work.right - work.left, work.bottom - work.top};
    RECT& normal = placement.rcNormalPosition;
    const Origin at = centredOrigin(boxOf(normal), workspace, workspace);
    OffsetRect(&normal, at.x - normal.left, at.y - normal.top);
    placement.flags = 0;
    // Only the rectangle changes: a window not shown yet stays hidden.
    placement.showCmd = IsWindowVisible(window) ? SW_SHOWMAXIMIZED : SW_HIDE;
    SetWindowPlacement(window, &placement);
    return;
  }
  RECT self{};
  if (!GetWindowRect(window, &self)) return;

  const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
  HWND parent = child ? GetParent(window) : nullptr;
  HWND owner = child ? nullptr : GetWindow(window, GW_OWNER);
  if (owner && (!IsWindowVisible(owner) || IsIconic(owner))) owner = nullptr;

  // The reference decides the monitor: the parent's or the owner's, else the
  // window's own.
  HWND reference = parent ? parent : owner ? owner : window;
  const RECT work = workAreaOf(reference);
  RECT around = work;
  if (parent) {
    GetClientRect(parent, &around);
    MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&around), 2);
  } else if (owner) {
    GetWindowRect(owner, &around);
  }

  const Origin at = centredOrigin(boxOf(self), boxOf(around), boxOf(work));
  POINT position{at.x, at.y};
  if (parent) ScreenToClient(parent, &position);  // a child is placed in its parent's coordinates
  SetWindowPos(window, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmora::win32
