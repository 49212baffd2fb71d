#include "app/all_families.h"

#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

std::vector<FamilyDescriptor> allFamilies(const FamilyPorts& ports, const FamilyContext& context) {
  return {
      startupFolderFamily(ports.registry, ports.folders, ports.links, ports.programDirectory, context),
      registryFamily(ports.registry, context),
      programListFamily(ports.registry, ports.shortPaths, context),
      scheduledTaskFamily(ports.tasks, context),
  };
}

}  // namespace velmora
