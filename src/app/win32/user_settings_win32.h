#pragma once
// The user's own choices, kept per user where Windows programs keep them:
// HKEY_CURRENT_USER\Software\Velmora.
#include <windows.h>

namespace velmora::win32 {

inline constexpr const wchar_t* kSettingsKey = L"Software\\Velmora";

// A yes/no choice (a DWORD value), or `fallback` when it was never made or
// cannot be read.
bool readChoice(const wchar_t* name, bool fallback, const wchar_t* key = kSettingsKey);
// False when it could not be kept; the choice then holds for this session.
bool writeChoice(const wchar_t* name, bool value, const wchar_t* key = kSettingsKey);

}  // namespace velmora::win32
