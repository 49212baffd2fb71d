#pragma once
// Tools > Change History: every kept change, newest first, and Undo of the
// selected one through the family that made it.
#include <windows.h>

#include "lang/language_table.h"
#include "pane/change_history.h"
#include "pane/families.h"

namespace velmora::win32 {

// Runs the dialog; true when an Undo changed something (the caller's list
// is then out of date).
bool showHistoryDialog(HWND owner, const FamilyTable& families, ChangeHistory& history, const Translator& translator);

}  // namespace velmora::win32
