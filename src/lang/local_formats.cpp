#include "lang/local_formats.h"

#include <cmath>
#include <cstdio>

#include "core/format.h"
#include "lang/language_table.h"

namespace velmora {

namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

// Digits at fixed places of `text`, or -1.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "YYYY-MM-DD?HH:MM:SS" with `separator` between date and time, checked
// as a real calendar time.
std::optional<LocalTime> parseStamp(std::string_view text, char separator) {
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != separator || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  LocalTime t{digitsAt(text, 0, 4),  digitsAt(text, 5, 2),  digitsAt(text, 8, 2),
              digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2)};
  if (t.year < 1601 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) ||
      t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
    return std::nullopt;
  }
  return t;
}

}  // namespace

std::string LocalFormats::dateTime(const LocalTime& t) const { return formatTimeStamp(t); }

std::string LocalFormats::date(const LocalTime& t) const { return printed("%04d-%02d-%02d", t.year, t.month, t.day); }

std::optional<LocalTime> LocalFormats::toLocal(const LocalTime&) const { return std::nullopt; }

std::string LocalFormats::shortSize(std::uint64_t bytes) const { return fixedShortSize(bytes); }

std::string LocalFormats::number(std::uint64_t value) const { return groupedDigits(value); }

std::string LocalFormats::languageName(std::uint16_t) const { return {}; }

LocalFormats& fixedFormats() {
  static LocalFormats fixed;
  return fixed;
}

std::optional<LocalTime> parseUtcStamp(std::string_view text) {
  if (text.size() != 20 || text.back() != 'Z') return std::nullopt;
  return parseStamp(text.substr(0, 19), 'T');
}

std::int64_t utcOrder(std::string_view text) {
  const auto t = parseUtcStamp(text);
  if (!t) return 0;
  return ((((static_cast<std::int64_t>(t->year) * 100 + t->month) * 100 + t->day) * 100 + t->hour) * 100 + t->minute) *
             100 +
         t->second;
}

std::optional<LocalTime> parseLocalStamp(std::string_view text) {
  if (text.size() != 19) return std::nullopt;
  return parseStamp(text, ' ');
}

std::string shownUtcStamp(std::string_view stored, const LocalFormats& formats) {
  const auto utc = parseUtcStamp(stored);
  if (!utc) return std::string(stored);
  // Without the user's zone the time is still right, said as UTC.
  const auto local = formats.toLocal(*utc);
  return local ? formats.dateTime(*local) : formats.dateTime(*utc) + " UTC";
}

std::string shownLocalStamp(std::string_view stored, const LocalFormats& formats) {
  const auto local = parseLocalStamp(stored);
  return local ? formats.dateTime(*local) : std::string(stored);
}

std::string groupedDigits(std::uint64_t value, std::string_view separator) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string fixedShortSize(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
    value /= 1024.0;
    ++unit;
  }
  // Three significant digits, rounded to the last one shown.
  const int decimals = value < 10.0 ? 2 : value < 100.0 ? 1 : 0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*f %s", decimals, value, kUnits[unit]);
  return buffer;
}

std::string countedText(const Translator& translator, std::string_view key, std::uint64_t count,
                        const std::vector<std::string>& values, Escapes escapes) {
  std::string format;
  if (count == 1) {
    const std::string singularKey = std::string(key) + "One";
    format = translator.translate(singularKey, escapes);
    // A file without the singular gives the key back: use the plural.
    if (format == singularKey) format.clear();
  }
  if (format.empty()) format = translator.translate(key, escapes);
  return safeFormat(format, values);
}

}  // namespace velmora
