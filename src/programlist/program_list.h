#pragma once
// Program-list values (Load, Run, Userinit, Shell): one registry text that names
// several programs, separated by blanks or commas. These are the text rules
// by which such a value is cut into programs and rewritten.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Cuts `text` at the earliest occurrence of any separator; where two
// separators are found at the same place, the one later in the list wins.
// With skipEmpty, empty pieces are dropped.
std::vector<std::string> splitList(std::string_view text, const std::vector<std::string_view>& separators,
                                   bool skipEmpty);

// The programs of a value: split at " " and ",", empty pieces skipped. No
// trimming or unquoting: a blank inside a path or inside quotes separates.
std::vector<std::string> splitPrograms(std::string_view value);

// True when `program` stands whole in the value: bounded on each side by the
// value's start or end, a blank or a comma. "a.exe" does not stand whole in
// "aa.exe".
bool containsProgram(std::string_view value, std::string_view program);

// Removes commas and blanks at both ends.
std::string trimProgramList(std::string_view value);

// Deletes every whole occurrence of `program`, then tidies the separators
// left behind: "  " -> ",", ",," -> ",", ", " -> ",", " ," -> ",", each
// one left-to-right pass, and trims both ends.
std::string deleteProgram(std::string_view value, std::string_view program);

// value + "," + program, trimmed at both ends only: separators inside the
// old value are left as they were.
std::string appendProgram(std::string_view value, std::string_view program);

// Where each program of a value starts and how long it is (the pieces of
// splitPrograms).
struct ProgramPiece {
  std::size_t offset;
  std::size_t length;
};
std::vector<ProgramPiece> programPieces(std::string_view value);

// The program at `position` of `value`, and its neighbours there (empty at
// the value's start or end).
struct ProgramPlace {
  std::string left;
  std::string right;
};
ProgramPlace placeOf(std::string_view value, std::size_t position);

// Puts `program` back between the neighbours of `place` when they still
// stand next to each other in `value` (at its start or end when a
// neighbour is empty); otherwise appends it.
std::string insertProgram(std::string_view value, std::string_view program, const ProgramPlace& place);

// Replaces the first whole occurrence of `program` with `replacement`,
// leaving every separator as it was; the value as it was when there is none.
std::string replaceProgram(std::string_view value, std::string_view program, std::string_view replacement);

// The index of the first piece equal to `program`, if any.
std::optional<std::size_t> programIndex(std::string_view value, std::string_view program);

// Windows runs Userinit's programs at logon and cannot log a user on when
// userinit.exe is not among them. True when one of the value's programs is
// userinit.exe, with or without a folder or enclosing quotes, in any case.
bool namesUserinit(std::string_view value);

// Windows starts the machine's Shell value as the desktop. True when one of
// the value's programs is explorer.exe as Windows finds it: by its file name
// in any case, with or without a folder (either slash), enclosing quotes or
// the ".exe" that the search adds.
bool namesExplorer(std::string_view value);

}  // namespace velmora
