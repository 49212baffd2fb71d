#pragma once
// What the entry dialog's Browse does with texts: where the open-file
// dialog starts, and how a chosen file goes into the command field.
#include <string>
#include <string_view>

namespace velmora {

// The folder of the program a command line starts, or "" when the command
// names no folder (then the open-file dialog starts where it likes).
std::string commandFolder(std::string_view commandLine);

// A chosen file as a command: in double quotes when it contains a blank, so
// that Windows does not take the part after the blank for arguments.
std::string commandForFile(std::string_view path);

}  // namespace velmora
