#include "pane/win32/list_view_rows.h"

#include <commctrl.h>

#include <windowsx.h>

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

namespace {
// Where a list's rows object and the procedure before ours are kept: as
// window properties, since the Location column keeps its own in the list's
// user data.
constexpr const wchar_t* kRowsProperty = L"VelmoraListRows";
constexpr const wchar_t* kPreviousProperty = L"VelmoraListRowsPrevious";
}  // namespace

ListViewRows::~ListViewRows() {
  // The list may outlive this object by a moment: it then keeps its boxes
  // to itself.
  if (list_ && IsWindow(list_)) RemovePropW(list_, kRowsProperty);
}

void ListViewRows::attach(HWND list) {
  list_ = list;
  if (!list_) return;
  // The list asks for the boxes as it asks for the texts.
  SendMessageW(list_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  SetPropW(list_, kRowsProperty, this);
  SetPropW(list_, kPreviousProperty,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&listProc))));
}

LRESULT CALLBACK ListViewRows::listProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
  const auto previous = reinterpret_cast<WNDPROC>(GetPropW(list, kPreviousProperty));
  auto* rows = static_cast<ListViewRows*>(GetPropW(list, kRowsProperty));
  if (!previous) return DefWindowProcW(list, msg, wp, lp);
  if (!rows) {
    if (msg == WM_NCDESTROY) RemovePropW(list, kPreviousProperty);
    return CallWindowProcW(previous, list, msg, wp, lp);
  }
  switch (msg) {
    case LVM_SETITEMSTATE: {
      if (!lp) break;
      LVITEMW item = *reinterpret_cast<const LVITEMW*>(lp);
      if (item.stateMask & LVIS_STATEIMAGEMASK) {
        const int image = stateImageOf(item.state);
        const int n = rows->count();
        const int index = static_cast<int>(static_cast<INT_PTR>(wp));
        if (index == -1) {
          for (int row = 0; row < n; ++row) rows->setImage(row, image);
        } else if (index >= 0 && index < n) {
          rows->setImage(index, image);
        }
        item.stateMask &= ~static_cast<UINT>(LVIS_STATEIMAGEMASK);
        if (!item.stateMask) return TRUE;
      }
      return CallWindowProcW(previous, list, msg, wp, reinterpret_cast<LPARAM>(&item));
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // A click on a box turns it, as in a list that keeps its boxes; the
      // list selects the row first.
      LVHITTESTINFO hit{};
      hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      const LRESULT result = CallWindowProcW(previous, list, msg, wp, lp);
      if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && GetPropW(list, kRowsProperty) == rows) rows->toggle(row);
      return result;
    }
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        const LRESULT result = CallWindowProcW(previous, list, msg, wp, lp);
        const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (row >= 0 && GetPropW(list, kRowsProperty) == rows) rows->toggle(row);
        return result;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropW(list, kRowsProperty);
      RemovePropW(list, kPreviousProperty);
      rows->list_ = nullptr;
      break;
  }
  return CallWindowProcW(previous, list, msg, wp, lp);
}

UINT ListViewRows::itemState(int index, int image) const {
  const UINT selected =
      static_cast<UINT>(SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED));
  return INDEXTOSTATEIMAGEMASK(static_cast<UINT>(image)) | (selected & LVIS_SELECTED);
}

void ListViewRows::setImage(int index, int image) {
  Row* r = at(index);
  if (!r) return;
  if (image != static_cast<int>(RowState::Disabled) && image != static_cast<int>(RowState::Live)) return;
  const int was = static_cast<int>(r->state);
  if (was == image) return;
  r->state = static_cast<RowState>(image);
  SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), static_cast<LPARAM>(index));
  if (boxChanged_) boxChanged_(index, itemState(index, was), itemState(index, image));
}

void ListViewRows::toggle(int index) {
  const Row* r = at(index);
  if (!r) return;
  const bool off = r->state == RowState::Disabled;
  setImage(index, static_cast<int>(off ? RowState::Live : RowState::Disabled));
}

Row* ListViewRows::at(int index) const {
  if (index < 0 || index >= size()) return nullptr;
  const auto i = static_cast<std::size_t>(index);
  if (!all_) return &rows_[i];
  // Between a new listing and its showing, the rows may have fewer.
  return order_[i] < all_->size() ? &(*all_)[order_[i]] : nullptr;
}

int ListViewRows::size() const { return static_cast<int>(all_ ? order_.size() : rows_.size()); }

void ListViewRows::setRows(std::vector<Row> rows) {
  all_ = nullptr;
  order_.clear();
  if (!list_) return;
  rows_ = std::move(rows);
  fill(rows_.size());
}

