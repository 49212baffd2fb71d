#include "platform/win32/file_dialogs.h"

namespace velmora::win32 {

namespace {

using FileDialog = BOOL(WINAPI*)(LPOPENFILENAMEW);

FileDialog entry(const char* name) {
  // Loaded once and kept for the life of the process, as an import would be.
  static HMODULE module = LoadLibraryW(L"comdlg32.dll");
  if (!module) return nullptr;
  return reinterpret_cast<FileDialog>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

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
