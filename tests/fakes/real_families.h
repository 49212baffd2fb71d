#pragma once
// The table of families the program builds, from the program's own list of
// them, over the fakes of their ports.
#include "app/all_families.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_packages.h"
#include "fakes/fake_store.h"
#include "fakes/fake_tasks.h"
#include "fakes/fakes.h"
#include "family/families.h"
#include "history/change_commit.h"

namespace velmora::testing {

struct RealFamilies {
  explicit RealFamilies(RegistryPort& reg)
      : table(allFamilies({reg, folders, links, noShortPaths(), tasks, packages, "C:\\Velmora"}, context)) {}
  FakeStore store;
  MapTranslator tr;
  OperationLog log{tr};
  ChangeCommit commit{log, nullptr, tr};
  FamilyContext context{store, tr};
  FakeFolders folders;
  FakeShellLinks links{folders};
  FakeTaskPort tasks;
  FakePackagePort packages;
  FamilyTable table;
};

}  // namespace velmora::testing
