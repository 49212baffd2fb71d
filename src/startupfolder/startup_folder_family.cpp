#include "startupfolder/startup_folder_family.h"

#include <algorithm>

#include "core/text.h"
#include "pane/change_log.h"
#include "pane/prompt.h"
#include "pane/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

// Disable records the folder without its trailing backslash, so a folder
// held with one must still find its records.
const FamilyTraits kStartupFolderTraits{kStartupFolderRecords, LogKeys{"1"}, "_StartupFolderType", &sameFolder};

FamilyDescriptor startupFolderFamily(RegistryPort& registry, FolderPort& folders, ShellLinkPort& links,
                                     std::string programDirectory, const FamilyContext& context) {
  return FamilyDescriptor{
      "startupfolder", kStartupFolderTraits,
      [&registry](const std::vector<std::string_view>& valueNames) { return readStartupFolders(registry, valueNames); },
      [&folders, &links, programDirectory = std::move(programDirectory), &context](
          std::vector<std::string> locations, UserPrompt& prompt) -> std::unique_ptr<EntryFamily> {
        return std::make_unique<StartupFolderFamily>(std::move(locations), folders, links, programDirectory, context,
                                                     prompt);
      }};
}

StartupFolderFamily::StartupFolderFamily(std::vector<std::string> folders, FolderPort& files, ShellLinkPort& links,
                                         std::string programDirectory, const FamilyContext& context,
                                         UserPrompt& prompt)
    : folders_(std::move(folders)),
      files_(files),
      links_(links),
      programDirectory_(std::move(programDirectory)),
      support_(context, prompt, kStartupFolderTraits) {}

std::string StartupFolderFamily::Entry::path() const { return entryPath(folder, name); }

StartupFolderFamily::Entry StartupFolderFamily::entryOf(const Row& row) {
  return Entry{row.name, row.data, row.path, row.state != RowState::Disabled};
}

