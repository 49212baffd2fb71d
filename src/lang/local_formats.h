#pragma once
// How times, sizes, languages and counts are shown: in the user's own
// formats on Windows, in fixed ISO-like forms where no system is asked (the
// tests, and a system call that fails). What is stored is never formatted
// this way: files keep their fixed forms, so they read back anywhere.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_file.h"
#include "lang/language_table.h"

namespace velmora {

class LocalFormats {
 public:
  virtual ~LocalFormats() = default;
  // A local date and time, as the user's short date and time formats write it.
  virtual std::string dateTime(const LocalTime& local) const;
  // A local date alone.
  virtual std::string date(const LocalTime& local) const;
  // The local time of a UTC time; nothing when it cannot be worked out (the
  // fixed forms know no time zone).
  virtual std::optional<LocalTime> toLocal(const LocalTime& utc) const;
  // A size as Explorer's short form shows it: "479 KB".
  virtual std::string shortSize(std::uint64_t bytes) const;
  // A whole number with its digits grouped: "490,401".
  virtual std::string number(std::uint64_t value) const;
  // The display name of a Windows language id ("English (United States)");
  // "" when the system has none.
  virtual std::string languageName(std::uint16_t language) const;
};

// The fixed forms, shared by every LocalFormats that asks no system.
LocalFormats& fixedFormats();

// "2026-12-07T21:40:05Z", as the change history stores its times.
std::optional<LocalTime> parseUtcStamp(std::string_view text);
// The stamp as the number yyyymmddhhmmss, which orders times as they came
// and takes no allocation to keep; 0 for one that does not read.
std::int64_t utcOrder(std::string_view text);
// "2026-12-07 21:40:05", as the operation log stores local times.
std::optional<LocalTime> parseLocalStamp(std::string_view text);

// A stored UTC stamp in the user's local time and format (marked UTC when
// no zone is known); a stamp that does not read is shown as it stands.
std::string shownUtcStamp(std::string_view stored, const LocalFormats& formats);
// A stored local stamp in the user's format; one that does not read is shown
// as it stands.
std::string shownLocalStamp(std::string_view stored, const LocalFormats& formats);

// "1,234,567": digits grouped by threes with `separator`.
std::string groupedDigits(std::uint64_t value, std::string_view separator = ",");
// "479 KB" the way Explorer rounds: KB, MB, GB, ... with three significant
// digits, rounded to the nearest shown digit; bytes below 1 KB as "N bytes".
std::string fixedShortSize(std::uint64_t bytes);

// A text with a count in it, in its singular or plural form. The language
// file holds the plural under `key` and may hold the singular under `key`
// followed by "One"; English and German use the singular for exactly one.
// `values` fill the %s as safeFormat does.
std::string countedText(const Translator& translator, std::string_view key, std::uint64_t count,
                        const std::vector<std::string>& values, Escapes escapes = Escapes::Keep);

}  // namespace velmora
