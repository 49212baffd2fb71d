#include "app/win32/frame_commands.h"

#include "core/win32/log_component.h"

namespace velmora::win32 {

void showLogViewer(HWND frame) { logConnection().openViewer(frame); }

}  // namespace velmora::win32
