// Remove, Disable and Enable of a startup-folder entry. A live file is
// kept exactly (a copy in the history for Remove, one in the Disabled folder
// for Disable), so that what comes back is the very file that went.
#include "core/text.h"
#include "family/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

void StartupFolderFamily::removeEntry(const Entry& e) {
  if (!mayChange(e, e.live())) return;
  if (!support_.confirmRemove(e.name, withoutTrailingBackslash(e.folder), e.data)) return;
  // The file itself (or a disabled entry's copy) is kept, so Undo can put it back.
  const std::string copy = keepForHistory(e.live() ? e.path() : copyPath(e.folder, e.name), e.folder);
  std::optional<RegValue> flag;
  if ((e.live() ? removeLive(e, &flag) : removeDisabled(e)) == Outcome::Done) {
    Change c = support_.change(change_kind::kRemove, withoutTrailingBackslash(e.folder), stateOf(e), std::nullopt);
    c.copy = copy;
    // Windows' flag went with the file: Undo puts it back too.
    if (flag) c.extra["flagbefore"] = flagText(flag);
    support_.done(std::move(c));
  } else {
    dropHistoryCopy(copy, e.folder);
  }
}

Outcome StartupFolderFamily::removeLive(const Entry& e, std::optional<RegValue>* flag) {
  // Windows' flag of the file goes first (Windows would leave it behind):
  // a deleted file cannot be taken back, the flag can.
  Transaction tx(support_, e.name);
  const auto flagKey = flagKeyOf(e.folder);
  if (flagKey && flags_->drop(tx, *flagKey, e.name, flag) != Outcome::Done) return Outcome::Failed;
  const FileStatus status = files_.removeFile(e.path());
  if (status != FileStatus::Ok) {
    return tx.fail([&] { fileFailed(status, "_StartupDeleteFailed", e.path(), e.folder); });
  }
  return tx.commit();
}

Outcome StartupFolderFamily::removeDisabled(const Entry& e) {
  const auto stored = support_.records();
  if (!stored) return Outcome::Failed;
  // A record that has left config.xml already leaves nothing to remove.
  const auto found = support_.findRecord(*stored, DisabledItem{e.folder, e.name, e.data});
  if (!found) return Outcome::Stale;
  const Outcome removed = support_.removeRecord(*found);
  if (removed != Outcome::Done) return removed;
  // The copy goes with the last record of its name; a leftover copy would
  // only be replaced by the next Disable of that name.
  if (!hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copyPath(e.folder, e.name));
  }
  return Outcome::Done;
}

bool StartupFolderFamily::disableEntry(const Entry& e) {
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
  const FileStatus copied = copyIntoDisabled(path, copy);
  if (copied != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    disabledCopyFailed(copied, "_StartupCopyFailed", path);
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
  support_.done(support_.change(change_kind::kDisable, record.path, stateOf(e), EntryState{e.name, e.data, {}, true}));
  return true;
}

bool StartupFolderFamily::enableEntry(const Entry& e) {
  if (!mayChange(e, true)) return false;
  if (e.origin == RowOrigin::OffInWindows) return turnOnInWindows(e);
  const auto stored = support_.records();
  if (!stored) return false;
  const auto found = recordFor(*stored, e);
  if (!found || !support_.trusted(*found, e.name)) return false;
  const std::string path = e.path();
  const std::string copy = copyPath(e.folder, e.name);
  const bool hasCopy = files_.exists(copy);
  if (!hasCopy && e.data.empty()) {
    support_.tell("_StartupNothingToRestore", {e.name});
    return false;
  }
  if (!mayReplace(e.name, path)) return false;

  Transaction tx(support_, e.name);
  KeptFile kept;
  if (keepReplaced(tx, e.folder, e.name, kept) != Outcome::Done) return false;
  if (restoreFile(e, hasCopy) != Outcome::Done) return false;
  wrote(tx, path, kept);
  // Enabled means it starts: a flag that Windows' settings left off is
  // turned on too.
  const auto flagKey = flagKeyOf(e.folder);
  if (flagKey && flags_->turnOnIfOff(tx, *flagKey, e.name) != Outcome::Done) return false;

  const StoreStatus removed = support_.removeEnabledRecord(*found);
  if (removed != StoreStatus::Ok) {
    tx.fail([&] { support_.tellStoreProblem(removed); });
    return false;
  }
  // The file Enable replaced goes into the history before its kept copy is dropped.
  const std::string replaced = kept ? keepForHistory(*kept, e.folder) : std::string();
  tx.commit();
  if (hasCopy && !hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copy);
  }
  Change c = support_.change(change_kind::kEnable, withoutTrailingBackslash(e.folder), stateOf(e),
                             EntryState{e.name, e.data, {}, false});
  c.copy = replaced;
  support_.done(std::move(c));
  return true;
}

bool StartupFolderFamily::turnOnInWindows(const Entry& e) {
  const auto flagKey = flagKeyOf(e.folder);
  if (!flagKey) return false;
  // A flag without its file would turn on nothing.
  const std::string path = e.path();
  if (!files_.exists(path)) {
    support_.tell("_StartupFileMissing", {path});
    return false;
  }
  Transaction tx(support_, e.name);
  std::optional<RegValue> was;
  if (flags_->turnOn(tx, *flagKey, e.name, &was) != Outcome::Done) return false;
  tx.commit();
  support_.done(flags_->change(withoutTrailingBackslash(e.folder), stateOf(e), was,
                                   RegValue{e.name, kRegBinary, {}, flagOnBytes()}));
  return true;
}

Outcome StartupFolderFamily::restoreFile(const Entry& e, bool hasCopy) {
  const std::string path = e.path();
  if (!hasCopy) {
    // A record kept by an older version has only the target to go on.
    const LinkStatus status = links_.create(e.data, path);
    if (status != LinkStatus::Ok) linkFailed(status, path, e.folder);
    return status == LinkStatus::Ok ? Outcome::Done : Outcome::Failed;
  }
  // The very file that was disabled; only a target changed while it was
  // disabled is written into it.
  const std::string copy = copyPath(e.folder, e.name);
  std::string target;
  if (!e.data.empty() && links_.resolve(copy, target) == LinkStatus::Ok && target != e.data) {
    const LinkStatus status = links_.retarget(copy, e.data, path);
    if (status != LinkStatus::Ok) linkFailed(status, path, e.folder);
    return status == LinkStatus::Ok ? Outcome::Done : Outcome::Failed;
  }
  const FileStatus status = files_.copyFile(copy, path, IfExists::Replace);
  if (status != FileStatus::Ok) {
    fileFailed(status == FileStatus::NotFound ? FileStatus::Failed : status, "_StartupRestoreFailed", path, e.folder);
  }
  return status == FileStatus::Ok ? Outcome::Done : Outcome::Failed;
}

}  // namespace velmora
