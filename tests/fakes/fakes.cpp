#include "fakes/fakes.h"

namespace velmora::testing {

std::string MapTranslator::translate(std::string_view key, bool convertEscapes) const {
  auto it = texts.find(std::string(key));
  if (it == texts.end() || it->second.empty()) return std::string(key);
  return convertEscapes ? unescape(it->second) : it->second;
}

}  // namespace velmora::testing
