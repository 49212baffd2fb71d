// The entry list pane's commands as the user reaches them: its buttons and
// menus greyed by what the selected row's family can do, the context menu
// (mouse and keyboard), the clipboard and the keys of the list.
#include "pane/win32/entry_list_pane.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "lang/win32/translate_win32.h"
#include "main_frame_res.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
// Where the _Operation menu sits in the main menu bar.
constexpr int kOperationMenuPosition = 1;
}  // namespace

void EntryListPane::updateButtons() {
  // As the Entry menu greys them: what needs a row needs one selected, and
  // what the selected row's family cannot do it cannot.
  const int row = rows_.selected();
  const std::optional<int> image = row >= 0 ? std::optional<int>(rows_.stateImage(row)) : std::nullopt;
  using namespace pane_command;
  for (const int id : {kAddNew, kRemove, kModify, kEnable, kDisable, kRefresh, kProperty, kAboutFile}) {
    if (HWND button = item(id)) EnableWindow(button, contextItemEnabled(id, image, controller_->abilitiesFor(id)));
  }
}

std::string EntryListPane::whyNot() const {
  if (rows_.selected() < 0) return {};
  const std::string_view key = controller_->abilitiesFor(pane_command::kRemove).whyNot;
  return key.empty() ? std::string() : translator_.translate(key);
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
      const Busy busy(*this);
      controller_->command(pane_command::kProperty);
      changed();
      return true;
    }
    if (msg.wParam == 'C' && msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
      // Another program holding the clipboard is rare and brief: a beep
      // says nothing was copied, and Ctrl+C can simply be pressed again.
      if (!copySelection()) MessageBeep(MB_ICONWARNING);
      return true;
    }
    if (msg.wParam == VK_RETURN && msg.message == WM_KEYDOWN) {
      const Busy busy(*this);
      controller_->doubleClick();
      changed();
      return true;
    }
  }
  if (!keys_) return false;
  // Delete removes only where the entries are; elsewhere it is the control's key.
  if (msg.wParam == VK_DELETE && msg.hwnd != rows_.handle()) return false;
  return TranslateAcceleratorW(hwnd(), keys_, &msg) != 0;
}

}  // namespace velmora::win32
