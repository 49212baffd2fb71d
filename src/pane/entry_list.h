#pragma once
// The rows of a pane's list as the families see them: four texts and a check
// box, two texts that are only shown (columns 4 and 5, never read back), and
// where the row's entry is. The Win32 pane implements this over its list
// view; tests use a fake.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "family/entry.h"

namespace velmora {

class EntryList {
 public:
  virtual ~EntryList() = default;
  // Replaces every row; the selection is lost. Check-box changes made while
  // filling never start Enable or Disable.
  virtual void setRows(std::vector<Row> rows) = 0;
  // Shows the rows of `all` at `order`, in that order, as setRows would.
  // A list may show them in place instead of copying them (at 32,000 rows a
  // copy is megabytes): the caller then keeps `all` alive, reorders or
  // removes none of its rows until the next showRows or setRows, and may
  // append to it. Boxes set and rows described through the list are
  // written into `all`.
  virtual void showRows(std::vector<Row>& all, std::vector<std::size_t> order) {
    std::vector<Row> rows;
    rows.reserve(order.size());
    for (const std::size_t i : order) rows.push_back(all[i]);
    setRows(std::move(rows));
  }
  // The rows given to showRows are going: a list that shows them in place
  // lets go of them, quietly (it may be closing with its window).
  virtual void forgetRows() {}
  virtual int count() const = 0;
  // The row as it was listed (and described, when it was), with the box as
  // the list shows it.
  virtual Row row(int index) const = 0;
  // The selected row, or -1.
  virtual int selected() const = 0;
  // Selects and focuses a row and scrolls it into full view.
  virtual void select(int index) = 0;
  // Sets a row's check box without starting Enable or Disable: used to show
  // an entry's real state after an operation failed.
  virtual void showState(int index, RowState state) = 0;
  // Records where a row's entry is now, after an Enable or Disable moved it
  // without a new listing.
  virtual void setOrigin(int index, RowOrigin origin) = 0;
};

}  // namespace velmora
