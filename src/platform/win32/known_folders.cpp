#include "platform/win32/known_folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace velmora::win32 {
namespace {

std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
  // The buffer is the caller's to free even when the call failed.
  std::wstring out = SUCCEEDED(hr) && path ? std::wstring(path) : std::wstring();
  CoTaskMemFree(path);
  return out;
}

}  // namespace

std::wstring documentsFolder() { return knownFolder(FOLDERID_Documents); }
std::wstring programFilesFolder() { return knownFolder(FOLDERID_ProgramFiles); }
std::wstring localAppDataFolder() { return knownFolder(FOLDERID_LocalAppData); }
std::wstring programDataFolder() { return knownFolder(FOLDERID_ProgramData); }
std::wstring roamingAppDataFolder() { return knownFolder(FOLDERID_RoamingAppData); }
std::wstring profileFolder() { return knownFolder(FOLDERID_Profile); }

std::vector<std::wstring> userOwnFolders() {
  std::vector<std::wstring> folders;
  for (const KNOWNFOLDERID* id : {&FOLDERID_Profile, &FOLDERID_RoamingAppData, &FOLDERID_Startup}) {
    if (std::wstring f = knownFolder(*id); !f.empty()) folders.push_back(std::move(f));
  }
  return folders;
}

}  // namespace velmora::win32
