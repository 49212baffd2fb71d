#pragma once
// "The program file" of a row: the file a command line starts, found the way
// Windows finds it, so the pane can say who made it or that it is missing.
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// What the resolution needs of Windows. Every answer is about the machine
// as it is now; nothing is cached here.
class ProgramFileLookup {
 public:
  ProgramFileLookup() = default;
  ProgramFileLookup(const ProgramFileLookup&) = delete;
  ProgramFileLookup& operator=(const ProgramFileLookup&) = delete;
  virtual ~ProgramFileLookup() = default;

  // The text with its environment references (%NAME%) expanded; unchanged
  // when that fails.
  [[nodiscard]] virtual std::string expand(const std::string& text) = 0;
  // Whether an existing file (not a folder) has this full path: one
  // attribute look-up.
  [[nodiscard]] virtual bool isFile(const std::string& path) = 0;
  // A bare file name on the search path (".exe" added when it has no
  // extension), then under App Paths; nothing when neither has it.
  [[nodiscard]] virtual std::optional<std::string> findBareName(const std::string& name) = 0;
  // The CompanyName of the file's version resource (first translation),
  // empty when there is none.
  [[nodiscard]] virtual std::string companyName(const std::string& path) = 0;
  // Whether the file lies on a fixed drive of this computer, not on a
  // network, removable or unknown one.
  [[nodiscard]] virtual bool isLocal(const std::string& path) {
    (void)path;
    return true;
  }
  // Whether Windows starts a file of this extension (".exe", ".txt"): a
  // program's own, or one with a program registered to open it.
  [[nodiscard]] virtual bool opensByExtension(const std::string& extension) = 0;
};

struct ProgramFile {
  std::string path;    // the file, or the best guess at it when missing
  bool found = false;  // false also for an empty command line (path empty)
  // An unquoted path with a blank, where a shorter prefix names a file that
  // Windows starts instead of a longer one that exists too (C:\Program.exe
  // before C:\Program Files\...): whoever may write there can take it over.
  bool hijackable = false;
};

// The program file of a command line: environment references expanded, then
// the quoted first part, or else, as CreateProcess does, the shortest prefix
// ended by a blank (or the end) that names an existing file, ".exe" added
// when the prefix's file name has no extension. A first part without a
// folder is a bare name, looked up on the search path and under App Paths.
// Unquoted, the longer prefixes are looked up too, to tell `hijackable`.
ProgramFile resolveProgramFile(std::string_view commandLine, ProgramFileLookup& lookup);

}  // namespace velmora
