#pragma once
// What velmorac lists: every place, or the places of one node of the
// window's tree, through the same families as the window, each entry with
// its stable fields.
#include <optional>
#include <string>
#include <vector>

#include "app/export.h"
#include "console/listed_entry.h"
#include "family/families.h"

namespace velmora {

class Translator;

// What `/place` chose: a node of the tree (its index), or a place, a key or
// folder as the place field shows it (with what lies below it).
struct PlaceChoice {
  std::optional<std::size_t> node;
  std::string place;
};

// `/place NODE`: a node's number, its name as the tree shows it in the
// user's language with the names above it joined by backslashes
// ("Registry\Current User\Run"; the end of that path is enough when only
// one node's path ends so), or a place. Nothing when a text of names names
// no node or several (`candidates` then lists what it could mean, or every
// node when nothing matched). Names and places ignore case.
std::optional<PlaceChoice> choosePlace(const FamilyTable& families, const Translator& translator,
                                       const std::string& text, std::vector<std::string>& candidates);

// Every node's path of names, in node order.
std::vector<std::string> nodePaths(const FamilyTable& families, const Translator& translator);

struct Listing {
  std::vector<ListedPane> panes;
  struct Item {
    std::size_t pane;
    std::size_t row;
    ListedEntry entry;
  };
  std::vector<Item> items;
  // Why a family could not read its places, translated (the window's status
  // bar says the same); its entries are missing from the listing.
  std::vector<std::string> problems;
  const Row& row(const Item& item) const { return panes[item.pane].rows[item.row]; }
  EntryFamily& family(const Item& item) const { return *panes[item.pane].pane; }
};

// Lists the places `choice` names (every place without one). With
// `describe`, each row is completed as the window completes the rows on
// screen (publisher, signer, file missing), which reads every program file.
Listing listEntries(const FamilyTable& families, const std::optional<PlaceChoice>& choice, bool describe,
                    EntryFacts& facts);

}  // namespace velmora
