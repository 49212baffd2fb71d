#include "fakes/fakes.h"

namespace velmora::testing {

std::string MapTranslator::translate(std::string_view key, Escapes escapes) const {
  auto it = texts.find(std::string(key));
  if (it == texts.end() || it->second.empty()) return std::string(key);
  return escapes == Escapes::Convert ? unescape(it->second) : it->second;
}

}  // namespace velmora::testing
