#pragma once
// The file-system operations the startup-folder family needs. The Win32
// adapter calls the W functions; the native tests use an in-memory folder
// tree with injectable failures.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Attribute bits as the file system reports them.
constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrHidden = 0x2;
constexpr std::uint32_t kAttrSystem = 0x4;
constexpr std::uint32_t kAttrDirectory = 0x10;

enum class FileStatus {
  Ok,
  NotFound,      // the file or its folder does not exist
  AccessDenied,  // the user may not change it (or the folder it goes into)
  InUse,         // another program holds it open
  Exists,        // the target exists and was not to be replaced
  InvalidName,   // the file system refuses the name
  Failed,        // anything else
};

// What a copy or move does when its target exists.
enum class IfExists { Fail, Replace };
enum class Visibility { Shown, Hidden };

struct FolderEntry {
  std::string name;  // as the file system gives it
  std::uint32_t attributes = 0;
  // When the file came or was last written there, whichever is later, UTC
  // "YYYY-MM-DDTHH:MM:SSZ" (a copied file keeps its write time but comes
  // new); empty where the port keeps no times.
  std::string written = {};
};

// Every call leaves its output untouched unless it returns Ok. A read-only
// file is removed and replaced as any other (the port clears the bit
// itself); a copy or a move keeps its source's attributes.
class FolderPort {
 public:
  FolderPort() = default;
  FolderPort(const FolderPort&) = delete;
  FolderPort& operator=(const FolderPort&) = delete;
  virtual ~FolderPort() = default;

  // Every entry of the folder in the file system's order, subfolders (and
  // "." and "..") included; on Ok `out` holds only those.
  [[nodiscard]] virtual FileStatus list(const std::string& folder, std::vector<FolderEntry>& out) = 0;
  // True when a file or folder of that path exists.
  virtual bool exists(const std::string& path) = 0;
  [[nodiscard]] virtual FileStatus removeFile(const std::string& path) = 0;
  // A byte-for-byte copy that is on disk when Ok is returned. An existing
  // `to` is replaced only with IfExists::Replace (otherwise Exists).
  [[nodiscard]] virtual FileStatus copyFile(const std::string& from, const std::string& to, IfExists ifExists) = 0;
  // Moves a file, across volumes too; on disk when Ok is returned. The file
  // keeps its attributes.
  [[nodiscard]] virtual FileStatus moveFile(const std::string& from, const std::string& to, IfExists ifExists) = 0;
  // Sets or clears a file's hidden attribute and keeps the others.
  [[nodiscard]] virtual FileStatus setVisibility(const std::string& path, Visibility visibility) = 0;
  // Creates the folder and any missing parents; Ok when it already exists.
  [[nodiscard]] virtual FileStatus makeFolder(const std::string& path) = 0;
};

}  // namespace velmora
