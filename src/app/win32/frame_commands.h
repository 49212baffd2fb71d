#pragma once
// The main window's own commands that open a window of another component:
// the log viewer. The web pages and About are dialogs/win32's.
#include <windows.h>

#include "dialogs/win32/about_dialog.h"

namespace velmora::win32 {

void showLogViewer(HWND frame);

}  // namespace velmora::win32
