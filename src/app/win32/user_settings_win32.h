#pragma once
// The user's own choices, kept per user where Windows programs keep them:
// HKEY_CURRENT_USER\Software\Velmora. What is read back is input: the
// callers check it (app/stored_layout.h, core/window_placement.h,
// pane/pane_layout.h) before they use it.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::win32 {

inline constexpr const wchar_t* kSettingsKey = L"Software\\Velmora";
// Each pane's columns and sort, one text value a node, named by its index.
inline constexpr const wchar_t* kPaneSettingsKey = L"Software\\Velmora\\Panes";

// A yes/no choice (a DWORD value), or `fallback` when it was never made or
// cannot be read.
bool readChoice(const wchar_t* name, bool fallback, const wchar_t* key = kSettingsKey);
// False when it could not be kept; the choice then holds for this session.
bool writeChoice(const wchar_t* name, bool value, const wchar_t* key = kSettingsKey);

// A DWORD value; nothing when there is none or it is of another type.
std::optional<std::uint32_t> readNumber(const wchar_t* name, const wchar_t* key = kSettingsKey);
bool writeNumber(const wchar_t* name, std::uint32_t value, const wchar_t* key = kSettingsKey);
// A REG_SZ value as UTF-8; nothing when there is none, it is of another type
// or longer than any text Velmora writes.
std::optional<std::string> readText(const wchar_t* name, const wchar_t* key = kSettingsKey);
bool writeText(const wchar_t* name, const std::string& value, const wchar_t* key = kSettingsKey);

}  // namespace velmora::win32
