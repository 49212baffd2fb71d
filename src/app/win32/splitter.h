#pragma once
// A vertical splitter of our own: a left and a right pane with a bar
// between them. The left pane keeps its width in pixels when the splitter
// is resized; the bar can be dragged. Notifications and commands of the
// children go on to the splitter's parent.
#include <windows.h>

#include <optional>

namespace velmora::win32 {

class Splitter {
 public:
  // The bar's width at 96 DPI.
  static constexpr int kBarWidth = 5;
  // The class name under which the splitter window is found.
  static constexpr const wchar_t* kClassName = L"WTL_SplitterWindow";

  Splitter() = default;
  Splitter(const Splitter&) = delete;
  Splitter& operator=(const Splitter&) = delete;

  HWND create(HINSTANCE instance, HWND parent, const RECT& rect);
  HWND hwnd() const { return hwnd_; }

  void setPanes(HWND left, HWND right);
  // Pixels from the left edge to the bar.
  void setPosition(int x);
  int position() const { return position_; }
  RECT barRect() const;
  // The bar's width in pixels (the owner scales kBarWidth to its DPI).
  void setBarWidth(int width);
  int barWidth() const { return barWidth_; }
  // The bar's colour; nothing means the system's button face.
  void setBarColour(std::optional<COLORREF> colour);

 private:
  friend struct WindowDispatch;
  void attach(HWND hwnd) { hwnd_ = hwnd; }
  void detach() {
    hwnd_ = nullptr;
  }
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  void layout();
  void paint();
  bool overBar(int x, int y) const;

  HWND hwnd_ = nullptr;
  HWND left_ = nullptr;
  HWND right_ = nullptr;
  int position_ = 250;
  int barWidth_ = kBarWidth;
  bool dragging_ = false;
  int dragOffset_ = 0;
  std::optional<COLORREF> barColour_;
};

}  // namespace velmora::win32
