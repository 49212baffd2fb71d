#pragma once
// The main window: the category tree at the left of a splitter, the entry
// list panes (one per node, one visible) at the right, and the menu.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/message_loop.h"
#include "app/win32/pane_host.h"
#include "app/win32/skin_layer.h"
#include "app/win32/splitter.h"
#include "core/theme.h"
#include "core/locations.h"
#include "core/paths.h"
#include "family/families.h"
#include "pane/win32/entry_list_pane.h"
#include "platform/win32/dialog.h"
#include "platform/win32/handles.h"

namespace velmora::win32 {

class Composition;

class MainFrame final : public Dialog, public MessageFilter, public IdleHandler {
 public:
  // The tree's width when the window opens, at 96 DPI.
  static constexpr int kSplitterStart = 250;
  // The program's frame: the real registry, config.xml and log.
  MainFrame(const ProgramFiles& files, const Translator& translator, LogSink* logSink,
            SkinLayer& skin = skinLayer());
  // A frame over the families of `families`, committing their changes
  // through `commit`; both must outlive it.
  MainFrame(const Translator& translator, const FamilyTable& families, ChangeCommit& commit,
            SkinLayer& skin = skinLayer());
  ~MainFrame() override;

  // Creates the (not yet shown) window from its dialog template, with no
  // owner, and registers it with `loop` when there is one. Null on failure.
  HWND create(HINSTANCE instance, MessageLoop* loop);

  [[nodiscard]] bool preTranslate(MSG& msg) override;
  bool onIdle(int) override { return false; }

  HWND tree() const { return tree_; }
  HTREEITEM treeItem(int node) const { return items_[static_cast<std::size_t>(node)]; }
  const Splitter& splitter() const { return splitter_; }
  const PaneHost& host() const { return host_; }
  EntryListPane& pane(int node) { return *panes_[static_cast<std::size_t>(node)]; }
  HWND filterBox() const;
  HWND statusBar() const { return status_; }
  // Where Tools > Change History reads and Undo records; the program's own
  // frame has its composition's.
  void setHistory(ChangeHistory* history) { history_ = history; }
  // The DPI the window is laid out for: its monitor's when it opens, then
  // the one of every WM_DPICHANGED.
  int dpi() const { return dpi_; }
  // How the window is to be shown first: maximised, unless the user left
  // it restored at the last close.
  int showCommand() const { return showCommand_; }
  // The program closes normally (its message loop ended): what it saw is
  // kept for "new since last time". Only the program's own frame keeps it.
  void closing();

 private:
  MainFrame(std::unique_ptr<Composition> root, const Translator& translator, SkinLayer& skin);

  [[nodiscard]] bool onInit() override;
  [[nodiscard]] bool onCommand(int id, int code, HWND control) override;
  [[nodiscard]] bool onNotify(const NMHDR& header) override;
  [[nodiscard]] std::optional<INT_PTR> onMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void setIcons();
  void buildTree();
  void createPanes(const FamilyTable& families, ChangeCommit& commit);
  // The node selected when the window opens; -1 without a tree.
  int startNode() const;
  void selectionChanged(const NMTREEVIEWW& change);
  // The workers' results, on the window's thread: the rows of the slow
  // places, and answers about program files, for the visible pane.
  void slowPlacesArrived();
  void factsArrived();
  // A new measurement of the last logon is shown in every pane, once none
  // is busy with a command.
  void showLogonMeasured();
  // After every command and box of a pane.
  void paneChanged();
  // File > Export.
  void exportEntries();
  void forward(int id);
  void command(int id);
  void unregister();
  void layout(int width, int height);
  // The status bar's parts, after its first part's text.
  void fitStatusParts(int width);
  // The borders and padding of a status bar part, at 96 DPI.
  static constexpr int kStatusTextMargin = 12;
  void filterChanged();
  // The "Hide entries signed by Microsoft" box was set or cleared: every
  // pane follows it, and it is kept for the next start.
  void hideWindowsChanged();
  // "Show only new entries" was set or cleared: every pane follows it.
  void showNewChanged();
  void updateStatus();
  // What the user left at the last close (user_settings_win32.h): the
  // window's place, each pane's columns and the filter's box now; the
  // splitter and the node are returned for the window to take.
  void restorePlacement();
  void restorePanes();
  // The node, the splitter (96 DPI) and the Microsoft check box the user
  // left, each when it holds; and the check box kept.
  std::optional<int> storedStartNode() const;
  std::optional<int> storedSplitterPosition() const;
  bool storedHideWindows() const;
  void keepHideWindows(bool hide) const;
  // Keeps the window's place, the splitter, the node, the filter's box and
  // each pane's columns for the next start.
  void saveSettings();
  void setTreeImages();
  // WM_DPICHANGED: fonts, sizes and images for `dpi`, then the window
  // takes `suggested` (screen coordinates).
  void changeDpi(int dpi, const RECT& suggested);
  HFONT dialogFont() const;
  // The colours follow View > Theme, or Windows' setting while the choice
  // is System: taken at start, again after every change of either.
  void takeColours();
  void chooseTheme(ThemeChoice choice);

  std::unique_ptr<Composition> root_;
  // The program's files, for an export in the background.
  ProgramFiles files_;
  // Results came while the visible pane was in a command: shown after it.
  bool arrivedWhileBusy_ = false;
  // The generation of the logon measurement the panes show (LogonCells).
  unsigned logonShown_ = 0;
  const Translator& translator_;
  SkinLayer& skin_;
  std::vector<std::unique_ptr<EntryListPane>> panes_;
  const FamilyTable* families_ = nullptr;  // for File > Export
  ChangeHistory* history_ = nullptr;       // for Tools > Change History
  ChangeCommit* commit_ = nullptr;         // for its Undo

  HINSTANCE instance_ = nullptr;
  MessageLoop* loop_ = nullptr;
  Splitter splitter_;
  PaneHost host_;
  HWND tree_ = nullptr;
  HWND status_ = nullptr;
  // What the last change came to, in any pane, until the next one.
  std::string lastOutcome_;
  ImageListHandle images_;
  int dpi_ = 96;
  int showCommand_ = SW_SHOWMAXIMIZED;
  // Fonts made for a DPI the window moved to; empty while it has not moved,
  // when the controls keep the ones they were made with.
  FontHandle font_, treeFont_, statusFont_;
  // The DPI and the fonts (the controls' own) of when the window opened.
  int openedDpi_ = 96;
  HFONT openedTreeFont_ = nullptr;
  HFONT openedStatusFont_ = nullptr;
  // The tree as the families give it, and its items in node order.
  std::vector<CategoryNode> nodes_;
  std::vector<Expansion> expansions_;
  std::vector<HTREEITEM> items_;
  ThemeChoice theme_ = ThemeChoice::System;
  // Kept at the end of the session already (WM_QUERYENDSESSION).
  bool savedForSessionEnd_ = false;
};

}  // namespace velmora::win32
