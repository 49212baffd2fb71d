#include "lang/win32/local_formats_win32.h"

#include <windows.h>
#include <shlwapi.h>

#include "platform/win32/system_function.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

SYSTEMTIME systemTime(const LocalTime& t) {
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(t.year);
  s.wMonth = static_cast<WORD>(t.month);
  s.wDay = static_cast<WORD>(t.day);
  s.wHour = static_cast<WORD>(t.hour);
  s.wMinute = static_cast<WORD>(t.minute);
  s.wSecond = static_cast<WORD>(t.second);
  return s;
}

std::wstring formattedDate(const SYSTEMTIME& s) {
  wchar_t text[128] = {};
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &s, nullptr, text, 128, nullptr) <= 0) return {};
  return text;
}

std::wstring formattedTime(const SYSTEMTIME& s) {
  wchar_t text[128] = {};
  if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &s, nullptr, text, 128) <= 0) return {};
  return text;
}

// Whole digits grouped as the user's locale groups them.
std::wstring groupedNumber(std::uint64_t value) {
  const std::wstring digits = std::to_wstring(value);
  NUMBERFMTW format{};
  wchar_t decimal[8] = L".";
  wchar_t thousand[8] = L",";
  GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
  GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
  format.NumDigits = 0;
  format.LeadingZero = 1;
  format.Grouping = 3;
  format.lpDecimalSep = decimal;
  format.lpThousandSep = thousand;
  format.NegativeOrder = 1;
  wchar_t text[64] = {};
  if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, text, 64) <= 0) return digits;
  return text;
}

}  // namespace

std::string UserFormats::dateTime(const LocalTime& local) const {
  const SYSTEMTIME s = systemTime(local);
  const std::wstring date = formattedDate(s);
  const std::wstring time = formattedTime(s);
  if (date.empty() || time.empty()) return LocalFormats::dateTime(local);
  return narrow(date + L" " + time);
}

std::string UserFormats::date(const LocalTime& local) const {
  const std::wstring date = formattedDate(systemTime(local));
  return date.empty() ? LocalFormats::date(local) : narrow(date);
}

std::optional<LocalTime> UserFormats::toLocal(const LocalTime& utc) const {
  const SYSTEMTIME s = systemTime(utc);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &s, &local)) return std::nullopt;
  return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::string UserFormats::shortSize(std::uint64_t bytes) const {
  // Rounded to the nearest shown digit, as Explorer's properties show it;
  // looked up, since older systems lack the Ex form.
  using FormatEx = HRESULT(WINAPI*)(ULONGLONG, SFBS_FLAGS, PWSTR, UINT);
  const auto formatEx = systemFunction<FormatEx>(L"shlwapi.dll", "StrFormatByteSizeEx");
  wchar_t text[64] = {};
  if (formatEx && SUCCEEDED(formatEx(bytes, SFBS_FLAGS_ROUND_TO_NEAREST_DISPLAYED_DIGIT, text, 64))) {
    return narrow(text);
  }
  if (StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, 64)) return narrow(text);
  return LocalFormats::shortSize(bytes);
}

std::string UserFormats::number(std::uint64_t value) const { return narrow(groupedNumber(value)); }

std::string UserFormats::languageName(std::uint16_t language) const {
  wchar_t name[128] = {};
  // VerLanguageName answers every id, naming an unknown one "Language
  // Neutral" or the like: only a real locale's name counts.
  wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
  if (LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), locale, LOCALE_NAME_MAX_LENGTH, 0) <= 0) {
    if (language != 0) return {};
  }
  if (VerLanguageNameW(language, name, 128) == 0) return {};
  return narrow(name);
}

const LocalFormats& userFormats() {
  static const UserFormats formats;
  return formats;
}

}  // namespace velmora::win32
