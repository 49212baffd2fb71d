#include "dialogs/win32/hyperlink.h"

#include <commctrl.h>

#include <algorithm>

#include "lang/win32/translate_win32.h"
#include "platform/win32/colour_scheme.h"
#include "platform/win32/failure_report.h"

namespace velmora::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 0x4C494E4B;  // one subclass of ours per control

COLORREF toColorRef(const Rgb& c) { return RGB(c.red, c.green, c.blue); }

bool isStatic(HWND window) {
  // Room for "Static" and more: a longer class name is another class.
  constexpr int kNameUnits = 16;
  wchar_t name[kNameUnits] = {};
  GetClassNameW(window, name, kNameUnits);
  return lstrcmpiW(name, L"Static") == 0;
}

bool isTextStyle(LONG_PTR style) {
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      return true;
  }
  return false;
}

HFONT underlinedCopy(HWND control) {
  HFONT base = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
  if (!base) base = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW font{};
  if (!GetObjectW(base, sizeof font, &font)) return nullptr;
  font.lfUnderline = TRUE;
  return CreateFontIndirectW(&font);
}

}  // namespace

bool Hyperlink::attach(HWND control, std::string address, const LinkColours& colours, ShellOpener opener) {
  if (!IsWindow(control) || !isStatic(control)) return false;
  detach();
  control_ = control;
  address_ = std::move(address);
  opener_ = std::move(opener);
  text_ = windowText(control);
  visited_ = false;
  pressed_ = false;

  // SS_NOTIFY lets the static see the mouse at all; WS_TABSTOP lets the
  // keyboard reach it.
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  SetWindowLongPtrW(control, GWL_STYLE, style | SS_NOTIFY | WS_TABSTOP);
  textControl_ = isTextStyle(style);
  if (textControl_) {
    linkColour_ = toColorRef(colours.link);
    visitedColour_ = toColorRef(colours.visited);
    font_.reset(underlinedCopy(control));
  }
  SetWindowSubclass(control, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  InvalidateRect(control, nullptr, TRUE);
  return true;
}

void Hyperlink::detach() {
  if (control_) {
    RemoveWindowSubclass(control_, subclassProc, kSubclassId);
    if (IsWindow(control_)) InvalidateRect(control_, nullptr, TRUE);
    control_ = nullptr;
  }
  font_.reset();
}

COLORREF Hyperlink::textColour() const {
  if (control_ && !IsWindowEnabled(control_)) return GetSysColor(COLOR_GRAYTEXT);
  const COLORREF chosen = visited_ ? visitedColour_ : linkColour_;
  // The user's link colour, lightened just enough where the dialog is dark.
  const COLORREF face = colourScheme().faceBackground();
  const Rgb shown = readableText(Rgb{GetRValue(chosen), GetGValue(chosen), GetBValue(chosen)},
                                 Rgb{GetRValue(face), GetGValue(face), GetBValue(face)});
  return colourScheme().dark() ? colorOf(shown) : chosen;
}

HGDIOBJ Hyperlink::drawFont() const {
  return font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(DEFAULT_GUI_FONT);
}

UINT Hyperlink::drawFlags() const {
  const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
  UINT flags = DT_TOP | DT_LEFT;
  const LONG_PTR type = style & SS_TYPEMASK;
  flags |= (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) ? DT_SINGLELINE : DT_WORDBREAK;
  if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
  return flags;
}

// Where the text is drawn: its own extent, placed as the static's
// alignment places it, so only the words themselves are the link.
RECT Hyperlink::textRect() const {
  RECT client{};
  GetClientRect(control_, &client);
  if (!textControl_) return client;
  RECT extent = client;
  {
    const WindowDc dc(control_);
    const SelectedObject font(dc.get(), drawFont());
    DrawTextW(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &extent, drawFlags() | DT_CALCRECT);
  }

  const LONG width = std::min(extent.right - extent.left, client.right);
  const LONG_PTR type = GetWindowLongPtrW(control_, GWL_STYLE) & SS_TYPEMASK;
  LONG left = 0;
  if (type == SS_CENTER) left = (client.right - width) / 2;
  if (type == SS_RIGHT) left = client.right - width;
  return RECT{left, 0, left + width, std::min(extent.bottom - extent.top, client.bottom)};
}

bool Hyperlink::overText(POINT client) const {
  const RECT r = textRect();
  return PtInRect(&r, client) != FALSE;
}

void Hyperlink::paint(HDC dc) {
  RECT client{};
  GetClientRect(control_, &client);
  // The parent chooses the background, as it does for every static.
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(control_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control_)));
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));

  RECT text = textRect();
  const int savedMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF savedColour = SetTextColor(dc, textColour());
  {
    const SelectedObject font(dc, drawFont());
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text, drawFlags());
  }
  SetTextColor(dc, savedColour);
  SetBkMode(dc, savedMode);
  if (GetFocus() == control_) DrawFocusRect(dc, &text);
}

void Hyperlink::open() {
  if (opener_ && opener_(nullptr, ShellRequest{address_, {}})) {
    visited_ = true;
    InvalidateRect(control_, nullptr, TRUE);
  }
}

LRESULT CALLBACK Hyperlink::subclassProc(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  try {
    auto* link = reinterpret_cast<Hyperlink*>(self);
    if (link && link->control_ == window) return link->handle(message, wp, lp);
  } catch (...) {
    // Nothing may cross into the window manager; fall back to the static.
    reportFailure(window, "link", currentExceptionText());
  }
  return DefSubclassProc(window, message, wp, lp);
}

LRESULT Hyperlink::handle(UINT message, WPARAM wp, LPARAM lp) {
  HWND window = control_;
  const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  switch (message) {
    case WM_PAINT:
      if (!textControl_) break;
      {
        const PaintDc dc(window);
        paint(dc.get());
      }
      return 0;
    case WM_PRINTCLIENT:
      if (!textControl_) break;
      paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_SETCURSOR: {
      POINT cursor{};
      GetCursorPos(&cursor);
      ScreenToClient(window, &cursor);
      if (overText(cursor)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
      if (overText(at)) {
        pressed_ = true;
        SetCapture(window);
        SetFocus(window);
      }
      return 0;
    case WM_LBUTTONUP:
      if (pressed_) {
        pressed_ = false;
        ReleaseCapture();
        if (overText(at)) open();  // released elsewhere: changed one's mind
      }
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      break;
    case WM_GETDLGCODE: {
      // Enter and Space belong to the link while it has the focus, not to
      // the dialog's default button.
      const auto* msg = reinterpret_cast<const MSG*>(lp);
      if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
          (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE))
        return DLGC_WANTMESSAGE;
      break;
    }
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_SPACE) {
        open();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == VK_RETURN || wp == VK_SPACE) return 0;  // handled on the key press
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(window, nullptr, TRUE);
      break;
    case WM_NCDESTROY:
      // The control goes before the object: let go of it now.
      detach();
      break;
  }
  return DefSubclassProc(window, message, wp, lp);
}

}  // namespace velmora::win32
