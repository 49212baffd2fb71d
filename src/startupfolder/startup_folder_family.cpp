#include "startupfolder/startup_folder_family.h"

#include <algorithm>

#include "core/format.h"
#include "core/paths.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "family/prompt.h"
#include "family/transaction.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/folder_scan.h"

namespace velmora {

namespace {

// The log names an entry by its file's name, then its folder.
std::vector<std::string> logEntryPath(const std::string& location, const EntryState& state) {
  return {state.name, withoutTrailingBackslash(location)};
}

std::vector<std::string> logModifiedPaths(const std::string& location, const EntryState& before,
                                          const EntryState& after) {
  return {before.name, withoutTrailingBackslash(location), after.name, after.data};
}

}  // namespace

// Disable records the folder without its trailing backslash, so a folder
// held with one must still find its records.
const FamilyTraits kStartupFolderTraits{kStartupFolderRecords, LogKeys{"1"}, "_StartupFolderType", &sameFolder,
                                        "startupfolder", &logEntryPath, &logModifiedPaths};

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
          std::vector<std::string> locations) -> std::unique_ptr<EntryFamily> {
        FolderFlags flags = startupFolderFlags(registry, locations);
        return std::make_unique<StartupFolderFamily>(std::move(locations), folders, links, programDirectory, context,
                                                     std::move(flags));
      }};
}

StartupFolderFamily::StartupFolderFamily(std::vector<std::string> folders, FolderPort& files, ShellLinkPort& links,
                                         std::string programDirectory, const FamilyContext& context, FolderFlags flags)
    : folders_(std::move(folders)),
      files_(files),
      links_(links),
      programDirectory_(std::move(programDirectory)),
      places_(context.dataPlaces),
      support_(context, kStartupFolderTraits),
      flagKeys_(std::move(flags)) {
  if (flagKeys_.registry) flags_.emplace(*flagKeys_.registry, support_);
}

std::string StartupFolderFamily::Entry::path() const { return entryPath(folder, name); }

StartupFolderFamily::Entry StartupFolderFamily::entryFrom(const EntryRef& entry) {
  return Entry{entry.name, entry.data, entry.location, entry.origin};
}

// ---------------------------------------------------------------------------
// The operations

OperationResult StartupFolderFamily::remove(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { removeEntry(entryFrom(entry)); });
}

OperationResult StartupFolderFamily::add(const EntryDialogData& fields, UserPrompt& prompt) {
  return support_.run(prompt, [&] { addEntry(fields); });
}

OperationResult StartupFolderFamily::modify(const EntryRef& entry, const EntryDialogData& fields,
                                            UserPrompt& prompt) {
  return support_.run(prompt, [&] { modifyEntry(entryFrom(entry), fields); });
}

OperationResult StartupFolderFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return enableEntry(entryFrom(entry)); });
}

OperationResult StartupFolderFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return disableEntry(entryFrom(entry)); });
}

OperationResult StartupFolderFamily::undo(const Change& change, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return reverse(change); });
}

OperationResult StartupFolderFamily::prepareAdd(EntryDialogData& data) {
  return support_.runWithoutQuestions([&] { return prepareAddEntry(data); });
}

OperationResult StartupFolderFamily::openLocation(const EntryRef& entry) {
  OperationResult result = support_.runWithoutQuestions([&] {
    showLocation(entryFrom(entry));
    return true;
  });
  // Only what went wrong is said.
  if (!result.messages.empty()) result.outcome = Outcome::Failed;
  return result;
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

const std::string& StartupFolderFamily::copyFolderFor(const std::string& folder) const {
  return places_ ? places_->folderFor(folder) : programDirectory_;
}

std::string StartupFolderFamily::copyPath(const std::string& folder, const std::string& name) const {
  const std::string path = disabledCopyPath(copyFolderFor(folder), folder, name);
  // A copy an older installation kept beside the program is used where it
  // is, until its entry is enabled.
  if (places_ && !places_->legacy.empty() && !files_.exists(path)) {
    std::string kept = disabledCopyPath(places_->legacy, folder, name);
    if (files_.exists(kept)) return kept;
  }
  return path;
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
  const FileStatus made = files_.makeFolder(to.substr(0, to.rfind('\\')));
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
  const std::string copy = replacedCopyPath(copyFolderFor(folder), folder, name);
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

}  // namespace velmora
