// One process changing a data folder's config.xml many times in a row, as
// a Velmora of another session would, for the test that runs two at once:
//   store_hammer.exe FOLDER TAG COUNT
// adds COUNT records named TAG-0 ... under the folder's lock. Exit code 0
// when every change reported Ok.
#include <windows.h>
#include <objbase.h>

#include <cwchar>
#include <string>

#include "core/data_lock.h"
#include "core/win32/store_msxml.h"
#include "platform/win32/data_lock_win32.h"
#include "platform/win32/wide.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 3;
  if (FAILED(CoInitialize(nullptr))) return 4;
  int failures = 0;
  {
    const std::string folder = velmora::win32::narrow(argv[1]);
    const std::string tag = velmora::win32::narrow(argv[2]);
    const long count = std::wcstol(argv[3], nullptr, 10);
    velmora::win32::MsxmlStore file(folder + "\\config.xml");
    velmora::win32::MutexDataLock lock(folder);
    velmora::LockedStore store(file, lock);
    for (long i = 0; i < count; ++i) {
      const velmora::DisabledItem item{"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                       tag + "-" + std::to_string(i), "C:\\" + tag + ".exe"};
      if (store.add(velmora::RecordKind{"disabledregistryitem"}, item) != velmora::StoreStatus::Ok) ++failures;
    }
  }
  CoUninitialize();
  return failures == 0 ? 0 : 1;
}
