#pragma once
// The startup-folder family: the files of the All Users and Current User
// startup folders (as a rule shortcuts), and the disabled ones kept in
// config.xml with an exact copy of each file beside it. A file that Windows'
// own startup settings turned off (startupflags/startup_flags.h, by file
// name with extension) is listed unchecked where it is, and Enable turns it
// on there. A read-only file is listed and handled as any other (Windows
// starts it); hidden and system files are not listed.
//
// The code is split by what it does: the descriptor, the operations' entry
// points and the steps they share (startup_folder_family.cpp), listing, the
// dialogs' content and Open Location (startup_folder_listing.cpp), Add,
// Modify, Remove with Disable and Enable, Undo (startup_folder_add, _modify,
// _remove_enable, _undo).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/registry_port.h"
#include "core/store.h"
#include "family/entry_family.h"
#include "family/families.h"
#include "family/family_support.h"
#include "startupflags/startup_flags.h"
#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora {

class Transaction;

inline constexpr RecordKind kStartupFolderRecords{"disabledstartupfolderitem"};
extern const FamilyTraits kStartupFolderTraits;

// Where Windows keeps the on/off flags of a pane's files: the registry, and
// one key per folder in the pane's order (none: that folder has no flags).
// Without a registry no flag is read or written.
struct FolderFlags {
  RegistryPort* registry = nullptr;
  std::vector<std::optional<FlagKey>> keys;
};

// The flag keys of `folders`: the All Users folder's for the folder that the
// Common Startup value names, the Current User one's for Startup's.
FolderFlags startupFolderFlags(RegistryPort& registry, const std::vector<std::string>& folders);

// The family's descriptor: `registry` names the folders (Shell Folders),
// `folders` and `links` reach their files; disabled files are kept in a
// folder beside config.xml, in `programDirectory`.
FamilyDescriptor startupFolderFamily(RegistryPort& registry, FolderPort& folders, ShellLinkPort& links,
                                     std::string programDirectory, const FamilyContext& context);

class StartupFolderFamily : public EntryFamily {
 public:
  // `folders` in the pane's order, as the node holds them; an empty one lists
  // nothing and refuses every change.
  StartupFolderFamily(std::vector<std::string> folders, FolderPort& files, ShellLinkPort& links,
                      std::string programDirectory, const FamilyContext& context, FolderFlags flags = {});

  const FamilyTraits& traits() const override { return kStartupFolderTraits; }
  // At 96 DPI; Type fits its text in every shipped language.
  int typeColumnWidth() const override { return 110; }
  std::vector<Row> list() override;
  void describe(Row& row) override { support_.describe(row); }
  EntryDialogData dialogData(const EntryRef& entry) const override;
  OperationResult prepareAdd(EntryDialogData& data) override;
  OperationResult prepareModify(const EntryRef& entry, EntryDialogData& data) override;
  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  OperationResult openLocation(const EntryRef& entry) override;

 private:
  // An entry as the operations read it: its name, data and folder.
  struct Entry {
    std::string name;
    std::string data;
    std::string folder;
    RowOrigin origin = RowOrigin::Live;
    bool live() const { return origin != RowOrigin::Record; }
    std::string path() const;
  };

  static Entry entryFrom(const EntryRef& entry);

  // The steps of each operation, run inside it. They never run another
  // operation: that would start its result afresh.
  void removeEntry(const Entry& e);
  bool prepareAddEntry(EntryDialogData& data);
  void addEntry(const EntryDialogData& fields);
  // True when the entry may be modified at all: in its folder, a shortcut
  // (or a record), its file there; otherwise says why.
  bool modifiable(const Entry& e);
  void modifyEntry(const Entry& e, const EntryDialogData& fields);
  bool enableEntry(const Entry& e);
  bool disableEntry(const Entry& e);
  bool reverse(const Change& c);
  void showLocation(const Entry& e);
  // Column 2 of a row whose target is `target`, read from the shortcut (or
  // other file) at `file`: the target and the shortcut's arguments, or the
  // file itself when it is no shortcut; "" when the target says it all.
  std::string shownCommand(const std::string& target, const std::string& file);

  // True when `folder` is one of this pane's non-empty folders.
  bool isOwnFolder(const std::string& folder) const;
  // True when the entry lies in one of this pane's folders and, when a file
  // is to be touched, has a plain file name; otherwise says why.
  bool mayChange(const Entry& e, bool touchesFile);
  // True when `name` may name a file of the folder; otherwise says why.
  bool plainName(const std::string& name);
  // The same rule for the entry dialog, which refuses the name while open.
  [[nodiscard]] EntryCheck nameCheck() const;
  std::string copyPath(const std::string& folder, const std::string& name) const;
  // Where a new Disabled copy of an entry of `folder` goes.
  const std::string& copyFolderFor(const std::string& folder) const;

