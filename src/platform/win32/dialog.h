#pragma once
// The base of every dialog, modal or modeless, the main window and the
// panes included: one dialog procedure that finds the object at
// WM_INITDIALOG and hands each message to an override, with one exception
// barrier. A modal dialog is data in, data out: the caller fills a plain
// struct, the dialog reads its controls into it only on OK.
#include <windows.h>

#include <optional>
#include <string>

namespace velmora::win32 {

class Dialog {
 public:
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  [[nodiscard]] HWND hwnd() const { return hwnd_; }

  // Runs the dialog from its template in this module until it ends; the
  // value given to end(), or -1 when the window could not be made.
  INT_PTR runModal(HWND owner);
  // Creates the window and returns at once; null on failure. The object
  // must outlive the window (its destructor destroys a window still open).
  HWND createModeless(HINSTANCE instance, HWND parent);

 protected:
  explicit Dialog(int templateId) : templateId_(templateId) {}

  // WM_INITDIALOG. True lets the system put the focus on the first tab
  // stop; return false after setting the focus yourself.
  [[nodiscard]] virtual bool onInit() { return true; }
  // A command (button, menu, accelerator). True when handled; the default
  // sends IDOK to onOk and IDCANCEL to onCancel.
  [[nodiscard]] virtual bool onCommand(int id, int code, HWND control);
  virtual void onOk() { end(IDOK); }
  virtual void onCancel() { end(IDCANCEL); }
  // WM_NOTIFY from a control. True when handled; a result the sender reads
  // goes through setResult.
  [[nodiscard]] virtual bool onNotify(const NMHDR& header);
  // Any other message; nothing means "not handled" (FALSE to the system).
  [[nodiscard]] virtual std::optional<INT_PTR> onMessage(UINT msg, WPARAM wp, LPARAM lp);

  // A modal dialog ends with `result`; a modeless one is destroyed.
  void end(INT_PTR result);
  void setResult(LRESULT result) { SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result); }
  [[nodiscard]] HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  void setItemText(int id, const std::string& text) const;
  [[nodiscard]] bool modal() const { return modal_; }

 private:
  static INT_PTR CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR dispatch(UINT msg, WPARAM wp, LPARAM lp);
  // The exception barrier's second half: report, and leave a modal dialog
  // with Cancel (its data is only written on OK, so nothing half-done
  // reaches the caller); a modeless window stays as far as it got.
  void failed(UINT msg);

  int templateId_;
  bool modal_ = false;
  HWND hwnd_ = nullptr;
};

}  // namespace velmora::win32
