#pragma once
// The one way every dialog and the main window are placed when they open.
#include <windows.h>

namespace velmora::win32 {

// A child dialog centres on its parent's client area; a popup on its owner
// when the owner is visible and not minimised; otherwise on the work area
// of the monitor the window is on. The result is held inside the work area
// of the monitor of that reference, so a dialog of a window on a second
// screen opens on that screen. Size and z-order stay. A maximised window's
// restored rectangle is centred on its monitor's work area instead.
void centreWindow(HWND window);

}  // namespace velmora::win32
