#include "app/win32/user_settings_win32.h"

#include <vector>

#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
// Longer than any text kept here: a longer value is not ours.
constexpr DWORD kLongestText = 4096;
}  // namespace

bool readChoice(const wchar_t* name, bool fallback, const wchar_t* key) {
  const auto value = readNumber(name, key);
  return value ? *value != 0 : fallback;
}

bool writeChoice(const wchar_t* name, bool value, const wchar_t* key) { return writeNumber(name, value ? 1 : 0, key); }

std::optional<std::uint32_t> readNumber(const wchar_t* name, const wchar_t* key) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool writeNumber(const wchar_t* name, std::uint32_t value, const wchar_t* key) {
  const DWORD data = value;
  return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
}

std::optional<std::string> readText(const wchar_t* name, const wchar_t* key) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS ||
      size > kLongestText * sizeof(wchar_t)) {
    return std::nullopt;
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return narrow(text.data());
}

bool writeText(const wchar_t* name, const std::string& value, const wchar_t* key) {
  const std::wstring text = widen(value);
  return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace velmora::win32
