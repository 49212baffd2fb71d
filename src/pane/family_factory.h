#pragma once
// Builds the family behind each pane from the node's pane class. The main
// window owns the services; every family gets references to the ports.
#include <memory>
#include <string>
#include <vector>

#include "core/locations.h"
#include "pane/entry_family.h"

namespace velmora {

class DisabledEntryStore;
class OperationLog;
class RegistryPort;
class Translator;
class UserPrompt;

struct FamilyServices {
  RegistryPort& registry;
  DisabledEntryStore& store;
  OperationLog& log;
  const Translator& translator;
};

// `prompt` is the pane's own: its messages are owned by the pane window.
std::unique_ptr<EntryFamily> makeFamily(PaneClass paneClass, std::vector<std::string> locations,
                                        FamilyServices& services, UserPrompt& prompt);

}  // namespace velmora
