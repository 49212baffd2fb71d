#include "app/all_families.h"

#include "family/all_entries_family.h"
#include "packagedapps/packaged_app_family.h"
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
      // Added after All Entries had its node: its node comes after it.
      packagedAppFamily(ports.registry, ports.packages, context),
  };
  // Over every family; its node keeps the index it had before the
  // families added since (the tree shows it first).
  constexpr std::size_t kBeforeAllEntries = 4;
  FamilyDescriptor view = allEntriesView(families, context.translator, kAllEntriesImage);
  families.insert(families.begin() + kBeforeAllEntries, std::move(view));
  return families;
}

}  // namespace velmora
