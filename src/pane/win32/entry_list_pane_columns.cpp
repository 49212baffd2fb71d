// The entry list pane's columns: made with the widths and order the user
// left (checked against the screen) or laid out from the list's width, the
// sort and its arrow, what is kept for the next start, and the selection as
// text in the columns' order.
#include "pane/win32/entry_list_pane.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/dpi.h"
#include "platform/win32/list_view.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
// The widest screen's width at 96 DPI: no column is kept wider.
int screenWidth(HWND window, int dpi) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return kWidestColumn;
  return rescale(static_cast<int>(info.rcWork.right - info.rcWork.left), dpi, kBaseDpi);
}
}  // namespace

void EntryListPane::makeColumns(HWND list) {
  // The widths the user left, where he left any (each checked against the
  // screen); otherwise provisional ones, laid out from the list's width at
  // its first layout.
  // Widths kept by a version with fewer columns keep theirs; the columns
  // it did not have come at their own.
  const bool kept = !stored_.widths.empty();
  const PaneLayout provisional = defaultPaneLayout(0, kColumnCount, family_->typeColumnWidth());
  const int screen = screenWidth(hwnd(), dpi_);
  const auto at = [&](int column) {
    const auto c = static_cast<std::size_t>(column);
    return scaleToDpi(c < stored_.widths.size() ? checkedColumnWidth(stored_.widths[c], screen) : provisional.widths[c],
                      dpi_);
  };
  addColumns(list, {{translator_.translate("_Name"), at(0)},
                    {translator_.translate("_Type"), at(1)},
                    {translator_.translate("_Data"), at(2)},
                    {translator_.translate("_RegPath"), at(3)},
                    // Shown only, in every pane.
                    {translator_.translate("_Publisher"), at(4)},
                    {translator_.translate("_Status"), at(5)},
                    {translator_.translate("_SignedBy"), at(6)},
                    {translator_.translate("_Impact"), at(7)},
                    {translator_.translate("_LastLogon"), at(8)}});
  defaultColumnsDue_ = !kept;
  const std::vector<int>& order = stored_.order.size() == static_cast<std::size_t>(kColumnCount) ? stored_.order
                                                                                                 : provisional.order;
  SendMessageW(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
               reinterpret_cast<LPARAM>(order.data()));
}

void EntryListPane::resetColumns() {
  HWND list = rows_.handle();
  if (!list) {
    stored_ = PaneLayout{{}, {}, stored_.sort};
    return;
  }
  RECT client{};
  GetClientRect(list, &client);
  const PaneLayout layout = defaultPaneLayout(rescale(static_cast<int>(client.right), dpi_, kBaseDpi), kColumnCount,
                                             family_->typeColumnWidth());
  // Drawing off meanwhile: a visible list redraws itself after every
  // width, a sixth of a second for the nine under Wine.
  const RedrawSuspended still(list);
  for (int column = 0; column < kColumnCount; ++column) {
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(scaleToDpi(layout.widths[static_cast<std::size_t>(column)], dpi_), 0));
  }
  SendMessageW(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
               reinterpret_cast<LPARAM>(layout.order.data()));
}

void EntryListPane::sortBy(int column) {
  if (column < 0 || column >= kColumnCount) return;
  filtered_.setSort(afterHeaderClick(filtered_.sortOrder(), column));
  showSortArrow();
  changed();
}

void EntryListPane::showSortArrow() {
  HWND header = rows_.handle() ? reinterpret_cast<HWND>(SendMessageW(rows_.handle(), LVM_GETHEADER, 0, 0)) : nullptr;
  if (!header) return;
  const SortOrder order = filtered_.sortOrder();
  for (int column = 0; column < kColumnCount; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == order.column) item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  }
}

PaneLayout EntryListPane::columnLayout() const {
  HWND list = rows_.handle();
  if (!list) return stored_;
  PaneLayout layout;
  layout.sort = filtered_.sortOrder();
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    // Kept at 96 DPI, so a start on a screen of another scale shows the
    // same proportions; only as the next start would take it.
    layout.widths.push_back(checkedColumnWidth(rescale(width, dpi_, kBaseDpi), screenWidth(hwnd(), dpi_)));
  }
  std::vector<int> order(static_cast<std::size_t>(kColumnCount));
  if (SendMessageW(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
                   reinterpret_cast<LPARAM>(order.data()))) {
    layout.order = std::move(order);
  }
  return layout;
}

void EntryListPane::setColumnLayout(PaneLayout layout) {
  if (!rows_.handle()) stored_ = std::move(layout);
}

std::string EntryListPane::selectionText() const {
  HWND list = rows_.handle();
  if (!list) return {};
  // The columns the user can see, in the order he sees them: one dragged
  // to nothing is left out.
  std::vector<int> columns;
  std::vector<std::string> titles;
  std::vector<int> order(static_cast<std::size_t>(kColumnCount));
  if (!SendMessageW(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
                    reinterpret_cast<LPARAM>(order.data()))) {
    for (int column = 0; column < kColumnCount; ++column) order[static_cast<std::size_t>(column)] = column;
  }
  for (const int column : order) {
    wchar_t title[256] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = title;
    info.cchTextMax = 256;
    if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) continue;
    if (info.cx <= 0) continue;
    columns.push_back(column);
    titles.push_back(narrow(title));
  }
  std::vector<std::vector<std::string>> cells;
  for (int row = -1;;) {
    row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) break;
    std::vector<std::string> line;
    for (const int column : columns) line.push_back(rows_.text(row, column));
    cells.push_back(std::move(line));
  }
  if (cells.empty()) return {};
  return tableText(titles, cells);
}

}  // namespace velmora::win32
