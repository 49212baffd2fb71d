#include "pane/win32/entry_list_pane.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "lang/win32/translate_win32.h"
#include "dialogs/win32/pane_prompt.h"
#include "pane/win32/program_icons.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/list_view.h"
#include "platform/win32/wide.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {
// Where the _Operation menu sits in the main menu bar.
constexpr int kOperationMenuPosition = 1;
// Columns 4 to 6 at 96 DPI: who made the program, what stops it, and who
// signed it.
constexpr int kPublisherWidth = 180;
constexpr int kStatusWidth = 240;
constexpr int kSignedByWidth = 180;
constexpr int kColumnCount = kRowColumns;
// Reads the icons the list asked for (posted: runs after the paint).
constexpr UINT kReadIcons = WM_APP + 51;
// Space beside a button's text, each side, at 96 DPI.
constexpr int kButtonPadding = 6;

// The program icons of the Name column at `dpi`. Every pane shows the same
// list (program_icons.h): LVS_SHAREIMAGELISTS keeps the list view from
// destroying it. The check boxes are the state image list, which this
// leaves as it is; a list view of shared lists may leave that one behind
// when it goes: one small list a pane, and panes live for the session.
void showIcons(HWND list, int dpi) {
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ProgramIcons::session().listFor(dpi)));
}

// The buttons as wide as their translated texts need (never narrower than
// the template made them), left to right: a longer text pushes the buttons
// to its right along, so no text is cut and none overlaps.
void fitButtonsToTexts(HWND pane, std::initializer_list<int> leftToRight, int dpi) {
  const WindowDc dc(pane);
  const SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(pane, WM_GETFONT, 0, 0)));
  int shift = 0;
  for (const int id : leftToRight) {
    HWND button = GetDlgItem(pane, id);
    if (!button) continue;
    RECT r{};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
    wchar_t text[256] = {};
    GetWindowTextW(button, text, 256);
    RECT needed{};
    // Without DT_NOPREFIX the mnemonic's "&" takes no room, as on the button.
    DrawTextW(dc.get(), text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    const int width = std::max<int>(r.right - r.left, needed.right - needed.left + 2 * scaleToDpi(kButtonPadding, dpi));
    SetWindowPos(button, nullptr, r.left + shift, r.top, width, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    shift += width - (r.right - r.left);
  }
}
}  // namespace

EntryListPane::EntryListPane(const Translator& translator, std::unique_ptr<EntryFamily> family, ChangeCommit& commit,
                             std::unique_ptr<UserPrompt> prompt)
    : Dialog(IDD_ENTRYPANE), translator_(translator), prompt_(std::move(prompt)), family_(std::move(family)) {
  if (!prompt_) prompt_ = std::make_unique<PanePrompt>([this] { return hwnd(); }, translator_);
  controller_ = std::make_unique<PaneController>(*family_, filtered_, rows_, *prompt_, commit, translator_);
  // Publisher, status and signer cost file look-ups: done for the rows
  // shown, and for every row when a filter looks at them.
  const auto describe = [this](Row& row) { family_->describe(row); };
  rows_.setDescriber(describe);
  filtered_.setDescriber(describe);
  rows_.setLocationShown([this](const std::string& path) { return location_.shown(path); });
  rows_.setPainting([this] { return location_.painting(); });
  // An icon is read when its row is first shown, then remembered for the
  // session: a start-up paints a screenful of rows, never all of them. Even
  // those are read after the paint that asked (a few milliseconds a file
  // under Wine), so the rows show at once and their icons a moment later.
  rows_.setIcons([this](const std::string& file) {
    if (const std::optional<int> index = ProgramIcons::session().remembered(file, dpi_)) return *index;
    if (iconsWanted_.empty() && hwnd()) PostMessageW(hwnd(), kReadIcons, 0, 0);
    iconsWanted_.insert(file);
    return I_IMAGENONE;
  });
}

EntryListPane::~EntryListPane() = default;

void EntryListPane::addDeferredRows() {
  filtered_.appendRows(family_->listDeferredPlaces());
  if (onChange_) onChange_();
}

