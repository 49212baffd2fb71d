#include "platform/win32/list_view.h"

#include <commctrl.h>

#include <algorithm>

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

void addSharedColumns(HWND list, const std::vector<ListColumn>& shares) {
  // What the list's frame takes of its width besides the scroll bar.
  constexpr int kListBorders = 4;
  RECT r{};
  GetWindowRect(list, &r);
  const int width = r.right - r.left - GetSystemMetrics(SM_CXVSCROLL) - kListBorders;
  int total = 0;
  for (const ListColumn& c : shares) total += c.width;
  std::vector<ListColumn> columns;
  for (const ListColumn& c : shares) columns.push_back({c.title, total > 0 ? width * c.width / total : 0});
  addColumns(list, columns);
}

void setCellText(HWND list, int row, int column, const std::string& text) {
  std::wstring w = widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

namespace {

// Some list versions give a new item the unchecked box whatever it asked for.
void insistOnStateImage(HWND list, int index, UINT state) {
  if (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK) != state) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
}

// Inserts a row with its first cell and state image (above zero); the new
// index, or -1.
int insertFirstCell(HWND list, int index, LPWSTR text, int stateImage) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = text;
  if (stateImage > 0) {
    item.mask |= LVIF_STATE;
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateImage));
  }
  const int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (at >= 0 && stateImage > 0) insistOnStateImage(list, at, item.state);
  return at;
}

}  // namespace

int insertRow(HWND list, int index, const std::vector<std::string>& cells, int stateImage) {
  std::wstring first = widen(cells.empty() ? std::string() : cells.front());
  const int at = insertFirstCell(list, index, first.data(), stateImage);
  if (at < 0) return -1;
  for (std::size_t column = 1; column < cells.size(); ++column) {
    setCellText(list, at, static_cast<int>(column), cells[column]);
  }
  return at;
}

void answerText(NMLVDISPINFOW& request, const std::string& text) {
  LVITEMW& item = request.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const std::wstring wide = widen(text);
  const std::size_t n = std::min(wide.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  wide.copy(item.pszText, n);
  item.pszText[n] = L'\0';
}

void clearSelection(HWND list) {
  // Row by row, only those selected or focused: asking the list to clear
  // every row visits all of them.
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (const UINT which : {static_cast<UINT>(LVNI_SELECTED), static_cast<UINT>(LVNI_FOCUSED)}) {
    int row = -1;
    // At most every row once, should a row refuse to let go.
    for (int step = 0; step <= rows; ++step) {
      row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), which));
      if (row < 0) break;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
  }
}

RedrawSuspended::RedrawSuspended(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

RedrawSuspended::~RedrawSuspended() {
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace velmora::win32
