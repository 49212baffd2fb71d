#pragma once
// File-system helpers at the Win32 edge.
#include <optional>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::win32 {

// The whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::string& path);

// Text in the system's legacy ANSI code page, as UTF-8. The program runs
// with UTF-8 as its active code page, so the legacy one is asked of the
// system locale.
std::string decodeLegacy(std::string_view bytes);

// The full path of the running program (GetModuleFileNameW, no length limit).
std::string programPath();
ProgramFiles programFiles();
// The places of `files` with the current user's own roots.
DataPlaces dataPlaces(const ProgramFiles& files);
// The installed copy's data folders, made where missing (nothing for any
// other copy): the user's always, the machine's only with administrator
// rights and with its own (security_win32.h).
void makeDataFolders(const ProgramFiles& files);

bool fileExists(const std::string& path);

// How writing a whole file ended.
enum class FileWrite {
  Written,        // the file now holds exactly the bytes
  ReadOnly,       // the file is marked read-only: it was left alone
  FolderRefused,  // the folder would not take the new file for lack of rights
  Failed,         // anything else; the old file, if any, is as it was (unless the new one
                  // was moved in and then did not read back as written)
};

// Writes a whole file so that it is either the old one or the new one, never
// a part: a temporary file in the same folder, flushed, then moved over the
// old one, and read back. The one writer of every file the program keeps or
// exports.
[[nodiscard]] FileWrite writeFileAtomically(const std::string& path, std::string_view bytes);

// How a new file that could not be created is reported, from the Windows
// error: FolderRefused for lack of rights (as Program Files answers without
// administrator rights), Failed otherwise (a missing folder, a full disk).
FileWrite creationRefusal(unsigned long error);

}  // namespace velmora::win32
