#pragma once
// The one formatter for translated texts that carry values. Language files
// are untrusted input: only %s and %% mean anything; every other conversion
// is printed as it stands, extra values are ignored and missing ones are empty.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string safeFormat(std::string_view format, const std::vector<std::string>& values);

// snprintf into a string, for the program's own fixed formats of numbers
// (never a translated text: see safeFormat). Cut at 95 characters.
template <class... Args>
std::string printed(const char* format, Args... args) {
  char buffer[96];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n < 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                          : sizeof buffer - 1);
}

}  // namespace velmora
