#include "app/win32/pane_host.h"

#include "platform/win32/window_dispatch.h"

namespace velmora::win32 {

namespace {
constexpr const wchar_t* kClassName = L"VelmoraPaneHost";
}

HWND PaneHost::create(HINSTANCE instance, HWND parent) {
  if (!WindowDispatch::registerClass<PaneHost>(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) {
    return nullptr;
  }
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPCHILDREN,
                         0, 0, 0, 0, parent, nullptr, instance, this);
}

HWND PaneHost::pane(int index) const {
  return index >= 0 && index < count() ? panes_[static_cast<std::size_t>(index)] : nullptr;
}

HWND PaneHost::visiblePane() const {
  HWND p = pane(visible_);
  return p && IsWindow(p) ? p : nullptr;
}

void PaneHost::setPanes(int count, PaneMaker make) {
  panes_.assign(static_cast<std::size_t>(count), nullptr);
  make_ = std::move(make);
}

bool PaneHost::show(int index) {
  if (index < 0 || index >= count()) return false;
  if (index == visible_) return true;
  HWND& slot = panes_[static_cast<std::size_t>(index)];
  if (!slot && make_) slot = make_(index, hwnd_);
  HWND next = slot;
  if (!next) return false;
  if (HWND old = visiblePane()) ShowWindow(old, SW_HIDE);
  RECT client{};
  GetClientRect(hwnd_, &client);
  MoveWindow(next, 0, 0, client.right, client.bottom, FALSE);
  ShowWindow(next, SW_SHOW);
  visible_ = index;
  return true;
}

LRESULT PaneHost::handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE) {
    if (HWND p = visiblePane()) MoveWindow(p, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora::win32
