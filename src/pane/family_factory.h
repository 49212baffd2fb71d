#pragma once
// Builds the family behind each pane from the node's pane class. The main
// window owns the services; every family gets references to the ports.
#include <memory>
#include <string>
#include <vector>

#include "core/locations.h"
#include "pane/entry_family.h"
#include "winini/short_path.h"

namespace velmora {

class DisabledEntryStore;
class FolderPort;
class ShellLinkPort;
class OperationLog;
class RegistryPort;
class Translator;
class UserPrompt;

struct FamilyServices {
  RegistryPort& registry;
  DisabledEntryStore& store;
  OperationLog& log;
  const Translator& translator;
  ShortPathPort& shortPaths = noShortPaths();
  // Startup folders: without both ports their panes list nothing. Disabled
  // files are kept in a folder beside config.xml, in programDirectory.
  FolderPort* folders = nullptr;
  ShellLinkPort* shellLinks = nullptr;
  std::string programDirectory;
};

// `prompt` is the pane's own: its messages are owned by the pane window.
std::unique_ptr<EntryFamily> makeFamily(PaneClass paneClass, std::vector<std::string> locations,
                                        FamilyServices& services, UserPrompt& prompt);

}  // namespace velmora
