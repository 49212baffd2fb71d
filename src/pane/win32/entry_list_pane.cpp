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
  rows_.setBoxChanged([this](int row, UINT oldState, UINT newState) { itemChanged(row, oldState, newState); });
  // An icon is read when its row is first shown, then remembered for the
  // session: a start-up paints a screenful of rows, never all of them. Even
  // those are read after the paint that asked (a few milliseconds a file
  // under Wine), so the rows show at once and their icons a moment later.
  rows_.setIcons([this](const std::string& file, bool local) {
    if (const std::optional<int> index = ProgramIcons::session().remembered(file, dpi_)) return *index;
    if (iconsWanted_.empty() && hwnd()) PostMessageW(hwnd(), kReadIcons, 0, 0);
    iconsWanted_.emplace(file, local);
    return I_IMAGENONE;
  });
}

EntryListPane::~EntryListPane() = default;


void EntryListPane::refresh() {
  {
    const Busy busy(*this);
    controller_->refill();
  }
  changed();
}

void EntryListPane::logonMeasured() {
  filtered_.logonMeasured();
  // The cells in view ask again and get what came.
  if (rows_.handle()) InvalidateRect(rows_.handle(), nullptr, FALSE);
  changed();
}

int EntryListPane::addDeferredRows() {
  std::vector<Row> rows = family_->listDeferredPlaces();
  const int added = static_cast<int>(rows.size());
  filtered_.appendRows(std::move(rows));
  changed();
  return added;
}

void EntryListPane::factsArrived() {
  const bool shownAgain = filtered_.factsArrived();
  // The rows in view that waited ask again and get what came. Answers for
  // rows out of view paint nothing: a whole long list painted again at
  // every answer kept the window's thread busy while a filter or a script
  // read the rows.
  if (!shownAgain) rows_.redrawWaiting();
  changed();
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
  makeColumns(list);
  // The whole extended style: full-row select, check boxes, the whole text
  // of a cut cell as a tip, and columns the user can drag into his order.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_LABELTIP | LVS_EX_HEADERDRAGDROP);
  location_.attach(list, hwnd(), dpi_);
  headerTips_.attach(list, hwnd(),
                     {{kFirstMeasuredColumn, widen(translator_.translate("_ImpactTip"))},
                      {kFirstMeasuredColumn + 1, widen(translator_.translate("_LastLogonTip"))}});
  showIcons(list, dpi_);
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

void EntryListPane::layout(int width, int height) {
  if (!rows_.handle()) return;
  const int w = std::max(0, width - listRightGap_ - static_cast<int>(listStart_.left));
  const int h = std::max(0, height - listBottomGap_ - static_cast<int>(listStart_.top));
  SetWindowPos(rows_.handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EntryListPane::shown() {
  // The first layout in view of a pane the user left nothing for: the
  // columns take the width the list now has.
  HWND list = rows_.handle();
  if (!defaultColumnsDue_ || !list || !IsWindowVisible(list)) return;
  RECT client{};
  GetClientRect(list, &client);
  if (client.right <= 0) return;
  defaultColumnsDue_ = false;
  resetColumns();
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
  const RedrawSuspended still(list);
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(rescale(width, from, dpi), 0));
  }
  RECT client{};
  GetClientRect(hwnd(), &client);
  layout(client.right, client.bottom);
}

void EntryListPane::changed() {
  updateButtons();
  if (onChange_) onChange_();
}

bool EntryListPane::onNotify(const NMHDR& header) {
  if (header.hwndFrom != rows_.handle()) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      rows_.answer(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return true;
    case NM_DBLCLK: {
      const Busy busy(*this);
      controller_->doubleClick();
      return true;
    }
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
      // The list keeps no boxes: a box changes only through the rows
      // (setBoxChanged), whatever a list of another Windows version reports.
      const UINT notBoxes = ~static_cast<UINT>(LVIS_STATEIMAGEMASK);
      itemChanged(change.iItem, change.uOldState & notBoxes, change.uNewState & notBoxes);
      return true;
    }
    case LVN_ODFINDITEMW: {
      // Typing a name in the list goes to the row it begins.
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      const bool byText = (find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.lvfi.psz;
      setResult(byText ? rows_.findByName(find.lvfi.psz, find.iStart) : -1);
      return true;
    }
  }
  return false;
}

void EntryListPane::itemChanged(int row, UINT oldState, UINT newState) {
  {
    const Busy busy(*this);
    controller_->itemChanged(row, oldState, newState, rows_.loading());
  }
  const UINT flipped = oldState ^ newState;
  // The buttons follow the selected row (a pane of several families: its
  // own family decides) and its box (Enable or Disable).
  if ((flipped & LVIS_SELECTED) || ((flipped & LVIS_STATEIMAGEMASK) && (newState & LVIS_SELECTED))) updateButtons();
  // The status bar follows the box, and says why a selected row cannot be
  // removed or disabled.
  if (onChange_ && !rows_.loading() && (flipped & (LVIS_STATEIMAGEMASK | LVIS_SELECTED))) onChange_();
}

// Every command goes to the pane's logic; IDOK and IDCANCEL are not the
// pane's (the main window gets Escape).
bool EntryListPane::onCommand(int id, int, HWND) {
  bool handled = false;
  {
    const Busy busy(*this);
    handled = controller_->command(id);
  }
  if (handled) changed();
  return handled;
}

std::optional<INT_PTR> EntryListPane::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReadIcons: {
      std::map<std::string, bool> wanted;
      wanted.swap(iconsWanted_);
      for (const auto& [file, local] : wanted) (void)ProgramIcons::session().indexOf(file, dpi_, local);
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
    case WM_SHOWWINDOW:
      // A hidden pane only keeps what the filter and boxes say; it is
      // refreshed when its node is selected again.
      filtered_.setDormant(wp == FALSE);
      return std::nullopt;
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
