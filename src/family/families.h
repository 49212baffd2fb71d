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
#include "core/paths.h"
#include "core/store.h"
#include "core/trust.h"
#include "family/admin_restart.h"
#include "family/change.h"
#include "family/entry_family.h"
#include "family/prompt.h"

namespace velmora {

class LocationOpener;
class LogonFacts;
class ProgramFactsSource;
class ProgramFileLookup;
class SeenEntries;
class SignatureMemory;
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
  // Inserted above the nodes inserted before it (the tree shows it first),
  // while its index stays after theirs.
  bool top = false;
};

// Node `expand` is expanded right after node `afterInserting` is inserted.
struct Expansion {
  int afterInserting;
  int expand;
};

// What every family shares: config.xml and the texts; and where rows'
// program files are looked up (none: no publisher and no "File not found").
struct FamilyContext {
  DisabledEntryStore& store;
  const Translator& translator;
  // The folder of config.xml and the Disabled copies, named when it refuses
  // a change for lack of rights.
  std::string programFolder = {};
  // Starts Velmora again as administrator; none: never offered.
  AdminRestart* adminRestart = nullptr;
  // Finds a row's program file and its publisher; none: columns 4 and 5 stay empty.
  ProgramFileLookup* programFiles = nullptr;
  // Where a change keeps a copy of a file it removes or replaces, for its
  // Undo; none: no copy is kept.
  ChangeCopies* copies = nullptr;
  // Opens a row's location for the user; none: Open Location does nothing.
  LocationOpener* opener = nullptr;
  // Who signed rows' program files, remembered for the session; none:
  // column 6 stays empty.
  SignatureMemory* signatures = nullptr;
  // What Velmora saw when it last closed; none: nothing is marked new.
  SeenEntries* seen = nullptr;
  // Where the installed copy keeps the Disabled copies by the scope of
  // their entries; none: beside the program, in `programFolder`.
  const DataPlaces* dataPlaces = nullptr;
  // Whom to believe (core/trust.h): records and kept copies that a user's
  // program could have written are never acted on in a place of all users.
  // None: everything is believed (tests of other rules).
  const Trust* trust = nullptr;
  // Whether the file a new record of an entry at a path goes to is one
  // only administrators can write; none: it is.
  std::function<bool(std::string_view path)> newRecordAdminOnly = {};
  // Looks the program files up on a worker, so that listing and painting
  // never wait for a file; none: looked up at once through `programFiles`
  // and `signatures`.
  ProgramFactsSource* programFacts = nullptr;
  // Fills the Impact and Last logon cells of described rows; none: they
  // stay empty.
  const LogonFacts* logon = nullptr;
};

// Which set of content keys a family's log records use:
// "_LogItemType<n>Content" plus this suffix (the startup-folder family's
// keys end in "Content1").
struct LogKeys {
  std::string_view contentSuffix;
};

// What sets one family apart in the code the families share.
struct FamilyTraits {
  // The element of its records in config.xml.
  RecordKind records;
  LogKeys logKeys;
  // Column 1 and the type line of the entry dialogs.
  const char* typeKey;
  // Whether a record's path (or a change's) names `location`, a location of
  // the pane.
  bool (*sameLocation)(std::string_view recordPath, std::string_view location);
  // The family's id, as its changes name it in the history.
  FamilyId id = {};
  // The operation log's values for a change of the entry in `state` at
  // `location`, and for a Modify: the entry's name always first, then its
  // place. None: the name, the location and the command line; a Modify adds
  // the new name and command line.
  std::vector<std::string> (*logEntry)(const std::string& location, const EntryState& state) = nullptr;
  std::vector<std::string> (*logModify)(const std::string& location, const EntryState& before,
                                        const EntryState& after) = nullptr;
  // Whose place a change is about, where the location alone does not say
  // (a task is the user's own only when it runs as him, with his rights).
  // None: by its location (Trust::placeOf).
  PlaceScope (*placeScope)(const Change& change, const Trust& trust) = nullptr;
};

// Whose place `change` is about (core/trust.h).
PlaceScope placeOfChange(const FamilyTraits& traits, const Trust& trust, const Change& change);

struct FamilyDescriptor {
  FamilyId id;
  FamilyTraits traits;
  // The family's part of the tree, in insertion order, and its expansions.
  std::vector<CategoryNode> nodes;
  std::vector<Expansion> expansions;
  // A pane's locations from the paths its node lists, worked out afresh for
  // every pane.
  std::function<std::vector<std::string>(const std::vector<std::string_view>& paths)> paneLocations;
  // The family behind one pane, over `locations`. It holds the family's own
  // ports.
  std::function<std::unique_ptr<EntryFamily>(std::vector<std::string> locations)> make;
  // False for a view over other families' entries (All Entries): it keeps
  // nothing of its own, so the export and Undo never go through it.
  bool ownsEntries = true;
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
  // Every id of a family that owns entries, in registration order (no view).
  std::vector<FamilyId> ids() const;
  // Every location the nodes of family `id` list, once, in node order, as
  // its panes spell them.
  std::vector<std::string> familyLocations(FamilyId id) const;
  // The location list of every node's pane, in node order.
  std::vector<std::vector<std::string>> paneLocations() const;

 private:
  std::vector<FamilyDescriptor> families_;
  std::vector<CategoryNode> nodes_;
  std::vector<Expansion> expansions_;
};

}  // namespace velmora
