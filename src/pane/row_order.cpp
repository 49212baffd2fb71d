#include "pane/row_order.h"

#include <algorithm>

#include "core/natural_order.h"

namespace velmora {

namespace {

// The measured columns by their numbers: an empty cell (level 0, seconds
// below 0) last whichever way.
std::vector<std::size_t> sortedByMeasure(const std::vector<Row>& rows, std::vector<std::size_t> indices,
                                         SortOrder order) {
  const bool impact = order.column == kFirstMeasuredColumn;
  const auto empty = [impact](const Row& r) { return impact ? r.impactLevel == 0 : r.lastLogonSeconds < 0; };
  const auto less = [impact](const Row& a, const Row& b) {
    if (!impact) return a.lastLogonSeconds < b.lastLogonSeconds;
    return a.impactLevel != b.impactLevel ? a.impactLevel < b.impactLevel : a.impactSize < b.impactSize;
  };
  std::stable_sort(indices.begin(), indices.end(), [&](std::size_t i, std::size_t j) {
    const Row& a = rows[i];
    const Row& b = rows[j];
    if (empty(a) != empty(b)) return empty(b);
    return order.descending ? less(b, a) : less(a, b);
  });
  return indices;
}

}  // namespace

SortOrder afterHeaderClick(SortOrder now, int column) {
  if (now.column == column) return SortOrder{column, !now.descending};
  return SortOrder{column, false};
}

const std::string& cellOf(const Row& row, int column) {
  switch (column) {
    case 0: return row.name;
    case 1: return row.type;
    case 2: return shownData(row);
    case 3: return row.path;
    case 4: return row.publisher;
    case 5: return row.status;
    case kFirstMeasuredColumn: return row.impact;
    case kFirstMeasuredColumn + 1: return row.lastLogon;
    default: return row.signedBy;
  }
}

std::vector<std::size_t> sortedIndices(const std::vector<Row>& rows, std::vector<std::size_t> indices, SortOrder order) {
  if (!order.sorted() || order.column >= kRowColumns) return indices;
  if (order.column >= kFirstMeasuredColumn) return sortedByMeasure(rows, std::move(indices), order);
  // Each text made into its key once, not at every comparison: a pane may
  // hold tens of thousands of rows.
  struct Keyed {
    std::size_t index;
    bool empty;
    NaturalKey key;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(indices.size());
  for (const std::size_t i : indices) {
    const std::string& text = cellOf(rows[i], order.column);
    keyed.push_back({i, text.empty(), naturalKey(text)});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&order](const Keyed& a, const Keyed& b) {
    if (a.empty != b.empty) return b.empty;  // an empty cell says nothing: it goes last either way
    const int c = compareNaturalKeys(a.key, b.key);
    return order.descending ? c > 0 : c < 0;
  });
  for (std::size_t n = 0; n < keyed.size(); ++n) indices[n] = keyed[n].index;
  return indices;
}

}  // namespace velmora
