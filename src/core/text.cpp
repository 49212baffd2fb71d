#include "core/text.h"

#include <cstdint>

namespace velmora {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point starting at s[i]; advances i. Rejects overlongs,
// surrogates and values above U+10FFFF.
char32_t decodeOne(std::string_view s, std::size_t& i, bool& ok) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  ok = true;
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2; cp = b0 & 0x1F; min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3; cp = b0 & 0x0F; min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4; cp = b0 & 0x07; min = 0x10000;
  } else {
    ++i; ok = false;
    return kReplacement;
  }
  if (i + len > s.size()) {
    ++i; ok = false;
    return kReplacement;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i; ok = false;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i; ok = false;
    return kReplacement;
  }
  i += len;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

struct Range {
  char16_t first, last;  // inclusive range of lower-case code units
  int16_t delta;         // added to get the upper case
  bool alternating;      // only every other unit (upper/lower pairs)
};

// Simple upper-case mappings of the scripts users put in paths: Latin,
// Greek, Cyrillic, Armenian, Georgian, and the full-width forms. A unit not
// covered maps to itself, as the ordinal comparison does for caseless text.
constexpr Range kRanges[] = {
    {u'a', u'z', -32, false},
    {0x00E0, 0x00F6, -32, false},
    {0x00F8, 0x00FE, -32, false},
    {0x00FF, 0x00FF, 0x0178 - 0x00FF, false},
    {0x0101, 0x012F, -1, true},
    {0x0133, 0x0137, -1, true},
    {0x013A, 0x0148, -1, true},
    {0x014B, 0x0177, -1, true},
    {0x017A, 0x017E, -1, true},
    {0x0180, 0x0180, 0x0243 - 0x0180, false},
    {0x0183, 0x0185, -1, true},
    {0x0188, 0x0188, -1, false},
    {0x018C, 0x018C, -1, false},
    {0x0192, 0x0192, -1, false},
    {0x0195, 0x0195, 0x01F6 - 0x0195, false},
    {0x0199, 0x0199, -1, false},
    {0x019A, 0x019A, 0x023D - 0x019A, false},
    {0x019E, 0x019E, 0x0220 - 0x019E, false},
    {0x01A1, 0x01A5, -1, true},
    {0x01A8, 0x01A8, -1, false},
    {0x01AD, 0x01AD, -1, false},
    {0x01B0, 0x01B0, -1, false},
    {0x01B4, 0x01B6, -1, true},
    {0x01B9, 0x01B9, -1, false},
    {0x01BD, 0x01BD, -1, false},
    {0x01BF, 0x01BF, 0x01F7 - 0x01BF, false},
    {0x01C6, 0x01C6, -2, false},
    {0x01C9, 0x01C9, -2, false},
    {0x01CC, 0x01CC, -2, false},
    {0x01CE, 0x01DC, -1, true},
    {0x01DD, 0x01DD, 0x018E - 0x01DD, false},
    {0x01DF, 0x01EF, -1, true},
    {0x01F3, 0x01F3, -2, false},
    {0x01F5, 0x01F5, -1, false},
    {0x01F9, 0x021F, -1, true},
    {0x0223, 0x0233, -1, true},
    {0x023C, 0x023C, -1, false},
    {0x023F, 0x0240, 0x2C7E - 0x023F, false},
    {0x0242, 0x0242, -1, false},
    {0x0247, 0x024F, -1, true},
    {0x0253, 0x0253, 0x0181 - 0x0253, false},
    {0x0254, 0x0254, 0x0186 - 0x0254, false},
    {0x0256, 0x0257, 0x0189 - 0x0256, false},
    {0x0259, 0x0259, 0x018F - 0x0259, false},
    {0x025B, 0x025B, 0x0190 - 0x025B, false},
    {0x0260, 0x0260, 0x0193 - 0x0260, false},
    {0x0263, 0x0263, 0x0194 - 0x0263, false},
    {0x0268, 0x0268, 0x0197 - 0x0268, false},
    {0x0269, 0x0269, 0x0196 - 0x0269, false},
    {0x026F, 0x026F, 0x019C - 0x026F, false},
    {0x0272, 0x0272, 0x019D - 0x0272, false},
    {0x0275, 0x0275, 0x019F - 0x0275, false},
    {0x0280, 0x0280, 0x01A6 - 0x0280, false},
    {0x0283, 0x0283, 0x01A9 - 0x0283, false},
    {0x0288, 0x0288, 0x01AE - 0x0288, false},
    {0x0289, 0x0289, 0x0244 - 0x0289, false},
    {0x028A, 0x028B, 0x01B1 - 0x028A, false},
    {0x028C, 0x028C, 0x0245 - 0x028C, false},
    {0x0292, 0x0292, 0x01B7 - 0x0292, false},
    // Greek
    {0x0371, 0x0373, -1, true},
    {0x0377, 0x0377, -1, false},
    {0x037B, 0x037D, 0x03FD - 0x037B, false},
    {0x03AC, 0x03AC, 0x0386 - 0x03AC, false},
    {0x03AD, 0x03AF, 0x0388 - 0x03AD, false},
    {0x03B1, 0x03C1, -32, false},
    {0x03C3, 0x03CB, -32, false},
    {0x03CC, 0x03CC, 0x038C - 0x03CC, false},
    {0x03CD, 0x03CE, 0x038E - 0x03CD, false},
    {0x03D7, 0x03D7, 0x03CF - 0x03D7, false},
    {0x03D9, 0x03EF, -1, true},
    {0x03F2, 0x03F2, 0x03F9 - 0x03F2, false},
    {0x03F3, 0x03F3, 0x037F - 0x03F3, false},
    {0x03F8, 0x03F8, -1, false},
    {0x03FB, 0x03FB, -1, false},
    // Cyrillic
    {0x0430, 0x044F, -32, false},
    {0x0450, 0x045F, -80, false},
    {0x0461, 0x0481, -1, true},
    {0x048B, 0x04BF, -1, true},
    {0x04C2, 0x04CE, -1, true},
    {0x04CF, 0x04CF, 0x04C0 - 0x04CF, false},
    {0x04D1, 0x052F, -1, true},
    // Armenian
    {0x0561, 0x0586, -48, false},
    // Georgian (Mkhedruli to Mtavruli is not a case pair in the ordinal table)
    // Latin Extended Additional
    {0x1E01, 0x1E95, -1, true},
    {0x1EA1, 0x1EFF, -1, true},
    // Greek Extended (only the simple pairs)
    {0x1F00, 0x1F07, 8, false},
    {0x1F10, 0x1F15, 8, false},
    {0x1F20, 0x1F27, 8, false},
    {0x1F30, 0x1F37, 8, false},
    {0x1F40, 0x1F45, 8, false},
    {0x1F51, 0x1F57, 8, true},
    {0x1F60, 0x1F67, 8, false},
    {0x1F70, 0x1F71, 0x1FBA - 0x1F70, false},
    {0x1F72, 0x1F75, 0x1FC8 - 0x1F72, false},
    {0x1F76, 0x1F77, 0x1FDA - 0x1F76, false},
    {0x1F78, 0x1F79, 0x1FF8 - 0x1F78, false},
    {0x1F7A, 0x1F7B, 0x1FEA - 0x1F7A, false},
    {0x1F7C, 0x1F7D, 0x1FFA - 0x1F7C, false},
    {0x1F80, 0x1F87, 8, false},
    {0x1F90, 0x1F97, 8, false},
    {0x1FA0, 0x1FA7, 8, false},
    {0x1FB0, 0x1FB1, 8, false},
    {0x1FB3, 0x1FB3, 9, false},
    {0x1FC3, 0x1FC3, 9, false},
    {0x1FD0, 0x1FD1, 8, false},
    {0x1FE0, 0x1FE1, 8, false},
    {0x1FE5, 0x1FE5, 7, false},
    {0x1FF3, 0x1FF3, 9, false},
    // Letterlike, enclosed, full-width
    {0x214E, 0x214E, 0x2132 - 0x214E, false},
    {0x2170, 0x217F, -16, false},
    {0x2184, 0x2184, -1, false},
    {0x24D0, 0x24E9, -26, false},
    {0x2C30, 0x2C5F, -48, false},
    {0x2C61, 0x2C61, -1, false},
    {0x2C65, 0x2C65, 0x023A - 0x2C65, false},
    {0x2C66, 0x2C66, 0x023E - 0x2C66, false},
    {0x2C68, 0x2C6C, -1, true},
    {0x2C73, 0x2C73, -1, false},
    {0x2C76, 0x2C76, -1, false},
    {0x2C81, 0x2CE3, -1, true},
    {0x2D00, 0x2D25, static_cast<int16_t>(0x10A0 - 0x2D00), false},
    {0xA641, 0xA66D, -1, true},
    {0xA681, 0xA69B, -1, true},
    {0xA723, 0xA72F, -1, true},
    {0xA733, 0xA76F, -1, true},
    {0xA77A, 0xA77C, -1, true},
    {0xA77F, 0xA787, -1, true},
    {0xA78C, 0xA78C, -1, false},
    {0xFF41, 0xFF5A, -32, false},
};

}  // namespace

bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    bool ok = true;
    decodeOne(s, i, ok);
    if (!ok) return false;
  }
  return true;
}

bool isTypedText(std::string_view s) { return s.find('\0') == std::string_view::npos && isValidUtf8(s); }

std::u16string utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    bool ok = true;
    char32_t cp = decodeOne(s, i, ok);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    appendUtf8(out, c);
  }
  return out;
}

char16_t upperOrdinal(char16_t c) {
  if (c < u'a') return c;
  for (const Range& r : kRanges) {
    if (c < r.first) break;
    if (c <= r.last) {
      if (r.alternating && ((c - r.first) % 2) != 0) return c;
      return static_cast<char16_t>(c + r.delta);
    }
  }
  return c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  // ASCII on both sides needs no trip through UTF-16: its letters are
  // a-z only, and one byte is one unit.
  const auto ascii = [](std::string_view s) {
    for (char c : s) {
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
  };
  if (ascii(a) && ascii(b)) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i] && upperOrdinal(static_cast<unsigned char>(a[i])) != upperOrdinal(static_cast<unsigned char>(b[i])))
        return false;
    }
    return true;
  }
  const std::u16string wa = utf8ToUtf16(a);
  const std::u16string wb = utf8ToUtf16(b);
  if (wa.size() != wb.size()) return false;
  for (std::size_t i = 0; i < wa.size(); ++i) {
    if (wa[i] != wb[i] && upperOrdinal(wa[i]) != upperOrdinal(wb[i])) return false;
  }
  return true;
}

std::string foldedIgnoreCase(std::string_view s) {
  std::string out(s);
  bool ascii = true;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (ascii) return out;  // the usual case, without a round trip through UTF-16
  std::u16string wide = utf8ToUtf16(s);
  for (char16_t& c : wide) c = upperOrdinal(c);
  return utf16ToUtf8(wide);
}

bool containsIgnoreCase(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return true;
  std::u16string h = utf8ToUtf16(haystack);
  std::u16string n = utf8ToUtf16(needle);
  for (char16_t& c : h) c = upperOrdinal(c);
  for (char16_t& c : n) c = upperOrdinal(c);
  return h.find(n) != std::u16string::npos;
}

std::string withoutMnemonic(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      out.push_back('&');
      ++i;
    }
  }
  return out;
}

std::string asciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

}  // namespace velmora
