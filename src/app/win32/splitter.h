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
  // Pixels from the left edge to the bar, wanted: the bar stands there as
  // far as both panes keep their narrowest widths (setNarrowest).
  void setPosition(int x);
  // Where the bar stands now: the wanted place, checked against the width.
  int position() const { return position_; }
  // The narrowest the left and right panes are made, in pixels.
  void setNarrowest(int left, int right);
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
  int wanted_ = 250;
  int position_ = 250;
  int narrowestLeft_ = 0;
  int narrowestRight_ = 0;
  int barWidth_ = kBarWidth;
  bool dragging_ = false;
  int dragOffset_ = 0;
  std::optional<COLORREF> barColour_;
};

}  // namespace velmora::win32
