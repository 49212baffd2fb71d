#pragma once
// The order of a pane's rows: by one column, either way, or as listed.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "family/entry.h"

namespace velmora {

constexpr int kRowColumns = 9;
// The columns whose cells are completed only when someone looks at them
// (EntryFamily::describe): publisher, status, signed by, impact, last logon.
constexpr int kFirstDescribedColumn = 4;
// Impact and Last logon, from Windows' measurement of the last logon.
constexpr int kFirstMeasuredColumn = 7;

struct SortOrder {
  int column = -1;  // -1: as the family lists them
  bool descending = false;
  bool sorted() const { return column >= 0; }
  bool operator==(const SortOrder&) const = default;
};

// What a click on column `column`'s header makes of `now`: the other way
// round on the column already sorted by, up on any other.
SortOrder afterHeaderClick(SortOrder now, int column);

// The text of column 0 to 8 of a row.
const std::string& cellOf(const Row& row, int column);

// `indices` (into `rows`) in `order`: natural order of the column's texts
// (compareNatural), stable, so rows that compare equal keep their order;
// empty cells last whichever way. Impact goes by its level and cost, Last
// logon by its seconds ("Did not start" after every start), not by text. Unsorted, or a column out of range:
// `indices` as given.
std::vector<std::size_t> sortedIndices(const std::vector<Row>& rows, std::vector<std::size_t> indices, SortOrder order);

}  // namespace velmora
