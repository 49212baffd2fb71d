#pragma once
// The Location column of a pane's list: a path too long for the column is
// painted with an ellipsis in its middle (pane/path_ellipsis.h), and the
// whole path shows as a tip when the mouse rests on such a cell.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

namespace velmora::win32 {

class LocationColumn {
 public:
  explicit LocationColumn(int column) : column_(column) {}
  ~LocationColumn();
  LocationColumn(const LocationColumn&) = delete;
  LocationColumn& operator=(const LocationColumn&) = delete;

  // Watches the list's painting and mouse, and makes the tip window, owned
  // by `owner`. Cells are measured in the list's font at `dpi`.
  void attach(HWND list, HWND owner, int dpi);
  void changeDpi(int dpi) { dpi_ = dpi; }

  // What the list shows of `path` in the column: shortened while the list
  // paints, the whole path at any other time. Only the painting is
  // shortened this way, so whatever reads the cell (LVM_GETITEMTEXT from
  // another program, Ctrl+C, the export, filter and sort, which read the
  // rows themselves) sees the whole path: no second copy of the texts to
  // keep in step, and the list keeps its own drawing of selection, focus
  // and colours, which painting the cell ourselves would have to redo.
  [[nodiscard]] std::string shown(const std::string& path);
  // How `path` is painted at the column's present width and font.
  [[nodiscard]] std::string painted(const std::string& path);
  // The tip at a point of the list's client area: the whole path of the
  // Location cell there when it is painted shortened, "" otherwise.
  [[nodiscard]] std::string tipAt(POINT inList);
  HWND tipWindow() const { return tip_; }
  // Whether the list is painting now (not a message from elsewhere).
  [[nodiscard]] bool painting() const { return painting_ > 0; }

 private:
  static LRESULT CALLBACK listProc(HWND list, UINT msg, WPARAM wp, LPARAM lp);
  // Forgets the shortened texts when the column's width or the list's font
  // changed since they were made: a resize, a new DPI or font.
  void checkMeasure();
  // Keeps the tip's one tool on the cell under the mouse.
  void followMouse(const MSG& msg);
  void dropTool();

  int column_;
  HWND list_ = nullptr;
  WNDPROC previous_ = nullptr;
  HWND tip_ = nullptr;
  int dpi_ = 96;
  int painting_ = 0;
  // The width and font the shortened texts were made for.
  int width_ = -1;
  HFONT font_ = nullptr;
  std::map<std::string, std::string> painted_;
  // The cell the tip's tool covers (row -1: none) and the tool's id.
  int tipRow_ = -1, tipColumn_ = -1;
  UINT_PTR tool_ = 0;
  UINT_PTR nextTool_ = 1;
  std::wstring tipText_;
};

}  // namespace velmora::win32
