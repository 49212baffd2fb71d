#pragma once
// File > Restart as administrator, with Windows' shield beside it, and the
// title that says whose Current User entries an elevated Velmora lists.
#include <windows.h>

#include <string>

#include "lang/language_table.h"

namespace velmora::win32 {

// At the window's start: an elevated Velmora has no use for the item, and
// takes it out; otherwise it gets the shield.
void prepareRestartItem(HMENU menu, UINT id);

// The item was chosen: asks Windows for the rights (saying first when
// another account would run it), and closes this window as File > Exit
// does (`exitCommand`) once the new one has started.
void restartFromMenu(HWND frame, const Translator& translator, UINT exitCommand);

// The window's title; when Velmora runs with administrator rights as
// another account than the one logged on to the session (a standard user
// typed an administrator's name and password) it names that account, since
// the Current User entries listed are that account's.
std::string titleWithAccount(const std::string& title, const Translator& translator);

}  // namespace velmora::win32
