#pragma once
// The rows of a pane's list as the families see them: four texts and a check
// box, and two texts that are only shown (columns 4 and 5, never read back). The Win32 pane implements this over its list view; tests use a fake.
#include <string>
#include <vector>

namespace velmora {

// The check box is the state image: 1 unchecked (disabled entry kept in
// config.xml), 2 checked (live entry).
enum class RowState { Disabled = 1, Live = 2 };

struct Row {
  std::string name;  // column 0, _Name
  std::string type;  // column 1, _Type (never read back)
  std::string data;  // column 2, _Data: command line or target
  std::string path;  // column 3, _RegPath: the location
  RowState state = RowState::Live;
  std::string publisher;  // column 4, _Publisher: who made the program file
  std::string status;     // column 5, _Status: what stops or threatens it, "; "-joined
  // The command line whose program file columns 4 and 5 still have to
  // describe (EntryFamily::describe); empty once that is done. Looking files
  // up costs, so it is done for the rows someone looks at.
  std::string program;
  bool operator==(const Row&) const = default;
};

class EntryList {
 public:
  virtual ~EntryList() = default;
  // Replaces every row; the selection is lost. Check-box changes made while
  // filling never start Enable or Disable.
  virtual void setRows(std::vector<Row> rows) = 0;
  virtual int count() const = 0;
  // Columns 0 to 3 and the box; publisher and status come back empty.
  virtual Row row(int index) const = 0;
  // The selected row, or -1.
  virtual int selected() const = 0;
  // Selects and focuses a row and scrolls it into full view.
  virtual void select(int index) = 0;
  // Sets a row's check box without starting Enable or Disable: used to show
  // an entry's real state after an operation failed.
  virtual void showState(int index, RowState state) = 0;
};

}  // namespace velmora