std::string StartupFolderFamily::copyPath(const std::string& folder, const std::string& name) const {
  return disabledCopyPath(programDirectory_, folder, name);
}
void StartupFolderFamily::fileFailed(FileStatus status, const char* key, const std::string& path,
                                   const std::string& folder) {
  if (status == FileStatus::AccessDenied) {
    support_.tell("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else if (status == FileStatus::NotFound) {
    support_.tell("_StartupFileMissing", {path});
  } else {
    support_.tell(key, {path});
  }
}

void StartupFolderFamily::linkFailed(LinkStatus status, const std::string& path, const std::string& folder) {
  if (status == LinkStatus::AccessDenied) {
    support_.tell("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else {
    support_.tell("_StartupWriteFailed", {path});
  }
}

bool StartupFolderFamily::mayChange(const Entry& e, bool touchesFile) {
  const bool ours = !withoutTrailingBackslash(e.folder).empty() &&
                    std::any_of(folders_.begin(), folders_.end(), [&](const std::string& f) {
                      return !withoutTrailingBackslash(f).empty() && sameFolder(f, e.folder);
                    });
  if (!ours) {
    support_.tell("_StartupFolderUnknown");
    return false;
  }
  // A record edited by hand could name a file elsewhere; such a name is
  // never used to touch a file, but the record itself may still be removed.
  return !touchesFile || plainName(e.name);
}

bool StartupFolderFamily::plainName(const std::string& name) {
  if (isPlainFileName(name)) return true;
  support_.tell("_StartupInvalidName", {name});
  return false;
}

std::optional<StoredItem> StartupFolderFamily::recordFor(const std::vector<StoredItem>& items, const Entry& e) {
  return support_.requireRecord(items, DisabledItem{e.folder, e.name, e.data});
}

bool StartupFolderFamily::hasRecordNamed(const std::vector<StoredItem>& items, const std::string& folder,
                                       const std::string& name, const std::optional<std::size_t>& except) {
  return std::any_of(items.begin(), items.end(), [&](const StoredItem& s) {
    return (!except || s.ordinal != *except) && sameFolder(s.item.path, folder) &&
           equalsIgnoreCase(s.item.valuename, name);
  });
}

bool StartupFolderFamily::mayReplace(const std::string& name, const std::string& path) {
  if (!files_.exists(path)) return true;
  return support_.ask("_StartupFileExists", {name});
}


bool StartupFolderFamily::keepReplaced(Transaction& tx, const std::string& folder, const std::string& name,
                                       std::string& kept) {
  kept.clear();
  const std::string path = entryPath(folder, name);
  if (!files_.exists(path)) return true;
  const std::string copy = replacedCopyPath(programDirectory_, folder, name);
  if (files_.makeFolder(disabledCopyFolder(programDirectory_)) != FileStatus::Ok ||
      files_.copyFile(path, copy, IfExists::Replace) != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    support_.tell("_StartupKeepFailed", {path});
    return false;
  }
  kept = copy;
  // The copy goes when the change is over, whichever way it ends.
  tx.undoWith([this, copy] {
    (void)files_.removeFile(copy);
    return true;
  });
  tx.onCommit([this, copy] { (void)files_.removeFile(copy); });
  return true;
}

void StartupFolderFamily::wrote(Transaction& tx, const std::string& path, const std::string& kept) {
  tx.undoWith([this, path, kept] {
    const FileStatus removed = files_.removeFile(path);
    if (removed != FileStatus::Ok && removed != FileStatus::NotFound) return false;
    return kept.empty() || files_.copyFile(kept, path, IfExists::Fail) == FileStatus::Ok;
  });
}

void StartupFolderFamily::fill(EntryList& list) {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();
  std::vector<Row> rows;
  for (const auto& folder : folders_) {
    // An unknown folder must not turn into the current drive's root.
    if (withoutTrailingBackslash(folder).empty()) continue;
    support_.addDisabledRows(rows, stored, folder, type);
    for (const auto& file : folderScan(files_, folder)) {
      // The scanned folder without its trailing backslash: what DirectoryPart
      // gives for a drive path, and still right for a redirected (UNC) folder.
      rows.push_back(Row{file.name, type, resolveShortcut(links_, file.fullPath).value_or(""),
                         withoutTrailingBackslash(folder), RowState::Live});
    }
  }
  list.setRows(rows);
}

bool StartupFolderFamily::changeable(const EntryList& list, int index, Entry& e) {
  if (!FamilySupport::isRow(list, index)) return false;
  e = entryOf(list.row(index));
  return mayChange(e, e.live);
}

void StartupFolderFamily::remove(EntryList& list, int index) {
  Entry e;
  if (!changeable(list, index, e)) return;
  if (!support_.confirmRemove(e.data)) return;
  if (e.live ? removeLive(e) : removeDisabled(e)) {
    support_.log(LogOperation::Remove, {e.path()});
  }
  fill(list);
  FamilySupport::reselect(list, index);
}

bool StartupFolderFamily::removeLive(const Entry& e) {
  const FileStatus status = files_.removeFile(e.path());
  if (status != FileStatus::Ok) {
    fileFailed(status, "_StartupDeleteFailed", e.path(), e.folder);
    return false;
  }
  return true;
}

bool StartupFolderFamily::removeDisabled(const Entry& e) {
  const auto stored = support_.records();
  if (!stored) return false;
  // A record that has left config.xml already leaves nothing to remove.
  const auto found = support_.findRecord(*stored, DisabledItem{e.folder, e.name, e.data});
  if (!found || support_.removeRecord(*found) != Outcome::Done) return false;
  // The copy goes with the last record of its name; a leftover copy would
  // only be replaced by the next Disable of that name.
  if (!hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copyPath(e.folder, e.name));
  }
  return true;
}

void StartupFolderFamily::add(EntryList& list) {
  if (folders_.empty()) return;
  const std::string& folder = folders_.front();
  if (withoutTrailingBackslash(folder).empty()) {
    support_.tell("_StartupFolderUnknown");
    return;
  }
  EntryDialogData data = support_.dialogData(folder);
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;
  if (!plainName(data.name)) return;
  const std::string name = ensureExtension(data.name, "lnk");
  const std::string link = entryPath(folder, name);
  if (!mayReplace(name, link)) return;
  const LinkStatus status = links_.create(data.path, link);
  if (status != LinkStatus::Ok) {
    linkFailed(status, link, folder);
  } else {
    support_.log(LogOperation::Add, {link});
  }
  fill(list);
}

void StartupFolderFamily::modify(EntryList& list, int index) {
  Entry e;
  if (!changeable(list, index, e)) return;

  // Only a shortcut has a target to change: a program or batch file placed
  // in the folder would be lost if it were rewritten as a shortcut.
  std::string ignored;
  const std::string copy = copyPath(e.folder, e.name);
  const LinkStatus kind = e.live ? links_.resolve(e.path(), ignored)
                                 : (files_.exists(copy) ? links_.resolve(copy, ignored) : LinkStatus::Ok);
  if (kind == LinkStatus::NotFound) {
    support_.tell("_StartupFileMissing", {e.path()});
    return;
  }
  if (kind != LinkStatus::Ok) {
    support_.tell("_StartupNotAShortcut", {e.name});
    return;
  }

  EntryDialogData data = support_.dialogData(list.row(index));
  if (!support_.prompt().entryDialog(EntryDialogKind::Modify, data)) return;
  if (!plainName(data.name)) return;
  const bool done = e.live ? modifyLive(e, data.name, data.path) : modifyDisabled(e, data.name, data.path);
  if (done) {
    support_.log(LogOperation::Modify, {e.path(), entryPath(e.folder, data.name), data.path});
  }
  fill(list);
}

bool StartupFolderFamily::modifyLive(const Entry& e, const std::string& newName, const std::string& newData) {
  const std::string oldPath = e.path();
  const std::string newPath = entryPath(e.folder, newName);
  const bool sameFile = equalsIgnoreCase(e.name, newName);
  if (!sameFile && !mayReplace(newName, newPath)) return false;

  // The new shortcut is written beside the old one and moved into place, so
  // the old file is given up only once its successor is whole. Arguments,
  // working folder and icon stay: the dialog changes only name and target.
  // The staged file is hidden until it is in place: were Velmora stopped in
  // between, Windows would otherwise open it at logon and the list show it.
  const std::string staged = newPath + ".velmora-new";
  // One left behind that way would refuse the write, being hidden.
  (void)files_.removeFile(staged);
  Transaction tx(support_, e.name);
  const LinkStatus written = links_.retarget(oldPath, newData, staged);
  if (written != LinkStatus::Ok) {
    (void)files_.removeFile(staged);
    linkFailed(written, newPath, e.folder);
    return false;
  }
  wrote(tx, staged, {});
  // The file the new one replaces (the old one itself under the same name)
  // is kept until the change stands.
  std::string kept;
  if (!keepReplaced(tx, e.folder, newName, kept)) return false;
  const FileStatus hidden = files_.setVisibility(staged, Visibility::Hidden);
  const FileStatus placed = hidden == FileStatus::Ok ? files_.moveFile(staged, newPath, IfExists::Replace) : hidden;
  if (placed != FileStatus::Ok) {
    tx.fail([&] {
      fileFailed(placed == FileStatus::NotFound ? FileStatus::Failed : placed, "_StartupWriteFailed", newPath,
                 e.folder);
    });
    return false;
  }
  wrote(tx, newPath, kept);
  // The attribute came along with the move. Hidden, the new file would be
  // an entry the user cannot see: the change is taken back.
  if (files_.setVisibility(newPath, Visibility::Shown) != FileStatus::Ok) {
    tx.fail("_StartupWriteFailed", {newPath});
    return false;
  }
  if (!sameFile) {
    const FileStatus removed = files_.removeFile(oldPath);
    if (removed != FileStatus::Ok) {
      // Both would now be live; take the new one back so the change is all or nothing.
      tx.fail([&] { fileFailed(removed, "_StartupDeleteFailed", oldPath, e.folder); });
      return false;
    }
  }
  tx.commit();
  return true;
}

bool StartupFolderFamily::modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData) {
  const auto stored = support_.records();
  if (!stored) return false;
  const auto found = recordFor(*stored, e);
  if (!found) return false;
  const bool renamed = !equalsIgnoreCase(e.name, newName);
  if (renamed && hasRecordNamed(*stored, e.folder, newName)) {
    support_.tell("_StartupAlreadyDisabled", {newName});
    return false;
  }
  // The copy is keyed by name, so it follows a new name; its target is set
  // from the record when Enable puts it back.
  const std::string oldCopy = copyPath(e.folder, e.name);
  const std::string newCopy = copyPath(e.folder, newName);
  Transaction tx(support_, e.name);
  if (renamed && files_.exists(oldCopy)) {
    if (files_.moveFile(oldCopy, newCopy, IfExists::Replace) != FileStatus::Ok) {
      support_.tell("_StartupCopyFailed", {e.path()});
      return false;
    }
    tx.undoWith([this, oldCopy, newCopy] {
      return files_.moveFile(newCopy, oldCopy, IfExists::Replace) == FileStatus::Ok;
    });
  }
  const Outcome updated = support_.updateRecord(*found, newName, newData);
  if (updated != Outcome::Done) {
    (void)tx.rollBack();
    if (updated == Outcome::Stale) support_.tellRecordGone();
    return false;
  }
  tx.commit();
  return true;
}

