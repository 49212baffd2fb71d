#include "app/win32/main_frame.h"

#include <algorithm>

#include "app/stored_layout.h"
#include "app/win32/admin_menu.h"
#include "app/win32/composition.h"
#include "app/win32/export_command.h"
#include "app/win32/frame_commands.h"
#include "app/win32/language_menu.h"
#include "dialogs/win32/history_dialog.h"
#include "app/win32/theme_win32.h"
#include "app/win32/tree_images.h"
#include "app/win32/user_settings_win32.h"
#include "core/format.h"
#include "core/window_placement.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "pane/pane_logic.h"
#include "platform/win32/colour_scheme.h"
#include "platform/win32/dpi.h"
#include "platform/win32/placement.h"
#include "platform/win32/wide.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {
// The exit code of File > Exit and of the close box.
constexpr int kExitCodeOnExit = 2;
// Posted at start, handled once the window shows: the workers may begin to
// read the slow places (earlier they would compete with making the window).
constexpr UINT kWindowShown = WM_APP + 41;
}  // namespace

MainFrame::MainFrame(const ProgramFiles& files, const Translator& translator, LogSink* logSink, SkinLayer& skin)
    : MainFrame(std::make_unique<Composition>(files, translator, logSink, Composition::Mode::Window), translator,
                skin) {
  files_ = files;
}

// The adapters must exist before the families that refer to them.
MainFrame::MainFrame(std::unique_ptr<Composition> root, const Translator& translator, SkinLayer& skin)
    : Dialog(IDD_MAINFRAME), root_(std::move(root)), translator_(translator), skin_(skin) {
  createPanes(root_->families(), root_->commit());
  history_ = &root_->history();
  if (Workers* workers = root_->workers()) {
    for (auto& pane : panes_) pane->setProgramFacts(&workers->programFacts());
  }
  root_->onSlowPlacesArrived([this] { slowPlacesArrived(); });
  root_->onFactsArrived([this] { factsArrived(); });
}

MainFrame::MainFrame(const Translator& translator, const FamilyTable& families, ChangeCommit& commit,
                     SkinLayer& skin)
    : Dialog(IDD_MAINFRAME), translator_(translator), skin_(skin) {
  createPanes(families, commit);
}

MainFrame::~MainFrame() {
  unregister();
  if (hwnd()) DestroyWindow(hwnd());  // the panes go with it, while their objects still live
}

void MainFrame::createPanes(const FamilyTable& families, ChangeCommit& commit) {
  families_ = &families;
  commit_ = &commit;
  nodes_ = families.nodes();
  expansions_ = families.expansions();
  items_.assign(nodes_.size(), nullptr);
  const auto lists = families.paneLocations();
  for (const CategoryNode& node : nodes_) {
    const FamilyDescriptor& family = families.family(node.family);
    const std::vector<std::string>& locations = lists[static_cast<std::size_t>(node.index)];
    panes_.push_back(std::make_unique<EntryListPane>(translator_, family.make(locations), commit));
  }
}

HWND MainFrame::create(HINSTANCE instance, MessageLoop* loop) {
  instance_ = instance;
  loop_ = loop;
  HWND frame = createModeless(instance, nullptr);
  if (!frame) loop_ = nullptr;
  return frame;
}

void MainFrame::unregister() {
  if (!loop_) return;
  loop_->removeFilter(this);
  loop_->removeIdleHandler(this);
  loop_ = nullptr;
}

void MainFrame::setIcons() {
  auto load = [this](int cx, int cy) {
    return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON, GetSystemMetrics(cx),
                                         GetSystemMetrics(cy), LR_DEFAULTCOLOR | LR_SHARED));
  };
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

