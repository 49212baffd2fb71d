#pragma once
// Centring a dialog when it opens.
#include <windows.h>

namespace velmora::win32 {

// A child dialog centres on its parent's client area; a popup on its owner
// when the owner is visible and not minimised; otherwise on the work area.
// The result is held inside the work area. Size and z-order stay.
void centreDialog(HWND dialog);

}  // namespace velmora::win32
