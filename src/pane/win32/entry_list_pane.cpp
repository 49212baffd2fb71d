#include "pane/win32/entry_list_pane.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "lang/win32/translate_win32.h"
#include "pane/win32/pane_prompt.h"
#include "platform/win32/wide.h"
#include "resource.h"

namespace velmora::win32 {

EntryListPane::EntryListPane(const Translator& translator, const PaneFamilyMaker& makeFamily,
                             std::unique_ptr<UserPrompt> prompt)
    : translator_(translator), prompt_(std::move(prompt)) {
  if (!prompt_) prompt_ = std::make_unique<PanePrompt>([this] { return hwnd(); }, translator_);
  family_ = makeFamily(*prompt_);
  controller_ = std::make_unique<PaneController>(*family_, rows_, rows_, *prompt_, translator_);
}

EntryListPane::~EntryListPane() = default;

HWND EntryListPane::create(HINSTANCE instance, HWND parent) {
  instance_ = instance;
  keys_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_PANEACCEL));
  return createDialog(instance, IDD_ENTRYPANE, parent);
}

void EntryListPane::initialise() {
  HWND list = GetDlgItem(hwnd(), IDC_ENTRYLIST);
  rows_.attach(list);

  const ColumnWidths widths = family_->columnWidths();
  const std::array<std::pair<const char*, int>, 4> columns{{
      {"_Name", widths.name}, {"_Type", widths.type}, {"_Data", widths.data}, {"_RegPath", widths.path}}};
  for (int i = 0; i < 4; ++i) {
    std::wstring title = widen(translator_.translate(columns[i].first));
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].second;
    column.pszText = title.data();
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  // The whole extended style: full-row select and check boxes.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);

  translateDialog(hwnd(), translator_);

  RECT client{};
  GetClientRect(hwnd(), &client);
  GetWindowRect(list, &listStart_);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&listStart_), 2);
  listRightGap_ = client.right - listStart_.right;
  listBottomGap_ = client.bottom - listStart_.bottom;

  family_->fill(rows_);
}

void EntryListPane::layout(int width, int height) {
  if (!rows_.handle()) return;
  const int w = std::max(0, width - listRightGap_ - static_cast<int>(listStart_.left));
  const int h = std::max(0, height - listBottomGap_ - static_cast<int>(listStart_.top));
  SetWindowPos(rows_.handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HMENU EntryListPane::buildContextMenu() const {
  HMENU bar = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAINMENU));
  if (!bar) return nullptr;
  HMENU menu = GetSubMenu(bar, 1);
  // Take the _Operation menu out of the bar so it lives on its own.
  if (menu) RemoveMenu(bar, 1, MF_BYPOSITION);
  DestroyMenu(bar);
  if (!menu) return nullptr;
  translateMenu(menu, translator_);

  const int row = rows_.selected();
  const std::optional<int> image = row >= 0 ? std::optional<int>(rows_.stateImage(row)) : std::nullopt;
  using namespace pane_command;
  for (int id : {kAddNew, kRemove, kModify, kEnable, kDisable, kRefresh, kProperty, kAboutFile}) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (contextItemEnabled(id, image) ? MF_ENABLED : MF_GRAYED));
  }
  return menu;
}

void EntryListPane::showContextMenu() {
  HMENU menu = buildContextMenu();
  if (!menu) return;
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(menu, 0, at.x, at.y, 0, hwnd(), nullptr);
  DestroyMenu(menu);
}

bool EntryListPane::translateKeys(MSG& msg) {
  if (!keys_ || !hwnd() || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
  // Delete removes only where the entries are; elsewhere it is the control's key.
  if (msg.wParam == VK_DELETE && msg.hwnd != rows_.handle()) return false;
  return TranslateAcceleratorW(hwnd(), keys_, &msg) != 0;
}

INT_PTR EntryListPane::notify(const NMHDR& header) {
  if (header.hwndFrom != rows_.handle()) return FALSE;
  switch (header.code) {
    case NM_DBLCLK:
      controller_->doubleClick();
      return TRUE;
    case NM_RCLICK:
      showContextMenu();
      return TRUE;
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      controller_->itemChanged(change.iItem, change.uOldState, change.uNewState, rows_.loading());
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR EntryListPane::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      initialise();
      return FALSE;  // a hidden pane takes no focus
    case WM_COMMAND:
      return controller_->command(LOWORD(wp)) ? TRUE : FALSE;
    case WM_NOTIFY:
      return notify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) layout(LOWORD(lp), HIWORD(lp));
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!look_.background) return FALSE;
      if (look_.text) SetTextColor(reinterpret_cast<HDC>(wp), *look_.text);
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(look_.background);
  }
  return FALSE;
}

}  // namespace velmora::win32