void MainFrame::buildTree() {
  tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                          0, 0, 0, 0, splitter_.hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CATEGORYTREE)),
                          instance_, nullptr);
  if (!tree_) return;

  setTreeImages();

  for (const CategoryNode& node : nodes_) {
    std::wstring text = widen(translator_.translate(node.labelKey));
    TVINSERTSTRUCTW insert{};
    insert.hParent = node.parent < 0 ? TVI_ROOT : items_[static_cast<std::size_t>(node.parent)];
    insert.hInsertAfter = node.top ? TVI_FIRST : TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = text.data();
    insert.item.iImage = node.image;
    insert.item.iSelectedImage = node.image;
    insert.item.lParam = node.index;
    items_[static_cast<std::size_t>(node.index)] = TreeView_InsertItem(tree_, &insert);
    for (const Expansion& e : expansions_) {
      if (e.afterInserting == node.index) TreeView_Expand(tree_, items_[static_cast<std::size_t>(e.expand)], TVE_EXPAND);
    }
  }
}

bool MainFrame::onInit() {
  // Title, children and menu bar: keys become texts, pop-ups first.
  translateDialog(hwnd(), translator_);
  if (HMENU menu = GetMenu(hwnd())) {
    translateMenu(menu, translator_);
    fillLanguageMenu(menu, languageTable().file());
    prepareRestartItem(menu, ID_RESTART_ADMIN);
    DrawMenuBar(hwnd());
  }

  // Every pixel figure below is given at 96 DPI; the template's controls
  // come in the font of the monitor's DPI already.
  dpi_ = windowDpi(hwnd());
  takeOverDpiScaling(hwnd());

  skin_.applyToFrame(hwnd(), "MainFrame");
  skin_.setDialogSkin("Dialog");
  theme_ = storedThemeChoice();

  centreWindow(hwnd());
  restorePlacement();
  setIcons();

  if (loop_) {
    loop_->addFilter(this);
    loop_->addIdleHandler(this);
  }

  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), instance_, nullptr);

  RECT client{};
  GetClientRect(hwnd(), &client);
  splitter_.create(instance_, hwnd(), client);
  takeColours();
  splitter_.setBarWidth(scaleToDpi(Splitter::kBarWidth, dpi_));
  splitter_.setNarrowest(scaleToDpi(kNarrowestTree, dpi_), scaleToDpi(kNarrowestList, dpi_));
  buildTree();
  // Tree and status bar in the dialogs' font, the system's UI font.
  const auto uiFont = static_cast<WPARAM>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  for (HWND control : {tree_, status_}) {
    if (control && uiFont) SendMessageW(control, WM_SETFONT, uiFont, FALSE);
  }
  // The fonts every later DPI's fonts are made from (the controls own them).
  openedDpi_ = dpi_;
  if (tree_) openedTreeFont_ = reinterpret_cast<HFONT>(SendMessageW(tree_, WM_GETFONT, 0, 0));
  if (status_) openedStatusFont_ = reinterpret_cast<HFONT>(SendMessageW(status_, WM_GETFONT, 0, 0));
  host_.create(instance_, splitter_.hwnd());

  // A pane's window is made, and filled, when its node is first selected:
  // every selection refreshes its pane, so the user sees the same as if all
  // had been made now, without waiting for the ones he never looks at.
  // Its colours are the scheme's, given when it is made (dialog.cpp).
  host_.setPanes(static_cast<int>(panes_.size()), [this](int index, HWND parent) {
    EntryListPane& pane = *panes_[static_cast<std::size_t>(index)];
    pane.setOnChange([this] { paneChanged(); });
    HWND made = pane.create(instance_, parent);
    // A pane made after the window moved to another DPI catches up.
    if (made && pane.dpi() != dpi_) pane.changeDpi(dpi_, dialogFont());
    return made;
  });

  // Set before the first pane fills, so it never shows what it hides.
  if (storedHideWindows()) {
    CheckDlgButton(hwnd(), IDC_HIDEWINDOWS, BST_CHECKED);
    for (auto& pane : panes_) pane->hideMicrosoft(true);
  }

  restorePanes();
  // The node the user left, or at the first start the top of the tree.
  const int start = storedStartNode().value_or(startNode());
  if (tree_ && start >= 0 && start < static_cast<int>(items_.size())) {
    TreeView_SelectItem(tree_, items_[static_cast<std::size_t>(start)]);
  }
  // Its slow places (the Task Scheduler) are read, and come, once it shows.
  PostMessageW(hwnd(), kWindowShown, 0, 0);

  splitter_.setPanes(tree_, host_.hwnd());
  splitter_.setPosition(scaleToDpi(storedSplitterPosition().value_or(kSplitterStart), dpi_));
  layout(client.right, client.bottom);
  updateStatus();

  const ProductInfo info = productInfo();
  SetWindowTextW(hwnd(), widen(titleWithAccount(info.name + " (" + info.version + ")", translator_)).c_str());
  // The tree, not the filter box that comes first in tab order.
  if (tree_) {
    SetFocus(tree_);
    return false;
  }
  return true;
}

