#include "pane/filtered_list.h"

#include <algorithm>
#include <iterator>

#include "core/text.h"
#include "family/program_facts.h"

namespace velmora {

bool rowMatches(const Row& row, std::string_view filter) {
  // Every column the user sees.
  return filter.empty() || containsIgnoreCase(row.name, filter) || containsIgnoreCase(row.type, filter) ||
         containsIgnoreCase(shownData(row), filter) || containsIgnoreCase(row.path, filter) ||
         containsIgnoreCase(row.publisher, filter) || containsIgnoreCase(row.status, filter) ||
         containsIgnoreCase(row.signedBy, filter) || containsIgnoreCase(row.impact, filter) ||
         containsIgnoreCase(row.lastLogon, filter);
}

FilteredList::~FilteredList() { shown_.forgetRows(); }

void FilteredList::letGo() {
  shown_.forgetRows();
  all_ = {};
  source_ = {};
  waiting_ = {};
  wanted_.reset();
}

void FilteredList::setRows(std::vector<Row> rows) {
  // A new listing: its files are looked at again (what they said before is
  // shown until then).
  if (facts_) facts_->restart();
  const int was = shown_.selected();
  std::optional<EntryRef> selected;
  if (was >= 0 && was < static_cast<int>(source_.size())) selected = entryOf(all_[source_[static_cast<std::size_t>(was)]]);
  all_ = std::move(rows);
  // A listing grown row by row may hold room for twice its rows, for as
  // long as the pane shows them; a long listing is grown by little.
  if (all_.capacity() - all_.size() > all_.size() / 4) all_.shrink_to_fit();
  apply();
  wanted_.reset();
  if (selected && !reselect(*selected)) wanted_ = std::move(selected);
}

bool FilteredList::reselect(const EntryRef& entry) {
  for (std::size_t i = 0; i < source_.size(); ++i) {
    const Row& r = all_[source_[i]];
    // By what the entry is: where it is kept does not make it another.
    if (r.path == entry.location && r.name == entry.name && r.data == entry.data) {
      shown_.select(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

bool FilteredList::described(Row& row) {
  describe_(row);
  return row.program.empty();
}

bool FilteredList::factsArrived() {
  if (waiting_.empty()) return false;
  std::erase_if(waiting_, [this](std::size_t i) { return i >= all_.size() || described(all_[i]); });
  if (!waiting_.empty() || dormant_) return false;
  reapply();
  return true;
}

void FilteredList::appendRows(std::vector<Row> rows) {
  if (rows.empty()) return;
  // After the rows there: the indices of those shown still name them.
  all_.insert(all_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  reapply();
}

RowState FilteredList::shownState(int index) const {
  return boxes_.stateImage(index) == static_cast<int>(RowState::Disabled) ? RowState::Disabled : RowState::Live;
}

void FilteredList::takeStatesFromList() {
  const int n = std::min(shown_.count(), static_cast<int>(source_.size()));
  for (int i = 0; i < n; ++i) all_[source_[static_cast<std::size_t>(i)]].state = shownState(i);
}

void FilteredList::apply() {
  source_.clear();
  waiting_.clear();
  hidden_ = 0;
  for (std::size_t i = 0; i < all_.size(); ++i) {
    // The text and Microsoft's signature need the described columns; a
    // row's newness is known from its listing.
    if ((!filter_.empty() || hideMicrosoft_ || onlyNotStarting_) && describe_ && !described(all_[i])) {
      waiting_.push_back(i);
    }
    if (onlyNew_ && !all_[i].isNew) continue;
    if (onlyNotStarting_ && !willNotStart(all_[i])) continue;
    if (!rowMatches(all_[i], filter_)) continue;
    if (hideMicrosoft_ && all_[i].signedByMicrosoft) {
      ++hidden_;
      continue;
    }
    source_.push_back(i);
  }
  if (sort_.sorted()) {
    // A column completed only when looked at is completed for the rows it
    // sorts (a filter has done so already).
    if (sort_.column >= kFirstDescribedColumn && describe_ && !filtered()) {
      for (const std::size_t i : source_) {
        if (!described(all_[i])) waiting_.push_back(i);
      }
    }
    source_ = sortedIndices(all_, std::move(source_), sort_);
  }
  shown_.showRows(all_, source_);
}

void FilteredList::setFilter(std::string filter) {
  if (filter == filter_) return;
  filter_ = std::move(filter);
  reapply();
}

void FilteredList::hideMicrosoft(bool hide) {
  if (hide == hideMicrosoft_) return;
  hideMicrosoft_ = hide;
  reapply();
}

void FilteredList::setSort(SortOrder order) {
  if (order == sort_) return;
  sort_ = order;
  reapply();
}

void FilteredList::logonMeasured() {
  // Only an order or a filter that reads the measured cells changes.
  if (!dormant_ && (filtered() || sort_.column >= kFirstMeasuredColumn)) reapply();
}

void FilteredList::showOnlyNew(bool only) {
  if (only == onlyNew_) return;
  onlyNew_ = only;
  reapply();
}

void FilteredList::showOnlyNotStarting(bool only) {
  if (only == onlyNotStarting_) return;
  onlyNotStarting_ = only;
  reapply();
}

void FilteredList::reapply() {
  if (dormant_) return;
  // The boxes are read before the rows are set again; the selection is
  // taken from the rows as they were.
  takeStatesFromList();
  const int was = shown_.selected();
  const std::size_t selectedSource =
      was >= 0 && was < static_cast<int>(source_.size()) ? source_[static_cast<std::size_t>(was)] : all_.size();
  apply();
  const auto at = std::find(source_.begin(), source_.end(), selectedSource);
  if (at != source_.end()) {
    shown_.select(static_cast<int>(at - source_.begin()));
  } else if (wanted_ && was < 0 && reselect(*wanted_)) {
    wanted_.reset();
  }
}

void FilteredList::showState(int index, RowState state) {
  shown_.showState(index, state);
  if (index >= 0 && index < static_cast<int>(source_.size())) all_[source_[static_cast<std::size_t>(index)]].state = state;
}

void FilteredList::setOrigin(int index, RowOrigin origin) {
  shown_.setOrigin(index, origin);
  if (index < 0 || index >= static_cast<int>(source_.size())) return;
  Row& row = all_[source_[static_cast<std::size_t>(index)]];
  row.origin = origin;
  // Only Velmora's own Enable or Disable moves a row, and an entry it
  // moved is no longer new. It stays shown until the next listing.
  row.isNew = false;
  dropStatus(row, "_StatusNew");
}

RowCounts FilteredList::counts() const {
  RowCounts c;
  c.shown = shown_.count();
  c.total = static_cast<int>(all_.size());
  c.hidden = hidden_;
  c.waiting = static_cast<int>(waiting_.size());
  // The boxes in the list are the truth for the rows shown.
  std::vector<bool> seen(all_.size(), false);
  const int n = std::min(c.shown, static_cast<int>(source_.size()));
  for (int i = 0; i < n; ++i) {
    seen[source_[static_cast<std::size_t>(i)]] = true;
    if (shownState(i) == RowState::Disabled) ++c.disabled;
  }
  for (std::size_t i = 0; i < all_.size(); ++i) {
    if (!seen[i] && all_[i].state == RowState::Disabled) ++c.disabled;
    if (all_[i].isNew) ++c.fresh;
  }
  return c;
}

}  // namespace velmora
