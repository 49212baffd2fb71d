// Modify of a startup-folder entry: a live shortcut is rewritten beside the
// old one and moved into place; a disabled entry's record (and its copy,
// which follows a new name) is changed.
#include "core/paths.h"
#include "core/text.h"
#include "family/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

OperationResult StartupFolderFamily::prepareModify(const EntryRef& entry, EntryDialogData& data) {
  return support_.runWithoutQuestions([&] {
    if (!modifiable(entryFrom(entry))) return false;
    data = dialogData(entry);
    return true;
  });
}

bool StartupFolderFamily::modifiable(const Entry& e) {
  if (!mayChange(e, e.live())) return false;
  // Only a shortcut has a target to change: a program or batch file placed
  // in the folder would be lost if it were rewritten as a shortcut.
  std::string ignored;
  const std::string copy = copyPath(e.folder, e.name);
  const LinkStatus kind = e.live() ? links_.resolve(e.path(), ignored)
                                 : (files_.exists(copy) ? links_.resolve(copy, ignored) : LinkStatus::Ok);
  if (kind == LinkStatus::NotFound) {
    support_.tell("_StartupFileMissing", {e.path()});
    return false;
  }
  if (kind != LinkStatus::Ok) {
    support_.tell("_StartupNotAShortcut", {e.name});
    return false;
  }
  return true;
}

void StartupFolderFamily::modifyEntry(const Entry& e, const EntryDialogData& fields) {
  // Asked before the dialog, and again now: the file may have changed
  // while the dialog was open.
  if (!modifiable(e)) return;
  if (!plainName(fields.name)) return;
  // Windows opens the file by its extension: a new name typed without one
  // keeps the old one's, as Add gives a new shortcut ".lnk".
  const std::string oldExtension = fileExtension(e.name);
  const std::string newName = ensureExtension(fields.name, oldExtension.empty() ? std::string("lnk") : oldExtension);
  // The file as it was, for Undo: the dialog's change keeps arguments,
  // icon and working folder, and only the very file gives them all back.
  const std::string kept = e.live() ? keepForHistory(e.path(), e.folder) : std::string();
  std::string replacedCopy;
  const Outcome outcome =
      e.live() ? modifyLive(e, newName, fields.path, replacedCopy) : modifyDisabled(e, newName, fields.path);
  if (outcome == Outcome::Done) {
    Change c = support_.change(change_kind::kModify, withoutTrailingBackslash(e.folder), stateOf(e),
                               EntryState{newName, fields.path, {}, !e.live()});
    c.copy = kept;
    if (!replacedCopy.empty()) c.extra["replacedcopy"] = replacedCopy;
    support_.done(std::move(c));
  } else {
    dropHistoryCopy(kept, e.folder);
  }
}

Outcome StartupFolderFamily::modifyLive(const Entry& e, const std::string& newName, const std::string& newData,
                                        std::string& replacedCopy) {
  const std::string oldPath = e.path();
  const std::string newPath = entryPath(e.folder, newName);
  const bool sameFile = equalsIgnoreCase(e.name, newName);
  replacedCopy.clear();
  if (!sameFile && !mayReplace(newName, newPath)) return Outcome::Failed;

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
    return Outcome::Failed;
  }
  wrote(tx, staged, nullptr);
  // The file the new one replaces (the old one itself under the same name)
  // is kept until the change stands.
  KeptFile kept;
  if (keepReplaced(tx, e.folder, newName, kept) != Outcome::Done) return Outcome::Failed;
  const FileStatus hidden = files_.setVisibility(staged, Visibility::Hidden);
  const FileStatus placed = hidden == FileStatus::Ok ? files_.moveFile(staged, newPath, IfExists::Replace) : hidden;
  if (placed != FileStatus::Ok) {
    return tx.fail([&] {
      fileFailed(placed == FileStatus::NotFound ? FileStatus::Failed : placed, "_StartupWriteFailed", newPath,
                 e.folder);
    });
  }
  wrote(tx, newPath, kept);
  // The attribute came along with the move. Hidden, the new file would be
  // an entry the user cannot see: the change is taken back.
  if (files_.setVisibility(newPath, Visibility::Shown) != FileStatus::Ok) {
    return tx.fail("_StartupWriteFailed", {newPath});
  }
  if (!sameFile) {
    // Windows' flag follows the name. It moves before the old file goes: a
    // deleted file cannot be taken back, the flag can.
    const auto flagKey = flagKeyOf(e.folder);
    if (flagKey && flags_->move(tx, *flagKey, e.name, newName) != Outcome::Done) return Outcome::Failed;
    const FileStatus removed = files_.removeFile(oldPath);
    if (removed != FileStatus::Ok) {
      // Both would now be live; take the new one back so the change is all or nothing.
      return tx.fail([&] { fileFailed(removed, "_StartupDeleteFailed", oldPath, e.folder); });
    }
    // The file of the new name it replaced goes into the history, for Undo.
    if (kept) replacedCopy = keepForHistory(*kept, e.folder);
  }
  return tx.commit();
}

Outcome StartupFolderFamily::modifyDisabled(const Entry& e, const std::string& newName, const std::string& newData) {
  const auto stored = support_.records();
  if (!stored) return Outcome::Failed;
  const auto found = recordFor(*stored, e);
  if (!found) return Outcome::Failed;
  const bool renamed = !equalsIgnoreCase(e.name, newName);
  if (renamed && hasRecordNamed(*stored, e.folder, newName)) {
    support_.tell("_StartupAlreadyDisabled", {newName});
    return Outcome::Failed;
  }
  // The copy is keyed by name, so it follows a new name; its target is set
  // from the record when Enable puts it back.
  const std::string oldCopy = copyPath(e.folder, e.name);
  const std::string newCopy = copyPath(e.folder, newName);
  Transaction tx(support_, e.name);
  if (renamed && files_.exists(oldCopy)) {
    const FileStatus moved = files_.moveFile(oldCopy, newCopy, IfExists::Replace);
    if (moved != FileStatus::Ok) {
      disabledCopyFailed(moved, "_StartupCopyFailed", e.path());
      return Outcome::Failed;
    }
    tx.undoWith(
        [this, oldCopy, newCopy] { return files_.moveFile(newCopy, oldCopy, IfExists::Replace) == FileStatus::Ok; });
  }
  const Outcome updated = support_.updateRecord(*found, newName, newData);
  if (updated != Outcome::Done) {
    (void)tx.rollBack();
    if (updated == Outcome::Stale) support_.tellRecordGone();
    return updated;
  }
  return tx.commit();
}

}  // namespace velmora