HWND EntryListPane::create(HINSTANCE instance, HWND parent) {
  instance_ = instance;
  keys_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_PANEACCEL));
  return createModeless(instance, parent);
}

bool EntryListPane::onInit() {
  HWND list = item(IDC_ENTRYLIST);
  rows_.attach(list);

  // The template's controls come in the font of the monitor's DPI; the
  // column widths are given at 96 DPI.
  dpi_ = windowDpi(hwnd());
  takeOverDpiScaling(hwnd());
  const ColumnWidths widths = family_->columnWidths();
  // The widths the user left, where he left any.
  const int given[kColumnCount] = {widths.name, widths.type, widths.data, widths.path,
                                   kPublisherWidth, kStatusWidth, kSignedByWidth};
  const auto at = [this, &given](int column) {
    const bool kept = stored_.widths.size() == static_cast<std::size_t>(kColumnCount);
    return scaleToDpi(kept ? stored_.widths[static_cast<std::size_t>(column)] : given[column], dpi_);
  };
  addColumns(list, {{translator_.translate("_Name"), at(0)},
                    {translator_.translate("_Type"), at(1)},
                    {translator_.translate("_Data"), at(2)},
                    {translator_.translate("_RegPath"), at(3)},
                    // Shown only, in every pane.
                    {translator_.translate("_Publisher"), at(4)},
                    {translator_.translate("_Status"), at(5)},
                    {translator_.translate("_SignedBy"), at(6)}});
  // The whole extended style: full-row select, check boxes, the whole text
  // of a cut cell as a tip, and columns the user can drag into his order.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_LABELTIP | LVS_EX_HEADERDRAGDROP);
  location_.attach(list, hwnd(), dpi_);
  showIcons(list, dpi_);
  if (stored_.order.size() == static_cast<std::size_t>(kColumnCount)) {
    SendMessageW(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
                 reinterpret_cast<LPARAM>(stored_.order.data()));
  }
  // Sorted before the first fill, so the first rows shown are in order.
  filtered_.setSort(stored_.sort);
  showSortArrow();

  translateDialog(hwnd(), translator_);
  // What the family cannot do has no button to press.
  updateButtons();
  fitButtonsToTexts(hwnd(),
                    {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE},
                    dpi_);

  RECT client{};
  GetClientRect(hwnd(), &client);
  GetWindowRect(list, &listStart_);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&listStart_), 2);
  listRightGap_ = client.right - listStart_.right;
  listBottomGap_ = client.bottom - listStart_.bottom;
  // Empty until its first refresh: the main window makes a pane when its
  // node is selected, and a selection always refreshes the pane.
  return false;  // a hidden pane takes no focus
}

void EntryListPane::updateButtons() {
  for (const int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ABOUTFILE}) {
    if (HWND button = item(id)) EnableWindow(button, familyCan(id, controller_->abilitiesFor(id)));
  }
}

void EntryListPane::layout(int width, int height) {
  if (!rows_.handle()) return;
  const int w = std::max(0, width - listRightGap_ - static_cast<int>(listStart_.left));
  const int h = std::max(0, height - listBottomGap_ - static_cast<int>(listStart_.top));
  SetWindowPos(rows_.handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EntryListPane::changeDpi(int dpi, HFONT font) {
  HWND list = rows_.handle();
  if (!hwnd() || !list || dpi <= 0 || dpi == dpi_) return;
  const int from = dpi_;
  dpi_ = dpi;
  rescaleChildren(hwnd(), from, dpi, font);
  location_.changeDpi(dpi);
  showIcons(list, dpi);
  listStart_ = {rescale(listStart_.left, from, dpi), rescale(listStart_.top, from, dpi),
                rescale(listStart_.right, from, dpi), rescale(listStart_.bottom, from, dpi)};
  listRightGap_ = rescale(listRightGap_, from, dpi);
  listBottomGap_ = rescale(listBottomGap_, from, dpi);
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(rescale(width, from, dpi), 0));
  }
  RECT client{};
  GetClientRect(hwnd(), &client);
  layout(client.right, client.bottom);
}

