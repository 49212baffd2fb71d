#include "platform/win32/system_function.h"

namespace velmora::win32 {

FARPROC systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  // Never freed, so a pointer handed out stays good.
  if (!module) module = LoadLibraryW(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace velmora::win32
