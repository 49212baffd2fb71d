#include "wine/task_double/settings.h"

#include <windows.h>

namespace velmora::taskdouble {

namespace {

constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}";

DWORD number(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS s = RegGetValueW(HKEY_LOCAL_MACHINE, kClassKey, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                                 nullptr, &value, &size);
  return s == ERROR_SUCCESS ? value : 0;
}

bool switchOn(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS s = RegGetValueW(HKEY_LOCAL_MACHINE, kClassKey, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                                 nullptr, &value, &size);
  return s == ERROR_SUCCESS && value != 0;
}

}  // namespace

std::optional<TaskStore> currentStore() {
  wchar_t folder[MAX_PATH * 2] = {};
  DWORD size = sizeof folder;
  const LSTATUS s = RegGetValueW(HKEY_LOCAL_MACHINE, kClassKey, L"TasksFolder",
                                 RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, folder, &size);
  if (s != ERROR_SUCCESS || folder[0] == L'\0') return std::nullopt;
  std::wstring root = folder;
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  return TaskStore(root);
}

bool ignoreEnable() { return switchOn(L"IgnoreEnable"); }
bool denyChanges() { return switchOn(L"DenyChanges"); }
bool refuseEnumeration() { return switchOn(L"RefuseEnumeration"); }

void waitListDelay() {
  if (const DWORD ms = number(L"ListDelayMs")) Sleep(ms);
}
void waitDefinitionDelay() {
  if (const DWORD ms = number(L"DefinitionDelayMs")) Sleep(ms);
}

}  // namespace velmora::taskdouble
