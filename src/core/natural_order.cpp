#include "core/natural_order.h"

#include "core/text.h"

namespace velmora {

namespace {

// The base letter of U+00C0 to U+017F, upper case ('.' where there is none
// to take, as for ß or Æ, which then keep their own place).
constexpr std::u16string_view kLatinBase =
    u"AAAAAA.CEEEEIIIIDNOOOOO.OUUUUY..AAAAAA.CEEEEIIII"
    u"DNOOOOO.OUUUUY.YAAAAAACCCCCCCCDDDDEEEEEEEEEEGGGG"
    u"GGGGHHHHIIIIIIIIII..JJKK.LLLLLLLLLLNNNNNN...OOOO"
    u"OO..RRRRRRSSSSSSSSTTTT..UUUUUUUUUUUUWWYYYZZZZZZ.";
constexpr char16_t kLatinFirst = 0xC0;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t primary(char16_t c) {
  if (c >= kLatinFirst && c < kLatinFirst + kLatinBase.size()) {
    const char16_t base = kLatinBase[c - kLatinFirst];
    if (base != u'.') return base;
  }
  return upperOrdinal(c);
}

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

NaturalKey naturalKey(std::string_view utf8) {
  NaturalKey key = utf8ToUtf16(utf8);
  for (char16_t& c : key) c = primary(c);
  return key;
}

int compareNaturalKeys(const NaturalKey& a, const NaturalKey& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      // Numbers by value, however long: leading zeros go, then the longer
      // number is the larger, then the first digit that differs decides.
      while (i < a.size() && a[i] == u'0') ++i;
      while (j < b.size() && b[j] == u'0') ++j;
      std::size_t endA = i, endB = j;
      while (endA < a.size() && isDigit(a[endA])) ++endA;
      while (endB < b.size() && isDigit(b[endB])) ++endB;
      if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
      for (; i < endA; ++i, ++j) {
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
      }
      continue;
    }
    // A digit against anything else compares as its character: no other
    // character lies between '0' and '9', so every digit gives the same answer.
    if (a[i] != b[j]) return sign(static_cast<int>(a[i]) - static_cast<int>(b[j]));
    ++i;
    ++j;
  }
  // All else equal, the shorter text comes first.
  return (i < a.size()) - (j < b.size());
}

}  // namespace velmora
