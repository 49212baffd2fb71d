#include "pane/win32/list_view_rows.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/list_view.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

// Sets the loading flag for a scope; fills nest inside operations.
class ListViewRows::Loading {
 public:
  explicit Loading(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~Loading() { flag_ = was_; }
  Loading(const Loading&) = delete;
  Loading& operator=(const Loading&) = delete;

 private:
  bool& flag_;
  bool was_;
};

void ListViewRows::setRows(const std::vector<Row>& rows) {
  if (!list_) return;
  Loading loading(loading_);
  const RedrawSuspended redraw(list_);
  // The rows already there are written over rather than deleted and made
  // again: deleting every row of a long list costs as much as inserting
  // them. What the user sees is the same: new rows, no selection, the top.
  clearSelection(list_);
  const int kept = std::min(count(), static_cast<int>(rows.size()));
  deleteRowsFrom(list_, kept);
  int index = 0;
  origins_.clear();
  for (const Row& r : rows) {
    const std::vector<std::string> cells{r.name, r.type, r.data, r.path, r.publisher, r.status};
    const int state = static_cast<int>(r.state);
    const int at = index < kept && overwriteRow(list_, index, cells, state) ? index : insertRow(list_, index, cells, state);
    if (at >= 0) {
      index = at + 1;
      origins_.resize(static_cast<std::size_t>(index));
      origins_[static_cast<std::size_t>(at)] = r.origin;
    }
  }
  if (index > 0) SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
}

int ListViewRows::count() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string ListViewRows::text(int index, int column) const {
  // The list does not say how long a text is: grow the buffer while the
  // text fills it.
  constexpr std::size_t kFirstGuess = 256;
  std::wstring buffer(kFirstGuess, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto got = static_cast<std::size_t>(
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    if (got + 1 < buffer.size()) return narrow(std::wstring_view(buffer.data(), got));
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

Row ListViewRows::row(int index) const {
  Row r;
  if (!list_ || index < 0 || index >= count()) return r;
  r.name = text(index, 0);
  r.type = text(index, 1);
  r.data = text(index, 2);
  r.path = text(index, 3);
  r.state = stateImage(index) == static_cast<int>(RowState::Disabled) ? RowState::Disabled : RowState::Live;
  // Every row comes from setRows; should one not, an unchecked one is taken
  // for a record, whose operations check config.xml before they change anything.
  const auto at = static_cast<std::size_t>(index);
  r.origin = at < origins_.size() ? origins_[at]
                                  : (r.state == RowState::Disabled ? RowOrigin::Record : RowOrigin::Live);
  return r;
}

int ListViewRows::selected() const {
  if (!list_) return -1;
  return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListViewRows::select(int index) {
  if (!list_) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void ListViewRows::setState(int index, RowState state) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(state));
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void ListViewRows::showState(int index, RowState state) {
  if (!list_) return;
  Loading loading(loading_);
  setState(index, state);
}

void ListViewRows::setOrigin(int index, RowOrigin origin) {
  if (index >= 0 && static_cast<std::size_t>(index) < origins_.size()) origins_[static_cast<std::size_t>(index)] = origin;
}

int ListViewRows::stateImage(int row) const {
  if (!list_) return 0;
  const auto state = static_cast<std::uint32_t>(
      SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return stateImageOf(state);
}

void ListViewRows::check(int row, RowState state) {
  if (list_) setState(row, state);
}

}  // namespace velmora::win32
