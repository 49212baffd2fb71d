#include "startupfolder/folder_scan.h"

#include "core/text.h"

namespace velmora {

std::string withoutTrailingBackslash(std::string_view folder) {
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  return std::string(folder);
}

std::string entryPath(std::string_view folder, std::string_view name) {
  return withoutTrailingBackslash(folder) + "\\" + std::string(name);
}

bool sameFolder(std::string_view a, std::string_view b) {
  return equalsIgnoreCase(withoutTrailingBackslash(a), withoutTrailingBackslash(b));
}

namespace {
// CON, NUL, COM1 and the like name devices, whatever extension follows.
bool isDeviceName(std::string_view name) {
  std::string stem = asciiUpper(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (startsWith(stem, "COM") || startsWith(stem, "LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}
}  // namespace

bool isPlainFileName(std::string_view name) {
  if (name.find_first_of("\\/:") != std::string_view::npos) return false;
  if (name.find_first_not_of(". ") == std::string_view::npos) return false;
  // Windows drops trailing dots and blanks, so the file would get another name.
  if (name.back() == '.' || name.back() == ' ') return false;
  return !isDeviceName(name);
}

std::string ensureExtension(std::string_view fileName, std::string_view extension) {
  std::string ext;
  if (extension.empty() || extension.front() != '.') ext = ".";
  for (char c : extension) ext.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  std::string out(fileName);
  if (out.size() < ext.size() || !equalsIgnoreCase(std::string_view(out).substr(out.size() - ext.size()), ext)) {
    out += ext;
  }
  return out;
}

std::vector<ScannedFile> folderScan(FolderPort& folders, std::string_view folder) {
  std::vector<ScannedFile> files;
  const std::string base = withoutTrailingBackslash(folder);
  if (base.empty()) return files;
  std::vector<FolderEntry> entries;
  if (folders.list(base, entries) != FileStatus::Ok) return files;
  for (const auto& e : entries) {
    // Windows starts a read-only file as any other (installers and copied
    // media leave the bit set); hidden and system files (desktop.ini) are
    // the folder's own.
    if (e.attributes & (kAttrHidden | kAttrSystem)) continue;
    if (e.attributes & kAttrDirectory) continue;
    files.push_back({e.name, base + "\\" + e.name, e.written});
  }
  return files;
}

std::optional<std::string> resolveShortcut(ShellLinkPort& links, const std::string& path) {
  std::string target;
  if (links.resolve(path, target) != LinkStatus::Ok) return std::nullopt;
  return target;
}

}  // namespace velmora
