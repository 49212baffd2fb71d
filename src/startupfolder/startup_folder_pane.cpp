#include "startupfolder/startup_folder_pane.h"

#include <algorithm>

#include "core/format.h"
#include "core/operation_log.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "pane/family_factory.h"
#include "pane/prompt.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

namespace {
constexpr ItemKind kKind = ItemKind::StartupFolder;
}  // namespace

StartupFolderPane::StartupFolderPane(std::vector<std::string> folders, FamilyServices& services,
                                     UserPrompt& prompt)
    : folders_(std::move(folders)),
      store_(services.store),
      log_(services.log),
      translator_(services.translator),
      files_(*services.folders),
      links_(*services.shellLinks),
      programDirectory_(services.programDirectory),
      prompt_(prompt) {}

std::string StartupFolderPane::Entry::path() const { return entryPath(folder, name); }

StartupFolderPane::Entry StartupFolderPane::entryAt(const EntryList& list, int row) const {
  const Row r = list.row(row);
  return Entry{r.name, r.data, r.path, r.state != RowState::Disabled};
}

std::string StartupFolderPane::typeText() const { return translator_.translate("_StartupFolderType"); }

std::string StartupFolderPane::copyPath(const std::string& folder, const std::string& name) const {
  return disabledCopyPath(programDirectory_, folder, name);
}

void StartupFolderPane::say(const char* key, const std::vector<std::string>& values) {
  prompt_.message(safeFormat(translator_.translate(key, true), values));
}

void StartupFolderPane::storeFailed(StoreStatus status) {
  switch (status) {
    case StoreStatus::Ok: return;
    case StoreStatus::Unreadable: say("_ConfigUnreadable"); return;
    case StoreStatus::WriteFailed: say("_ConfigWriteFailed"); return;
    case StoreStatus::Vanished: say("_StartupEntryMissing"); return;
  }
}