void ListViewRows::showRows(std::vector<Row>& all, std::vector<std::size_t> order) {
  rows_.clear();
  if (!list_) {
    all_ = nullptr;
    order_.clear();
    return;
  }
  all_ = &all;
  order_ = std::move(order);
  fill(order_.size());
}

bool ListViewRows::redrawWaiting() {
  if (!list_ || shownWaiting_.empty()) return false;
  const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
  // A row cut at the bottom is in view too.
  const int end = std::min(size(), top + static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0)) + 1);
  int first = -1;
  int last = -1;
  for (const int i : shownWaiting_) {
    if (i < top || i >= end) continue;
    if (first < 0) first = i;
    last = i;
  }
  // Painted again, those still waiting are noted again.
  shownWaiting_.clear();
  if (first < 0) return false;
  SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
  return true;
}

void ListViewRows::forgetRows() {
  all_ = nullptr;
  order_.clear();
  rows_.clear();
  shownWaiting_.clear();
}

void ListViewRows::fill(std::size_t count) {
  Loading loading(loading_);
  // The list holds no rows, only their count: what the user sees is the
  // new rows, no selection (the caller selects again what was), and the
  // list where it was scrolled to, as far as it still reaches.
  clearSelection(list_);
  shownWaiting_.clear();
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
  // The rows' texts and boxes may have changed under the same count.
  InvalidateRect(list_, nullptr, FALSE);
}

int ListViewRows::findByName(const std::wstring& prefix, int start) const {
  const int n = size();
  if (prefix.empty() || n == 0) return -1;
  if (start < 0 || start >= n) start = 0;
  for (int step = 0; step < n; ++step) {
    const int index = (start + step) % n;
    const std::wstring name = widen(at(index)->name);
    if (name.size() >= prefix.size() &&
        CompareStringOrdinal(name.data(), static_cast<int>(prefix.size()), prefix.data(),
                             static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL) {
      return index;
    }
  }
  return -1;
}

int ListViewRows::count() const { return list_ ? size() : 0; }

std::string ListViewRows::text(int index, int column) const {
  Row* shown = at(index);
  if (!shown) return {};
  Row& r = *shown;
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
    case 7: return r.impact;
    case 8: return r.lastLogon;
    default: return {};
  }
}

void ListViewRows::answer(NMLVDISPINFOW& request) const {
  LVITEMW& item = request.item;
  Row* shown = at(item.iItem);
  if ((item.mask & LVIF_STATE) && shown) {
    item.state = (item.state & ~static_cast<UINT>(LVIS_STATEIMAGEMASK)) |
                 INDEXTOSTATEIMAGEMASK(static_cast<UINT>(shown->state));
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
    item.iImage = I_IMAGENONE;
    if (iconOf_ && shown) {
      // Described for its image only while the list paints it: Wine's list
      // asks for every row's image when a refill only sets boxes, and
      // describing 32,000 rows takes seconds.
      Row& r = *shown;
      if (r.programFile.empty() && describe_ && painting_ && painting_()) describe_(r);
      if (!r.programFile.empty()) item.iImage = iconOf_(r.programFile, r.programLocal);
    }
  }
  if (item.mask & LVIF_TEXT) {
    std::string cell = text(item.iItem, item.iSubItem);
    if (item.iSubItem == 3 && locationShown_) cell = locationShown_(cell);
    answerText(request, cell);
  }
  if (shown && describe_ && !shown->program.empty()) shownWaiting_.insert(item.iItem);
}

Row ListViewRows::row(int index) const {
  const Row* shown = list_ ? at(index) : nullptr;
  // The row as listed and described (its family, its program file and
  // signer too), with the box as the list shows it.
  return shown ? *shown : Row{};
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

void ListViewRows::setState(int index, RowState state) { setImage(index, static_cast<int>(state)); }

void ListViewRows::showState(int index, RowState state) {
  if (!list_) return;
  Loading loading(loading_);
  setState(index, state);
}

void ListViewRows::setOrigin(int index, RowOrigin origin) {
  Row* r = at(index);
  if (!r) return;
  r->origin = origin;
  // Its status depends on where the entry is: the cells are asked for again.
  if (list_) SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), static_cast<LPARAM>(index));
}

int ListViewRows::stateImage(int row) const {
  const Row* r = list_ ? at(row) : nullptr;
  return r ? static_cast<int>(r->state) : 0;
}

void ListViewRows::check(int row, RowState state) {
  if (list_) setState(row, state);
}

}  // namespace velmora::win32
