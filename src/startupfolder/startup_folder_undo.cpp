// Undo of a startup-folder change. A removed or replaced file comes back
// from the exact copy the change kept in the history's copy folder; every
// step is a step of the forward operations, with their checks, questions
// and transactions.
#include "core/format.h"
#include "core/paths.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

EntryState StartupFolderFamily::stateOf(const Entry& e) { return EntryState{e.name, e.data, {}, !e.live()}; }

std::string StartupFolderFamily::keepForHistory(const std::string& path, const std::string& folder) {
  ChangeCopies* const copies = support_.copies();
  if (!copies || !files_.exists(path)) return {};
  const std::string name = copies->newCopyName();
  const std::string copy = copies->copyPath(name, support_.placeOf(folder));
  // The copies' folder is made by whoever makes the first copy.
  if (files_.makeFolder(directoryPart(copy)) != FileStatus::Ok ||
      files_.copyFile(path, copy, IfExists::Replace) != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    return {};
  }
  return name;
}

void StartupFolderFamily::dropHistoryCopy(const std::string& name, const std::string& folder) {
  if (ChangeCopies* const copies = support_.copies(); copies && !name.empty()) {
    (void)files_.removeFile(copies->copyPath(name, support_.placeOf(folder)));
  }
}

std::string StartupFolderFamily::historyCopyPath(const Change& change, const std::string& name) const {
  ChangeCopies* const copies = support_.copies();
  return copies && plainCopyName(name) ? copies->keptCopyPath(change, name) : std::string();
}

bool StartupFolderFamily::undoable(const Change& c) const {
  const auto plainName = [](const std::optional<EntryState>& s) { return !s || isPlainFileName(s->name); };
  const auto replaced = c.extra.find("replacedcopy");
  return isOwnFolder(c.location) && plainName(c.before) && plainName(c.after) &&
         (c.copy.empty() || plainCopyName(c.copy)) && (replaced == c.extra.end() || plainCopyName(replaced->second)) &&
         flagsReadable(c);
}

bool StartupFolderFamily::reverse(const Change& c) {
  // Only a folder of this family's, only plain file names in it, and only
  // copies of the history's own.
  if (!support_.mayUndo(c, folders_, undoable(c))) return false;
  using namespace change_kind;
  if (c.kind == kDisable && c.after && c.after->disabled) {
    if (!recordIs(c.location, *c.after)) return false;
    return enableEntry(Entry{c.after->name, c.after->data, c.location, RowOrigin::Record});
  }
  if (c.kind == kEnable && c.after && !c.after->disabled) {
    if (!fileIs(c.location, *c.after)) return false;
    // The file the Enable replaced comes back in its place.
    return disableEntry(Entry{c.after->name, c.after->data, c.location, RowOrigin::Live}) &&
           restoreReplaced(c, c.copy, c.location, c.after->name);
  }
  if (c.kind == kFlag && c.after && !c.after->disabled) {
    const auto flagKey = flagKeyOf(c.location);
    if (!flagKey) {
      support_.tell("_UndoNotPossible");
      return false;
    }
    if (!fileIs(c.location, *c.after)) return false;
    return flags_->undo(c, *flagKey, c.after->name);
  }
  if (c.kind == kRemove && c.before) return undoRemove(c);
  if (c.kind == kAdd && c.after) return undoAdd(c);
  if (c.kind == kModify && c.before && c.after && c.before->disabled == c.after->disabled) return undoModify(c);
  support_.tell("_UndoNotPossible");
  return false;
}

bool StartupFolderFamily::restoreReplaced(const Change& change, const std::string& copyName,
                                          const std::string& folder, const std::string& name) {
  const std::string copy = historyCopyPath(change, copyName);
  const std::string path = entryPath(folder, name);
  if (copy.empty() || !files_.exists(copy) || files_.exists(path)) return true;
  const FileStatus status = files_.copyFile(copy, path, IfExists::Fail);
  if (status != FileStatus::Ok) {
    fileFailed(status, "_StartupRestoreFailed", path, folder);
    return false;
  }
  // Logged as an Add of its own; the history keeps it only as part of the
  // change it follows.
  support_.alsoLogged(support_.change(change_kind::kAdd, folder, std::nullopt, EntryState{name, {}, {}, false}));
  return true;
}

