#pragma once
// Undo of a kept change: which family reverses it, over which locations,
// and the one-row list through which a family's own Enable and Disable
// reverse each other.
#include <string>
#include <utility>
#include <vector>

#include "pane/change_history.h"
#include "pane/entry_list.h"
#include "pane/families.h"
#include "pane/prompt.h"

namespace velmora {

class Translator;

// A list of exactly the row an Undo works on: the family's operations read
// it back as they read a pane's selected row.
class OneRowList : public EntryList {
 public:
  // A row in the unchecked state stands for a record in config.xml, as a
  // listing would have made it.
  explicit OneRowList(Row row) : rows_{std::move(row)} {
    if (rows_.front().state == RowState::Disabled) rows_.front().origin = RowOrigin::Record;
  }
  void setRows(std::vector<Row> rows) override { rows_ = std::move(rows); }
  int count() const override { return static_cast<int>(rows_.size()); }
  Row row(int index) const override { return rows_.at(static_cast<std::size_t>(index)); }
  int selected() const override { return rows_.empty() ? -1 : 0; }
  void select(int) override {}
  void showState(int index, RowState state) override { rows_.at(static_cast<std::size_t>(index)).state = state; }
  void setOrigin(int index, RowOrigin origin) override { rows_.at(static_cast<std::size_t>(index)).origin = origin; }

 private:
  std::vector<Row> rows_;
};

// Reverses `change` through the family that made it, over every location
// that family lists (so a location the family does not know is refused).
// False, after telling the user, when nothing was changed.
bool undoChange(const FamilyTable& families, const Change& change, UserPrompt& prompt, const Translator& translator);

// Undoes the change the user selected in the history's list, read afresh
// from the file: the file is the truth, not what the list showed. Refused
// when the file no longer holds that very change, or holds another change
// of its number.
bool undoSelected(const FamilyTable& families, ChangeHistory& history, const Change& selected, UserPrompt& prompt,
                  const Translator& translator);

// The dialog's columns for a change: time, what was done, location, name,
// details (the command line, or "old -> new" for a Modify; an Undo says
// which change it reversed).
std::vector<std::string> historyColumns(const Change& change, const Translator& translator);

}  // namespace velmora
