#pragma once
// Where Velmora keeps its records and history, and whether only
// administrators can write each folder (core/trust.h): the installed copy's
// user folder never (it is the user's), the machine's folder and the
// program's folder as their owner and rights say. A machine folder that is
// not trusted is not used: its records are kept beside the program, as a
// portable copy keeps them, until an administrator repairs it.
#include <optional>
#include <string>

#include "core/paths.h"

namespace velmora::win32 {

struct JudgedPlaces {
  DataPlaces places;
  bool userAdminOnly = false;
  bool machineAdminOnly = false;
  bool legacyAdminOnly = false;
};

// What a data folder holds that decides whether it can be believed.
const std::vector<std::string>& dataFolderContents();

JudgedPlaces judgedPlaces(const ProgramFiles& files);

// The installed copy's machine folder when it exists but is not trusted.
std::optional<std::string> untrustedMachineFolder(const ProgramFiles& files);

// `velmora.exe /prepare-machine-folder` (any case, `-` too): what the
// installer runs, with administrator rights, to make or repair the
// machine's data folder.
bool machineFolderRequest(const wchar_t* commandLine);
// Makes or repairs %ProgramData%\Velmora (security_win32.h); true when it
// then holds rights only administrators can change.
bool prepareMachineFolderNow();

}  // namespace velmora::win32
