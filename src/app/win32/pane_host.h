#pragma once
// The window in which the entry list panes live, one visible at a time.
// A pane's window is made when it is first shown: nobody waits for panes
// nobody looks at. Slots are in node order.
#include <windows.h>

#include <functional>
#include <vector>

namespace velmora::win32 {

class PaneHost {
 public:
  PaneHost() = default;
  PaneHost(const PaneHost&) = delete;
  PaneHost& operator=(const PaneHost&) = delete;

  HWND create(HINSTANCE instance, HWND parent);
  HWND hwnd() const { return hwnd_; }

  // Makes the window of pane `index` inside `parent`; null when it could not.
  using PaneMaker = std::function<HWND(int index, HWND parent)>;
  // `count` slots, each filled by `make` when the pane is first shown.
  void setPanes(int count, PaneMaker make);
  int count() const { return static_cast<int>(panes_.size()); }
  // The pane's window, or null while it has never been shown.
  HWND pane(int index) const;
  // -1 until a pane is shown.
  int visibleIndex() const { return visible_; }
  // The visible pane's window when it is still alive; null otherwise.
  HWND visiblePane() const;
  // Hides the visible pane and shows pane `index` over the whole host,
  // making its window first when it has none. False when there is no such
  // pane or its window could not be made.
  bool show(int index);

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
  PaneMaker make_;
  int visible_ = -1;
};

}  // namespace velmora::win32
