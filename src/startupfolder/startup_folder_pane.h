#pragma once
// The startup-folder family: the files of the All Users and Current User
// startup folders (as a rule shortcuts), and the disabled ones kept in
// config.xml with an exact copy of each file beside it.
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"
#include "pane/entry_family.h"
#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora {

class OperationLog;
class Translator;
class UserPrompt;
struct FamilyServices;

class StartupFolderPane : public EntryFamily {
 public:
  // `folders` in the pane's order, as the node holds them; an empty one lists
  // nothing and refuses every change. The services must carry the folder and
  // shell-link ports.
  StartupFolderPane(std::vector<std::string> folders, FamilyServices& services, UserPrompt& prompt);

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

  Entry entryAt(const EntryList& list, int row) const;
  // True when the entry lies in one of this pane's (non-empty) folders and,
  // when a file is to be touched, has a plain file name; otherwise says why.
  bool mayChange(const Entry& e, bool touchesFile);
  std::string copyPath(const std::string& folder, const std::string& name) const;

  // The startup-folder items of the store; says why and gives nothing when
  // the store cannot be read.
  std::optional<std::vector<StoredItem>> items();
  static std::optional<StoredItem> findEntry(const std::vector<StoredItem>& items, const Entry& e);
  static bool hasRecordNamed(const std::vector<StoredItem>& items, const std::string& folder,
                             const std::string& name, const std::optional<std::size_t>& except = std::nullopt);

  bool removeLive(const Entry& e);
  bool removeDisabled(const Entry& e);
  bool modifyLive(const Entry& e, const std::string& newName, const std::string& newData);
  bool modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData);
  // True when an existing file at `path` may be replaced (asks the user).
  bool mayReplace(const std::string& name, const std::string& path);

  void say(const char* key, const std::vector<std::string>& values = {});
  void storeFailed(StoreStatus status);
  void fileFailed(FileStatus status, const char* key, const std::string& path, const std::string& folder);
  void linkFailed(LinkStatus status, const std::string& path, const std::string& folder);
  std::string typeText() const;

  std::vector<std::string> folders_;
  DisabledEntryStore& store_;
  OperationLog& log_;
  const Translator& translator_;
  FolderPort& files_;
  ShellLinkPort& links_;
  std::string programDirectory_;
  UserPrompt& prompt_;
};

}  // namespace velmora