void EntryListPane::sortBy(int column) {
  if (column < 0 || column >= kColumnCount) return;
  filtered_.setSort(afterHeaderClick(filtered_.sortOrder(), column));
  showSortArrow();
  if (onChange_) onChange_();
}

void EntryListPane::showSortArrow() {
  HWND header = rows_.handle() ? reinterpret_cast<HWND>(SendMessageW(rows_.handle(), LVM_GETHEADER, 0, 0)) : nullptr;
  if (!header) return;
  const SortOrder order = filtered_.sortOrder();
  for (int column = 0; column < kColumnCount; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == order.column) item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  }
}

PaneLayout EntryListPane::columnLayout() const {
  HWND list = rows_.handle();
  if (!list) return stored_;
  PaneLayout layout;
  layout.sort = filtered_.sortOrder();
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    // Kept at 96 DPI, so a start on a screen of another scale shows the
    // same proportions.
    layout.widths.push_back(std::clamp(rescale(width, dpi_, kBaseDpi), 0, kWidestColumn));
  }
  std::vector<int> order(static_cast<std::size_t>(kColumnCount));
  if (SendMessageW(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
                   reinterpret_cast<LPARAM>(order.data()))) {
    layout.order = std::move(order);
  }
  return layout;
}

void EntryListPane::setColumnLayout(PaneLayout layout) {
  if (!rows_.handle()) stored_ = std::move(layout);
}

MenuHandle EntryListPane::buildContextMenu() const {
  const MenuHandle bar(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAINMENU)));
  if (!bar) return {};
  MenuHandle menu(GetSubMenu(bar.get(), kOperationMenuPosition));
  if (!menu) return {};
  // Take the _Operation menu out of the bar so it lives on its own.
  RemoveMenu(bar.get(), kOperationMenuPosition, MF_BYPOSITION);
  translateMenu(menu.get(), translator_);

  greyCommands(menu.get());
  return menu;
}

void EntryListPane::greyCommands(HMENU menu) const {
  const int row = rows_.selected();
  const std::optional<int> image = row >= 0 ? std::optional<int>(rows_.stateImage(row)) : std::nullopt;
  using namespace pane_command;
  for (int id : {kAddNew, kRemove, kModify, kEnable, kDisable, kRefresh, kProperty, kAboutFile, kOpenLocation,
                 kSearchOnline, kOpenStartupSettings}) {
    EnableMenuItem(menu, static_cast<UINT>(id),
                   MF_BYCOMMAND | (contextItemEnabled(id, image, controller_->abilitiesFor(id)) ? MF_ENABLED : MF_GRAYED));
  }
}

std::string EntryListPane::selectionText() const {
  HWND list = rows_.handle();
  if (!list) return {};
  // The columns the user can see, in the order he sees them: one dragged
  // to nothing is left out.
  std::vector<int> columns;
  std::vector<std::string> titles;
  std::vector<int> order(static_cast<std::size_t>(kColumnCount));
  if (!SendMessageW(list, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(kColumnCount),
                    reinterpret_cast<LPARAM>(order.data()))) {
    for (int column = 0; column < kColumnCount; ++column) order[static_cast<std::size_t>(column)] = column;
  }
  for (const int column : order) {
    wchar_t title[256] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = title;
    info.cchTextMax = 256;
    if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) continue;
    if (info.cx <= 0) continue;
    columns.push_back(column);
    titles.push_back(narrow(title));
  }
  std::vector<std::vector<std::string>> cells;
  for (int row = -1;;) {
    row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) break;
    std::vector<std::string> line;
    for (const int column : columns) line.push_back(rows_.text(row, column));
    cells.push_back(std::move(line));
  }
  if (cells.empty()) return {};
  return tableText(titles, cells);
}

bool EntryListPane::copySelection() {
  const std::string text = selectionText();
  return text.empty() || putClipboardText(hwnd(), widen(text));
}

