#pragma once
// How the user left a pane's list: column widths (at 96 DPI), the order he
// dragged the columns into, and the sort. Kept as one text per pane; a text
// from the registry is input, checked part by part: a part that does not
// hold is left out, and the pane keeps its own for it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pane/row_order.h"

namespace velmora {

struct PaneLayout {
  std::vector<int> widths;  // one per column at 96 DPI; empty: the pane's own
  std::vector<int> order;   // the columns left to right; empty: as made
  SortOrder sort;
  bool operator==(const PaneLayout&) const = default;
};

// The columns of the first versions: a layout of fewer is none Velmora kept.
constexpr int kFirstColumns = 7;

// The widest column kept, at 96 DPI; a wider one is no choice anyone made.
constexpr int kWidestColumn = 4000;
// The narrowest column shown, at 96 DPI: a column dragged shut, or stored
// so, still shows where it is and the start of its title.
constexpr int kNarrowestColumn = 30;

// A column's width (96 DPI) as the list takes and keeps it: from
// kNarrowestColumn up to the width of the widest screen (`screenWidth`, 96
// DPI), where a column can still be seen whole.
int checkedColumnWidth(int width, int screenWidth);

// How the columns stand at the first start and after View > Reset columns,
// for a list `listWidth` pixels wide at 96 DPI: what tells the most in view
// first (Name, Status, Command, Signed by, then Impact and Last logon), the
// Location narrow (its middle is cut, never its ends), Publisher and Type
// after them; the widths share
// the list's width, none narrower than it needs to be read. The Type column
// is `typeWidth` wide when given (the family knows how long its type
// labels are in every language).
PaneLayout defaultPaneLayout(int listWidth, int columns, int typeWidth = 0);

// "widths=260,100,...;order=0,2,1,...;sort=2,down" (a part only when set).
std::string formatPaneLayout(const PaneLayout& layout);
// The parts of `text` that hold for a list of `columns` columns: every
// width from 0 to kWidestColumn, the order each column once, the sort a
// column with up or down. Fewer widths and a shorter order (of an older
// version, with from kFirstColumns columns on) hold for the first columns: the widths are
// kept as they are, the order has the others appended.
PaneLayout parsePaneLayout(std::string_view text, int columns);

}  // namespace velmora
