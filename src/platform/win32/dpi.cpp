#include "platform/win32/dpi.h"

#include "platform/win32/system_function.h"

namespace velmora::win32 {

namespace {

// Looked up by name: older user32 (and older MinGW headers) lack them.
template <class Function>
Function user32Function(const char* name) {
  return systemFunction<Function>(L"user32.dll", name);
}

// SetDialogDpiChangeBehavior's DDC_DISABLE_ALL, DDC_DISABLE_RESIZE and
// DDC_DISABLE_CONTROL_RELAYOUT.
constexpr int kDialogScalingOff = 0x0001 | 0x0002 | 0x0004;

int screenDpi() {
  const WindowDc screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int windowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return screenDpi();
}

void takeOverDpiScaling(HWND dialog) {
  using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehaviour = user32Function<SetBehaviourFn>("SetDialogDpiChangeBehavior");
  if (setBehaviour && dialog) setBehaviour(dialog, kDialogScalingOff, kDialogScalingOff);
}

FontHandle rescaledFont(HFONT font, int from, int to) {
  LOGFONTW face{};
  HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
  if (!source || GetObjectW(source, sizeof face, &face) != sizeof face) return {};
  face.lfHeight = rescale(face.lfHeight, from, to);
  face.lfWidth = rescale(face.lfWidth, from, to);
  return FontHandle(CreateFontIndirectW(&face));
}

void rescaleChild(HWND child, int from, int to, HFONT font) {
  HWND parent = GetParent(child);
  RECT r{};
  if (!parent || !GetWindowRect(child, &r)) return;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  // Edges, not sizes, so that controls side by side stay side by side.
  const int left = rescale(r.left, from, to);
  const int top = rescale(r.top, from, to);
  const int right = rescale(r.right, from, to);
  const int bottom = rescale(r.bottom, from, to);
  if (font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowPos(child, nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void rescaleChildren(HWND parent, int from, int to, HFONT font) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    rescaleChild(child, from, to, font);
  }
}

}  // namespace velmora::win32
