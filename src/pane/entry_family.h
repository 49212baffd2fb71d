#pragma once
// The contract every entry family fills in: the registry keys, the program-
// list values and the startup folders each implement it once.
#include "pane/entry_list.h"

namespace velmora {

struct Change;

struct ColumnWidths {
  int name, type, data, path;
};

// The pane asks for a selected row before Remove, Modify and Property (and
// says so when there is none); a family is handed that row's index.
class EntryFamily {
 public:
  EntryFamily() = default;
  EntryFamily(const EntryFamily&) = delete;
  EntryFamily& operator=(const EntryFamily&) = delete;
  virtual ~EntryFamily() = default;
  virtual ColumnWidths columnWidths() const = 0;
  virtual void fill(EntryList& list) = 0;
  // Completes columns 4 and 5 of a row of this family's latest fill: the
  // publisher of its program file, or "File not found". A file is looked up
  // once per fill, however many rows share it.
  virtual void describe(Row& row) = 0;
  virtual void remove(EntryList& list, int row) = 0;
  virtual void add(EntryList& list) = 0;
  virtual void modify(EntryList& list, int row) = 0;
  virtual void property(EntryList& list, int row) = 0;
  // Run when row's box was set or cleared by the user. Return false when the
  // entry did not move; the pane then shows the row's real state again.
  virtual bool enable(EntryList& list, int row) = 0;
  virtual bool disable(EntryList& list, int row) = 0;
  // Reverses a change this family made (pane/change_history.h) through the
  // same steps, checks and questions as the forward operations, and keeps
  // the reversal as a change of its own. False, after telling the user,
  // when nothing was changed: the entry is no longer as the change left it,
  // the user said no, or a step failed.
  virtual bool undo(const Change& change) = 0;
  // Shows the row's location: the Registry Editor at its key, or Explorer
  // at its file (its folder for a disabled file).
  virtual void openLocation(EntryList& list, int row) = 0;
};

}  // namespace velmora
