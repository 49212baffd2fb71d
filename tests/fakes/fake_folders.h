#pragma once
// An in-memory folder tree and shell links kept as files of it, with the
// real adapters' failure modes: missing folders, names the file system
// refuses, files that cannot be deleted and folders that refuse writes.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora::testing {

class FakeFolders : public FolderPort {
 public:
  [[nodiscard]] FileStatus list(const std::string& folder, std::vector<FolderEntry>& out) override;
  bool exists(const std::string& path) override;
  [[nodiscard]] FileStatus removeFile(const std::string& path) override;
  [[nodiscard]] FileStatus copyFile(const std::string& from, const std::string& to, IfExists ifExists) override;
  [[nodiscard]] FileStatus moveFile(const std::string& from, const std::string& to, IfExists ifExists) override;
  [[nodiscard]] FileStatus setVisibility(const std::string& path, Visibility visibility) override;
  [[nodiscard]] FileStatus makeFolder(const std::string& path) override;

  // Set-up and inspection; paths are compared without regard to case.
  // reset() empties everything (a port cannot be copied).
  void reset() {
    folders_.clear();
    order_.clear();
    denyDelete_.clear();
    denyWrites_.clear();
    denyAttributes_.clear();
    refusedCharacters = "?*<>|\"";
    deletions = writes = 0;
  }
  void addFolder(const std::string& path);  // parents too
  void put(const std::string& path, const std::string& bytes, std::uint32_t attributes = 0);
  bool hasFile(const std::string& path) const;
  std::string bytes(const std::string& path) const;  // empty when missing
  std::vector<std::string> files() const;            // every file path, in creation order
  std::vector<std::string> filesIn(const std::string& folder) const;  // names
  std::uint32_t attributes(const std::string& path) const;           // 0 when missing

  // Writes a file as the adapters do: fails for a missing folder, a refused
  // name or a folder that refuses writes, and will not write over a hidden
  // or system file (as CopyFile and CreateFile's CREATE_ALWAYS refuse to); a
  // read-only one is replaced, as the adapter clears its mark.
  [[nodiscard]] FileStatus write(const std::string& path, const std::string& bytes, bool replace);

  // Fault injection.
  void denyDelete(const std::string& path) { denyDelete_.insert(fold(path)); }
  void denyWrites(const std::string& folder) { denyWrites_.insert(fold(folder)); }
  void denyAttributes(const std::string& path) { denyAttributes_.insert(fold(path)); }
  std::string refusedCharacters = "?*<>|\"";  // in a name, as Windows refuses them

  int deletions = 0;
  int writes = 0;

 private:
  struct Entry {
    std::string name;
    bool folder = false;
    std::string bytes;
    std::uint32_t attributes = 0;
  };
  static std::string fold(const std::string& path);
  static std::string parentOf(const std::string& path);
  static std::string nameOf(const std::string& path);
  Entry* find(const std::string& path);
  const Entry* find(const std::string& path) const;

  // folded folder path -> entries in creation order
  std::map<std::string, std::vector<Entry>> folders_;
  std::vector<std::string> order_;  // folded file paths, creation order
  // Writes without the hidden check: a move replaces whatever is there.
  [[nodiscard]] FileStatus place(const std::string& path, const std::string& bytes, bool replace, bool overHidden);

  std::set<std::string> denyDelete_, denyWrites_, denyAttributes_;
};

// Links are files whose bytes begin with a marker, then the target, a zero,
// and the other fields as free text (tests put "args=..." there).
class FakeShellLinks : public ShellLinkPort {
 public:
  explicit FakeShellLinks(FakeFolders& folders) : folders_(folders) {}
  [[nodiscard]] LinkStatus resolve(const std::string& link, std::string& target) override;
  // The fields after the target, up to the next zero.
  [[nodiscard]] LinkStatus arguments(const std::string& link, std::string& args) override;
  [[nodiscard]] LinkStatus create(const std::string& target, const std::string& link) override;
  [[nodiscard]] LinkStatus retarget(const std::string& source, const std::string& target, const std::string& link) override;

  static std::string linkBytes(const std::string& target, const std::string& otherFields = "");
  bool unavailable = false;  // no shell-link object at all

 private:
  [[nodiscard]] LinkStatus write(const std::string& link, const std::string& bytes);
  FakeFolders& folders_;
};

}  // namespace velmora::testing
