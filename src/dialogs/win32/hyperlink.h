#pragma once
// A static text control made into a link: underlined, in the user's link
// colours, with the hand cursor, opened by a click or by Enter or Space when
// it has the focus.
#include <windows.h>

#include <string>

#include "dialogs/link_colour.h"
#include "dialogs/win32/shell_open.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

class Hyperlink {
 public:
  Hyperlink() = default;
  ~Hyperlink() { detach(); }
  Hyperlink(const Hyperlink&) = delete;
  Hyperlink& operator=(const Hyperlink&) = delete;

  // Attaches to a control of the "Static" class; any other window is left
  // alone and false returned. The link text is the control's text now.
  bool attach(HWND control, std::string address, const LinkColours& colours, ShellOpener opener = shellOpen);
  // Gives the control back its own behaviour and frees the font.
  void detach();

  bool visited() const { return visited_; }
  // The colour the text is drawn in now.
  COLORREF textColour() const;
  const std::string& address() const { return address_; }

 private:
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT handle(UINT message, WPARAM wp, LPARAM lp);
  void paint(HDC dc);
  UINT drawFlags() const;
  HGDIOBJ drawFont() const;
  RECT textRect() const;
  bool overText(POINT client) const;
  void open();

  HWND control_ = nullptr;
  std::string address_;
  std::wstring text_;
  FontHandle font_;  // the underlined copy
  COLORREF linkColour_ = RGB(0, 0, 255);
  COLORREF visitedColour_ = RGB(128, 0, 128);
  bool textControl_ = false;
  bool visited_ = false;
  bool pressed_ = false;
  ShellOpener opener_;
};

}  // namespace velmora::win32
