#pragma once
// Every kind of startup place Velmora has, in the order their nodes stand in
// the tree: the one list of families. The program, the tests and the
// benchmark all take it from here, so none can miss a family.
#include <string>
#include <vector>

#include "core/registry_port.h"
#include "family/families.h"
#include "packagedapps/package_port.h"
#include "programlist/short_path.h"
#include "scheduledtasks/task_port.h"
#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora {

// The ports the families reach the system through.
struct FamilyPorts {
  RegistryPort& registry;
  FolderPort& folders;
  ShellLinkPort& links;
  ShortPathPort& shortPaths;
  TaskPort& tasks;
  PackagePort& packages;
  // The program's folder: config.xml and the Disabled copies.
  std::string programDirectory;
};

// The All Entries node: after the nodes of the families before it, shown at
// the top of the tree, with the image of a window of rows. Stored settings
// name nodes by index, so a family added later takes the indices after it.
constexpr int kAllEntriesNode = 17;
constexpr int kAllEntriesImage = 0;
// The packaged apps' node, the first added after All Entries.
constexpr int kPackagedAppsNode = 18;

std::vector<FamilyDescriptor> allFamilies(const FamilyPorts& ports, const FamilyContext& context);

}  // namespace velmora