int MainFrame::startNode() const {
  // At the first start: the node at the top of the tree, All Entries.
  HTREEITEM top = tree_ ? TreeView_GetRoot(tree_) : nullptr;
  if (!top) return -1;
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = top;
  if (!TreeView_GetItem(tree_, &item)) return -1;
  const int node = static_cast<int>(item.lParam);
  return node >= 0 && node < static_cast<int>(panes_.size()) ? node : -1;
}

void MainFrame::selectionChanged(const NMTREEVIEWW& change) {
  if (!change.itemNew.hItem) return;
  const int index = static_cast<int>(change.itemNew.lParam);
  if (!host_.show(index)) return;
  pane(index).shown();
  // Every selection reloads the pane, so what it shows is current; the slow
  // places give their latest reading (F5 reads them again).
  pane(index).refresh();
}

HWND MainFrame::filterBox() const { return item(IDC_FILTER); }

void MainFrame::closing() {
  // The window is gone for good: the panes' rows go first, and what is
  // kept at close is written in their memory instead of growing the
  // process by a megabyte at its last moment. At the end of a session the
  // window still shows them.
  if (!hwnd()) {
    for (auto& pane : panes_) pane->letGoOfRows();
  }
  if (root_) root_->closing();
}

// The status bar follows: a pane tells after every command it takes
// (setOnChange), and counting a long list's boxes costs a message a row.
void MainFrame::forward(int id) {
  if (HWND pane = host_.visiblePane()) SendMessageW(pane, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void MainFrame::command(int id) {
  switch (id) {
    case ID_APP_EXIT_CMD:
      saveSettings();
      unregister();
      DestroyWindow(hwnd());
      PostQuitMessage(kExitCodeOnExit);
      return;
    case ID_HELP_PAGE: openWebPage(hwnd(), WebPage::Help); return;
    case ID_WEBSITE: openWebPage(hwnd(), WebPage::Home); return;
    case ID_SUPPORT: openWebPage(hwnd(), WebPage::Support); return;
    case ID_LOGVIEWER: showLogViewer(hwnd()); return;
    case ID_RESET_COLUMNS:
      // Every pane, as at the first start: one not made yet is laid out
      // when it is first shown.
      for (auto& p : panes_) p->resetColumns();
      return;
    case ID_HISTORY:
      // An Undo may have changed what the visible pane lists: refreshed at
      // once, while the dialog stays open.
      if (families_ && history_ && commit_) {
        (void)showHistoryDialog(hwnd(), *families_, *history_, *commit_, translator_, [this] {
          // What the Undo changed is in the slow places' reading too: nothing
          // is read again.
          if (const int visible = host_.visibleIndex(); visible >= 0 && host_.visiblePane()) pane(visible).refresh();
        });
      }
      return;
    case ID_EXPORT:
      exportEntries();
      return;
    case ID_RESTART_ADMIN: restartFromMenu(hwnd(), translator_, ID_APP_EXIT_CMD); return;
    case ID_APP_ABOUT_CMD: showAboutDialog(hwnd(), translator_); return;
    case ID_THEME_SYSTEM: chooseTheme(ThemeChoice::System); return;
    case ID_THEME_LIGHT: chooseTheme(ThemeChoice::Light); return;
    case ID_THEME_DARK: chooseTheme(ThemeChoice::Dark); return;
  }
  if (chooseLanguage(hwnd(), id, translator_, languageTable().file())) return;
  if (isPaneCommand(id)) forward(id);
}

bool MainFrame::preTranslate(MSG& msg) {
  HWND frame = hwnd();
  if (!frame) return false;
  if (msg.hwnd != frame && !IsChild(frame, msg.hwnd)) return false;
  HWND box = item(IDC_FILTER);
  if (msg.message == WM_KEYDOWN && msg.wParam == 'F' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    return true;
  }
  // The main window is a dialog, where Escape would mean Cancel, which is
  // File > Exit. Escape never closes Velmora: it clears the filter when the
  // filter has text and otherwise does nothing. The close box and Alt+F4
  // still close it.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    if (GetWindowTextLengthW(box) > 0) SetWindowTextW(box, L"");
    return true;
  }
  // F1 is Help > Help wherever the focus is in the window.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_HELP_PAGE, 0), 0);
    return true;
  }
  const int visible = host_.visibleIndex();
  if (visible >= 0 && host_.visiblePane() && pane(visible).translateKeys(msg)) return true;
  return IsDialogMessageW(frame, &msg) != 0;
}

