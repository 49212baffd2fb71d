#include "platform/win32/list_view.h"

#include <commctrl.h>

#include "platform/win32/wide.h"

namespace velmora::win32 {

void addColumns(HWND list, const std::vector<ListColumn>& columns) {
  int index = 0;
  for (const ListColumn& c : columns) {
    std::wstring title = widen(c.title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = c.width;
    column.pszText = title.data();
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    ++index;
  }
}

void setCellText(HWND list, int row, int column, const std::string& text) {
  std::wstring w = widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

namespace {

// Inserts (LVM_INSERTITEMW) or overwrites (LVM_SETITEMW) a row's first cell
// and state image, then its other cells. The row's index, or -1.
int writeRow(HWND list, UINT message, int index, const std::vector<std::string>& cells, int stateImage) {
  std::wstring first = widen(cells.empty() ? std::string() : cells.front());
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = first.data();
  if (stateImage > 0) {
    item.mask |= LVIF_STATE;
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateImage));
  }
  const LRESULT answer = SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(&item));
  // LVM_INSERTITEMW answers the new index or -1, LVM_SETITEMW whether it worked.
  const int at = message == LVM_INSERTITEMW ? static_cast<int>(answer) : (answer ? index : -1);
  if (at < 0) return -1;
  for (std::size_t column = 1; column < cells.size(); ++column) {
    setCellText(list, at, static_cast<int>(column), cells[column]);
  }
  // Some list versions give a new item the unchecked box whatever it asked for.
  if (stateImage > 0 &&
      SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(at), LVIS_STATEIMAGEMASK) != item.state) {
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = item.state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&state));
  }
  return at;
}

}  // namespace

int insertRow(HWND list, int index, const std::vector<std::string>& cells, int stateImage) {
  return writeRow(list, LVM_INSERTITEMW, index, cells, stateImage);
}

bool overwriteRow(HWND list, int index, const std::vector<std::string>& cells, int stateImage) {
  return writeRow(list, LVM_SETITEMW, index, cells, stateImage) >= 0;
}

void deleteRowsFrom(HWND list, int first) {
  if (first <= 0) {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    return;
  }
  for (int row = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) - 1; row >= first; --row) {
    SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  }
}

void clearSelection(HWND list) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

RedrawSuspended::RedrawSuspended(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

RedrawSuspended::~RedrawSuspended() {
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace velmora::win32
