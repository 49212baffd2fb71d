// TEMPORARY scaffolding so the program links while the frame commands are built.
#include "app/win32/frame_commands.h"

namespace velmora::win32 {

void openWebPage(HWND, WebPage) {}
void showLogViewer(HWND) {}
void showAboutDialog(HWND, const Translator&) {}
ProductInfo productInfo() { return {}; }

}  // namespace velmora::win32
