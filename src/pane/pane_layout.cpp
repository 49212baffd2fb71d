#include "pane/pane_layout.h"

#include <algorithm>
#include <charconv>

namespace velmora {

namespace {

std::string joined(const std::vector<int>& numbers) {
  std::string out;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(numbers[i]);
  }
  return out;
}

// Comma-separated whole numbers from 0 to `largest`; nothing when any is not.
std::optional<std::vector<int>> numbers(std::string_view text, int largest) {
  std::vector<int> out;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    int value = -1;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || value < 0 || value > largest) {
      return std::nullopt;
    }
    out.push_back(value);
    if (comma == std::string_view::npos) return out;
    text.remove_prefix(comma + 1);
  }
}

// Whether `count` columns are the list's `columns` or those of a version
// before it (none had fewer than kFirstColumns).
bool olderOrSame(std::size_t count, int columns) {
  return static_cast<int>(count) == columns ||
         (static_cast<int>(count) >= kFirstColumns && static_cast<int>(count) < columns);
}

}  // namespace

std::string formatPaneLayout(const PaneLayout& layout) {
  std::string out;
  const auto add = [&out](std::string_view name, const std::string& value) {
    if (!out.empty()) out += ';';
    out.append(name).append("=").append(value);
  };
  if (!layout.widths.empty()) add("widths", joined(layout.widths));
  if (!layout.order.empty()) add("order", joined(layout.order));
  if (layout.sort.sorted()) add("sort", std::to_string(layout.sort.column) + (layout.sort.descending ? ",down" : ",up"));
  return out;
}

PaneLayout parsePaneLayout(std::string_view text, int columns) {
  PaneLayout layout;
  if (columns <= 0) return layout;
  while (!text.empty()) {
    const std::size_t semicolon = text.find(';');
    const std::string_view part = text.substr(0, semicolon);
    text = semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = part.substr(0, equals);
    const std::string_view value = part.substr(equals + 1);
    if (name == "widths") {
      // Fewer widths come from a version with fewer columns: kept, and the
      // columns added since take their own.
      const auto widths = numbers(value, kWidestColumn);
      if (widths && olderOrSame(widths->size(), columns)) layout.widths = *widths;
    } else if (name == "order") {
      auto order = numbers(value, columns - 1);
      if (!order || !olderOrSame(order->size(), columns)) continue;
      std::vector<int> sorted = *order;
      std::sort(sorted.begin(), sorted.end());
      // Each column once: the header refuses anything else. A shorter order
      // (an older version's) holds its first columns; the others follow it.
      if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) continue;
      if (sorted.back() != static_cast<int>(sorted.size()) - 1) continue;
      for (int c = static_cast<int>(order->size()); c < columns; ++c) order->push_back(c);
      layout.order = *order;
    } else if (name == "sort") {
      const std::size_t comma = value.find(',');
      if (comma == std::string_view::npos) continue;
      const auto column = numbers(value.substr(0, comma), columns - 1);
      const std::string_view way = value.substr(comma + 1);
      if (!column || column->size() != 1 || (way != "up" && way != "down")) continue;
      layout.sort = SortOrder{column->front(), way == "down"};
    }
  }
  return layout;
}

int checkedColumnWidth(int width, int screenWidth) {
  return std::clamp(width, kNarrowestColumn, std::max(kNarrowestColumn, std::min(screenWidth, kWidestColumn)));
}

PaneLayout defaultPaneLayout(int listWidth, int columns, int typeWidth) {
  // In display order: the column, its share of the list's width and the
  // width below which its text is not read. Columns beyond these (kept by
  // a newer or older version) follow at their narrowest readable width.
  struct Share {
    int column;
    int percent;
    int narrowest;
  };
  // Impact and Last logon answer what a user opens a startup manager to
  // ask (what slows the logon, did it start), so they come before Location;
  // on the list of a maximised window on a 1280-pixel screen (about 1000
  // pixels) everything up to Location is in view.
  static constexpr Share kShares[] = {
      {0, 17, 130},  // Name
      {5, 15, 120},  // Status: "File not found", "New since ..."
      {2, 23, 150},  // Command, and what the others leave of the list
      {6, 12, 110},  // Signed by
      {7, 8, 90},    // Impact: "Not measured"
      {8, 8, 100},   // Last logon: "Did not start", "Letzte Anmeldung"
      {3, 14, 90},   // Location, middle ellipsis
      {4, 0, 150},   // Publisher
      {1, 0, 110},   // Type
  };
  PaneLayout layout;
  layout.widths.assign(static_cast<std::size_t>(std::max(columns, 0)), kNarrowestColumn * 3);
  std::vector<bool> placed(layout.widths.size(), false);
  for (const Share& s : kShares) {
    if (s.column >= columns) continue;
    layout.widths[static_cast<std::size_t>(s.column)] = std::max(s.narrowest, listWidth * s.percent / 100);
    layout.order.push_back(s.column);
    placed[static_cast<std::size_t>(s.column)] = true;
  }
  for (int c = 0; c < columns; ++c) {
    if (!placed[static_cast<std::size_t>(c)]) layout.order.push_back(c);
  }
  // The shares round down and leave some percent over: a wide list would end
  // in an empty strip, so the Command, the longest text, takes it.
  int shared = 0;
  for (const Share& s : kShares) {
    if (s.column < columns && s.percent > 0) shared += layout.widths[static_cast<std::size_t>(s.column)];
  }
  if (columns > 2 && shared < listWidth) layout.widths[2] += listWidth - shared;
  if (typeWidth > 0 && columns > 1) layout.widths[1] = typeWidth;
  return layout;
}

}  // namespace velmora