void StartupFolderFamily::property(EntryList& list, int index) { support_.showProperty(list, index); }

bool StartupFolderFamily::disable(EntryList& list, int row) {
  if (!FamilySupport::isRow(list, row)) return false;
  const Entry e = entryOf(list.row(row));
  if (!mayChange(e, true)) return false;
  const std::string path = e.path();
  if (!files_.exists(path)) {
    support_.tell("_StartupFileMissing", {path});
    return false;
  }
  const auto stored = support_.records();
  if (!stored) return false;
  // One copy per folder and name: a second disabled entry of the same name
  // would overwrite the first one's copy.
  if (hasRecordNamed(*stored, e.folder, e.name)) {
    support_.tell("_StartupAlreadyDisabled", {e.name});
    return false;
  }

  // The copy and the record are on disk before the file goes; a failure on
  // the way takes back what was done.
  const std::string copy = copyPath(e.folder, e.name);
  if (files_.makeFolder(disabledCopyFolder(programDirectory_)) != FileStatus::Ok ||
      files_.copyFile(path, copy, IfExists::Replace) != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    support_.tell("_StartupCopyFailed", {path});
    return false;
  }
  const DisabledItem record{withoutTrailingBackslash(e.folder), e.name, e.data};
  if (support_.addRecord(record) != Outcome::Done) {
    (void)files_.removeFile(copy);
    return false;
  }
  Transaction tx(support_, e.name);
  // The copy belongs to the record: it goes only when the record could go.
  tx.undoWith([this, record, copy] {
    if (!support_.takeBackRecord(record)) return false;
    (void)files_.removeFile(copy);
    return true;
  });
  const FileStatus removed = files_.removeFile(path);
  if (removed != FileStatus::Ok) {
    // The file stays live, so the record and the copy must go again.
    tx.fail([&] { fileFailed(removed, "_StartupDeleteFailed", path, e.folder); });
    return false;
  }
  tx.commit();
  support_.log(LogOperation::Disable, {path});
  return true;
}