bool MainFrame::onCommand(int id, int code, HWND) {
  if (id == IDC_FILTER) {
    if (code == EN_CHANGE) filterChanged();
    return true;
  }
  if (id == IDC_HIDEWINDOWS) {
    if (code == BN_CLICKED) hideWindowsChanged();
    return true;
  }
  if (id == IDC_SHOWNEW) {
    if (code == BN_CLICKED) showNewChanged();
    return true;
  }
  if (id == IDC_NOTSTARTING) {
    if (code == BN_CLICKED) {
      const bool only = IsDlgButtonChecked(hwnd(), IDC_NOTSTARTING) == BST_CHECKED;
      for (auto& pane : panes_) pane->showOnlyNotStarting(only);
      updateStatus();
    }
    return true;
  }
  command(id);
  return true;
}

bool MainFrame::onNotify(const NMHDR& header) {
  if (header.idFrom == IDC_CATEGORYTREE && header.code == TVN_SELCHANGEDW) {
    selectionChanged(reinterpret_cast<const NMTREEVIEWW&>(header));
    return true;
  }
  return false;
}

std::optional<INT_PTR> MainFrame::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (coloursMayHaveChanged(msg, wp, lp)) {
    // Windows' own handling too (nothing is answered here). Common controls
    // refresh their cached system colours when one of them hears of it.
    if (msg == WM_SYSCOLORCHANGE && tree_) SendMessageW(tree_, msg, wp, lp);
    takeColours();
    applyColourSchemeToThreadWindows();
    return std::nullopt;
  }
  switch (msg) {
    case WM_DPICHANGED:
      if (lp) changeDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return TRUE;
    case WM_SIZE:
      layout(LOWORD(lp), HIWORD(lp));
      return TRUE;
    case WM_INITMENUPOPUP:
      // The _Operation menu greys what the selected row cannot have, as
      // the context menu does; the other menus hold no pane command.
      if (!HIWORD(lp)) {
        if (const int visible = host_.visibleIndex(); visible >= 0 && host_.visiblePane()) {
          pane(visible).greyCommands(reinterpret_cast<HMENU>(wp));
        }
      }
      return std::nullopt;
    case kWindowShown:
      if (const int visible = host_.visibleIndex(); visible >= 0 && host_.visiblePane()) pane(visible).shown();
      if (root_) root_->windowShown();
      return TRUE;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      // Logoff or shutdown: what a normal close keeps is kept now, once,
      // since the process may end as soon as the session does. Logoff is
      // never held up (the default answer to the question is yes).
      if ((msg == WM_QUERYENDSESSION || wp) && !savedForSessionEnd_) {
        savedForSessionEnd_ = true;
        saveSettings();
        closing();
      }
      return std::nullopt;
    case WM_DESTROY:
      unregister();
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace velmora::win32
