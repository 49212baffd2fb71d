#pragma once
// Owners for every kind of Windows handle the program holds, so that no early
// return leaks one and no cleanup is written twice. Each owner closes its
// handle with the one function that kind needs; the scope classes at the end
// give back what they borrowed (a window's DC, a painting DC, a selected
// GDI object). COM pointers, BSTRs and VARIANTs are in com_ptr.h.
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace velmora::win32 {

// A handle and the one way to close it. Traits give the type, the value that
// means "none" and the close function; a handle is held when it is neither
// null nor the kind's invalid value.
template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    reset(o.release());
    return *this;
  }

  [[nodiscard]] Type get() const { return h_; }
  [[nodiscard]] bool valid() const { return h_ != Type{} && h_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }

  // Gives the handle up without closing it.
  [[nodiscard]] Type release() { return std::exchange(h_, Traits::invalid()); }
  void reset(Type h = Traits::invalid()) {
    const Type old = std::exchange(h_, h);
    if (old != Type{} && old != Traits::invalid()) Traits::close(old);
  }
  // For out-parameters: closes what is held first.
  [[nodiscard]] Type* put() {
    reset();
    return &h_;
  }

 private:
  Type h_ = Traits::invalid();
};

namespace handle_traits {

struct Kernel {
  using Type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct Find {
  using Type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { FindClose(h); }
};
// Kinds whose "none" is null, closed by one API function.
template <class T, auto Close>
struct NullIsNone {
  using Type = T;
  static T invalid() { return nullptr; }
  static void close(T h) { Close(h); }
};
using Key = NullIsNone<HKEY, &RegCloseKey>;
using Icon = NullIsNone<HICON, &DestroyIcon>;
template <class T>
using Gdi = NullIsNone<T, &DeleteObject>;
using ImageList = NullIsNone<HIMAGELIST, &ImageList_Destroy>;
using Menu = NullIsNone<HMENU, &DestroyMenu>;

}  // namespace handle_traits

// Files, mutexes and every other kernel object closed with CloseHandle.
// Both null (CreateMutexW's failure) and INVALID_HANDLE_VALUE (CreateFileW's)
// mean "none".
using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using FileHandle = KernelHandle;
using FindHandle = UniqueHandle<handle_traits::Find>;
using RegKey = UniqueHandle<handle_traits::Key>;
// Only for icons made for us (ExtractIcon, CreateIcon): shared ones
// (LoadIcon, LR_SHARED) must never be destroyed.
using IconHandle = UniqueHandle<handle_traits::Icon>;
using BrushHandle = UniqueHandle<handle_traits::Gdi<HBRUSH>>;
using FontHandle = UniqueHandle<handle_traits::Gdi<HFONT>>;
using BitmapHandle = UniqueHandle<handle_traits::Gdi<HBITMAP>>;
using ImageListHandle = UniqueHandle<handle_traits::ImageList>;
// A menu that is no window's menu bar or attached sub-menu.
using MenuHandle = UniqueHandle<handle_traits::Menu>;

// A window's DC for a scope (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  [[nodiscard]] HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// WM_PAINT's DC (BeginPaint / EndPaint).
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  [[nodiscard]] HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects a GDI object into a DC and selects the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace velmora::win32
