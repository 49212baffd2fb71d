#include "app/win32/splitter.h"

#include "app/stored_layout.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/window_dispatch.h"

namespace velmora::win32 {

HWND Splitter::create(HINSTANCE instance, HWND parent, const RECT& rect) {
  // No background brush: the bar is painted; the panes cover the rest.
  if (!WindowDispatch::registerClass<Splitter>(instance, kClassName, nullptr)) return nullptr;
  // Control parent: dialog keyboard navigation walks into the panes.
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left,
                         rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance, this);
}

void Splitter::setPanes(HWND left, HWND right) {
  left_ = left;
  right_ = right;
  layout();
}

void Splitter::setPosition(int x) {
  wanted_ = std::max(0, x);
  layout();
}

void Splitter::setNarrowest(int left, int right) {
  narrowestLeft_ = std::max(0, left);
  narrowestRight_ = std::max(0, right);
  layout();
}

RECT Splitter::barRect() const {
  RECT client{};
  if (hwnd_) GetClientRect(hwnd_, &client);
  return RECT{position_, 0, position_ + barWidth_, client.bottom};
}

bool Splitter::overBar(int x, int y) const {
  const RECT bar = barRect();
  const POINT p{x, y};
  return PtInRect(&bar, p) != 0;
}

void Splitter::layout() {
  if (!hwnd_) {
    position_ = wanted_;
    return;
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  const RECT was = barRect();
  position_ = splitterPosition(wanted_, static_cast<int>(client.right), barWidth_, narrowestLeft_, narrowestRight_);
  if (position_ != was.left) InvalidateRect(hwnd_, &was, TRUE);
  const int height = client.bottom;
  const int rightStart = position_ + barWidth_;
  if (left_) SetWindowPos(left_, nullptr, 0, 0, position_, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (right_) {
    SetWindowPos(right_, nullptr, rightStart, 0, std::max(0, static_cast<int>(client.right) - rightStart), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const RECT bar = barRect();
  InvalidateRect(hwnd_, &bar, TRUE);
}

void Splitter::setBarWidth(int width) {
  barWidth_ = std::max(1, width);
  layout();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Splitter::setBarColour(std::optional<COLORREF> colour) {
  barColour_ = colour;
  if (!hwnd_) return;
  const RECT bar = barRect();
  InvalidateRect(hwnd_, &bar, TRUE);
}

void Splitter::paint() {
  const PaintDc dc(hwnd_);
  const RECT bar = barRect();
  if (barColour_) {
    const BrushHandle brush(CreateSolidBrush(*barColour_));
    FillRect(dc.get(), &bar, brush ? brush.get() : GetSysColorBrush(COLOR_BTNFACE));
  } else {
    FillRect(dc.get(), &bar, GetSysColorBrush(COLOR_BTNFACE));
  }
}

LRESULT Splitter::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      layout();
      return 0;
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR: {
      POINT p{};
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      if (reinterpret_cast<HWND>(wp) == hwnd_ && overBar(p.x, p.y)) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
      if (overBar(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
        dragging_ = true;
        dragOffset_ = GET_X_LPARAM(lp) - position_;
        SetCapture(hwnd_);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) {
        // Where the drag leaves it is checked as any position is.
        setPosition(GET_X_LPARAM(lp) - dragOffset_);
        UpdateWindow(hwnd_);
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    case WM_NOTIFY:
    case WM_COMMAND:
      // The tree's notifications belong to the frame.
      return SendMessageW(GetParent(hwnd_), msg, wp, lp);
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora::win32
