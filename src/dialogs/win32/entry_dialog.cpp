// TEMPORARY scaffolding so the program links while the entry dialogs are built.
#include "dialogs/win32/entry_dialog.h"

namespace velmora::win32 {

bool runEntryDialog(HWND, EntryDialogKind, EntryDialogData&, const Translator&) { return false; }

}  // namespace velmora::win32
