// Add of a startup-folder entry: a new shortcut in the folder chosen.
#include <algorithm>

#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora {

void StartupFolderFamily::addEntry(const EntryDialogData& data) {
  // Only into a folder the dialog offered.
  const auto offered = std::find(folders_.begin(), folders_.end(), addPlace(data));
  if (offered == folders_.end()) return;
  const std::string& folder = *offered;
  if (withoutTrailingBackslash(folder).empty()) {
    support_.tell("_StartupFolderUnknown");
    return;
  }
  if (!plainName(data.name) || !support_.acceptMissingProgram(data.path)) return;
  const std::string name = ensureExtension(data.name, "lnk");
  const std::string link = entryPath(folder, name);
  if (!mayReplace(name, link)) return;
  // A file the new shortcut replaces is kept, so Undo gives it back.
  std::optional<EntryState> replaced;
  const std::string kept = keepForHistory(link, folder);
  if (!kept.empty()) replaced = EntryState{name, resolveShortcut(links_, link).value_or(""), {}, false};
  const LinkStatus status = links_.create(data.path, link);
  if (status != LinkStatus::Ok) {
    dropHistoryCopy(kept, folder);
    linkFailed(status, link, folder);
  } else {
    Change c = support_.change(change_kind::kAdd, withoutTrailingBackslash(folder), replaced,
                               EntryState{name, data.path, {}, false});
    c.copy = kept;
    support_.done(std::move(c));
  }
}

}  // namespace velmora
