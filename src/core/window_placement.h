#pragma once
// Where a window goes when it opens: centred on a reference rectangle (its
// owner, or the work area), then held inside the work area.
namespace velmora {

struct Box {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;
  long width() const { return right - left; }
  long height() const { return bottom - top; }
};

struct Origin {
  long x = 0;
  long y = 0;
  bool operator==(const Origin&) const = default;
};

// The new top-left corner of `window` (only its size counts): its centre on
// the reference's centre, integer halves; then an edge beyond the work area
// moves it back inside, left and top taking precedence for a window larger
// than the area.
Origin centredOrigin(const Box& window, const Box& reference, const Box& workArea);

}  // namespace velmora
