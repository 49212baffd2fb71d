#pragma once
// The entry list pane: eight buttons over a list of entries with check
// boxes. The same window serves every family; the family behind it fills
// the list and carries out the commands.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <map>
#include <string>

#include "lang/language_table.h"
#include "family/entry_family.h"
#include "pane/filtered_list.h"
#include "pane/pane_layout.h"
#include "pane/pane_logic.h"
#include "pane/win32/list_view_rows.h"
#include "pane/win32/location_column.h"
#include "platform/win32/header_tips.h"
#include "platform/win32/dialog.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

// Colours a skin gives the pane; nothing set means the system look.
struct PaneLook {
  HBRUSH background = nullptr;
  std::optional<COLORREF> text;
};

class EntryListPane final : public Dialog {
 public:
  // The pane of `family`, whose changes go through `commit`. Without a
  // prompt the pane talks to the user through its own windows.
  EntryListPane(const Translator& translator, std::unique_ptr<EntryFamily> family, ChangeCommit& commit,
                std::unique_ptr<UserPrompt> prompt = nullptr);
  ~EntryListPane() override;

  // Creates the (hidden) pane window from its dialog template; the list is
  // filled while the window is initialised.
  HWND create(HINSTANCE instance, HWND parent);

  EntryFamily& family() { return *family_; }
  // Lists the family's entries afresh, as a selection of the node does;
  // the slow places answer with their latest reading (F5 reads them again).
  void refresh();
  // The window is gone and the program closes: its rows are let go.
  void letGoOfRows() { filtered_.letGo(); }
  // Shows, after its rows, those of the places the family's latest listing
  // found still being read (EntryFamily::listDeferredPlaces); the rows
  // shown stand. How many were added.
  int addDeferredRows();
  // The program files are looked up by a worker through `facts` (none:
  // when asked).
  void setProgramFacts(ProgramFactsSource* facts) { filtered_.setProgramFacts(facts); }
  // Answers about program files came: the cells in view show them, and a
  // filter or sort that waited for them is applied again.
  void factsArrived();
  // Windows' measurement of the last logon came: the Impact and Last logon
  // cells show it, and an order or filter by them is applied again.
  void logonMeasured();
  // True while a command or a box the user set is being carried out (it
  // may wait in a question or a dialog): rows must not change under it.
  [[nodiscard]] bool busy() const { return busy_ > 0; }
  // Shows only the rows where some column contains `text` (ignoring case),
  // now and after every refill, until it is set to "".
  void setFilter(const std::string& text) { filtered_.setFilter(text); }
  // Hides the rows whose program file Microsoft signed, until told to show
  // them again.
  void hideMicrosoft(bool hide) { filtered_.hideMicrosoft(hide); }
  // Shows only the entries new since Velmora last closed, until told to
  // show all again.
  void showOnlyNew(bool only) { filtered_.showOnlyNew(only); }
  void showOnlyNotStarting(bool only) { filtered_.showOnlyNotStarting(only); }
  [[nodiscard]] RowCounts counts() const { return filtered_.counts(); }
  // Why the selected row cannot be removed or disabled, in words ("" when
  // it can, or when none is selected).
  [[nodiscard]] std::string whyNot() const;
  // Lays the columns out as at the first start: widths from the list's
  // width, what tells the most in view first (pane/pane_layout.h).
  void resetColumns();
  // Called once the pane is in view in its window: a pane the user left no
  // widths for lays its columns out from the width it now has, not from the
  // size it was made at or a window not yet placed.
  void shown();
  // Sorts the rows by column `column` as a click on its header does: up,
  // or the other way round when they are sorted by it already. The header
  // shows the arrow.
  void sortBy(int column);
  [[nodiscard]] SortOrder sortOrder() const { return filtered_.sortOrder(); }
  // How the user left the columns (widths at 96 DPI, order, sort), to be
  // kept for the next start; for a pane never made, what it was given.
  [[nodiscard]] PaneLayout columnLayout() const;
  // What the user left last time, for a pane not made yet: it is made so.
  // A part that is empty keeps the pane's own.
  void setColumnLayout(PaneLayout layout);
  // What the last change made here came to, in words, once ("" when none).
  [[nodiscard]] std::string takeOutcome() { return controller_->takeOutcome(); }
  // Called after every command and every box the user sets, so the owner
  // can show what the list now holds.
  void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
  ListViewRows& rows() { return rows_; }
  LocationColumn& locationColumn() { return location_; }
  HeaderTips& headerTips() { return headerTips_; }
  void setLook(const PaneLook& look) { look_ = look; }

