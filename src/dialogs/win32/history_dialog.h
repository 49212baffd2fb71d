#pragma once
// Tools > Change History: every kept change, newest first, and Undo of the
// selected one through the family that made it.
#include <windows.h>

#include <functional>

#include "lang/language_table.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "family/families.h"

namespace velmora::win32 {

// Runs the dialog; true when an Undo changed something. `undone` is called
// right after each such Undo, while the dialog stays open, so the caller's
// list never shows what the Undo changed back.
bool showHistoryDialog(HWND owner, const FamilyTable& families, ChangeHistory& history, ChangeCommit& commit,
                       const Translator& translator,
                       std::function<void()> undone = {});

}  // namespace velmora::win32
