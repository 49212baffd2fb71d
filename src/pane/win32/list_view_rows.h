#pragma once
// The rows of a pane over its list view with check boxes.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "pane/entry_list.h"
#include "pane/pane_logic.h"

namespace velmora::win32 {

// The list is virtual (LVS_OWNERDATA): it holds only the rows' count,
// selection and focus, and asks for everything else, the boxes included.
// Filling 32,000 rows is then one message, not 32,000 insertions. Boxes set
// by a click, the space bar or LVM_SETITEMSTATE (from this program or any
// other) are taken at the list's window procedure, kept in the rows and
// reported through `setBoxChanged`, as a list that keeps them reports an
// LVN_ITEMCHANGED.
class ListViewRows : public EntryList, public CheckBoxes {
 public:
  ListViewRows() = default;
  ~ListViewRows();
  ListViewRows(const ListViewRows&) = delete;
  ListViewRows& operator=(const ListViewRows&) = delete;

  void attach(HWND list);
  HWND handle() const { return list_; }
  // True while the list is being filled or a box is set by the program:
  // the item changes that causes are no user's doing.
  bool loading() const { return loading_; }
  // Completes a row's columns 4 to 6 when the list first shows them.
  void setDescriber(std::function<void(Row&)> describe) { describe_ = std::move(describe); }
  // What the list is given for a Location cell it asks for (the path, or
  // what is painted of it); unset, the path.
  void setLocationShown(std::function<std::string(const std::string&)> shown) { locationShown_ = std::move(shown); }
  // Whether the list is painting: a row painted is described for its icon.
  void setPainting(std::function<bool()> painting) { painting_ = std::move(painting); }
  // Rows filled from now on show an icon in the Name column: the image
  // `iconOf` gives for the row's program file (and whether its own icon may
  // be read: Row::programLocal), asked when the list shows the row (the row
  // is described first, as for columns 4 to 6).
  void setIcons(std::function<int(const std::string&, bool)> iconOf) { iconOf_ = std::move(iconOf); }
  // A row's box changed: its state before and after, as LVN_ITEMCHANGED
  // gives them (the state image and the selection).
  void setBoxChanged(std::function<void(int, UINT, UINT)> changed) { boxChanged_ = std::move(changed); }
  // The row at or after `start` (wrapping) whose name begins with `prefix`,
  // ignoring case, for typing in the list (LVN_ODFINDITEM); -1 when none.
  [[nodiscard]] int findByName(const std::wstring& prefix, int start) const;
  // The list asks for a cell it shows (LVN_GETDISPINFOW): the rows' texts
  // are kept here, not copied into the list.
  void answer(NMLVDISPINFOW& request) const;

  // EntryList
  void setRows(std::vector<Row> rows) override;
  // Shown in place: the texts are read from `all` when the list asks.
  void showRows(std::vector<Row>& all, std::vector<std::size_t> order) override;
  // Shows no rows from now on (their cells empty), without a message to
  // the list.
  void forgetRows() override;
  [[nodiscard]] int count() const override;
  [[nodiscard]] Row row(int index) const override;
  [[nodiscard]] int selected() const override;
  void select(int index) override;
  void showState(int index, RowState state) override;
  void setOrigin(int index, RowOrigin origin) override;

  // CheckBoxes
  [[nodiscard]] int stateImage(int row) const override;
  void check(int row, RowState state) override;

  // Asks the list to paint again the rows in view that were shown while
  // their program's file was still being looked up; false when none was.
  bool redrawWaiting();

  // Column 0..8 of a row, as the list shows it (4 to 8 are never read back
  // into a Row).
  [[nodiscard]] std::string text(int index, int column) const;

 private:
  class Loading;
  void setState(int index, RowState state);
  void setImage(int index, int image);
  void toggle(int index);
  [[nodiscard]] UINT itemState(int index, int image) const;
  // The row shown at `index`, or null outside the rows.
  [[nodiscard]] Row* at(int index) const;
  [[nodiscard]] int size() const;
  void fill(std::size_t count);
  static LRESULT CALLBACK listProc(HWND list, UINT msg, WPARAM wp, LPARAM lp);

  HWND list_ = nullptr;
  bool loading_ = false;
  // The texts of the rows in the list, in its order, completed when shown:
  // its own (setRows), or those of another's rows at `order_` (showRows).
  mutable std::vector<Row> rows_;
  std::vector<Row>* all_ = nullptr;
  std::vector<std::size_t> order_;
  // The rows whose cells were shown before their program's file was looked up.
  mutable std::set<int> shownWaiting_;
  std::function<void(Row&)> describe_;
  std::function<std::string(const std::string&)> locationShown_;
  std::function<bool()> painting_;
  std::function<int(const std::string&, bool)> iconOf_;
  std::function<void(int, UINT, UINT)> boxChanged_;
};

}  // namespace velmora::win32