  // The DPI the pane's controls and columns are sized for: its monitor's
  // when it is made, then what changeDpi sets.
  int dpi() const { return dpi_; }
  // Sizes the pane for `dpi`: controls, gaps and column widths (as the user
  // left them) in proportion, every control in `font`, which must outlive
  // them. Nothing happens without a window.
  void changeDpi(int dpi, HFONT font);

  // The context menu for the current selection, translated and greyed.
  // Empty when the menu resource is missing.
  [[nodiscard]] MenuHandle buildContextMenu() const;
  // Greys in `menu` the pane's commands that cannot be done for the
  // selected row: the context menu's rule, for any menu holding them.
  void greyCommands(HMENU menu) const;
  // The selected rows under a line of the visible columns' titles, as
  // tableText makes them; "" when no row is selected.
  [[nodiscard]] std::string selectionText() const;
  // Puts selectionText on the clipboard; with no row selected nothing is
  // done and the clipboard keeps what it had. False when the clipboard
  // could not be had (another program holds it open).
  [[nodiscard]] bool copySelection();
  // Where the keyboard opens the context menu, in screen coordinates: below
  // the start of the selected row, or the list's top-left corner when no
  // row is selected.
  [[nodiscard]] POINT keyboardMenuPoint() const;
  // F5 refreshes; in the list Delete removes, Enter shows the file
  // information as a double click does, Alt+Enter the properties, Ctrl+C
  // copies the selected rows, and Shift+F10 and the Menu key open the
  // context menu. True when the key was taken.
  bool translateKeys(MSG& msg);

 private:
  [[nodiscard]] bool onInit() override;
  [[nodiscard]] bool onCommand(int id, int code, HWND control) override;
  [[nodiscard]] bool onNotify(const NMHDR& header) override;
  [[nodiscard]] std::optional<INT_PTR> onMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void layout(int width, int height);
  // The columns, as the user left them or as at the first start.
  void makeColumns(HWND list);
  // Greys the buttons as the Entry menu greys its commands: what needs a
  // selected row without one, and what its family cannot do.
  void updateButtons();
  // After every command: the buttons, then the owner (the status bar).
  void changed();
  // A row's box or selection changed (the list's LVN_ITEMCHANGED, or a box
  // the rows report).
  void itemChanged(int row, UINT oldState, UINT newState);
  void showContextMenu(POINT at);
  // The header's arrow on the sorted column, none on the others.
  void showSortArrow();

  const Translator& translator_;
  std::unique_ptr<UserPrompt> prompt_;
  std::unique_ptr<EntryFamily> family_;
  ListViewRows rows_;
  // Column 3's painting and tip.
  LocationColumn location_{3};
  // What the columns of the last logon mean, on their headers.
  HeaderTips headerTips_;
  // What the family fills and reads: the rows shown under the filter.
  FilteredList filtered_{rows_, rows_};
  std::function<void()> onChange_;
  std::unique_ptr<PaneController> controller_;
  HINSTANCE instance_ = nullptr;
  HACCEL keys_ = nullptr;
  PaneLook look_;
  // The list's distances to the pane's right and bottom edges.
  int listRightGap_ = 0, listBottomGap_ = 0;
  RECT listStart_{};
  int dpi_ = 96;
  PaneLayout stored_;
  static constexpr int kColumnCount = kRowColumns;
  // Counts a command or box change being carried out, for its length.
  class Busy {
   public:
    explicit Busy(EntryListPane& pane) : count_(pane.busy_) { ++count_; }
    ~Busy() { --count_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    int& count_;
  };
  // Commands and box changes being carried out (they nest through dialogs).
  int busy_ = 0;
  // The user left no widths: the first layout lays the columns out.
  bool defaultColumnsDue_ = false;
  // The program files whose icons the list asked for while it painted and
  // that are still to be read, after the paint; whether each may be read
  // from the file itself (Row::programLocal).
  std::map<std::string, bool> iconsWanted_;
};

}  // namespace velmora::win32
