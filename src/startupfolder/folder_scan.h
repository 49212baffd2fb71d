#pragma once
// Reading a startup folder, and the path rules every startup-folder
// operation shares.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora {

// The folder with one trailing backslash removed, if it has one.
std::string withoutTrailingBackslash(std::string_view folder);

// The file path of an entry: the folder without its trailing backslash, a
// backslash, the name.
std::string entryPath(std::string_view folder, std::string_view name);

// True when both name the same folder: letter case and one trailing
// backslash do not count.
bool sameFolder(std::string_view a, std::string_view b);

// True when `name` names a file directly inside a folder: not empty, no
// backslash, slash or colon (which would reach another folder, drive or an
// alternate stream), and not made only of dots and blanks (which Windows
// trims away to the folder itself).
bool isPlainFileName(std::string_view name);

// Appends the extension (lower-cased, with a leading dot) unless the name
// already ends in it in any letter case: "App" -> "App.lnk", "App.LNK" stays,
// "Applnk" -> "Applnk.lnk".
std::string ensureExtension(std::string_view fileName, std::string_view extension);

struct ScannedFile {
  std::string name;      // as the file system gives it, extension included
  std::string fullPath;  // entryPath(folder, name)
  std::string written;   // FolderEntry::written
};

// The files of a folder in the file system's order, read-only ones too.
// Hidden and system entries and every folder are skipped; subfolders are
// not entered.
// An empty folder path gives nothing: it must never become the drive root.
std::vector<ScannedFile> folderScan(FolderPort& folders, std::string_view folder);

// The stored target of a shortcut, or nothing when the file is not one.
std::optional<std::string> resolveShortcut(ShellLinkPort& links, const std::string& path);

}  // namespace velmora
