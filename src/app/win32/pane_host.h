#pragma once
// The window in which the entry list panes live, one visible at a time.
// Pane windows are kept in the order they were added, which is node order.
#include <windows.h>

#include <vector>

namespace velmora::win32 {

class PaneHost {
 public:
  PaneHost() = default;
  PaneHost(const PaneHost&) = delete;
  PaneHost& operator=(const PaneHost&) = delete;

  HWND create(HINSTANCE instance, HWND parent);
  HWND hwnd() const { return hwnd_; }

  void add(HWND pane) { panes_.push_back(pane); }
  int count() const { return static_cast<int>(panes_.size()); }
  HWND pane(int index) const;
  // -1 until a pane is shown.
  int visibleIndex() const { return visible_; }
  // The visible pane's window when it is still alive; null otherwise.
  HWND visiblePane() const;
  // Hides the visible pane and shows pane `index` over the whole host.
  void show(int index);

 private:
  friend struct WindowDispatch;
  void attach(HWND hwnd) { hwnd_ = hwnd; }
  void detach() {
    hwnd_ = nullptr;
    visible_ = -1;
  }
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
  std::vector<HWND> panes_;
  int visible_ = -1;
};

}  // namespace velmora::win32
