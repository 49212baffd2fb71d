#include "lang/profile.h"

#include "core/text.h"

namespace velmora {

namespace {

std::string_view trim(std::string_view s) {
  const char* blanks = " \t\r\n\f\v";
  const std::size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(blanks);
  return s.substr(b, e - b + 1);
}

}  // namespace

std::string decodeWindows1252(std::string_view bytes) {
  static const char16_t k80[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::u16string wide;
  wide.reserve(bytes.size());
  for (unsigned char c : bytes) {
    wide.push_back(c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : static_cast<char16_t>(c));
  }
  return utf16ToUtf8(wide);
}

std::string decodeProfileText(std::string_view bytes, const LegacyDecoder& legacy) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return utf16ToUtf8(wide);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (isValidUtf8(bytes)) return std::string(bytes);
  return legacy ? legacy(bytes) : decodeWindows1252(bytes);
}

std::optional<std::string> profileLookup(std::string_view text, std::string_view section,
                                         std::string_view key) {
  bool inSection = false;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = trim(text.substr(pos, eol - pos));
    pos = eol + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name =
          trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      inSection = equalsIgnoreCase(name, section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (!equalsIgnoreCase(trim(line.substr(0, eq)), key)) continue;
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace velmora