bool StartupFolderFamily::fileIs(const std::string& folder, const EntryState& state) {
  const std::string path = entryPath(folder, state.name);
  if (!files_.exists(path)) {
    support_.tellEntryChanged(state.name, support_.translator().translate("_UndoGone"));
    return false;
  }
  // A shortcut must still lead where the change left it; a file that is no
  // shortcut has no target to compare.
  const std::string target = resolveShortcut(links_, path).value_or("");
  if (target != state.data) {
    support_.tellEntryChanged(state.name, safeFormat(support_.translator().translate("_UndoNowHolds"), {target}));
    return false;
  }
  return true;
}

std::optional<StoredItem> StartupFolderFamily::recordIs(const std::string& folder, const EntryState& state) {
  const auto stored = support_.records();
  if (!stored) return std::nullopt;
  auto found = support_.findRecord(*stored, DisabledItem{folder, state.name, state.data});
  if (!found) support_.tellEntryChanged(state.name, support_.translator().translate("_UndoRecordGone"));
  return found;
}

bool StartupFolderFamily::undoRemove(const Change& c) {
  const EntryState& b = *c.before;
  const std::string copy = historyCopyPath(c, c.copy);
  const bool hasCopy = !copy.empty() && files_.exists(copy);
  const Entry e{b.name, b.data, c.location, b.disabled ? RowOrigin::Record : RowOrigin::Live};
  if (b.disabled) {
    // The record comes back, and with it the disabled copy.
    const auto stored = support_.records();
    if (!stored) return false;
    if (hasRecordNamed(*stored, e.folder, e.name)) {
      support_.tell("_StartupAlreadyDisabled", {e.name});
      return false;
    }
    const std::string disabledCopy = copyPath(e.folder, e.name);
    if (hasCopy) {
      const FileStatus copied = copyIntoDisabled(copy, disabledCopy);
      if (copied != FileStatus::Ok) {
        (void)files_.removeFile(disabledCopy);
        disabledCopyFailed(copied, "_StartupCopyFailed", e.path());
        return false;
      }
    }
    if (support_.addRecord(DisabledItem{withoutTrailingBackslash(e.folder), e.name, e.data}) != Outcome::Done) {
      if (hasCopy) (void)files_.removeFile(disabledCopy);
      return false;
    }
  } else {
    if (!hasCopy) {
      support_.tell("_UndoNoCopy", {e.name});
      return false;
    }
    const std::string path = e.path();
    if (!mayReplace(e.name, path)) return false;
    Transaction tx(support_, e.name);
    KeptFile kept;
    if (keepReplaced(tx, e.folder, e.name, kept) != Outcome::Done) return false;
    const FileStatus status = files_.copyFile(copy, path, IfExists::Replace);
    if (status != FileStatus::Ok) {
      return tx.fail([&] { fileFailed(status, "_StartupRestoreFailed", path, e.folder); }) == Outcome::Done;
    }
    wrote(tx, path, kept);
    // Windows' flag comes back with the file, unless one is there now.
    const auto flag = c.extra.find("flagbefore");
    const auto flagKey = flagKeyOf(e.folder);
    if (flag != c.extra.end() && flagKey &&
        flags_->replace(tx, *flagKey, e.name, std::nullopt, flagFromText(flag->second, e.name)) == Outcome::Failed) {
      return false;
    }
    tx.commit();
  }
  support_.done(support_.change(change_kind::kAdd, c.location, std::nullopt, b));
  return true;
}

