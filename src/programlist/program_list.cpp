#include "programlist/program_list.h"

#include "core/paths.h"
#include "core/text.h"

namespace velmora {

namespace {

bool isSeparator(char c) { return c == ' ' || c == ','; }

bool standsWholeAt(std::string_view value, std::size_t pos, std::size_t length) {
  const std::size_t end = pos + length;
  return (pos == 0 || isSeparator(value[pos - 1])) && (end == value.size() || isSeparator(value[end]));
}

}  // namespace

std::vector<std::string> splitList(std::string_view text, const std::vector<std::string_view>& separators,
                                   bool skipEmpty) {
  std::vector<std::string> out;
  std::string_view rest = text;
  while (true) {
    std::size_t best = std::string_view::npos;
    std::size_t bestLength = 0;
    for (std::string_view sep : separators) {
      if (sep.empty()) continue;
      const std::size_t hit = rest.find(sep);
      // `<=` lets a later separator take a tie.
      if (hit != std::string_view::npos && (best == std::string_view::npos || hit <= best)) {
        best = hit;
        bestLength = sep.size();
      }
    }
    if (best == std::string_view::npos) break;
    const std::string_view piece = rest.substr(0, best);
    if (!(skipEmpty && piece.empty())) out.emplace_back(piece);
    rest.remove_prefix(best + bestLength);
  }
  if (!(skipEmpty && rest.empty())) out.emplace_back(rest);
  return out;
}

std::vector<std::string> splitPrograms(std::string_view value) { return splitList(value, {" ", ","}, true); }

bool containsProgram(std::string_view value, std::string_view program) {
  if (program.empty()) return false;
  for (std::size_t pos = value.find(program); pos != std::string_view::npos; pos = value.find(program, pos + 1)) {
    if (standsWholeAt(value, pos, program.size())) return true;
  }
  return false;
}

std::string trimProgramList(std::string_view value) {
  const std::size_t first = value.find_first_not_of(", ");
  if (first == std::string_view::npos) return {};
  const std::size_t last = value.find_last_not_of(", ");
  return std::string(value.substr(first, last - first + 1));
}

std::string deleteProgram(std::string_view value, std::string_view program) {
  std::string text(value);
  if (!program.empty()) {
    std::size_t pos = text.find(program);
    while (pos != std::string::npos) {
      if (standsWholeAt(text, pos, program.size())) {
        // The separator that bounded it stays, so a following occurrence is
        // still recognised as whole.
        text.erase(pos, program.size());
        pos = text.find(program, pos);
      } else {
        pos = text.find(program, pos + 1);
      }
    }
  }
  text = replaceAll(text, "  ", ",");
  text = replaceAll(text, ",,", ",");
  text = replaceAll(text, ", ", ",");
  text = replaceAll(text, " ,", ",");
  return trimProgramList(text);
}

std::string appendProgram(std::string_view value, std::string_view program) {
  std::string text(value);
  text += ',';
  text += program;
  return trimProgramList(text);
}

bool namesUserinit(std::string_view value) {
  for (std::string piece : splitPrograms(value)) {
    // A quoted path may have been cut at a blank inside it: drop a quote at
    // either end on its own.
    if (!piece.empty() && piece.front() == '"') piece.erase(0, 1);
    if (!piece.empty() && piece.back() == '"') piece.pop_back();
    if (equalsIgnoreCase(fileNamePart(piece), "userinit.exe")) return true;
  }
  return false;
}

bool namesExplorer(std::string_view value) {
  for (std::string piece : splitPrograms(value)) {
    if (!piece.empty() && piece.front() == '"') piece.erase(0, 1);
    if (!piece.empty() && piece.back() == '"') piece.pop_back();
    // fileNamePart knows only the backslash; Windows takes "/" as well.
    // (npos + 1 is 0: no folder, the whole piece.)
    const std::string name = piece.substr(piece.find_last_of("\\/:") + 1);
    if (equalsIgnoreCase(name, "explorer.exe") || equalsIgnoreCase(name, "explorer")) return true;
  }
  return false;
}

std::vector<ProgramPiece> programPieces(std::string_view value) {
  std::vector<ProgramPiece> out;
  std::size_t i = 0;
  while (i < value.size()) {
    if (isSeparator(value[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < value.size() && !isSeparator(value[i])) ++i;
    out.push_back({start, i - start});
  }
  return out;
}

ProgramPlace placeOf(std::string_view value, std::size_t position) {
  const auto pieces = programPieces(value);
  ProgramPlace place;
  const auto text = [&](std::size_t i) { return std::string(value.substr(pieces[i].offset, pieces[i].length)); };
  if (position > 0 && position - 1 < pieces.size()) place.left = text(position - 1);
  if (position + 1 < pieces.size()) place.right = text(position + 1);
  return place;
}

std::string insertProgram(std::string_view value, std::string_view program, const ProgramPlace& place) {
  const auto pieces = programPieces(value);
  const auto text = [&](std::size_t i) { return value.substr(pieces[i].offset, pieces[i].length); };
  // Between piece i-1 and piece i, for i from 0 to the number of pieces.
  for (std::size_t i = 0; i <= pieces.size(); ++i) {
    const bool leftFits = place.left.empty() ? i == 0 : i > 0 && text(i - 1) == place.left;
    const bool rightFits = place.right.empty() ? i == pieces.size() : i < pieces.size() && text(i) == place.right;
    if (!leftFits || !rightFits) continue;
    if (i == pieces.size()) break;  // at the end: the same as appending
    std::string out(value.substr(0, pieces[i].offset));
    out += program;
    out += ',';
    out += value.substr(pieces[i].offset);
    return out;
  }
  return appendProgram(value, program);
}

std::string replaceProgram(std::string_view value, std::string_view program, std::string_view replacement) {
  if (!program.empty()) {
    for (std::size_t pos = value.find(program); pos != std::string_view::npos; pos = value.find(program, pos + 1)) {
      if (!standsWholeAt(value, pos, program.size())) continue;
      std::string out(value.substr(0, pos));
      out += replacement;
      out += value.substr(pos + program.size());
      return out;
    }
  }
  return std::string(value);
}

std::optional<std::size_t> programIndex(std::string_view value, std::string_view program) {
  const auto pieces = programPieces(value);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (value.substr(pieces[i].offset, pieces[i].length) == program) return i;
  }
  return std::nullopt;
}

}  // namespace velmora
