#include "pane/win32/list_view_rows.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

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

void ListViewRows::setRows(std::vector<Row> rows) {
  if (!list_) return;
  Loading loading(loading_);
  // The list holds no texts (it asks for them), so the rows already there
  // only get their new boxes: deleting every row of a long list and making
  // it again costs as much as inserting them. What the user sees: new rows,
  // no selection (the caller selects again what was), and the list where
  // it was scrolled to, as far as it still reaches.
  rows_ = std::move(rows);
  const int before = count();
  const int kept = std::min(before, static_cast<int>(rows_.size()));
  std::vector<int> changed;
  for (int index = 0; index < kept; ++index) {
    if (stateImage(index) != static_cast<int>(rows_[static_cast<std::size_t>(index)].state)) changed.push_back(index);
  }
  // Drawing is turned off only when rows come or go or many boxes change:
  // turning it back on costs tens of milliseconds under Wine whatever the
  // list's length, while a box set in place repaints only its own row.
  constexpr std::size_t kChangesDrawnInPlace = 64;
  std::optional<RedrawSuspended> redraw;
  if (before != static_cast<int>(rows_.size()) || changed.size() > kChangesDrawnInPlace) redraw.emplace(list_);
  clearSelection(list_);
  deleteRowsFrom(list_, kept);
  for (int index : changed) setStateImage(list_, index, static_cast<int>(rows_[static_cast<std::size_t>(index)].state));
  int index = kept;
  for (; index < static_cast<int>(rows_.size()); ++index) {
    if (insertCallbackRow(list_, index, static_cast<int>(rows_[static_cast<std::size_t>(index)].state),
                          static_cast<bool>(iconOf_)) < 0) {
      break;
    }
  }
  rows_.resize(static_cast<std::size_t>(index));  // what the list refused is not shown
  // The rows' texts may have changed under the same boxes: asked for again.
  if (!redraw) InvalidateRect(list_, nullptr, FALSE);
}

int ListViewRows::count() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string ListViewRows::text(int index, int column) const {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
  Row& r = rows_[static_cast<std::size_t>(index)];
  if (column >= 4 && describe_) {
    describe_(r);
    // Its program is known now: the icon is asked for (and read after the
    // paint) if it never was.
    if (iconOf_ && !r.programFile.empty()) (void)iconOf_(r.programFile, r.programLocal);
  }
  switch (column) {
    case 0: return r.name;
    case 1: return r.type;
    case 2: return shownData(r);
    case 3: return r.path;
    case 4: return r.publisher;
    case 5: return r.status;
    case 6: return r.signedBy;
    default: return {};
  }
}

void ListViewRows::answer(NMLVDISPINFOW& request) const {
  LVITEMW& item = request.item;
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
    item.iImage = I_IMAGENONE;
    if (iconOf_ && item.iItem >= 0 && item.iItem < static_cast<int>(rows_.size())) {
      // Described for its image only while the list paints it: Wine's list
      // asks for every row's image when a refill only sets boxes, and
      // describing 32,000 rows takes seconds.
      Row& r = rows_[static_cast<std::size_t>(item.iItem)];
      if (r.programFile.empty() && describe_ && painting_ && painting_()) describe_(r);
      if (!r.programFile.empty()) item.iImage = iconOf_(r.programFile, r.programLocal);
    }
  }
  if (!(item.mask & LVIF_TEXT)) return;
  std::string shown = text(item.iItem, item.iSubItem);
  if (item.iSubItem == 3 && locationShown_) shown = locationShown_(shown);
  answerText(request, shown);
}

Row ListViewRows::row(int index) const {
  Row r;
  if (!list_ || index < 0 || index >= count() || index >= static_cast<int>(rows_.size())) return r;
  // The row as listed and described (its family, its program file and
  // signer too), with the box as the list shows it.
  r = rows_[static_cast<std::size_t>(index)];
  r.state = stateImage(index) == static_cast<int>(RowState::Disabled) ? RowState::Disabled : RowState::Live;
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

void ListViewRows::setState(int index, RowState state) { setStateImage(list_, index, static_cast<int>(state)); }

void ListViewRows::showState(int index, RowState state) {
  if (!list_) return;
  Loading loading(loading_);
  setState(index, state);
}

void ListViewRows::setOrigin(int index, RowOrigin origin) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  rows_[static_cast<std::size_t>(index)].origin = origin;
  // Its status depends on where the entry is: the cells are asked for again.
  if (list_) SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), static_cast<LPARAM>(index));
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
