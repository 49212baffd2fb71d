#include "family/entry_fields.h"

#include "core/paths.h"

namespace velmora {

std::string commandFolder(std::string_view commandLine) {
  // A quoted program ends at its closing quote, whatever follows.
  const std::size_t first = commandLine.find_first_not_of(' ');
  const std::size_t close = first == std::string_view::npos || commandLine[first] != '"'
                                ? std::string_view::npos
                                : commandLine.find('"', first + 1);
  const std::string file = close != std::string_view::npos
                               ? std::string(commandLine.substr(first + 1, close - first - 1))
                               : aboutFilePath(commandLine);
  const std::size_t cut = file.find_last_of('\\');
  if (cut == std::string::npos) return {};
  std::string folder = file.substr(0, cut);
  // "C:\tool.exe" leaves "C:", which is the drive's current folder, not its root.
  if (folder.empty() || folder.back() == ':') folder += '\\';
  return folder;
}

std::string commandForFile(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  return "\"" + std::string(path) + "\"";
}

}  // namespace velmora
