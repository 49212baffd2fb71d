#pragma once
// Path pieces, cut the way Windows paths are written: at the last backslash
// or colon.
#include <string>
#include <string_view>

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

// Files beside the program.
struct ProgramFiles {
  std::string directory;
  std::string baseName;
  std::string languageFile() const { return directory + "\\" + baseName + ".language"; }
  std::string skinFile() const { return directory + "\\" + baseName + ".smf"; }
  std::string configFile() const { return directory + "\\config.xml"; }
  std::string logDataFolder() const { return directory + "\\Log\\Data"; }
  // The change history, and the copies of the files its changes removed.
  std::string historyFile() const { return directory + "\\history.xml"; }
  std::string historyCopyFolder() const { return directory + "\\History"; }
  // The folder of what is kept per Windows user, not per copy of the
  // program (the user's local application data + "\\Velmora"); empty:
  // nothing is kept there, so nothing is marked new.
  std::string userFolder = {};
  std::string seenFile() const { return userFolder.empty() ? std::string() : userFolder + "\\seen.xml"; }
};
ProgramFiles programFilesFor(std::string_view programPath);

}  // namespace velmora
