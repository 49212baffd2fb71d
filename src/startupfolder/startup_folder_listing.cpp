// The startup-folder family's listing, the entry dialogs' content and Open
// Location: what it shows of each folder, without changing anything.
#include "core/format.h"
#include "lang/language_table.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"
#include "lang/local_formats.h"

namespace velmora {

// ---------------------------------------------------------------------------
// The entry dialogs

bool StartupFolderFamily::prepareAddEntry(EntryDialogData& data) {
  // The folders Windows named; the current user's is chosen, as it needs no
  // administrator.
  std::vector<std::string> known;
  std::size_t chosen = 0;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    if (withoutTrailingBackslash(folders_[i]).empty()) continue;
    if (i < flagKeys_.keys.size() && flagKeys_.keys[i] == startupFolderFlagKey(false)) chosen = known.size();
    known.push_back(folders_[i]);
  }
  if (known.empty()) {
    if (!folders_.empty()) support_.tell("_StartupFolderUnknown");
    return false;
  }
  // Each folder named by whose it is; one Windows did not name is shown as
  // its path.
  data = support_.addDialogData(known, chosen, [this](const std::string& folder) -> std::string_view {
    const auto key = flagKeyOf(folder);
    if (key == startupFolderFlagKey(false)) return "_PlaceStartupCurrentUser";
    if (key == startupFolderFlagKey(true)) return "_PlaceStartupAllUsers";
    return {};
  });
  data.check = nameCheck();
  for (EntryPlace& place : data.places) place.check = data.check;
  return true;
}

EntryDialogData StartupFolderFamily::dialogData(const EntryRef& entry) const {
  const Entry e = entryFrom(entry);
  EntryDialogData data = support_.dialogData(entry);
  data.check = nameCheck();
  // A file is looked at only where the entry may be changed: a record
  // edited by hand could name a file elsewhere.
  if (!isOwnFolder(e.folder) || (e.live() && !isPlainFileName(e.name))) return data;
  // The dialog changes the target only: say what else the shortcut keeps.
  const std::string copy = copyPath(e.folder, e.name);
  const std::string& link = e.live() ? e.path() : copy;
  std::string args;
  if ((e.live() || files_.exists(copy)) && links_.arguments(link, args) == LinkStatus::Ok && !args.empty()) {
    data.note = safeFormat(support_.translator().translate("_StartupKeepsArguments", Escapes::Convert), {args});
  }
  return data;
}

// A disabled file is not in the folder: the folder is shown instead.
void StartupFolderFamily::showLocation(const Entry& e) {
  if (e.live() && isPlainFileName(e.name)) {
    support_.showFile(e.path());
  } else {
    support_.openFolder(withoutTrailingBackslash(e.folder));
  }
}

// ---------------------------------------------------------------------------
// Listing

namespace {
// What the Command column shows of a startup file: a shortcut's target and
// arguments as Windows starts them; a file that is no shortcut, itself.
// Empty: the target alone, as stored.
std::string commandShown(const std::string& target, const std::string& args, const std::string& file) {
  if (target.empty()) return file;
  if (args.empty()) return {};
  return (target.find(' ') != std::string::npos ? "\"" + target + "\"" : target) + " " + args;
}
}  // namespace

std::string StartupFolderFamily::shownCommand(const std::string& target, const std::string& file) {
  std::string args;
  if (!target.empty() && links_.arguments(file, args) != LinkStatus::Ok) args.clear();
  return commandShown(target, args, file);
}

std::vector<Row> StartupFolderFamily::list() {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();
  // Each flag key is read once for the whole listing.
  std::optional<OffFlags> offFlags;
  if (flagKeys_.registry) offFlags.emplace(*flagKeys_.registry);
  std::vector<Row> rows;
  for (const auto& folder : folders_) {
    // An unknown folder must not turn into the current drive's root.
    if (withoutTrailingBackslash(folder).empty()) continue;
    const std::size_t firstRecord = rows.size();
    support_.addDisabledRows(rows, stored, folder, type);
    for (std::size_t i = firstRecord; i < rows.size(); ++i) {
      Row& record = rows[i];
      // A disabled file is shown where it would start from; a shortcut's
      // arguments are read from the copy kept of it.
      const std::string copy = copyPath(folder, record.name);
      if (record.data.empty()) {
        record.dataShown = withoutTrailingBackslash(folder) + "\\" + record.name;
      } else if (isPlainFileName(record.name) && files_.exists(copy)) {
        record.dataShown = shownCommand(record.data, copy);
      }
    }
    const auto flagKey = flagKeyOf(folder);
    for (const auto& file : folderScan(files_, folder)) {
      // The scanned folder without its trailing backslash: what DirectoryPart
      // gives for a drive path, and still right for a redirected (UNC) folder.
      std::string target;
      std::string args;
      if (links_.read(file.fullPath, target, args) != LinkStatus::Ok) target.clear();
      Row row{file.name, type, target, withoutTrailingBackslash(folder), RowState::Live};
      row.dataShown = commandShown(target, args, file.fullPath);
      row.writtenAt = utcOrder(file.written);
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
      rows, folders_,
      [](const Row& row) -> std::string {
        if (!row.data.empty()) return "\"" + row.data + "\"";
        return row.origin != RowOrigin::Record ? "\"" + row.path + "\\" + row.name + "\"" : std::string();
      },
      // Windows opens a startup folder's files by their type: one without an
      // extension, or of a type nothing opens, never starts.
      [this](const Row& row) -> std::string_view {
        return row.origin != RowOrigin::Record && !support_.windowsOpens(row.name) ? "_StatusNotStartable" : "";
      });
  return rows;
}

}  // namespace velmora
