#pragma once
// The installed copy's data places over fakes: the user's records in his
// folder (any of his programs may write it), the machine's and an older
// installation's beside them, and what a family needs to act on them.
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"
#include "core/scoped_store.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "family/families.h"
#include "history/change_commit.h"

namespace velmora::testing {

inline const std::string kProgram = "C:\\Program Files\\Velmora";
inline const std::string kUserData = "C:\\Users\\Ann\\AppData\\Local\\Velmora";
inline const std::string kMachineData = "C:\\ProgramData\\Velmora";
inline const std::string kUserStartup =
    "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
inline const std::string kCommonStartup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
inline const std::string kUserRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string kMachineRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline DataPlaces installedPlaces() {
  ProgramFiles files{kProgram, "velmora"};
  files.installedUserData = kUserData;
  files.installedMachineData = kMachineData;
  return files.dataPlaces({"HKEY_CURRENT_USER", "C:\\Users\\Ann\\", kUserStartup});
}

struct InstalledStores {
  DataPlaces places = installedPlaces();
  FakeStore user, machine, legacy;
  ScopedStore store{user, &machine, &legacy, [this](std::string_view p) { return places.isUserPlace(p); }};
  FakeRegistry reg;
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ScriptedPrompt prompt;
  ChangeCommit commit{log, nullptr, tr};
  FamilyContext context{store, tr, kMachineData, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &places};
};

inline int rowNamed(const std::vector<Row>& rows, const std::string& name) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace velmora::testing
