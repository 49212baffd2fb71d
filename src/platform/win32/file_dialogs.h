#pragma once
// The system's Open and Save dialogs, with comdlg32 loaded the first time
// one opens: loading it at start-up (and the printing support it pulls in)
// costs every start for a dialog most sessions never show.
#include <windows.h>
#include <commdlg.h>

namespace velmora::win32 {

// GetOpenFileNameW / GetSaveFileNameW; false also when comdlg32 cannot be loaded.
bool showOpenDialog(OPENFILENAMEW& dialog);
bool showSaveDialog(OPENFILENAMEW& dialog);

}  // namespace velmora::win32
