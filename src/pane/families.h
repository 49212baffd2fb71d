#pragma once
// How a family describes itself, and the table of every family the program
// has. The composition root fills the table with one descriptor per family;
// each family brings its part of the category tree and the locations its
// nodes list, and nothing else needs to know which families there are.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/locations.h"
#include "core/store.h"
#include "pane/admin_restart.h"
#include "pane/change_log.h"
#include "pane/entry_family.h"
#include "pane/prompt.h"

namespace velmora {

class ChangeHistory;
class LocationOpener;
class ProgramFileLookup;
class Translator;

// A family's name: "registry", "programlist", "startupfolder" (the folder of
// its code).
using FamilyId = std::string_view;

// A node of the category tree. In a descriptor, index and parent count among
// the family's own nodes (parent -1: a top-level node); in the table they
// count among all nodes.
struct CategoryNode {
  int index;
  std::string_view labelKey;
  int parent;
  int image;
  FamilyId family;                          // set by the table
  std::vector<std::string_view> locations;  // the paths the node's pane lists
};

// Node `expand` is expanded right after node `afterInserting` is inserted.
struct Expansion {
  int afterInserting;
  int expand;
};

// What every family shares: config.xml, the operation log and the texts;
// and where rows' program files are looked up (none: no publisher and no
// "File not found").
struct FamilyContext {
  DisabledEntryStore& store;
  OperationLog& log;
  const Translator& translator;
  // The folder of config.xml and the Disabled copies, named when it refuses
  // a change for lack of rights.
  std::string programFolder = {};
  // Starts Velmora again as administrator; none: never offered.
  AdminRestart* adminRestart = nullptr;
  // Finds a row's program file and its publisher; none: columns 4 and 5 stay empty.
  ProgramFileLookup* programFiles = nullptr;
  // Where every change is kept so it can be undone; none: nothing is kept.
  ChangeHistory* history = nullptr;
  // Opens a row's location for the user; none: Open Location does nothing.
  LocationOpener* opener = nullptr;
};

// What sets one family apart in the code the families share.
struct FamilyTraits {
  // The element of its records in config.xml.
  RecordKind records;
  LogKeys logKeys;
  // Column 1 and the type line of the entry dialogs.
  const char* typeKey;
  // Whether a record's path names a location of the pane.
  bool (*sameLocation)(std::string_view recordPath, std::string_view location);
  // The family's id, as its changes name it in the history.
  FamilyId id = {};
};

struct FamilyDescriptor {
  FamilyId id;
  FamilyTraits traits;
  // The family's part of the tree, in insertion order, and its expansions.
  std::vector<CategoryNode> nodes;
  std::vector<Expansion> expansions;
  // A pane's locations from the paths its node lists, worked out afresh for
  // every pane.
  std::function<std::vector<std::string>(const std::vector<std::string_view>& paths)> paneLocations;
  // The family behind one pane. It holds the family's own ports.
  std::function<std::unique_ptr<EntryFamily>(std::vector<std::string> locations, UserPrompt& prompt)> make;
};

// The families in the order they were registered: their nodes follow each
// other in that order.
class FamilyTable {
 public:
  explicit FamilyTable(std::vector<FamilyDescriptor> families);

  // The family registered under `id`; throws std::invalid_argument when
  // there is none.
  const FamilyDescriptor& family(FamilyId id) const;
  // Every node of the tree, in insertion order (index = position).
  const std::vector<CategoryNode>& nodes() const { return nodes_; }
  const std::vector<Expansion>& expansions() const { return expansions_; }
  // Every location once, in the order the nodes first list it.
  std::vector<std::string_view> locations() const;
  // The location list of every node's pane, in node order.
  std::vector<std::vector<std::string>> paneLocations() const;

 private:
  std::vector<FamilyDescriptor> families_;
  std::vector<CategoryNode> nodes_;
  std::vector<Expansion> expansions_;
};

}  // namespace velmora
