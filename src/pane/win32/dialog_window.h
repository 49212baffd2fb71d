#pragma once
// One dispatch point per dialog: the static procedure finds the object at
// WM_INITDIALOG (passed as the creation parameter) and forwards every later
// message to it. No exception leaves the procedure.
#include <windows.h>

namespace velmora::win32 {

class DialogWindow {
 public:
  DialogWindow() = default;
  virtual ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Creates the modeless dialog from a template of this module.
  HWND createDialog(HINSTANCE instance, int templateId, HWND parent);
  // Handles one message; return what a dialog procedure returns (TRUE when
  // handled). Results of WM_NOTIFY go through setResult.
  virtual INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) = 0;
  void setResult(LRESULT result) { SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result); }

 private:
  static INT_PTR CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

}  // namespace velmora::win32
