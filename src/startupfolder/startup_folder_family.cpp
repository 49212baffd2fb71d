#include "startupfolder/startup_folder_family.h"

#include <algorithm>

#include "core/format.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "history/change_log.h"
#include "family/prompt.h"
#include "family/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

// Disable records the folder without its trailing backslash, so a folder
// held with one must still find its records.
const FamilyTraits kStartupFolderTraits{kStartupFolderRecords, LogKeys{"1"}, "_StartupFolderType", &sameFolder, "startupfolder"};

FolderFlags startupFolderFlags(RegistryPort& registry, const std::vector<std::string>& folders) {
  const std::string common = readStartupFolder(registry, "Common Startup");
  const std::string user = readStartupFolder(registry, "Startup");
  FolderFlags flags{&registry, {}};
  for (const std::string& folder : folders) {
    std::optional<FlagKey> key;
    if (!withoutTrailingBackslash(folder).empty()) {
      if (!common.empty() && sameFolder(folder, common)) {
        key = startupFolderFlagKey(true);
      } else if (!user.empty() && sameFolder(folder, user)) {
        key = startupFolderFlagKey(false);
      }
    }
    flags.keys.push_back(std::move(key));
  }
  return flags;
}

FamilyDescriptor startupFolderFamily(RegistryPort& registry, FolderPort& folders, ShellLinkPort& links,
                                     std::string programDirectory, const FamilyContext& context) {
  // The folders' locations are the Shell Folders values that name them.
  std::vector<CategoryNode> nodes = {
      {0, "_TreeStartupFolder", -1, 1, {}, {"Common Startup", "Startup"}},
      {1, "_AllUser", 0, 4, {}, {"Common Startup"}},
      {2, "_CurrentUser", 0, 5, {}, {"Startup"}},
  };
  return FamilyDescriptor{
      "startupfolder",
      kStartupFolderTraits,
      std::move(nodes),
      {{2, 0}},
      [&registry](const std::vector<std::string_view>& valueNames) { return readStartupFolders(registry, valueNames); },
      [&registry, &folders, &links, programDirectory = std::move(programDirectory), &context](
          std::vector<std::string> locations, UserPrompt& prompt) -> std::unique_ptr<EntryFamily> {
        FolderFlags flags = startupFolderFlags(registry, locations);
        return std::make_unique<StartupFolderFamily>(std::move(locations), folders, links, programDirectory, context,
                                                     prompt, std::move(flags));
      }};
}

StartupFolderFamily::StartupFolderFamily(std::vector<std::string> folders, FolderPort& files, ShellLinkPort& links,
                                         std::string programDirectory, const FamilyContext& context, UserPrompt& prompt,
                                         FolderFlags flags)
    : folders_(std::move(folders)),
      files_(files),
      links_(links),
      programDirectory_(std::move(programDirectory)),
      support_(context, prompt, kStartupFolderTraits),
      flagKeys_(std::move(flags)) {
  if (flagKeys_.registry) flags_.emplace(*flagKeys_.registry, support_);
}

std::string StartupFolderFamily::Entry::path() const { return entryPath(folder, name); }

StartupFolderFamily::Entry StartupFolderFamily::entryOf(const Row& row) {
  return Entry{row.name, row.data, row.path, row.origin};
}

std::optional<FlagKey> StartupFolderFamily::flagKeyOf(const std::string& folder) const {
  if (!flags_) return std::nullopt;
  for (std::size_t i = 0; i < folders_.size() && i < flagKeys_.keys.size(); ++i) {
    if (flagKeys_.keys[i] && !withoutTrailingBackslash(folders_[i]).empty() && sameFolder(folders_[i], folder)) {
      return flagKeys_.keys[i];
    }
  }
  return std::nullopt;
}

std::string StartupFolderFamily::copyPath(const std::string& folder, const std::string& name) const {
  return disabledCopyPath(programDirectory_, folder, name);
}
void StartupFolderFamily::fileFailed(FileStatus status, const char* key, const std::string& path,
                                     const std::string& folder) {
  if (status == FileStatus::AccessDenied || status == FileStatus::InUse) {
    support_.tell("_StartupAccessDenied", {withoutTrailingBackslash(folder)});
  } else if (status == FileStatus::NotFound) {
    support_.tell("_StartupFileMissing", {path});
  } else {
    support_.tell(key, {path});
  }
}

FileStatus StartupFolderFamily::copyIntoDisabled(const std::string& from, const std::string& to) {
  const FileStatus made = files_.makeFolder(disabledCopyFolder(programDirectory_));
  return made == FileStatus::Ok ? files_.copyFile(from, to, IfExists::Replace) : made;
}

