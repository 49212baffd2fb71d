#pragma once
// Export of every entry as CSV: from the File menu through the system's Save
// dialog, and from the command line without a window.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/paths.h"
#include "lang/language_table.h"
#include "family/families.h"

namespace velmora::win32 {

// The file named by `/export FILE` (the switch in any case, `-export` too),
// or nothing when the command line asks for no export.
std::optional<std::string> exportRequest(const wchar_t* commandLine);

// `velmora.exe /export FILE`: writes the file and returns 0, or 1 when it
// could not; shows nothing and changes nothing.
int exportFromCommandLine(const ProgramFiles& files, const Translator& translator, const std::string& file);

// File > Export: asks where, writes, and says how many entries went where
// (or that the file could not be written).
void exportFromMenu(HWND frame, const FamilyTable& families, const Translator& translator);

class Workers;

// File > Export of the program's window, whose own families look files up
// in the background: asks where, then lists every place and writes on the
// slow places' worker (the window keeps answering; an export reads every
// program file and the whole Task Scheduler), and says how it went once it
// is done. `started` tells the file being written.
void exportInBackground(HWND frame, const ProgramFiles& files, const Translator& translator, Workers& workers,
                        const std::function<void(const std::string& file)>& started);

}  // namespace velmora::win32
