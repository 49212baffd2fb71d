#pragma once
// The table of families the program builds, over the fakes of their ports.
#include "fakes/fake_folders.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "family/families.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {

struct RealFamilies {
  explicit RealFamilies(RegistryPort& reg)
      : table({startupFolderFamily(reg, folders, links, "C:\\Velmora", context), registryFamily(reg, context),
               programListFamily(reg, noShortPaths(), context)}) {}
  FakeStore store;
  MapTranslator tr;
  OperationLog log{tr};
  FamilyContext context{store, log, tr};
  FakeFolders folders;
  FakeShellLinks links{folders};
  FamilyTable table;
};

}  // namespace velmora::testing
