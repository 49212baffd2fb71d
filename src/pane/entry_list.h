#pragma once
// The rows of a pane's list as the families see them: four texts and a check
// box, two texts that are only shown (columns 4 and 5, never read back), and
// where the row's entry is. The Win32 pane implements this over its list
// view; tests use a fake.
#include <string>
#include <vector>

#include "family/entry.h"

namespace velmora {

class EntryList {
 public:
  virtual ~EntryList() = default;
  // Replaces every row; the selection is lost. Check-box changes made while
  // filling never start Enable or Disable.
  virtual void setRows(std::vector<Row> rows) = 0;
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
