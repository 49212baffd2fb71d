#pragma once
// A function of a system library looked up by name: the library is loaded
// when first asked for (or found already loaded) and kept for the life of
// the process, as an import would be. For functions older systems lack and
// for libraries start-up should not pay for.
#include <windows.h>

namespace velmora::win32 {

// Null when the library or the function is not there. The library is
// loaded from the system folder, never from the program's own.
FARPROC systemFunction(const wchar_t* library, const char* name);

template <class Function>
Function systemFunction(const wchar_t* library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(systemFunction(library, name)));
}

}  // namespace velmora::win32
