/* A DLL named like one Velmora loads, put beside a copy of the program by
   the tests: once loaded it leaves a file beside itself (its own path and
   ".loaded"), so a test sees whether a program took it. It exports what a
   program importing version.dll needs, so that such a program starts. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      lstrcatW(path, L".loaded");
      HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
  return TRUE;
}

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) { (void)file; if (handle) *handle = 0; return 0; }
BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD h, DWORD size, LPVOID data) { (void)file; (void)h; (void)size; (void)data; return FALSE; }
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR sub, LPVOID* data, PUINT size) { (void)block; (void)sub; (void)data; (void)size; return FALSE; }
