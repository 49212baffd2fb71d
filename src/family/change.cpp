#include "family/change.h"

#include <algorithm>

namespace velmora {

std::string oppositeKind(std::string_view kind) {
  using namespace change_kind;
  if (kind == kRemove) return std::string(kAdd);
  if (kind == kAdd) return std::string(kRemove);
  if (kind == kDisable) return std::string(kEnable);
  if (kind == kEnable) return std::string(kDisable);
  return std::string(kind);
}

bool plainCopyName(std::string_view name) {
  // Exactly what newCopyName makes: digits, then ".copy".
  constexpr std::string_view kSuffix = ".copy";
  if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) return false;
  const std::string_view digits = name.substr(0, name.size() - kSuffix.size());
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace velmora
