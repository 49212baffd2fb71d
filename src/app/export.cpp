#include "app/export.h"

#include <algorithm>
#include <cstdio>

#include "lang/language_table.h"

namespace velmora {
namespace {

// The rows a family lists, kept instead of shown.
class CollectedRows final : public EntryList {
 public:
  void setRows(std::vector<Row> rows) override { rows_ = std::move(rows); }
  int count() const override { return static_cast<int>(rows_.size()); }
  Row row(int index) const override { return rows_.at(static_cast<std::size_t>(index)); }
  int selected() const override { return -1; }
  void select(int) override {}
  void showState(int, RowState) override {}
  void setOrigin(int, RowOrigin) override {}
  const std::vector<Row>& rows() const { return rows_; }

 private:
  std::vector<Row> rows_;
};

// A listing asks the user nothing; should it ever, the answer is no.
class NoPrompt final : public UserPrompt {
 public:
  void message(const std::string&) override {}
  bool confirm(const std::string&) override { return false; }
  bool confirmWarning(const std::string&) override { return false; }
  bool entryDialog(EntryDialogKind, EntryDialogData&) override { return false; }
  void fileInformation(const std::string&) override {}
  void searchOnline(const std::string&) override {}
};

}  // namespace

CsvWriter exportEntries(const FamilyTable& families, const Translator& translator) {
  auto text = [&](const char* key) { return translator.translate(key); };
  CsvWriter csv;
  csv.record({text("_ExportLocation"), text("_Name"), text("_Type"), text("_Data"), text("_ExportState"),
              text("_Publisher"), text("_Status")});
  NoPrompt prompt;
  std::vector<FamilyId> done;
  for (const CategoryNode& node : families.nodes()) {
    if (std::find(done.begin(), done.end(), node.family) != done.end()) continue;
    done.push_back(node.family);
    // Every path the family's nodes list, once, in node order.
    std::vector<std::string_view> paths;
    for (const CategoryNode& n : families.nodes()) {
      if (n.family != node.family) continue;
      for (std::string_view p : n.locations) {
        if (std::find(paths.begin(), paths.end(), p) == paths.end()) paths.push_back(p);
      }
    }
    const FamilyDescriptor& family = families.family(node.family);
    CollectedRows rows;
    const auto pane = family.make(family.paneLocations(paths), prompt);
    pane->fill(rows);
    for (Row r : rows.rows()) {
      pane->describe(r);
      const char* state = r.origin == RowOrigin::OffInWindows ? "_ExportStateOffInWindows"
                          : r.state == RowState::Live      ? "_ExportStateEnabled"
                                                           : "_ExportStateDisabled";
      csv.record({r.path, r.name, r.type, r.data, text(state), r.publisher, r.status});
    }
  }
  return csv;
}

std::string defaultExportName(int year, int month, int day) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
  return std::string("Velmora startup entries ") + date + ".csv";
}

}  // namespace velmora
