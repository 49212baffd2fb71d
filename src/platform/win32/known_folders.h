#pragma once
// Where the system keeps the user's documents and the installed programs
// (the folders the file dialogs start in, so that no dialog opens in the
// folder the program happens to run from), and the user's local data.
#include <string>

namespace velmora::win32 {

// SHGetKnownFolderPath(FOLDERID_Documents); "" when the system has none.
std::wstring documentsFolder();
// SHGetKnownFolderPath(FOLDERID_ProgramFiles); "" when the system has none.
std::wstring programFilesFolder();
// SHGetKnownFolderPath(FOLDERID_LocalAppData), the user's own and never
// roaming; "" when the system has none.
std::wstring localAppDataFolder();

}  // namespace velmora::win32