void StartupFolderPane::fileFailed(FileStatus status, const char* key, const std::string& path,
                                   const std::string& folder) {
  if (status == FileStatus::AccessDenied) {
    say("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else if (status == FileStatus::NotFound) {
    say("_StartupFileMissing", {path});
  } else {
    say(key, {path});
  }
}

void StartupFolderPane::linkFailed(LinkStatus status, const std::string& path, const std::string& folder) {
  if (status == LinkStatus::AccessDenied) {
    say("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else {
    say("_StartupWriteFailed", {path});
  }
}

bool StartupFolderPane::mayChange(const Entry& e, bool touchesFile) {
  const bool ours = !withoutTrailingBackslash(e.folder).empty() &&
                    std::any_of(folders_.begin(), folders_.end(), [&](const std::string& f) {
                      return !withoutTrailingBackslash(f).empty() && sameFolder(f, e.folder);
                    });
  if (!ours) {
    say("_StartupFolderUnknown");
    return false;
  }
  // A record edited by hand could name a file elsewhere; such a name is
  // never used to touch a file, but the record itself may still be removed.
  if (touchesFile && !isPlainFileName(e.name)) {
    say("_StartupInvalidName", {e.name});
    return false;
  }
  return true;
}

std::optional<std::vector<StoredItem>> StartupFolderPane::items() {
  std::vector<StoredItem> out;
  const StoreStatus status = store_.list(kKind, out);
  if (status != StoreStatus::Ok) {
    storeFailed(status);
    return std::nullopt;
  }
  return out;
}

std::optional<StoredItem> StartupFolderPane::findEntry(const std::vector<StoredItem>& items, const Entry& e) {
  for (const auto& s : items) {
    if (sameFolder(s.item.path, e.folder) && equalsIgnoreCase(s.item.valuename, e.name) &&
        equalsIgnoreCase(s.item.valuedata, e.data)) {
      return s;
    }
  }
  return std::nullopt;
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
  return prompt_.confirm(safeFormat(translator_.translate("_StartupFileExists", true), {name}));
}

void StartupFolderPane::fill(EntryList& list) {
  const std::string type = typeText();
  std::vector<Row> rows;
  for (const auto& folder : folders_) {
    // An unknown folder must not turn into the current drive's root.
    if (withoutTrailingBackslash(folder).empty()) continue;
    std::vector<StoredItem> stored;
    if (store_.list(kKind, stored) == StoreStatus::Ok) {
      for (const auto& s : stored) {
        // Disable records the folder without its trailing backslash, so a
        // folder held with one must still find its records.
        if (!sameFolder(s.item.path, folder)) continue;
        rows.push_back(Row{s.item.valuename, type, s.item.valuedata, folder, RowState::Disabled});
      }
    }
    for (const auto& file : folderScan(files_, folder)) {
      // The scanned folder without its trailing backslash: what DirectoryPart
      // gives for a drive path, and still right for a redirected (UNC) folder.
      rows.push_back(Row{file.name, type, resolveShortcut(links_, file.fullPath).value_or(""),
                         withoutTrailingBackslash(folder), RowState::Live});
    }
  }
  list.setRows(rows);
}

void StartupFolderPane::remove(EntryList& list) {
  const int index = list.selected();
  if (index < 0) {
    say("_YouMustSelectAnItem");
    return;
  }
  const Entry e = entryAt(list, index);
  if (!mayChange(e, e.live)) return;
  if (!prompt_.confirm(safeFormat(translator_.translate("_AreyousureDeleteThisEntry", true), {e.data}))) return;
  if (e.live ? removeLive(e) : removeDisabled(e)) {
    log_.record(LogOperation::Remove, LogKeys::StartupFolder, {e.path()});
  }
  fill(list);
  if (list.count() > 0) list.select(std::min(index, list.count() - 1));
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
  const auto stored = items();
  if (!stored) return false;
  const auto found = findEntry(*stored, e);
  if (!found) {
    say("_StartupEntryMissing");
    return false;
  }
  const StoreStatus status = store_.remove(kKind, *found);
  if (status != StoreStatus::Ok) {
    storeFailed(status);
    return false;
  }
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
    say("_StartupFolderUnknown");
    return;
  }
  EntryDialogData data{typeText(), folder, "", ""};
  if (!prompt_.entryDialog(EntryDialogKind::Add, data)) return;
  if (!isPlainFileName(data.name)) {
    say("_StartupInvalidName", {data.name});
    return;
  }
  const std::string name = ensureExtension(data.name, "lnk");
  const std::string link = entryPath(folder, name);
  if (!mayReplace(name, link)) return;
  const LinkStatus status = links_.create(data.path, link);
  if (status != LinkStatus::Ok) {
    linkFailed(status, link, folder);
  } else {
    log_.record(LogOperation::Add, LogKeys::StartupFolder, {link});
  }
  fill(list);
}

void StartupFolderPane::modify(EntryList& list) {
  const int index = list.selected();
  if (index < 0) {
    say("_YouMustSelectAnItem");
    return;
  }
  const Entry e = entryAt(list, index);
  if (!mayChange(e, e.live)) return;

  // Only a shortcut has a target to change: a program or batch file placed
  // in the folder would be lost if it were rewritten as a shortcut.
  std::string ignored;
  const std::string copy = copyPath(e.folder, e.name);
  const LinkStatus kind = e.live ? links_.resolve(e.path(), ignored)
                                 : (files_.exists(copy) ? links_.resolve(copy, ignored) : LinkStatus::Ok);
  if (kind == LinkStatus::NotFound) {
    say("_StartupFileMissing", {e.path()});
    return;
  }
  if (kind != LinkStatus::Ok) {
    say("_StartupNotAShortcut", {e.name});
    return;
  }

  EntryDialogData data{typeText(), e.folder, e.name, e.data};
  if (!prompt_.entryDialog(EntryDialogKind::Modify, data)) return;
  if (!isPlainFileName(data.name)) {
    say("_StartupInvalidName", {data.name});
    return;
  }
  const bool done = e.live ? modifyLive(e, data.name, data.path) : modifyDisabled(e, data.name, data.path);
  if (done) {
    log_.record(LogOperation::Modify, LogKeys::StartupFolder,
                {e.path(), entryPath(e.folder, data.name), data.path});
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
  const std::string staged = newPath + ".velmora-new";
  const LinkStatus written = links_.retarget(oldPath, newData, staged);
  if (written != LinkStatus::Ok) {
    (void)files_.removeFile(staged);
    linkFailed(written, newPath, e.folder);
    return false;
  }
  const FileStatus placed = files_.moveFile(staged, newPath, true);
  if (placed != FileStatus::Ok) {
    (void)files_.removeFile(staged);
    fileFailed(placed == FileStatus::NotFound ? FileStatus::Failed : placed, "_StartupWriteFailed", newPath,
               e.folder);
    return false;
  }
  if (sameFile) return true;
  const FileStatus removed = files_.removeFile(oldPath);
  if (removed != FileStatus::Ok) {
    // Both would now be live; take the new one back so the change is all or nothing.
    if (files_.removeFile(newPath) != FileStatus::Ok) {
      say("_EntryKeptTwice", {e.name});
    } else {
      fileFailed(removed, "_StartupDeleteFailed", oldPath, e.folder);
    }
    return false;
  }
  return true;
}

bool StartupFolderPane::modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData) {
  const auto stored = items();
  if (!stored) return false;
  const auto found = findEntry(*stored, e);
  if (!found) {
    say("_StartupEntryMissing");
    return false;
  }
  const bool renamed = !equalsIgnoreCase(e.name, newName);
  if (renamed && hasRecordNamed(*stored, e.folder, newName)) {
    say("_StartupAlreadyDisabled", {newName});
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
      say("_StartupCopyFailed", {e.path()});
      return false;
    }
  }
  const StoreStatus status = store_.update(kKind, *found, newName, newData);
  if (status != StoreStatus::Ok) {
    if (moveCopy) (void)files_.moveFile(newCopy, oldCopy, true);
    storeFailed(status);
    return false;
  }
  return true;
}

