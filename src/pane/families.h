#pragma once
// How a family describes itself, and the table of every family the program
// has. The composition root fills the table with one descriptor per family;
// the tree names a node's family by its id, and nothing else needs to know
// which families there are.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/locations.h"
#include "core/store.h"
#include "pane/change_log.h"
#include "pane/entry_family.h"
#include "pane/prompt.h"

namespace velmora {

class Translator;

// What every family shares: config.xml, the operation log and the texts.
struct FamilyContext {
  DisabledEntryStore& store;
  OperationLog& log;
  const Translator& translator;
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
};

struct FamilyDescriptor {
  FamilyId id;
  FamilyTraits traits;
  // A pane's locations from the paths its node lists (startupLocations()),
  // worked out afresh for every pane.
  std::function<std::vector<std::string>(const std::vector<std::string_view>& paths)> paneLocations;
  // The family behind one pane. It holds the family's own ports.
  std::function<std::unique_ptr<EntryFamily>(std::vector<std::string> locations, UserPrompt& prompt)> make;
};

class FamilyTable {
 public:
  explicit FamilyTable(std::vector<FamilyDescriptor> families) : families_(std::move(families)) {}

  // The family registered under `id`; throws std::invalid_argument when
  // there is none (a wiring fault, found by the first test that opens the window).
  const FamilyDescriptor& family(FamilyId id) const;
  // The location list of every node's pane, in node order.
  std::vector<std::vector<std::string>> paneLocations() const;

 private:
  std::vector<FamilyDescriptor> families_;
};

}  // namespace velmora
