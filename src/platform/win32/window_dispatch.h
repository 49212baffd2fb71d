#pragma once
// One dispatch point for a window class whose windows belong to a C++
// object: the object is recovered at WM_NCCREATE (passed as the create
// parameter), every message goes to its handle(), and no exception ever
// unwinds through the system's callback. A class befriends WindowDispatch
// and provides attach(HWND), detach() and handle(msg, wp, lp).
#include <windows.h>

#include <string>

#include "platform/win32/failure_report.h"

namespace velmora::win32 {

struct WindowDispatch {
  // Registers the class once per module: double clicks, redraw on resize,
  // the arrow cursor, and T's dispatch point. False (and reported) when the
  // class is neither there nor could be registered.
  template <class T>
  [[nodiscard]] static bool registerClass(HINSTANCE instance, const wchar_t* name, HBRUSH background) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, name, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure<T>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc)) return true;
    reportFailure(nullptr, "window class", "RegisterClassExW failed with error " + std::to_string(GetLastError()));
    return false;
  }

  template <class T>
  static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
      self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->attach(hwnd);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->detach();
      return DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
      return self->handle(msg, wp, lp);
    } catch (...) {
      // Nothing unwinds through the system; the message gets its default.
      reportFailure(hwnd, "window procedure", currentExceptionText());
      return DefWindowProcW(hwnd, msg, wp, lp);
    }
  }
};

}  // namespace velmora::win32
