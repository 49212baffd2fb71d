#pragma once
// velmorac's command line: a command and its switches. Switches start with
// "/" or "-" ("--" too), ignore case, and take their value as the next
// argument or after ":" or "=" ("/format:json").
#include <optional>
#include <string>
#include <vector>

#include "console/output_formats.h"

namespace velmora {

enum class ConsoleVerb { Help, List, Compare, Disable, Enable };

struct ConsoleCommand {
  ConsoleVerb verb = ConsoleVerb::Help;
  OutputFormat format = OutputFormat::Csv;
  std::optional<std::string> out;
  std::optional<std::string> place;
  // list: which entries (/only-on, /only-off, /only-new, /hide-windows) and
  // whether to hash program files (/hash).
  bool onlyOn = false;
  bool onlyOff = false;
  bool onlyNew = false;
  bool hideWindows = false;
  bool hash = false;
  // compare
  std::string baseline;
  bool ignoreWindows = false;
  // disable and enable
  std::vector<std::string> ids;
  bool whatIf = false;
};

// Why a command line was refused: a language key, filled with `value`.
struct CommandLineError {
  std::string key;
  std::string value;
};

struct ParsedCommandLine {
  ConsoleCommand command;
  std::optional<CommandLineError> error;
};

// `arguments` without the program's name. No arguments, "help", "/?" and
// "/help" ask for the usage.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace velmora