  // The record a disabled entry stands for, or nothing after saying that it
  // has left config.xml.
  std::optional<StoredItem> recordFor(const std::vector<StoredItem>& items, const Entry& e);
  static bool hasRecordNamed(const std::vector<StoredItem>& items, const std::string& folder,
                             const std::string& name, const std::optional<std::size_t>& except = std::nullopt);

  // The flag key of a pane folder, if Windows keeps flags for it.
  std::optional<FlagKey> flagKeyOf(const std::string& folder) const;
  // Enable of a live file that Windows' settings turned off: its flag is
  // turned on; the file and config.xml stay as they are.
  bool turnOnInWindows(const Entry& e);
  // `flag`, when given, gets Windows' flag of the file that went with it.
  Outcome removeLive(const Entry& e, std::optional<RegValue>* flag = nullptr);
  Outcome removeDisabled(const Entry& e);
  // `replacedCopy` gets the history copy of a file of the new name that the
  // change replaced ("" when none).
  Outcome modifyLive(const Entry& e, const std::string& newName, const std::string& newData,
                     std::string& replacedCopy);
  Outcome modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData);
  // Writes the enabled entry's file from its copy or its target.
  Outcome restoreFile(const Entry& e, bool hasCopy);
  // True when an existing file at `path` may be replaced (asks the user).
  bool mayReplace(const std::string& name, const std::string& path);
  // The path of a copy of a file that a change replaces; null when there
  // was nothing to replace.
  using KeptFile = std::shared_ptr<std::string>;
  // Before a write to `folder`\`name`: keeps the file there (if any) until
  // `tx` commits, so that taking the change back restores it. Failed after
  // telling the user that no copy could be made.
  Outcome keepReplaced(Transaction& tx, const std::string& folder, const std::string& name, KeptFile& kept);
  // After a write to `path` worked: taking it back removes the new file and
  // puts the kept one (if any) back.
  void wrote(Transaction& tx, const std::string& path, const KeptFile& kept);

  void fileFailed(FileStatus status, const char* key, const std::string& path, const std::string& folder);
  // Copies a file into the Disabled folder, which is made when missing.
  FileStatus copyIntoDisabled(const std::string& from, const std::string& to);
  // Says why a file could not be written into the Disabled folder: the
  // program folder refused it for lack of rights, or `key` about `path`.
  void disabledCopyFailed(FileStatus status, const char* key, const std::string& path);
  void linkFailed(LinkStatus status, const std::string& path, const std::string& folder);

  // An exact copy of the file at `path` among the change copies, for a
  // change of `folder` that is about to remove or replace it (kept with
  // the history that will keep the change: the machine's for a folder of
  // all users): the copy's name, or "" when no copies are kept or none
  // could be made.
  std::string keepForHistory(const std::string& path, const std::string& folder);
  // Drops a copy kept for a change of `folder` that did not happen.
  void dropHistoryCopy(const std::string& name, const std::string& folder);
  // The path of the copy `name` a kept change names, with the history that
  // holds the change; "" when no copies are kept or the name is none that
  // the copies could have been given.
  std::string historyCopyPath(const Change& change, const std::string& name) const;
  static EntryState stateOf(const Entry& e);
  // Puts back the file `name` of `folder` that a change replaced and kept
  // under `copyName` among the change copies, when the place is free. False
  // after telling the user when it could not.
  bool restoreReplaced(const Change& change, const std::string& copyName, const std::string& folder,
                       const std::string& name);
  // Whether every name of a change to undo passes the rules of this
  // family's own input: its folder, plain file names, copy names.
  bool undoable(const Change& c) const;
  // Undo, one kind of change each.
  bool undoRemove(const Change& c);
  bool undoAdd(const Change& c);
  bool undoModify(const Change& c);
  // True when the live file is still as `state` says (there, and a shortcut
  // to its target when it has one); otherwise false after telling the user.
  bool fileIs(const std::string& folder, const EntryState& state);
  // The record as `state` says, or nothing after telling the user.
  std::optional<StoredItem> recordIs(const std::string& folder, const EntryState& state);

  std::vector<std::string> folders_;
  FolderPort& files_;
  ShellLinkPort& links_;
  std::string programDirectory_;
  const DataPlaces* places_;
  FamilySupport support_;
  FolderFlags flagKeys_;
  std::optional<StartupFlagSteps> flags_;  // with a registry only
};

}  // namespace velmora
