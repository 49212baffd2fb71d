#pragma once
// Export of every entry as CSV: from the File menu through the system's Save
// dialog, and from the command line without a window.
#include <windows.h>

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

}  // namespace velmora::win32