bool StartupFolderFamily::enable(EntryList& list, int row) {
  if (!FamilySupport::isRow(list, row)) return false;
  const Entry e = entryOf(list.row(row));
  if (!mayChange(e, true)) return false;
  const auto stored = support_.records();
  if (!stored) return false;
  const auto found = recordFor(*stored, e);
  if (!found) return false;
  const std::string path = e.path();
  const std::string copy = copyPath(e.folder, e.name);
  const bool hasCopy = files_.exists(copy);
  if (!hasCopy && e.data.empty()) {
    support_.tell("_StartupNothingToRestore", {e.name});
    return false;
  }
  if (!mayReplace(e.name, path)) return false;

  Transaction tx(support_, e.name);
  std::string kept;
  if (!keepReplaced(tx, e.folder, e.name, kept)) return false;
  if (!restoreFile(e, hasCopy)) return false;
  wrote(tx, path, kept);

  const StoreStatus removed = support_.removeEnabledRecord(*found);
  if (removed != StoreStatus::Ok) {
    tx.fail([&] { support_.tellStoreProblem(removed); });
    return false;
  }
  tx.commit();
  if (hasCopy && !hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copy);
  }
  support_.log(LogOperation::Enable, {path});
  return true;
}

bool StartupFolderFamily::restoreFile(const Entry& e, bool hasCopy) {
  const std::string path = e.path();
  if (!hasCopy) {
    // A record kept by an older version has only the target to go on.
    const LinkStatus status = links_.create(e.data, path);
    if (status != LinkStatus::Ok) linkFailed(status, path, e.folder);
    return status == LinkStatus::Ok;
  }
  // The very file that was disabled; only a target changed while it was
  // disabled is written into it.
  const std::string copy = copyPath(e.folder, e.name);
  std::string target;
  if (!e.data.empty() && links_.resolve(copy, target) == LinkStatus::Ok && target != e.data) {
    const LinkStatus status = links_.retarget(copy, e.data, path);
    if (status != LinkStatus::Ok) linkFailed(status, path, e.folder);
    return status == LinkStatus::Ok;
  }
  const FileStatus status = files_.copyFile(copy, path, IfExists::Replace);
  if (status != FileStatus::Ok) {
    fileFailed(status == FileStatus::NotFound ? FileStatus::Failed : status, "_StartupRestoreFailed", path, e.folder);
  }
  return status == FileStatus::Ok;
}

}  // namespace velmora
