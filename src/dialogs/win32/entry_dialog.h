#pragma once
// The Add, Modify and Property dialogs: data in, data out.
#include <windows.h>

#include "lang/language_table.h"
#include "family/entry_dialog_data.h"

namespace velmora::win32 {

// Modal, owned by `owner`. True when Add or Modify closed with OK; then
// data.name and data.path hold what was entered. Property returns false.
bool runEntryDialog(HWND owner, EntryDialogKind kind, EntryDialogData& data, const Translator& translator);

}  // namespace velmora::win32
