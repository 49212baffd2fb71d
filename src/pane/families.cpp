#include "pane/families.h"

#include <stdexcept>

namespace velmora {

const FamilyDescriptor& FamilyTable::family(FamilyId id) const {
  for (const FamilyDescriptor& f : families_) {
    if (f.id == id) return f;
  }
  throw std::invalid_argument("no family is registered as " + std::string(id));
}

std::vector<std::vector<std::string>> FamilyTable::paneLocations() const {
  std::vector<std::vector<std::string>> lists;
  const auto& locations = startupLocations();
  for (const CategoryNode& node : categoryNodes()) {
    std::vector<std::string_view> paths;
    for (int loc : node.locations) paths.push_back(locations[static_cast<std::size_t>(loc)].path);
    lists.push_back(family(node.family).paneLocations(paths));
  }
  return lists;
}

}  // namespace velmora
