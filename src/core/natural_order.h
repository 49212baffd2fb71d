#pragma once
// The order a person expects of texts in a list, as Explorer sorts file
// names: case and the accents of Latin letters do not count, and a run of
// digits is a number, so "Item 2" comes before "Item 10".
#include <string>
#include <string_view>

namespace velmora {

// What a text is compared by: made once per text, compared many times.
using NaturalKey = std::u16string;

NaturalKey naturalKey(std::string_view utf8);

// Below zero when `a` comes first, zero when neither does (the texts differ
// at most in case, accents or a number's leading zeros), above zero else.
int compareNaturalKeys(const NaturalKey& a, const NaturalKey& b);

inline int compareNatural(std::string_view a, std::string_view b) {
  return compareNaturalKeys(naturalKey(a), naturalKey(b));
}

}  // namespace velmora
