#pragma once
// The startup-folder family: the files of the All Users and Current User
// startup folders (as a rule shortcuts), and the disabled ones kept in
// config.xml with an exact copy of each file beside it.
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"
#include "pane/entry_family.h"
#include "pane/family_support.h"
#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora {

class StartupFolderPane : public EntryFamily {
 public:
  // `folders` in the pane's order, as the node holds them; an empty one lists
  // nothing and refuses every change. The services must carry the folder and
  // shell-link ports.
  StartupFolderPane(std::vector<std::string> folders, const FamilyServices& services, UserPrompt& prompt);

  ColumnWidths columnWidths() const override { return {200, 80, 350, 350}; }
  void fill(EntryList& list) override;
  void remove(EntryList& list) override;
  void add(EntryList& list) override;
  void modify(EntryList& list) override;
  void property(EntryList& list) override;
  bool enable(EntryList& list, int row) override;
  bool disable(EntryList& list, int row) override;

 private:
  // A row read back: name, data and folder (columns 0, 2, 3).
  struct Entry {
    std::string name;
    std::string data;
    std::string folder;
    bool live = true;
    std::string path() const;
  };

  static Entry entryOf(const Row& row);
  // The selected row's index when its entry may be changed; otherwise -1,
  // after saying why.
  int selectedEntry(const EntryList& list, Entry& e);
  // True when the entry lies in one of this pane's (non-empty) folders and,
  // when a file is to be touched, has a plain file name; otherwise says why.
  bool mayChange(const Entry& e, bool touchesFile);
  // True when `name` may name a file of the folder; otherwise says why.
  bool plainName(const std::string& name);
  std::string copyPath(const std::string& folder, const std::string& name) const;

  // The record a disabled entry stands for, or nothing after saying that it
  // has left config.xml.
  std::optional<StoredItem> recordFor(const std::vector<StoredItem>& items, const Entry& e);
  static bool hasRecordNamed(const std::vector<StoredItem>& items, const std::string& folder,
                             const std::string& name, const std::optional<std::size_t>& except = std::nullopt);

  bool removeLive(const Entry& e);
  bool removeDisabled(const Entry& e);
  bool modifyLive(const Entry& e, const std::string& newName, const std::string& newData);
  bool modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData);
  // True when an existing file at `path` may be replaced (asks the user).
  bool mayReplace(const std::string& name, const std::string& path);

  void fileFailed(FileStatus status, const char* key, const std::string& path, const std::string& folder);
  void linkFailed(LinkStatus status, const std::string& path, const std::string& folder);

  std::vector<std::string> folders_;
  FamilySupport support_;
  FolderPort& files_;
  ShellLinkPort& links_;
  std::string programDirectory_;
};

}  // namespace velmora
