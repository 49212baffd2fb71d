#include "core/paths.h"

namespace velmora {

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

std::string programDirectory(std::string_view programPath) {
  // A module path is always absolute, and may be a UNC path
  // (\\server\share\app.exe), where the drive-letter rule would add a colon.
  const std::size_t cut = programPath.rfind('\\');
  if (cut == std::string_view::npos) return directoryPart(programPath);
  return std::string(programPath.substr(0, cut));
}

ProgramFiles programFilesFor(std::string_view programPath) {
  return ProgramFiles{programDirectory(programPath), stripExtension(fileNamePart(programPath))};
}

}  // namespace velmora
