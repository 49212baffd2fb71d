#pragma once
// The list-view chores every list of the program shares: columns from
// texts and widths, rows from texts, and drawing suspended while a list is
// filled.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace velmora::win32 {

struct ListColumn {
  std::string title;
  int width = 0;
};

// Appends the columns, left-aligned, in order.
void addColumns(HWND list, const std::vector<ListColumn>& columns);
// Appends columns that divide the list's inner width (its frame and a
// vertical scroll bar left out) in the given shares: `width` is a share.
void addSharedColumns(HWND list, const std::vector<ListColumn>& shares);

// Inserts a row at `index` (its first cell, then the others); returns the
// index it got, or -1 when the list refused it. `stateImage` above zero
// also sets the row's state image (its check box).
int insertRow(HWND list, int index, const std::vector<std::string>& cells, int stateImage = 0);

// Answers a list's request for a callback cell with `text`, cut to the
// buffer the list offers.
void answerText(NMLVDISPINFOW& request, const std::string& text);

// Clears every row's selection and focus.
void clearSelection(HWND list);

// One cell's text.
void setCellText(HWND list, int row, int column, const std::string& text);

// Turns drawing off for a scope; drawing comes back, with one repaint,
// however the scope ends. Filling a visible list row by row with drawing on
// repaints it after every row.
class RedrawSuspended {
 public:
  explicit RedrawSuspended(HWND list);
  ~RedrawSuspended();
  RedrawSuspended(const RedrawSuspended&) = delete;
  RedrawSuspended& operator=(const RedrawSuspended&) = delete;

 private:
  HWND list_;
};

}  // namespace velmora::win32
