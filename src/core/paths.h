#pragma once
// Path pieces, cut the way Windows paths are written: at the last backslash
// or colon.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The directory part of a path: cut at the last backslash or colon (the
// separator goes too), and a colon appended when none is left.
// "C:\Tools\a.exe" -> "C:\Tools"; "C:\a.exe" -> "C:"; "C:a.exe" -> "C:".
std::string directoryPart(std::string_view path);

// The file path in a command line: blanks trimmed, enclosing quotes dropped,
// and everything from the first " /" or " -" on cut (a switch written right
// after the path, with no blank, stays). A lone double quote gives "".
std::string aboutFilePath(std::string_view commandLine);

// The text after the last backslash or colon (the whole text without one).
std::string fileNamePart(std::string_view path);

// A file name without its extension: everything from the last full stop on
// is cut; a name without a full stop is kept whole. "my.tool.exe" -> "my.tool".
std::string stripExtension(std::string_view name);

// A file name's extension with its full stop (".lnk"); empty when the name
// has no full stop or ends in one. "a.b.exe" -> ".exe"; "Dropbox" -> "".
std::string fileExtension(std::string_view name);

// The folder of the running program: its path cut at the last backslash
// (UNC paths included); drive-relative paths fall back to directoryPart.
std::string programDirectory(std::string_view programPath);

// Where Velmora keeps its records. A copy of the program anywhere but where
// it was installed keeps everything beside itself. The installed copy sits
// in a folder a standard user may not write: it keeps the records of the
// user's own places, the history and the log in the user's folder, those of
// machine-wide places in the machine's, and still lists and enables what an
// older version left beside the program.
struct DataPlaces {
  std::string user;
  std::string machine;
  // Empty but for the installed copy.
  std::string legacy;
  // Paths that belong to the current user: HKEY_CURRENT_USER, the user's
  // profile and startup folders. A path at or below one is the user's.
  std::vector<std::string> userRoots;

  [[nodiscard]] bool separate() const { return user != machine; }
  [[nodiscard]] bool isUserPlace(std::string_view path) const;
  // The folder that keeps the record of an entry at `path`.
  [[nodiscard]] const std::string& folderFor(std::string_view path) const {
    return isUserPlace(path) ? user : machine;
  }
};

// Whether `programDirectory` is the folder the Apps & Features entry names
// (ignoring case and a trailing backslash); an empty location names none.
bool isInstalledCopy(std::string_view programDirectory, std::string_view installLocation);

// Files beside the program.
struct ProgramFiles {
  std::string directory;
  std::string baseName;
  std::string languageFile() const { return directory + "\\" + baseName + ".language"; }
  std::string skinFile() const { return directory + "\\" + baseName + ".smf"; }
  // The installed copy's data folders; empty for any other copy, which
  // keeps everything in `directory`.
  std::string installedUserData = {};
  std::string installedMachineData = {};
  [[nodiscard]] DataPlaces dataPlaces(std::vector<std::string> userRoots = {}) const;
  std::string userData() const { return installedUserData.empty() ? directory : installedUserData; }
  std::string configFile() const { return userData() + "\\config.xml"; }
  std::string logDataFolder() const { return userData() + "\\Log\\Data"; }
  // The change history, and the copies of the files its changes removed:
  // the user's own, kept with the user's records.
  std::string historyFile() const { return userData() + "\\history.xml"; }
  std::string historyCopyFolder() const { return userData() + "\\History"; }
  // The folder of what is kept per Windows user, not per copy of the
  // program (the user's local application data + "\\Velmora"); empty:
  // nothing is kept there, so nothing is marked new.
  std::string userFolder = {};
  std::string seenFile() const { return userFolder.empty() ? std::string() : userFolder + "\\seen.xml"; }
};
ProgramFiles programFilesFor(std::string_view programPath);

}  // namespace velmora
