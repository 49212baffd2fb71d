#pragma once
// A family that records what the pane asks of it and fills the list with
// the rows a test gives it.
#include <string>
#include <vector>

#include "family/entry_family.h"

namespace velmora::testing {

class RecordingFamily : public EntryFamily {
 public:
  std::vector<Row> rowsToFill;
  ColumnWidths widths{150, 60, 350, 350};
  // Result of enable/disable: whether the entry moved.
  bool moves = true;

  int fills = 0;
  int describes = 0;
  std::vector<std::string> calls;  // "remove", "add", "modify", "property", "enable 2", "disable 0"
  std::vector<int> enabled, disabled;
  // The origin of each row handed to enable or disable, as the list gave it.
  std::vector<RowOrigin> originsSeen;

  ColumnWidths columnWidths() const override { return widths; }
  void fill(EntryList& list) override {
    ++fills;
    calls.push_back("fill");
    list.setRows(rowsToFill);
  }
  // Completes a row as a family would: the publisher from the program.
  void describe(Row& row) override {
    ++describes;
    if (row.program.empty()) return;
    row.publisher = "Maker of " + row.program;
    row.program.clear();
  }
  void remove(EntryList&, int) override { calls.push_back("remove"); }
  void add(EntryList&) override { calls.push_back("add"); }
  void modify(EntryList&, int) override { calls.push_back("modify"); }
  void property(EntryList&, int) override { calls.push_back("property"); }
  bool enable(EntryList& list, int row) override {
    originsSeen.push_back(list.row(row).origin);
    enabled.push_back(row);
    calls.push_back("enable " + std::to_string(row));
    return moves;
  }
  bool disable(EntryList& list, int row) override {
    originsSeen.push_back(list.row(row).origin);
    disabled.push_back(row);
    calls.push_back("disable " + std::to_string(row));
    return moves;
  }
  void openLocation(EntryList&, int) override { calls.push_back("openLocation"); }
  bool undo(const Change&) override {
    calls.push_back("undo");
    return moves;
  }
  // Everything but fills.
  std::vector<std::string> operations() const {
    std::vector<std::string> out;
    for (const auto& c : calls)
      if (c != "fill") out.push_back(c);
    return out;
  }
};

}  // namespace velmora::testing
