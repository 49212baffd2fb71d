// A list's header and a status bar painted from the dark palette: Windows
// draws neither dark by itself (and Wine draws them in its light colours
// whatever the theme), so in a dark scheme we paint them; in any other the
// controls paint themselves.
#include "platform/win32/colour_scheme.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/handles.h"

namespace velmora::win32 {

namespace {

constexpr UINT_PTR kHeaderPainter = 0x564C4831;     // "VLH1"
constexpr UINT_PTR kStatusBarPainter = 0x564C5331;  // "VLS1"

// Between the face and its text: part borders and header separators.
COLORREF lineColour(const ColourScheme& scheme) {
  const COLORREF a = scheme.faceBackground();
  const COLORREF b = scheme.faceText();
  return RGB((GetRValue(a) * 3 + GetRValue(b)) / 4, (GetGValue(a) * 3 + GetGValue(b)) / 4,
             (GetBValue(a) * 3 + GetBValue(b)) / 4);
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void drawText(HDC dc, HWND control, const std::wstring& text, RECT r, UINT format, COLORREF colour) {
  const SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            format | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// One header item: its text where the header would put it, the sort arrow
// at the right, a separator line.
void paintHeaderItem(const NMCUSTOMDRAW& draw, const ColourScheme& scheme) {
  HWND header = draw.hdr.hwndFrom;
  const auto index = static_cast<int>(draw.dwItemSpec);
  wchar_t text[260] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = 260;
  SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  RECT r = draw.rc;
  fill(draw.hdc, r, scheme.faceBackground());
  const int pad = std::max(4, static_cast<int>(r.bottom - r.top) / 4);
  RECT line{r.right - 1, r.top + pad / 2, r.right, r.bottom - pad / 2};
  fill(draw.hdc, line, lineColour(scheme));
  RECT textRect{r.left + pad, r.top, r.right - pad * 3, r.bottom};
  const UINT align = (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT
                     : (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER : DT_LEFT;
  drawText(draw.hdc, header, text, textRect, align, scheme.faceText());
  if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
    const int half = std::max(3, pad / 2);
    const int cx = r.right - pad * 2;
    const int cy = (r.top + r.bottom) / 2;
    const int dir = (item.fmt & HDF_SORTUP) ? -1 : 1;
    const POINT arrow[] = {{cx - half, cy - dir * half / 2}, {cx + half, cy - dir * half / 2}, {cx, cy + dir * half / 2}};
    const BrushHandle brush(CreateSolidBrush(scheme.faceText()));
    const SelectedObject selectedBrush(draw.hdc, brush.get());
    const SelectedObject pen(draw.hdc, GetStockObject(NULL_PEN));
    Polygon(draw.hdc, arrow, 3);
  }
}

LRESULT CALLBACK headerPainter(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  const ColourScheme& scheme = colourScheme();
  if (msg == WM_NOTIFY && scheme.dark()) {
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lp);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (draw->hdr.hwndFrom == header && draw->hdr.code == NM_CUSTOMDRAW) {
      switch (draw->dwDrawStage) {
        case CDDS_PREPAINT: {
          // What lies right of the last column.
          RECT client{};
          GetClientRect(header, &client);
          fill(draw->hdc, client, scheme.faceBackground());
          return CDRF_NOTIFYITEMDRAW;
        }
        case CDDS_ITEMPREPAINT:
          paintHeaderItem(*draw, scheme);
          return CDRF_SKIPDEFAULT;
      }
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, headerPainter, kHeaderPainter);
  return DefSubclassProc(list, msg, wp, lp);
}

void paintStatusBar(HWND bar, const ColourScheme& scheme) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(bar, &paint);
  if (!dc) return;
  RECT client{};
  GetClientRect(bar, &client);
  fill(dc, client, scheme.faceBackground());
  RECT top{client.left, client.top, client.right, client.top + 1};
  fill(dc, top, lineColour(scheme));
  const int parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
  for (int part = 0; part < parts; ++part) {
    RECT r{};
    if (!SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&r))) continue;
    const int length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    const int pad = std::max(2, static_cast<int>(r.bottom - r.top) / 5);
    if (part + 1 < parts) {
      RECT line{r.right - 1, r.top + pad, r.right, r.bottom - pad};
      fill(dc, line, lineColour(scheme));
    }
    RECT textRect{r.left + pad * 2, r.top, r.right - pad * 2, r.bottom};
    drawText(dc, bar, text, textRect, DT_LEFT, scheme.faceText());
  }
  EndPaint(bar, &paint);
}

LRESULT CALLBACK statusBarPainter(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  const ColourScheme& scheme = colourScheme();
  if (scheme.dark()) {
    switch (msg) {
      case WM_ERASEBKGND: return TRUE;
      case WM_PAINT: paintStatusBar(bar, scheme); return 0;
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(bar, statusBarPainter, kStatusBarPainter);
  return DefSubclassProc(bar, msg, wp, lp);
}

}  // namespace

// Installing the same painter again only replaces its (unused) data.
void paintHeaderFromScheme(HWND list) { SetWindowSubclass(list, headerPainter, kHeaderPainter, 0); }

void paintStatusBarFromScheme(HWND statusBar) { SetWindowSubclass(statusBar, statusBarPainter, kStatusBarPainter, 0); }

}  // namespace velmora::win32
