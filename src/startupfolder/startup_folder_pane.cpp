#include "startupfolder/startup_folder_pane.h"

#include <algorithm>

#include "core/operation_log.h"
#include "core/text.h"
#include "pane/family_factory.h"
#include "pane/prompt.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

namespace {

constexpr ItemKind kKind = ItemKind::StartupFolder;

}  // namespace

StartupFolderPane::StartupFolderPane(std::vector<std::string> folders, const FamilyServices& services,
                                     UserPrompt& prompt)
    : folders_(std::move(folders)),
      // Disable records the folder without its trailing backslash, so a
      // folder held with one must still find its records.
      support_(services, prompt, {kKind, LogKeys::StartupFolder, "_StartupFolderType", &sameFolder}),
      files_(*services.folders),
      links_(*services.shellLinks),
      programDirectory_(services.programDirectory) {}

std::string StartupFolderPane::Entry::path() const { return entryPath(folder, name); }

StartupFolderPane::Entry StartupFolderPane::entryOf(const Row& row) {
  return Entry{row.name, row.data, row.path, row.state != RowState::Disabled};
}

std::string StartupFolderPane::copyPath(const std::string& folder, const std::string& name) const {
  return disabledCopyPath(programDirectory_, folder, name);
}

void StartupFolderPane::fileFailed(FileStatus status, const char* key, const std::string& path,
                                   const std::string& folder) {
  if (status == FileStatus::AccessDenied) {
    support_.tell("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else if (status == FileStatus::NotFound) {
    support_.tell("_StartupFileMissing", {path});
  } else {
    support_.tell(key, {path});
  }
}

void StartupFolderPane::linkFailed(LinkStatus status, const std::string& path, const std::string& folder) {
  if (status == LinkStatus::AccessDenied) {
    support_.tell("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else {
    support_.tell("_StartupWriteFailed", {path});
  }
}

bool StartupFolderPane::mayChange(const Entry& e, bool touchesFile) {
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

bool StartupFolderPane::plainName(const std::string& name) {
  if (isPlainFileName(name)) return true;
  support_.tell("_StartupInvalidName", {name});
  return false;
}

std::optional<StoredItem> StartupFolderPane::recordFor(const std::vector<StoredItem>& items, const Entry& e) {
  auto found = support_.findRecord(items, DisabledItem{e.folder, e.name, e.data});
  if (!found) support_.tellRecordGone();
  return found;
}

bool StartupFolderPane::hasRecordNamed(const std::vector<StoredItem>& items, const std::string& folder,
                                       const std::string& name, const std::optional<std::size_t>& except) {
  return std::any_of(items.begin(), items.end(), [&](const StoredItem& s) {
    return (!except || s.ordinal != *except) && sameFolder(s.item.path, folder) &&
           equalsIgnoreCase(s.item.valuename, name);
  });
}

bool StartupFolderPane::mayReplace(const std::string& name, const std::string& path) {
  if (!files_.exists(path)) return true;
  return support_.ask("_StartupFileExists", {name});
}

void StartupFolderPane::fill(EntryList& list) {
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

int StartupFolderPane::selectedEntry(const EntryList& list, Entry& e) {
  const int index = support_.selectedOrComplain(list);
  if (index < 0) return -1;
  e = entryOf(list.row(index));
  return mayChange(e, e.live) ? index : -1;
}

void StartupFolderPane::remove(EntryList& list) {
  Entry e;
  const int index = selectedEntry(list, e);
  if (index < 0) return;
  if (!support_.confirmRemove(e.data)) return;
  if (e.live ? removeLive(e) : removeDisabled(e)) {
    support_.log(LogOperation::Remove, {e.path()});
  }
  fill(list);
  FamilySupport::reselect(list, index);
}

bool StartupFolderPane::removeLive(const Entry& e) {
  const FileStatus status = files_.removeFile(e.path());
  if (status != FileStatus::Ok) {
    fileFailed(status, "_StartupDeleteFailed", e.path(), e.folder);
    return false;
  }
  return true;
}

bool StartupFolderPane::removeDisabled(const Entry& e) {
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

void StartupFolderPane::add(EntryList& list) {
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

void StartupFolderPane::modify(EntryList& list) {
  Entry e;
  const int index = selectedEntry(list, e);
  if (index < 0) return;

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

bool StartupFolderPane::modifyLive(const Entry& e, const std::string& newName, const std::string& newData) {
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
  const LinkStatus written = links_.retarget(oldPath, newData, staged);
  if (written != LinkStatus::Ok) {
    (void)files_.removeFile(staged);
    linkFailed(written, newPath, e.folder);
    return false;
  }
  const FileStatus hidden = files_.setHidden(staged, true);
  const FileStatus placed = hidden == FileStatus::Ok ? files_.moveFile(staged, newPath, true) : hidden;
  if (placed != FileStatus::Ok) {
    (void)files_.removeFile(staged);
    fileFailed(placed == FileStatus::NotFound ? FileStatus::Failed : placed, "_StartupWriteFailed", newPath,
               e.folder);
    return false;
  }
  // The attribute came along with the move.
  if (files_.setHidden(newPath, false) != FileStatus::Ok && !sameFile) {
    // Unlisted, the new file would be an entry the user cannot see; the old
    // one is still there, so the change is taken back. (Under the same name
    // the old file is replaced already: the change stands.)
    if (support_.undone(files_.removeFile(newPath) == FileStatus::Ok, e.name)) {
      support_.tell("_StartupWriteFailed", {newPath});
    }
    return false;
  }
  if (sameFile) return true;
  const FileStatus removed = files_.removeFile(oldPath);
  if (removed != FileStatus::Ok) {
    // Both would now be live; take the new one back so the change is all or nothing.
    if (support_.undone(files_.removeFile(newPath) == FileStatus::Ok, e.name)) {
      fileFailed(removed, "_StartupDeleteFailed", oldPath, e.folder);
    }
    return false;
  }
  return true;
}

bool StartupFolderPane::modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData) {
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
  const bool moveCopy = renamed && files_.exists(oldCopy);
  if (moveCopy) {
    const FileStatus moved = files_.moveFile(oldCopy, newCopy, true);
    if (moved != FileStatus::Ok) {
      support_.tell("_StartupCopyFailed", {e.path()});
      return false;
    }
  }
  const Outcome updated = support_.updateRecord(*found, newName, newData);
  if (updated != Outcome::Done) {
    if (moveCopy) (void)files_.moveFile(newCopy, oldCopy, true);
    if (updated == Outcome::Stale) support_.tellRecordGone();
    return false;
  }
  return true;
}

void StartupFolderPane::property(EntryList& list) { support_.showProperty(list); }

bool StartupFolderPane::disable(EntryList& list, int row) {
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
      files_.copyFile(path, copy, true) != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    support_.tell("_StartupCopyFailed", {path});
    return false;
  }
  const DisabledItem record{withoutTrailingBackslash(e.folder), e.name, e.data};
  if (!support_.addRecord(record)) {
    (void)files_.removeFile(copy);
    return false;
  }
  const FileStatus removed = files_.removeFile(path);
  if (removed != FileStatus::Ok) {
    // The file stays live, so the record and the copy must go again.
    if (support_.undone(support_.takeBackRecord(record), e.name)) {
      (void)files_.removeFile(copy);
      fileFailed(removed, "_StartupDeleteFailed", path, e.folder);
    }
    return false;
  }
  support_.log(LogOperation::Disable, {path});
  return true;
}

bool StartupFolderPane::enable(EntryList& list, int row) {
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

  if (hasCopy) {
    // The very file that was disabled; only a target changed while it was
    // disabled is written into it.
    std::string target;
    const bool retarget = !e.data.empty() && links_.resolve(copy, target) == LinkStatus::Ok && target != e.data;
    if (retarget) {
      const LinkStatus status = links_.retarget(copy, e.data, path);
      if (status != LinkStatus::Ok) {
        linkFailed(status, path, e.folder);
        return false;
      }
    } else {
      const FileStatus status = files_.copyFile(copy, path, true);
      if (status != FileStatus::Ok) {
        fileFailed(status == FileStatus::NotFound ? FileStatus::Failed : status, "_StartupRestoreFailed", path,
                   e.folder);
        return false;
      }
    }
  } else {
    // A record kept by an older version has only the target to go on.
    const LinkStatus status = links_.create(e.data, path);
    if (status != LinkStatus::Ok) {
      linkFailed(status, path, e.folder);
      return false;
    }
  }

  const StoreStatus removed = support_.services().store.remove(kKind, *found);
  if (removed != StoreStatus::Ok) {
    if (support_.undone(files_.removeFile(path) == FileStatus::Ok, e.name)) support_.tellStoreProblem(removed);
    return false;
  }
  if (hasCopy && !hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copy);
  }
  support_.log(LogOperation::Enable, {path});
  return true;
}

}  // namespace velmora