void StartupFolderPane::property(EntryList& list) {
  const int index = list.selected();
  if (index < 0) {
    say("_YouMustSelectAnItem");
    return;
  }
  const Entry e = entryAt(list, index);
  EntryDialogData data{typeText(), e.folder, e.name, e.data};
  (void)prompt_.entryDialog(EntryDialogKind::Property, data);
}

bool StartupFolderPane::disable(EntryList& list, int row) {
  const Entry e = entryAt(list, row);
  if (!mayChange(e, true)) return false;
  const std::string path = e.path();
  if (!files_.exists(path)) {
    say("_StartupFileMissing", {path});
    return false;
  }
  const auto stored = items();
  if (!stored) return false;
  // One copy per folder and name: a second disabled entry of the same name
  // would overwrite the first one's copy.
  if (hasRecordNamed(*stored, e.folder, e.name)) {
    say("_StartupAlreadyDisabled", {e.name});
    return false;
  }

  // The copy and the record are on disk before the file goes; a failure on
  // the way takes back what was done.
  const std::string copy = copyPath(e.folder, e.name);
  if (files_.makeFolder(disabledCopyFolder(programDirectory_)) != FileStatus::Ok ||
      files_.copyFile(path, copy, true) != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    say("_StartupCopyFailed", {path});
    return false;
  }
  const DisabledItem record{withoutTrailingBackslash(e.folder), e.name, e.data};
  const StoreStatus added = store_.add(kKind, record);
  if (added != StoreStatus::Ok) {
    (void)files_.removeFile(copy);
    storeFailed(added);
    return false;
  }
  const FileStatus removed = files_.removeFile(path);
  if (removed != FileStatus::Ok) {
    // The file stays live, so the record and the copy must go again.
    std::vector<StoredItem> now;
    bool undone = false;
    if (store_.list(kKind, now) == StoreStatus::Ok) {
      const auto mine = findAllItems(now, record);
      undone = !mine.empty() && store_.remove(kKind, mine.back()) == StoreStatus::Ok;
    }
    if (undone) {
      (void)files_.removeFile(copy);
      fileFailed(removed, "_StartupDeleteFailed", path, e.folder);
    } else {
      say("_EntryKeptTwice", {e.name});
    }
    return false;
  }
  log_.record(LogOperation::Disable, LogKeys::StartupFolder, {path});
  return true;
}

bool StartupFolderPane::enable(EntryList& list, int row) {
  const Entry e = entryAt(list, row);
  if (!mayChange(e, true)) return false;
  const auto stored = items();
  if (!stored) return false;
  const auto found = findEntry(*stored, e);
  if (!found) {
    say("_StartupEntryMissing");
    return false;
  }
  const std::string path = e.path();
  const std::string copy = copyPath(e.folder, e.name);
  const bool hasCopy = files_.exists(copy);
  if (!hasCopy && e.data.empty()) {
    say("_StartupNothingToRestore", {e.name});
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

  const StoreStatus removed = store_.remove(kKind, *found);
  if (removed != StoreStatus::Ok) {
    if (files_.removeFile(path) != FileStatus::Ok) {
      say("_EntryKeptTwice", {e.name});
    } else {
      storeFailed(removed);
    }
    return false;
  }
  if (hasCopy && !hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copy);
  }
  log_.record(LogOperation::Enable, LogKeys::StartupFolder, {path});
  return true;
}

}  // namespace velmora
