// Velmora's entry point.
#include <windows.h>
#include <commctrl.h>

#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "resource.h"

using namespace velmora;

namespace {
INT_PTR CALLBACK frameProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      win32::translateDialog(dlg, win32::languageTable());
      win32::translateMenu(GetMenu(dlg), win32::languageTable());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == ID_APP_EXIT_CMD) {
        DestroyWindow(dlg);
        PostQuitMessage(2);
      }
      return TRUE;
  }
  return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::languageTable().setFile(win32::programFiles().languageFile());
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND frame = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAINFRAME), nullptr, frameProc, 0);
  if (!frame) return 0;
  ShowWindow(frame, SW_SHOWMAXIMIZED);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(frame, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
