#include "pane/win32/dialog_window.h"

#include <exception>

namespace velmora::win32 {

DialogWindow::~DialogWindow() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The window outlives nothing it points to.
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

HWND DialogWindow::createDialog(HINSTANCE instance, int templateId, HWND parent) {
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, procedure,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogWindow::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<DialogWindow*>(lp);
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    if (self) self->hwnd_ = hwnd;
  }
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->handle(msg, wp, lp);
  } catch (const std::exception& e) {
    OutputDebugStringA(e.what());
  } catch (...) {
    OutputDebugStringA("unexpected exception in a dialog procedure");
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace velmora::win32