void StartupFolderFamily::disabledCopyFailed(FileStatus status, const char* key, const std::string& path) {
  if (status == FileStatus::AccessDenied) {
    support_.tellProgramFolderRefused();
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

bool StartupFolderFamily::isOwnFolder(const std::string& folder) const {
  if (withoutTrailingBackslash(folder).empty()) return false;
  return std::any_of(folders_.begin(), folders_.end(), [&](const std::string& f) {
    return !withoutTrailingBackslash(f).empty() && sameFolder(f, folder);
  });
}

bool StartupFolderFamily::mayChange(const Entry& e, bool touchesFile) {
  if (!isOwnFolder(e.folder)) {
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

EntryCheck StartupFolderFamily::nameCheck() const {
  return [this](const std::string& name, const std::string&) -> std::optional<FieldProblem> {
    if (isPlainFileName(name)) return std::nullopt;
    return FieldProblem{EntryField::Name,
                        safeFormat(support_.translator().translate("_StartupInvalidName", Escapes::Convert), {name})};
  };
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

Outcome StartupFolderFamily::keepReplaced(Transaction& tx, const std::string& folder, const std::string& name,
                                          KeptFile& kept) {
  kept.reset();
  const std::string path = entryPath(folder, name);
  if (!files_.exists(path)) return Outcome::Done;
  const std::string copy = replacedCopyPath(programDirectory_, folder, name);
  const FileStatus copied = copyIntoDisabled(path, copy);
  if (copied != FileStatus::Ok) {
    (void)files_.removeFile(copy);
    disabledCopyFailed(copied, "_StartupKeepFailed", path);
    return Outcome::Failed;
  }
  kept = std::make_shared<std::string>(copy);
  // Dropped when the change is over, unless the write that replaced the file
  // could not be taken back: then the copy is all that is left of it.
  tx.undoWith([this, kept] {
    if (!kept->empty()) (void)files_.removeFile(*kept);
    return true;
  });
  tx.onCommit([this, kept] { (void)files_.removeFile(*kept); });
  return Outcome::Done;
}

void StartupFolderFamily::wrote(Transaction& tx, const std::string& path, const KeptFile& kept) {
  tx.undoWith([this, path, kept] {
    const FileStatus removed = files_.removeFile(path);
    bool back = removed == FileStatus::Ok || removed == FileStatus::NotFound;
    if (kept) {
      back = back && files_.copyFile(*kept, path, IfExists::Fail) == FileStatus::Ok;
      if (back) (void)files_.removeFile(*kept);
      kept->clear();  // dealt with here: kept on failure, gone on success
    }
    return back;
  });
}

void StartupFolderFamily::fill(EntryList& list) {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();
  // Each flag key is read once for the whole listing.
  std::optional<OffFlags> offFlags;
  if (flagKeys_.registry) offFlags.emplace(*flagKeys_.registry);
  std::vector<Row> rows;
  for (const auto& folder : folders_) {
    // An unknown folder must not turn into the current drive's root.
    if (withoutTrailingBackslash(folder).empty()) continue;
    support_.addDisabledRows(rows, stored, folder, type);
    const auto flagKey = flagKeyOf(folder);
    for (const auto& file : folderScan(files_, folder)) {
      // The scanned folder without its trailing backslash: what DirectoryPart
      // gives for a drive path, and still right for a redirected (UNC) folder.
      Row row{file.name, type, resolveShortcut(links_, file.fullPath).value_or(""), withoutTrailingBackslash(folder),
              RowState::Live};
      if (flagKey && offFlags->isOff(*flagKey, file.name)) {
        // It does not start, so its box is clear.
        row.state = RowState::Disabled;
        row.origin = RowOrigin::OffInWindows;
      }
      rows.push_back(std::move(row));
    }
  }
  // A shortcut's program is its target; a file that is no shortcut is its
  // own (a disabled one sits among the kept copies: nothing to check).
  support_.describeRows(
      rows,
      [](const Row& row) -> std::string {
        if (!row.data.empty()) return "\"" + row.data + "\"";
        return row.origin != RowOrigin::Record ? "\"" + row.path + "\\" + row.name + "\"" : std::string();
      },
      // Windows opens a startup folder's files by their type: one without an
      // extension, or of a type nothing opens, never starts.
      [this](const Row& row) -> std::string_view {
        return row.origin != RowOrigin::Record && !support_.windowsOpens(row.name) ? "_StatusNotStartable" : "";
      });
  list.setRows(std::move(rows));
}

bool StartupFolderFamily::changeable(const EntryList& list, int index, Entry& e) {
  if (!FamilySupport::isRow(list, index)) return false;
  e = entryOf(list.row(index));
  return mayChange(e, e.live());
}

void StartupFolderFamily::remove(EntryList& list, int index) {
  Entry e;
  if (!changeable(list, index, e)) return;
  if (!support_.confirmRemove(e.name, withoutTrailingBackslash(e.folder), e.data)) return;
  // The file itself (or a disabled entry's copy) is kept, so Undo can put it back.
  const std::string copy = keepForHistory(e.live() ? e.path() : copyPath(e.folder, e.name));
  std::optional<RegValue> flag;
  if ((e.live() ? removeLive(e, &flag) : removeDisabled(e)) == Outcome::Done) {
    support_.log(LogOperation::Remove, {e.path()});
    Change c = support_.change(change_kind::kRemove, withoutTrailingBackslash(e.folder), stateOf(e), std::nullopt);
    c.copy = copy;
    // Windows' flag went with the file: Undo puts it back too.
    if (flag) c.extra["flagbefore"] = flagText(flag);
    support_.remember(std::move(c));
  } else {
    dropHistoryCopy(copy);
  }
  fill(list);
  FamilySupport::reselect(list, index);
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

void StartupFolderFamily::add(EntryList& list) {
  if (folders_.empty()) return;
  const std::string& folder = folders_.front();
  if (withoutTrailingBackslash(folder).empty()) {
    support_.tell("_StartupFolderUnknown");
    return;
  }
  EntryDialogData data = support_.dialogData(folder);
  data.check = nameCheck();
  if (!support_.prompt().entryDialog(EntryDialogKind::Add, data)) return;
  if (!plainName(data.name)) return;
  const std::string name = ensureExtension(data.name, "lnk");
  const std::string link = entryPath(folder, name);
  if (!mayReplace(name, link)) return;
  // A file the new shortcut replaces is kept, so Undo gives it back.
  std::optional<EntryState> replaced;
  const std::string kept = keepForHistory(link);
  if (!kept.empty()) replaced = EntryState{name, resolveShortcut(links_, link).value_or(""), {}, false};
  const LinkStatus status = links_.create(data.path, link);
  if (status != LinkStatus::Ok) {
    dropHistoryCopy(kept);
    linkFailed(status, link, folder);
  } else {
    support_.log(LogOperation::Add, {link});
    Change c = support_.change(change_kind::kAdd, withoutTrailingBackslash(folder), replaced,
                               EntryState{name, data.path, {}, false});
    c.copy = kept;
    support_.remember(std::move(c));
  }
  fill(list);
}

void StartupFolderFamily::property(EntryList& list, int index) { support_.showProperty(list, index); }

// A disabled file is not in the folder: the folder is shown instead.
void StartupFolderFamily::openLocation(EntryList& list, int index) {
  if (!FamilySupport::isRow(list, index)) return;
  const Entry e = entryOf(list.row(index));
  if (e.live() && isPlainFileName(e.name)) {
    support_.showFile(e.path());
  } else {
    support_.openFolder(withoutTrailingBackslash(e.folder));
  }
}

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
  support_.log(LogOperation::Disable, {path});
  support_.remember(support_.change(change_kind::kDisable, record.path, stateOf(e),
                                    EntryState{e.name, e.data, {}, true}));
  return true;
}

bool StartupFolderFamily::enable(EntryList& list, int row) {
  if (!FamilySupport::isRow(list, row)) return false;
  const Entry e = entryOf(list.row(row));
  if (!mayChange(e, true)) return false;
  if (e.origin == RowOrigin::OffInWindows) return turnOnInWindows(e);
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
  const std::string replaced = kept ? keepForHistory(*kept) : std::string();
  tx.commit();
  if (hasCopy && !hasRecordNamed(*stored, e.folder, e.name, found->ordinal)) {
    (void)files_.removeFile(copy);
  }
  support_.log(LogOperation::Enable, {path});
  Change c = support_.change(change_kind::kEnable, withoutTrailingBackslash(e.folder), stateOf(e),
                             EntryState{e.name, e.data, {}, false});
  c.copy = replaced;
  support_.remember(std::move(c));
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
  support_.log(LogOperation::Enable, {path});
  support_.remember(flags_->change(withoutTrailingBackslash(e.folder), stateOf(e), was,
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