bool StartupFolderFamily::undoAdd(const Change& c) {
  const EntryState& a = *c.after;
  const Entry e{a.name, a.data, c.location, a.disabled ? RowOrigin::Record : RowOrigin::Live};
  std::string copy;
  if (a.disabled) {
    if (!recordIs(c.location, a)) return false;
    copy = keepForHistory(copyPath(e.folder, e.name), e.folder);
    const Outcome removed = removeDisabled(e);
    if (removed == Outcome::Stale) support_.tellRecordGone();
    if (removed != Outcome::Done) {
      dropHistoryCopy(copy, e.folder);
      return false;
    }
  } else {
    if (!fileIs(c.location, a)) return false;
    const std::string replaced = c.before ? historyCopyPath(c, c.copy) : std::string();
    copy = keepForHistory(e.path(), e.folder);
    if (!replaced.empty() && files_.exists(replaced)) {
      // The Add replaced a file: that file comes back in its place.
      const FileStatus status = files_.copyFile(replaced, e.path(), IfExists::Replace);
      if (status != FileStatus::Ok) {
        dropHistoryCopy(copy, e.folder);
        fileFailed(status, "_StartupRestoreFailed", e.path(), e.folder);
        return false;
      }
      Change back = support_.change(change_kind::kAdd, c.location, a, *c.before);
      back.copy = copy;
      support_.done(std::move(back));
      return true;
    }
    if (removeLive(e) != Outcome::Done) {
      dropHistoryCopy(copy, e.folder);
      return false;
    }
  }
  Change undone = support_.change(change_kind::kRemove, c.location, a, std::nullopt);
  undone.copy = copy;
  support_.done(std::move(undone));
  return true;
}

bool StartupFolderFamily::undoModify(const Change& c) {
  const EntryState& a = *c.after;
  const EntryState& b = *c.before;
  const Entry now{a.name, a.data, c.location, a.disabled ? RowOrigin::Record : RowOrigin::Live};
  if (a.disabled) {
    if (!recordIs(c.location, a)) return false;
    if (modifyDisabled(now, b.name, b.data) != Outcome::Done) return false;
    support_.done(support_.change(change_kind::kModify, c.location, a, b));
    return true;
  }
  if (!fileIs(c.location, a)) return false;
  const std::string copy = historyCopyPath(c, c.copy);
  const std::string kept = keepForHistory(now.path(), now.folder);
  std::string replacedCopy;
  Outcome outcome = Outcome::Failed;
  if (copy.empty() || !files_.exists(copy)) {
    // No copy of the old file: the dialog's way, a new target and name.
    outcome = modifyLive(now, b.name, b.data, replacedCopy);
  } else {
    // The very file as it was, under its old name.
    const std::string oldPath = entryPath(c.location, b.name);
    const bool sameFile = equalsIgnoreCase(a.name, b.name);
    if (sameFile || mayReplace(b.name, oldPath)) {
      Transaction tx(support_, a.name);
      KeptFile replaced;
      if (keepReplaced(tx, c.location, b.name, replaced) == Outcome::Done) {
        const FileStatus status = files_.copyFile(copy, oldPath, IfExists::Replace);
        if (status != FileStatus::Ok) {
          outcome = tx.fail([&] { fileFailed(status, "_StartupRestoreFailed", oldPath, c.location); });
        } else {
          wrote(tx, oldPath, replaced);
          const FileStatus removed = sameFile ? FileStatus::Ok : files_.removeFile(now.path());
          outcome = removed == FileStatus::Ok
                        ? tx.commit()
                        : tx.fail([&] { fileFailed(removed, "_StartupDeleteFailed", now.path(), c.location); });
        }
      }
    }
  }
  if (outcome != Outcome::Done) {
    dropHistoryCopy(kept, c.location);
    return false;
  }
  Change undone = support_.change(change_kind::kModify, c.location, a, b);
  undone.copy = kept;
  if (!replacedCopy.empty()) undone.extra["replacedcopy"] = replacedCopy;
  support_.done(std::move(undone));
  // The file the Modify replaced under its new name comes back there.
  const auto replaced = c.extra.find("replacedcopy");
  return replaced == c.extra.end() || restoreReplaced(c, replaced->second, c.location, a.name);
}

}  // namespace velmora
