#include "console/console_listing.h"

#include "core/text.h"
#include "lang/language_table.h"

namespace velmora {

std::vector<std::string> nodePaths(const FamilyTable& families, const Translator& translator) {
  const std::vector<CategoryNode>& nodes = families.nodes();
  std::vector<std::string> paths;
  for (const CategoryNode& node : nodes) {
    std::string path = withoutMnemonic(translator.translate(node.labelKey));
    std::size_t steps = 0;
    for (int parent = node.parent;
         parent >= 0 && static_cast<std::size_t>(parent) < nodes.size() && steps++ < nodes.size();
         parent = nodes[static_cast<std::size_t>(parent)].parent) {
      path = withoutMnemonic(translator.translate(nodes[static_cast<std::size_t>(parent)].labelKey)) + "\\" + path;
    }
    paths.push_back(std::move(path));
  }
  return paths;
}

std::optional<PlaceChoice> choosePlace(const FamilyTable& families, const Translator& translator,
                                       const std::string& text, std::vector<std::string>& candidates) {
  candidates.clear();
  const std::vector<std::string> paths = nodePaths(families, translator);
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() < 6) {
    const std::size_t index = std::stoul(text);
    if (index < paths.size()) return PlaceChoice{index, {}};
  }
  std::vector<std::size_t> exact, endings;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    if (equalsIgnoreCase(path, text)) exact.push_back(i);
    if (path.size() > text.size() && path[path.size() - text.size() - 1] == '\\' &&
        equalsIgnoreCase(std::string_view(path).substr(path.size() - text.size()), text)) {
      endings.push_back(i);
    }
  }
  const std::vector<std::size_t>& found = exact.empty() ? endings : exact;
  if (found.size() == 1) return PlaceChoice{found.front(), {}};
  for (const std::size_t i : found) candidates.push_back(paths[i]);
  if (!found.empty()) return std::nullopt;
  // A key or folder names itself: registry paths and folders hold a
  // backslash, a task folder starts with one.
  if (text.find('\\') != std::string::npos) {
    std::string place = text;
    while (place.size() > 1 && place.back() == '\\') place.pop_back();
    return PlaceChoice{std::nullopt, place};
  }
  candidates = paths;
  return std::nullopt;
}

namespace {

bool under(std::string_view place, std::string_view chosen) {
  if (chosen == "\\") return !place.empty() && place.front() == '\\';
  if (place.size() < chosen.size() || !equalsIgnoreCase(place.substr(0, chosen.size()), chosen)) return false;
  return place.size() == chosen.size() || place[chosen.size()] == '\\';
}

}  // namespace

Listing listEntries(const FamilyTable& families, const std::optional<PlaceChoice>& choice, bool describe,
                    EntryFacts& facts) {
  Listing listing;
  const CategoryNode* node = choice && choice->node ? &families.nodes().at(*choice->node) : nullptr;
  if (node && families.family(node->family).ownsEntries) {
    // The node's own pane, over the places the window's pane lists.
    const FamilyDescriptor& family = families.family(node->family);
    ListedPane p{node->family, family.make(families.paneLocations().at(*choice->node)), {}};
    p.rows = p.pane->list();
    if (describe) {
      for (Row& r : p.rows) p.pane->describe(r);
    }
    listing.panes.push_back(std::move(p));
  } else {
    // A view of every family (All Entries) lists every place.
    listing.panes = listEveryPlace(families, describe);
  }
  for (std::size_t p = 0; p < listing.panes.size(); ++p) {
    const ListedPane& pane = listing.panes[p];
    if (std::string problem = pane.pane->listingProblem(); !problem.empty()) {
      listing.problems.push_back(std::move(problem));
    }
    for (std::size_t r = 0; r < pane.rows.size(); ++r) {
      const Row& row = pane.rows[r];
      if (choice && !choice->node && !under(row.path, choice->place)) continue;
      listing.items.push_back({p, r, listedEntry(pane.pane->traitsFor(entryOf(row)), row, facts)});
    }
  }
  return listing;
}

}  // namespace velmora
