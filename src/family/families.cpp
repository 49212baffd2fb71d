#include "family/families.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {

PlaceScope placeOfChange(const FamilyTraits& traits, const Trust& trust, const Change& change) {
  return traits.placeScope ? traits.placeScope(change, trust) : trust.placeOf(change.location);
}

FamilyTable::FamilyTable(std::vector<FamilyDescriptor> families) : families_(std::move(families)) {
  for (const FamilyDescriptor& f : families_) {
    const int first = static_cast<int>(nodes_.size());
    for (CategoryNode node : f.nodes) {
      node.index += first;
      if (node.parent >= 0) node.parent += first;
      node.family = f.id;
      nodes_.push_back(std::move(node));
    }
    for (const Expansion& e : f.expansions) expansions_.push_back({e.afterInserting + first, e.expand + first});
  }
}

const FamilyDescriptor& FamilyTable::family(FamilyId id) const {
  for (const FamilyDescriptor& f : families_) {
    if (f.id == id) return f;
  }
  throw std::invalid_argument("no family is registered as " + std::string(id));
}

std::vector<std::string_view> FamilyTable::locations() const {
  std::vector<std::string_view> all;
  for (const CategoryNode& node : nodes_) {
    for (std::string_view path : node.locations) {
      if (std::find(all.begin(), all.end(), path) == all.end()) all.push_back(path);
    }
  }
  return all;
}

std::vector<FamilyId> FamilyTable::ids() const {
  std::vector<FamilyId> ids;
  for (const FamilyDescriptor& f : families_) {
    if (f.ownsEntries) ids.push_back(f.id);
  }
  return ids;
}

std::vector<std::string> FamilyTable::familyLocations(FamilyId id) const {
  std::vector<std::string_view> paths;
  for (const CategoryNode& node : nodes_) {
    if (node.family != id) continue;
    for (std::string_view p : node.locations) {
      if (std::find(paths.begin(), paths.end(), p) == paths.end()) paths.push_back(p);
    }
  }
  return family(id).paneLocations(paths);
}

std::vector<std::vector<std::string>> FamilyTable::paneLocations() const {
  std::vector<std::vector<std::string>> lists;
  for (const CategoryNode& node : nodes_) lists.push_back(family(node.family).paneLocations(node.locations));
  return lists;
}

}  // namespace velmora
