#include "platform/win32/system_function.h"

namespace velmora::win32 {

FARPROC systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  // Never freed, so a pointer handed out stays good. From the system folder
  // only: a DLL of that name beside the program (a copy run from Downloads)
  // is never loaded, with or without administrator rights.
  if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace velmora::win32
