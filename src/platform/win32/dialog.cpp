#include "platform/win32/dialog.h"

#include "platform/win32/colour_scheme.h"
#include "platform/win32/failure_report.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

Dialog::~Dialog() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The window outlives nothing it points to.
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    if (!modal_) DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::runModal(HWND owner) {
  modal_ = true;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, procedure,
                         reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createModeless(HINSTANCE instance, HWND parent) {
  modal_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), parent, procedure,
                            reinterpret_cast<LPARAM>(this));
}

bool Dialog::onCommand(int id, int, HWND) {
  switch (id) {
    case IDOK: onOk(); return true;
    case IDCANCEL: onCancel(); return true;
  }
  return false;
}

bool Dialog::onNotify(const NMHDR&) { return false; }

std::optional<INT_PTR> Dialog::onMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

void Dialog::end(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

void Dialog::setItemText(int id, const std::string& text) const { SetDlgItemTextW(hwnd_, id, widen(text).c_str()); }

INT_PTR Dialog::dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const bool focusFirst = onInit();
      // Every dialog, the main window and the panes, in the program's colours.
      applyColourScheme(hwnd_);
      return focusFirst ? TRUE : FALSE;
    }
    case WM_COMMAND:
      return onCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lp);
      if (onNotify(header)) return TRUE;
      const auto drawn = colourScheme().customDraw(header);
      if (drawn) setResult(*drawn);
      return drawn ? TRUE : FALSE;
    }
  }
  if (auto handled = onMessage(msg, wp, lp)) return *handled;
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return colourScheme().controlColour(msg, wp, lp).value_or(FALSE);
  return FALSE;
}

void Dialog::failed(UINT msg) {
  reportFailure(hwnd_, "dialog " + std::to_string(templateId_) + ", message " + std::to_string(msg),
                currentExceptionText());
  if (modal_ && hwnd_) EndDialog(hwnd_, IDCANCEL);
}

INT_PTR CALLBACK Dialog::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    if (self) self->hwnd_ = hwnd;
  }
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  // No exception crosses into the dialog manager.
  try {
    result = self->dispatch(msg, wp, lp);
  } catch (...) {
    self->failed(msg);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace velmora::win32
