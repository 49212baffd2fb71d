#include "core/paths.h"

#include "core/text.h"

namespace velmora {

namespace {

void dropEnclosingQuotes(std::string& s) {
  if (!s.empty() && s.front() == '"' && s.back() == '"') {
    // A lone quote is both first and last: it goes, leaving nothing.
    s = s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string();
  }
}

void cutAtSwitch(std::string& s, std::string_view marker) {
  const std::size_t at = s.find(marker);
  if (at != std::string::npos && at > 0) s.erase(at);
}

}  // namespace

std::string aboutFilePath(std::string_view commandLine) {
  const std::size_t first = commandLine.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = commandLine.find_last_not_of(' ');
  std::string s(commandLine.substr(first, last - first + 1));
  dropEnclosingQuotes(s);
  cutAtSwitch(s, " /");
  cutAtSwitch(s, " -");
  dropEnclosingQuotes(s);
  return s;
}


std::string directoryPart(std::string_view path) {
  std::string out(path);
  const std::size_t cut = out.find_last_of("\\:");
  if (cut != std::string::npos) out.erase(cut);
  if (out.find(':') == std::string::npos) out += ':';
  return out;
}

std::string fileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string stripExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string fileExtension(std::string_view name) {
  const std::size_t cut = name.find_last_of("\\:");
  const std::string_view file = cut == std::string_view::npos ? name : name.substr(cut + 1);
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == file.size()) return {};
  return std::string(file.substr(dot));
}

std::string programDirectory(std::string_view programPath) {
  // A module path is always absolute, and may be a UNC path
  // (\\server\share\app.exe), where the drive-letter rule would add a colon.
  const std::size_t cut = programPath.rfind('\\');
  if (cut == std::string_view::npos) return directoryPart(programPath);
  return std::string(programPath.substr(0, cut));
}

namespace {
std::string_view trimmedFolder(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '\\') folder.remove_suffix(1);
  return folder;
}
}  // namespace

bool DataPlaces::isUserPlace(std::string_view path) const {
  for (const std::string& root : userRoots) {
    const std::string_view r = trimmedFolder(root);
    if (r.empty() || path.size() < r.size() || !equalsIgnoreCase(path.substr(0, r.size()), r)) continue;
    if (path.size() == r.size() || path[r.size()] == '\\') return true;
  }
  return false;
}

bool isInstalledCopy(std::string_view programDirectory, std::string_view installLocation) {
  const std::string_view location = trimmedFolder(installLocation);
  return !location.empty() && equalsIgnoreCase(trimmedFolder(programDirectory), location);
}

DataPlaces ProgramFiles::dataPlaces(std::vector<std::string> userRoots) const {
  if (installedUserData.empty() || installedMachineData.empty()) {
    return DataPlaces{directory, directory, {}, std::move(userRoots)};
  }
  return DataPlaces{installedUserData, installedMachineData, directory, std::move(userRoots)};
}

ProgramFiles programFilesFor(std::string_view programPath) {
  return ProgramFiles{programDirectory(programPath), stripExtension(fileNamePart(programPath))};
}

}  // namespace velmora
