#pragma once
// The rows a filter lets through, in the order the user sorted them, over
// the list that shows them. A family fills and reads the list through it as
// if nothing were filtered or sorted: indices are those of the rows shown,
// so row read-back, the boxes, selection and the reselect after Remove work
// on what the user sees.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pane/entry_list.h"
#include "pane/pane_logic.h"
#include "pane/row_order.h"

namespace velmora {

class ProgramFactsSource;

// Whether some column of `row` contains `filter`, ignoring case; an empty
// filter lets every row through.
bool rowMatches(const Row& row, std::string_view filter);

struct RowCounts {
  int shown = 0;
  int total = 0;
  int disabled = 0;  // of all rows, shown or not
  int hidden = 0;    // rows the filter lets through that are hidden as Microsoft's
  int fresh = 0;     // of all rows, those new since Velmora last closed (Row::isNew)
  // Rows whose files' answers the filter, the sort or the Microsoft check
  // box are still waiting for (shown meanwhile as far as they are known).
  int waiting = 0;
};

class FilteredList : public EntryList {
 public:
  // `boxes` are the check boxes of `shown`: a box the user set is read
  // there, row texts are not read back for it.
  FilteredList(EntryList& shown, const CheckBoxes& boxes) : shown_(shown), boxes_(boxes) {}
  ~FilteredList() override;
  FilteredList(const FilteredList&) = delete;
  FilteredList& operator=(const FilteredList&) = delete;

  // Completes a row's columns 4 to 6 (EntryFamily::describe): a filter
  // looks at them, so it completes every row it matches against.
  void setDescriber(std::function<void(Row&)> describe) { describe_ = std::move(describe); }
  // The rows' files are looked up by a worker through `facts`: every new
  // listing has them looked up afresh, and a filter or sort that needs
  // answers not yet come shows what is known and is applied again once
  // they all came (factsArrived).
  void setProgramFacts(ProgramFactsSource* facts) { facts_ = facts; }
  // The worker answered: true when the rows were shown again because every
  // answer the filter and sort waited for came.
  bool factsArrived();
  // Lets go of every row, for good: the program closes.
  void letGo();
  // What Windows measured of the last logon came (the Impact and Last
  // logon cells): shown again when sorted or filtered, the selection kept.
  void logonMeasured();
  // While dormant (its pane hidden), a new filter, sort or check box is
  // only kept, and applied by the next setRows: a hidden pane costs
  // nothing, and is refreshed when shown.
  void setDormant(bool dormant) { dormant_ = dormant; }

  // Shows the rows last set that match `filter`; the selected row stays
  // selected when it is still shown.
  void setFilter(std::string filter);
  [[nodiscard]] const std::string& filter() const { return filter_; }
  [[nodiscard]] bool filtered() const { return !filter_.empty() || hideMicrosoft_ || onlyNew_ || onlyNotStarting_; }
  // Hides, or shows again, the rows whose program file Microsoft signed
  // (Row::signedByMicrosoft), now and after every refill.
  void hideMicrosoft(bool hide);
  [[nodiscard]] bool hidingMicrosoft() const { return hideMicrosoft_; }
  // Shows the rows in `order`, now and after every refill; the selected row
  // stays selected and every box keeps what the user set.
  void setSort(SortOrder order);
  [[nodiscard]] SortOrder sortOrder() const { return sort_; }
  // Shows only the rows new since Velmora last closed (Row::isNew), or
  // every row again, now and after every refill.
  void showOnlyNew(bool only);
  [[nodiscard]] bool showingOnlyNew() const { return onlyNew_; }
  // Shows only the rows that look on but will not start (willNotStart);
  // a missing file is known once the row is described.
  void showOnlyNotStarting(bool only);
  [[nodiscard]] RowCounts counts() const;

  // Adds rows after those set, shown as the filter and sort say; every row
  // shown keeps its box as the user left it, and the selected row stays
  // selected (or the entry selected before the listing, come only now).
  void appendRows(std::vector<Row> rows);

  // EntryList. A new listing keeps the entry selected before selected (the
  // same place, name and command), wherever it is now, and in view.
  void setRows(std::vector<Row> rows) override;
  [[nodiscard]] int count() const override { return shown_.count(); }
  [[nodiscard]] Row row(int index) const override { return shown_.row(index); }
  [[nodiscard]] int selected() const override { return shown_.selected(); }
  void select(int index) override { shown_.select(index); }
  void showState(int index, RowState state) override;
  void setOrigin(int index, RowOrigin origin) override;

 private:
  // The boxes the user set in the list since it was filled.
  void takeStatesFromList();
  void apply();
  // Shows what the filter and the check box let through, keeping the
  // selected row selected when it still is.
  void reapply();
  // Selects the row shown of `entry`; false when none is shown.
  bool reselect(const EntryRef& entry);

  [[nodiscard]] RowState shownState(int index) const;
  // Completes a row the filter or sort looks at; false while its file's
  // answer has not come.
  bool described(Row& row);

  EntryList& shown_;
  const CheckBoxes& boxes_;
  std::function<void(Row&)> describe_;
  std::string filter_;
  bool hideMicrosoft_ = false;
  SortOrder sort_;
  bool onlyNew_ = false;
  bool onlyNotStarting_ = false;
  int hidden_ = 0;
  std::vector<Row> all_;
  std::vector<std::size_t> source_;  // shown row -> its index in all_
  ProgramFactsSource* facts_ = nullptr;
  // Rows of all_ looked at by the filter or sort whose answers are to come.
  std::vector<std::size_t> waiting_;
  bool dormant_ = false;
  // The entry selected before the latest listing, not in it (yet): rows
  // that come later (a slow place's) select it when it is among them.
  std::optional<EntryRef> wanted_;
};

}  // namespace velmora
