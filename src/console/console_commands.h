#pragma once
// velmorac's commands over the engine the window uses (the families, the
// store, the commit) and what the console needs of Windows besides
// (ConsoleHost). Data goes to standard output (or the /out file), every
// message to standard error, and the result is the exit code.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/baseline.h"
#include "console/command_line.h"
#include "console/console_listing.h"
#include "console/console_prompt.h"
#include "console/switch_entries.h"
#include "history/change_commit.h"

namespace velmora {

class SignatureMemory;

class ConsoleHost {
 public:
  ConsoleHost() = default;
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;
  virtual ~ConsoleHost() = default;

  // The data asked for, to standard output.
  virtual void writeData(std::string_view text) = 0;
  // Whether standard output is a file (not a console or a pipe): a CSV
  // written there starts with a byte-order mark, as an /out file does.
  [[nodiscard]] virtual bool dataIsFile() = 0;
  // One message, to standard error (a line end follows).
  virtual void writeMessage(std::string_view text) = 0;
  // Writes a whole file atomically; false when it could not.
  [[nodiscard]] virtual bool writeFile(const std::string& path, std::string_view bytes) = 0;
  [[nodiscard]] virtual std::optional<std::string> readFile(const std::string& path) = 0;
  // The records of the XML listing at `path` (XmlListingReader).
  [[nodiscard]] virtual std::optional<std::vector<XmlFields>> readXmlListing(const std::string& path) = 0;
  [[nodiscard]] virtual std::string machine() = 0;
  [[nodiscard]] virtual std::string user() = 0;
  [[nodiscard]] virtual std::chrono::system_clock::time_point now() = 0;
  // The folders ids name by their environment variable (placeForId).
  [[nodiscard]] virtual std::vector<FolderName> folderNames() = 0;
  // The SHA-256 of a file in lower-case hexadecimal; nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<std::string> sha256(const std::string& path) = 0;
  // Whether the user asked to stop (Ctrl+C) while changes are made.
  [[nodiscard]] virtual bool stopAsked() { return false; }
};

// The engine: the same families, store and commit as the window's.
struct ConsoleEngine {
  const FamilyTable& families;
  ChangeCommit& commit;
  const Translator& translator;
  SignatureMemory* signatures = nullptr;
  RecordFiles* records = nullptr;
};

// ISO 8601 in UTC, to the second ("2026-12-08T14:25:03Z").
std::string isoUtc(std::chrono::system_clock::time_point time);

// The usage text, translated.
std::string consoleUsage(const Translator& translator);

// Runs a parsed command (not Help). `prompt` and `rights` are the ones the
// engine's families were given.
int runConsoleCommand(const ConsoleCommand& command, ConsoleEngine& engine, ConsoleHost& host, ConsolePrompt& prompt,
                      ConsoleRights& rights);

}  // namespace velmora
