#include "platform/win32/file_dialogs.h"

#include "platform/win32/system_function.h"

namespace velmora::win32 {

namespace {

using FileDialog = BOOL(WINAPI*)(LPOPENFILENAMEW);

FileDialog entry(const char* name) { return systemFunction<FileDialog>(L"comdlg32.dll", name); }

}  // namespace

bool showOpenDialog(OPENFILENAMEW& dialog) {
  static const FileDialog open = entry("GetOpenFileNameW");
  return open && open(&dialog);
}

bool showSaveDialog(OPENFILENAMEW& dialog) {
  static const FileDialog save = entry("GetSaveFileNameW");
  return save && save(&dialog);
}

}  // namespace velmora::win32
