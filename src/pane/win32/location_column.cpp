#include "pane/win32/location_column.h"

#include <algorithm>
#include <vector>

#include "pane/path_ellipsis.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/tip_relay.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
// What the list keeps free beside a cell's text, both sides together, at
// 96 DPI: Windows' list leaves about 6 pixels each side, Wine's a little
// less. A text measured against the rest is never cut again by the list.
constexpr int kCellMargins = 12;

std::string cellText(HWND list, int row, int column) {
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = static_cast<std::size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    // A text that filled the buffer may have been cut: asked again, larger.
    if (length + 1 < buffer.size() || buffer.size() >= 65536) return narrow(std::wstring(buffer.data(), length));
    buffer.resize(buffer.size() * 4);
  }
}
}  // namespace

LocationColumn::~LocationColumn() {
  if (list_ && previous_) SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  if (tip_) DestroyWindow(tip_);
}

void LocationColumn::attach(HWND list, HWND owner, int dpi) {
  list_ = list;
  dpi_ = dpi;
  // Its own window procedure in front of the list's, not SetWindowSubclass:
  // under Wine that looks its chain up as a window property, a round trip
  // to the server, on every message, and a refill sends the list a few
  // messages a row (2,000 rows took 700 ms instead of 40).
  SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&listProc)));
  // Our own tip window over the cell found by hit testing, rather than the
  // list's LVN_GETINFOTIP (LVS_EX_INFOTIP): tested the same under Wine and
  // on Windows, where the lists differ in whether and for which cell they
  // ask for an info tip. One tool at a time, over the cell under the mouse:
  // a new cell is a new tool, so the tip waits and shows again as it does
  // between two controls.
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
}

void LocationColumn::checkMeasure() {
  const int width = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column_), 0)) -
                    scaleToDpi(kCellMargins, dpi_);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
  if (width == width_ && font == font_) return;
  width_ = width;
  font_ = font;
  painted_.clear();
}

std::string LocationColumn::painted(const std::string& path) {
  if (!list_) return path;
  // A paint measured once, as it began: asking the list for its width and
  // font at every row cost a paint of the full list 18 ms under Wine.
  if (painting_ == 0) checkMeasure();
  if (const auto it = painted_.find(path); it != painted_.end()) return it->second;
  const WindowDc dc(list_);
  const SelectedObject font(dc.get(), font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  const int width = width_;
  std::string text = middleEllipsis(path, [&dc, width](const std::string& candidate) {
    const std::wstring wide = widen(candidate);
    SIZE size{};
    return GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size) && size.cx <= width;
  });
  return painted_.emplace(path, std::move(text)).first->second;
}

std::string LocationColumn::shown(const std::string& path) { return painting_ > 0 ? painted(path) : path; }

std::string LocationColumn::tipAt(POINT inList) {
  if (!list_) return {};
  LVHITTESTINFO hit{};
  hit.pt = inList;
  if (SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0 ||
      hit.iSubItem != column_) {
    return {};
  }
  std::string path = cellText(list_, hit.iItem, column_);
  return painted(path) == path ? std::string() : path;
}

void LocationColumn::dropTool() {
  if (tool_ != 0) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list_;
    tool.uId = tool_;
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool_ = 0;
  }
  tipRow_ = tipColumn_ = -1;
}

void LocationColumn::followMouse(const MSG& msg) {
  if (!tip_) return;
  if (msg.message == WM_MOUSEMOVE) {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem != tipRow_ || hit.iSubItem != tipColumn_) {
      dropTool();
      tipRow_ = hit.iItem;
      tipColumn_ = hit.iSubItem;
      if (std::string text = tipAt(hit.pt); !text.empty()) {
        tipText_ = widen(text);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = 0;
        tool.hwnd = list_;
        tool.uId = tool_ = nextTool_++;
        tool.lpszText = tipText_.data();
        tool.rect.left = LVIR_BOUNDS;
        tool.rect.top = column_;
        SendMessageW(list_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(hit.iItem), reinterpret_cast<LPARAM>(&tool.rect));
        tool.rect.right = tool.rect.left + static_cast<int>(SendMessageW(
                                               list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column_), 0));
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
      }
    }
  }
  SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

LRESULT CALLBACK LocationColumn::listProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
  auto* column = reinterpret_cast<LocationColumn*>(GetWindowLongPtrW(list, GWLP_USERDATA));
  const WNDPROC previous = column->previous_;
  const auto callList = [previous](HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcW(previous, h, m, w, l);
  };
  if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
    if (column->painting_ == 0) column->checkMeasure();
    ++column->painting_;
    const LRESULT result = callList(list, msg, wp, lp);
    --column->painting_;
    return result;
  }
  if (column->painting_ > 0) {
    // A message that reaches the list while it paints is someone else's
    // (the list paints by calling itself, not by sending itself messages):
    // an LVM_GETITEMTEXT from another program, say, let in while the paint
    // waits somewhere. It gets the whole path.
    const int painting = column->painting_;
    column->painting_ = 0;
    const LRESULT result = callList(list, msg, wp, lp);
    column->painting_ = painting;
    return result;
  }
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      column->followMouse(tipRelayMessage(list, msg, wp, lp));
      break;
    }
    case WM_NOTIFY: {
      // The column's new width shortens its paths anew: painted whole again,
      // not only where the list thinks the change shows.
      const auto* header = reinterpret_cast<const NMHEADERW*>(lp);
      if ((header->hdr.code == HDN_ITEMCHANGEDW || header->hdr.code == HDN_ITEMCHANGEDA) &&
          header->iItem == column->column_) {
        InvalidateRect(list, nullptr, FALSE);
      }
      break;
    }
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSELEAVE:
      // The cell under the mouse is another now, or none.
      column->dropTool();
      break;
    case WM_NCDESTROY:
      // The pane goes: the tip with it, while its handle is surely ours.
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      column->list_ = nullptr;
      if (column->tip_) DestroyWindow(column->tip_);
      column->tip_ = nullptr;
      break;
  }
  return callList(list, msg, wp, lp);
}

}  // namespace velmora::win32
