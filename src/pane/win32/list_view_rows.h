#pragma once
// The rows of a pane over its list view with check boxes.
#include <windows.h>

#include <vector>

#include "pane/entry_list.h"
#include "pane/pane_logic.h"

namespace velmora::win32 {

class ListViewRows : public EntryList, public CheckBoxes {
 public:
  void attach(HWND list) { list_ = list; }
  HWND handle() const { return list_; }
  // True while the list is being filled or a box is set by the program:
  // the item changes that causes are no user's doing.
  bool loading() const { return loading_; }

  // EntryList
  void setRows(const std::vector<Row>& rows) override;
  [[nodiscard]] int count() const override;
  [[nodiscard]] Row row(int index) const override;
  [[nodiscard]] int selected() const override;
  void select(int index) override;
  void showState(int index, RowState state) override;
  void setOrigin(int index, RowOrigin origin) override;

  // CheckBoxes
  [[nodiscard]] int stateImage(int row) const override;
  void check(int row, RowState state) override;

  // Column 0..5 of a row, read whole (4 and 5 are never read back into a Row).
  [[nodiscard]] std::string text(int index, int column) const;

 private:
  class Loading;
  void setState(int index, RowState state);

  HWND list_ = nullptr;
  bool loading_ = false;
  // Each row's origin, by index: the list view has no column for it, and
  // rows change only through setRows.
  std::vector<RowOrigin> origins_;
};

}  // namespace velmora::win32
