#include "app/all_families.h"

#include "family/all_entries_family.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

std::vector<FamilyDescriptor> allFamilies(const FamilyPorts& ports, const FamilyContext& context) {
  std::vector<FamilyDescriptor> families{
      startupFolderFamily(ports.registry, ports.folders, ports.links, ports.programDirectory, context),
      registryFamily(ports.registry, context),
      programListFamily(ports.registry, ports.shortPaths, context),
      scheduledTaskFamily(ports.tasks, context),
  };
  // Last, so the nodes before keep their indices; the tree shows it first.
  families.push_back(allEntriesView(families, context.translator, kAllEntriesImage));
  return families;
}

}  // namespace velmora
