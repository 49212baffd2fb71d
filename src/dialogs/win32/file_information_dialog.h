#pragma once
// The file information dialog: a program file's version texts, times, size.
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/file_info_format.h"
#include "dialogs/win32/shell_open.h"
#include "lang/language_table.h"

namespace velmora::win32 {

// Modal, owned by `owner`. An empty search text searches for the file name.
void showFileInformation(HWND owner, const std::string& path, const Translator& translator,
                         const std::string& searchText = {});

// The same dialog with the shell call it makes for _GoogleIt and _BrowseIt.
// Returns 1 when closed with OK, 2 when cancelled.
INT_PTR runFileInformationDialog(HWND owner, const std::string& path, const Translator& translator,
                                 const std::string& searchText, const ShellOpener& opener);

// The file the dialog examines: a bare file name is looked up on the search
// path as the system finds programs; anything else is taken as given.
std::string resolveExaminedPath(const std::string& path);

// What the real file tells: existence, version groups, times and size.
FileFacts examineFile(const std::string& path);

// The rows the dialog lists for a path.
std::vector<InfoRow> fileInformationRows(const std::string& path, const Translator& translator);

}  // namespace velmora::win32
