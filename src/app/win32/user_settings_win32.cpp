#include "app/win32/user_settings_win32.h"

namespace velmora::win32 {

bool readChoice(const wchar_t* name, bool fallback, const wchar_t* key) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return fallback;
  }
  return value != 0;
}

bool writeChoice(const wchar_t* name, bool value, const wchar_t* key) {
  const DWORD data = value ? 1 : 0;
  return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
}

}  // namespace velmora::win32
