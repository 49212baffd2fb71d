#pragma once
// The part of the entry list pane that is not Win32: which command does
// what, when a check-box change is an Enable or a Disable, what the context
// menu offers, and how About file turns a command line into a file path.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "family/entry_family.h"
#include "history/change_commit.h"
#include "pane/entry_list.h"
#include "pane/pane_command_ids.h"
#include "family/prompt.h"

namespace velmora {

class Translator;

// The pane's commands: its buttons, its context menu and the main window's
// _Operation menu all use these identifiers (numbers: pane_command_ids.h).
namespace pane_command {
constexpr int kRemove = IDC_REMOVE;
constexpr int kRefresh = IDC_REFRESH;
constexpr int kAddNew = IDC_ADDNEW;
constexpr int kModify = IDC_MODIFY;
constexpr int kProperty = IDC_PROPERTY;
constexpr int kAboutFile = IDC_ABOUTFILE;
constexpr int kEnable = IDC_ENABLE;
constexpr int kDisable = IDC_DISABLE;
constexpr int kOpenLocation = IDC_OPENLOCATION;
constexpr int kSearchOnline = IDC_SEARCHONLINE;
constexpr int kOpenStartupSettings = IDC_OPENSTARTUPSETTINGS;
}  // namespace pane_command

bool isPaneCommand(int id);


// The list view's item state: the check box lives in the state-image field.
constexpr std::uint32_t kStateImageMask = 0xF000;
constexpr int stateImageOf(std::uint32_t state) { return static_cast<int>((state & kStateImageMask) >> 12); }

enum class CheckBoxAction { None, Enable, Disable };

// What an item-changed report means. Only a change between image 1 and 2
// counts (selection and focus changes carry no image bits); the row's image
// now decides the direction. While the list is being filled nothing counts.
CheckBoxAction checkBoxAction(bool loading, std::uint32_t oldState, std::uint32_t newState, int currentImage);

// The state the Enable or Disable button gives the selected row, or nothing
// when the row is already there.
std::optional<RowState> buttonTarget(int commandId, int currentImage);

// Whether the pane's family can do a command at all.
bool familyCan(int commandId, const FamilyAbilities& abilities);

// Whether an item of the context menu, and of the main window's _Operation
// menu, is enabled, given the selected row's state image (nothing when no
// row is selected) and what the pane's family can do.
bool contextItemEnabled(int commandId, std::optional<int> selectedImage, const FamilyAbilities& abilities = {});

// Rows as a table for the clipboard: a line of column titles, then one line
// a row, cells parted by tabs, every line ended by CR LF. A tab or line
// break within a cell becomes a space, so every cell keeps its column.
std::string tableText(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows);

// The list's check boxes as the user sets them.
class CheckBoxes {
 public:
  virtual ~CheckBoxes() = default;
  virtual int stateImage(int row) const = 0;
  // Sets a row's box the way a click does: the list reports the change
  // back at once, through PaneController::itemChanged.
  virtual void check(int row, RowState state) = 0;
};

// The pane's dispatch: commands, check-box changes and the double click.
// It does the list's work: the selected row to an entry, the entry dialogs,
// the family's operation, the commit of its result, then the refill and
// reselection (Remove: the row now in its place; Add and Modify: the row of
// the entry made or changed, wherever the sort puts it) or the row's new
// origin (Enable and Disable never refill: the row keeps its place until the
// next listing).
class PaneController {
 public:
  PaneController(EntryFamily& family, EntryList& list, CheckBoxes& boxes, UserPrompt& prompt, ChangeCommit& commit,
                 const Translator& translator)
      : family_(family), list_(list), boxes_(boxes), prompt_(prompt), commit_(commit), translator_(translator) {}

  // False when the id is not one of the pane's commands.
  bool command(int id);
  void itemChanged(int row, std::uint32_t oldState, std::uint32_t newState, bool loading);
  // A double click without a selected row does nothing, not even a message.
  void doubleClick();
  // What the command can do: the pane's family's abilities, or for a
  // command on the selected row that row's own family's.
  FamilyAbilities abilitiesFor(int commandId) const;
  // Lists the family's entries afresh.
  void refill() { list_.setRows(family_.list()); }
  // What the last change came to since the last call ("" when none was
  // made: nothing tried, or the user said no).
  std::string takeOutcome() { return std::exchange(outcome_, {}); }

 private:
  // The selected row, or -1 after telling the user to select one: the one
  // place that asks for a selection.
  int requireSelection();
  void remove();
  void add();
  void modify();
  void property();
  void openLocation();
  // Windows' own startup settings, for a row whose family can open them.
  void openStartupSettings();
  void aboutFile();
  // Searches the web for the selected row's program file name.
  void searchOnline();
  void checkButton(int id);
  // A row with its program file described (what the family's describe
  // adds), for the commands that act on that file.
  Row described(int row);
  // Whether a Disable of the row may go on: yes, unless its program file is
  // Windows' own (signed by Microsoft Windows) and the user, asked, says no.
  bool mayDisable(Row row);
  // Selects the first row named `name` (ignoring case) at `location` (any
  // location when empty); none when no row is.
  void selectEntry(const std::string& location, const std::string& name);
  // Commits a result of the family with `traits` and keeps what it came to
  // for the status bar.
  void finish(ChangeKind kind, const std::string& name, const OperationResult& result, const FamilyTraits& traits);

  EntryFamily& family_;
  EntryList& list_;
  CheckBoxes& boxes_;
  UserPrompt& prompt_;
  ChangeCommit& commit_;
  const Translator& translator_;
  std::string outcome_;
};

}  // namespace velmora
