/* A program that imports version.dll as Velmora once did: the test puts it
   beside the planted DLLs to show that they would be loaded by a program
   that takes its DLLs from its own folder. */
#include <windows.h>

int main(void) {
  DWORD ignored = 0;
  return GetFileVersionInfoSizeW(L"C:\\windows\\notepad.exe", &ignored) > 0 ? 0 : 1;
}
