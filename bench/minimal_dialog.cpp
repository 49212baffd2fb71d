// The yardstick for the memory figure: the smallest dialog program, built
// with the same toolchain, flags and manifest as velmora.exe and measured
// under the same Wine, so that Wine's own share of the resident size cancels
// out. With the argument "maximised" it fills the screen as velmora.exe
// does, so that the window's own surface cancels out too.
#include <windows.h>

namespace {

bool maximised = false;

INT_PTR CALLBACK procedure(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG && maximised) ShowWindow(dialog, SW_SHOWMAXIMIZED);
  if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

// An in-memory template: one captioned, visible dialog with an OK button.
struct Template {
  DLGTEMPLATE dialog;
  WORD menu, windowClass;
  wchar_t title[8];
  DLGITEMTEMPLATE button alignas(4);
  WORD buttonClass[2];
  wchar_t buttonText[3];
  WORD creationData;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  maximised = arguments && lstrcmpiW(arguments, L"maximised") == 0;
  Template t{};
  t.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_MAXIMIZEBOX | DS_CENTER;
  t.dialog.cdit = 1;
  t.dialog.cx = 120;
  t.dialog.cy = 60;
  lstrcpyW(t.title, L"Minimal");
  t.button.style = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
  t.button.x = 35;
  t.button.y = 20;
  t.button.cx = 50;
  t.button.cy = 14;
  t.button.id = IDOK;
  t.buttonClass[0] = 0xFFFF;
  t.buttonClass[1] = 0x0080;  // BUTTON
  lstrcpyW(t.buttonText, L"OK");
  return static_cast<int>(DialogBoxIndirectW(instance, &t.dialog, nullptr, procedure));
}
