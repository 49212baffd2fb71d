#include "family/program_file.h"

#include <optional>

namespace velmora {

namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool hasFolder(std::string_view name) { return name.find_first_of("\\/:") != std::string_view::npos; }

// CreateProcess adds ".exe" to a file name without an extension.
std::string withExtension(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::string out(path);
  if (file.find('.') == std::string_view::npos) out += ".exe";
  return out;
}

ProgramFile checked(std::string_view candidate, ProgramFileLookup& lookup) {
  candidate = trimmed(candidate);
  if (candidate.empty()) return {};
  if (!hasFolder(candidate)) {
    if (auto found = lookup.findBareName(std::string(candidate))) return {*found, true};
    return {std::string(candidate), false};
  }
  std::string path = withExtension(candidate);
  const bool found = lookup.isFile(path);
  return {std::move(path), found};
}

}  // namespace

ProgramFile resolveProgramFile(std::string_view commandLine, ProgramFileLookup& lookup) {
  const std::string expanded = lookup.expand(std::string(trimmed(commandLine)));
  const std::string_view text = trimmed(expanded);
  if (text.empty()) return {};

  if (text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    return checked(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1), lookup);
  }

  const std::size_t firstBlank = text.find(' ');
  const std::string_view first = text.substr(0, firstBlank);
  if (!hasFolder(first)) return checked(first, lookup);

  // Unquoted: "C:\Program Files\A B\a.exe -x" is tried as "C:\Program",
  // "C:\Program Files\A", "C:\Program Files\A B\a.exe", ... ; the first that
  // is a file wins.
  std::optional<ProgramFile> found;
  for (std::size_t end = firstBlank;; end = text.find(' ', end + 1)) {
    const std::string_view prefix = text.substr(0, end);
    if (prefix.back() != ' ') {
      std::string path = withExtension(prefix);
      if (lookup.isFile(path)) {
        // A longer prefix that is a file too is the program meant.
        if (found) {
          found->hijackable = true;
          break;
        }
        found = ProgramFile{std::move(path), true};
      }
    }
    if (end == std::string_view::npos) break;
  }
  if (found) return *found;
  return {withExtension(first), false};
}

}  // namespace velmora
