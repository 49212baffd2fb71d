#include "fakes/fakes.h"

namespace velmora {

void PrintTo(const Row& row, std::ostream* out) {
  static const char* const kOrigins[] = {"live", "record", "off in Windows"};
  *out << "{" << row.name << " | " << row.type << " | " << row.data << " | " << row.path << " | "
       << (row.state == RowState::Live ? "checked" : "unchecked") << " | "
       << kOrigins[static_cast<int>(row.origin)] << " | " << row.publisher << " | " << row.status << "}";
}

}  // namespace velmora

namespace velmora::testing {

std::string MapTranslator::translate(std::string_view key, Escapes escapes) const {
  auto it = texts.find(std::string(key));
  if (it == texts.end() || it->second.empty()) return std::string(key);
  return escapes == Escapes::Convert ? unescape(it->second) : it->second;
}

}  // namespace velmora::testing
