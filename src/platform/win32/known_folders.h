#pragma once
// Where the system keeps the user's documents and the installed programs
// (the folders the file dialogs start in, so that no dialog opens in the
// folder the program happens to run from), and the user's local data.
#include <string>
#include <vector>

namespace velmora::win32 {

// SHGetKnownFolderPath(FOLDERID_Documents); "" when the system has none.
std::wstring documentsFolder();
// SHGetKnownFolderPath(FOLDERID_ProgramFiles); "" when the system has none.
std::wstring programFilesFolder();
// SHGetKnownFolderPath(FOLDERID_LocalAppData), the user's own and never
// roaming; "" when the system has none.
std::wstring localAppDataFolder();
// FOLDERID_ProgramData: the machine's application data, shared by every user.
std::wstring programDataFolder();
// FOLDERID_RoamingAppData (%APPDATA%) and FOLDERID_Profile (%USERPROFILE%).
std::wstring roamingAppDataFolder();
std::wstring profileFolder();
// The folders that are the current user's own: the profile, the roaming
// application data and the startup folder (which may be redirected).
std::vector<std::wstring> userOwnFolders();

}  // namespace velmora::win32