void EntryListPane::showContextMenu(POINT at) {
  const MenuHandle menu = buildContextMenu();
  if (!menu) return;
  TrackPopupMenu(menu.get(), 0, at.x, at.y, 0, hwnd(), nullptr);
}

POINT EntryListPane::keyboardMenuPoint() const {
  POINT at{0, 0};
  HWND list = rows_.handle();
  if (!list) return at;
  const int row = rows_.selected();
  RECT r{};
  r.left = LVIR_LABEL;
  if (row >= 0) {
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r))) {
      at = {r.left, r.bottom};
    }
  }
  ClientToScreen(list, &at);
  return at;
}

bool EntryListPane::translateKeys(MSG& msg) {
  if (!hwnd() || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
  if (msg.hwnd == rows_.handle()) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if ((msg.wParam == VK_F10 && shift) || msg.wParam == VK_APPS) {
      showContextMenu(keyboardMenuPoint());
      return true;
    }
    // Alt+Enter shows the properties, as in Explorer.
    if (msg.wParam == VK_RETURN && msg.message == WM_SYSKEYDOWN) {
      controller_->command(pane_command::kProperty);
      if (onChange_) onChange_();
      return true;
    }
    if (msg.wParam == 'C' && msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
      // Another program holding the clipboard is rare and brief: a beep
      // says nothing was copied, and Ctrl+C can simply be pressed again.
      if (!copySelection()) MessageBeep(MB_ICONWARNING);
      return true;
    }
    if (msg.wParam == VK_RETURN && msg.message == WM_KEYDOWN) {
      controller_->doubleClick();
      if (onChange_) onChange_();
      return true;
    }
  }
  if (!keys_) return false;
  // Delete removes only where the entries are; elsewhere it is the control's key.
  if (msg.wParam == VK_DELETE && msg.hwnd != rows_.handle()) return false;
  return TranslateAcceleratorW(hwnd(), keys_, &msg) != 0;
}

bool EntryListPane::onNotify(const NMHDR& header) {
  if (header.hwndFrom != rows_.handle()) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      rows_.answer(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return true;
    case NM_DBLCLK:
      controller_->doubleClick();
      return true;
    case LVN_COLUMNCLICK:
      sortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    case NM_RCLICK: {
      POINT at{};
      GetCursorPos(&at);
      showContextMenu(at);
      setResult(TRUE);  // handled: the list sends no WM_CONTEXTMENU after it
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      controller_->itemChanged(change.iItem, change.uOldState, change.uNewState, rows_.loading());
      // A pane of several families: the selected row's own decides.
      if ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) updateButtons();
      if (onChange_ && !rows_.loading() && ((change.uOldState ^ change.uNewState) & LVIS_STATEIMAGEMASK)) onChange_();
      return true;
    }
  }
  return false;
}

// Every command goes to the pane's logic; IDOK and IDCANCEL are not the
// pane's (the main window gets Escape).
bool EntryListPane::onCommand(int id, int, HWND) {
  const bool handled = controller_->command(id);
  if (handled && onChange_) onChange_();
  return handled;
}

std::optional<INT_PTR> EntryListPane::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReadIcons: {
      std::set<std::string> wanted;
      wanted.swap(iconsWanted_);
      for (const std::string& file : wanted) (void)ProgramIcons::session().indexOf(file, dpi_);
      // The rows in view ask again, and now get them: only the icons'
      // strip is painted again, not every cell.
      if (HWND list = rows_.handle()) {
        RECT icon{};
        icon.left = LVIR_ICON;
        const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
        RECT strip{};
        GetClientRect(list, &strip);
        if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&icon))) {
          strip.left = icon.left;
          strip.right = icon.right;
        }
        InvalidateRect(list, &strip, FALSE);
      }
      return TRUE;
    }
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) layout(LOWORD(lp), HIWORD(lp));
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!look_.background) return std::nullopt;
      if (look_.text) SetTextColor(reinterpret_cast<HDC>(wp), *look_.text);
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(look_.background);
  }
  return std::nullopt;
}

}  // namespace velmora::win32
