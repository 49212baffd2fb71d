#include "app/win32/data_folders_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "core/text.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

bool adminOnly(const std::string& folder) {
  return !folder.empty() && folderRights(folder, dataFolderContents()) == RightsVerdict::AdminOnly;
}

}  // namespace

const std::vector<std::string>& dataFolderContents() {
  static const std::vector<std::string> names{"config.xml", "history.xml", "Disabled", "History"};
  return names;
}

JudgedPlaces judgedPlaces(const ProgramFiles& files) {
  JudgedPlaces judged;
  judged.places = dataPlaces(files);
  DataPlaces& places = judged.places;
  if (!places.separate()) {
    // A portable copy: one folder for everything, as trusted as its rights.
    judged.userAdminOnly = judged.machineAdminOnly = adminOnly(places.user);
    return judged;
  }
  // The user's own folder: any program he runs may write it.
  judged.userAdminOnly = false;
  judged.legacyAdminOnly = adminOnly(places.legacy);
  if (fileExists(places.machine) && adminOnly(places.machine)) {
    judged.machineAdminOnly = true;
    return judged;
  }
  // Missing (no administrator made it yet) or not trusted: the machine's
  // records are kept beside the program, which is also where an older
  // version kept them, so that store serves both.
  places.machine = places.legacy;
  places.legacy.clear();
  judged.machineAdminOnly = judged.legacyAdminOnly;
  judged.legacyAdminOnly = false;
  return judged;
}

std::optional<std::string> untrustedMachineFolder(const ProgramFiles& files) {
  const std::string& folder = files.installedMachineData;
  if (folder.empty() || !fileExists(folder) || adminOnly(folder)) return std::nullopt;
  return folder;
}

bool machineFolderRequest(const wchar_t* commandLine) {
  if (!commandLine || !*commandLine) return false;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(commandLine, &count);
  if (!args) return false;
  bool asked = false;
  for (int i = 1; i < count; ++i) {
    std::string arg = narrow(args[i]);
    if (!arg.empty() && arg.front() == '-') arg.front() = '/';
    if (equalsIgnoreCase(arg, "/prepare-machine-folder")) asked = true;
  }
  LocalFree(args);
  return asked;
}

bool prepareMachineFolderNow() {
  const std::wstring common = programDataFolder();
  return !common.empty() && prepareMachineFolder(narrow(common) + "\\Velmora");
}

}  // namespace velmora::win32
