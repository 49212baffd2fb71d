#pragma once
// Program-list values (Load, Run, Userinit): one registry text that names
// several programs, separated by blanks or commas. These are the text rules
// by which such a value is cut into programs and rewritten.
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

// Windows runs Userinit's programs at logon and cannot log a user on when
// userinit.exe is not among them. True when one of the value's programs is
// userinit.exe, with or without a folder or enclosing quotes, in any case.
bool namesUserinit(std::string_view value);

}  // namespace velmora
