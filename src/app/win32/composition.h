#pragma once
// The composition root: it owns the real adapters behind the ports and
// builds the table of families from the one list of them
// (app/all_families.h). A new kind of startup place is one more line there
// (see README, Layout).
#include "app/win32/admin_restart_win32.h"
#include <memory>

#include "core/paths.h"
#include "core/scoped_store.h"
#include "app/win32/program_files_win32.h"
#include "app/win32/signatures_win32.h"
#include "core/win32/store_msxml.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_commit.h"
#include "history/win32/history_file_win32.h"
#include "family/seen_entries.h"
#include "family/win32/location_opener_win32.h"
#include "family/win32/seen_file_win32.h"
#include "family/families.h"
#include "platform/win32/registry_win32.h"
#include "programlist/win32/short_path_win32.h"
#include "packagedapps/win32/packages_win32.h"
#include "scheduledtasks/win32/task_scheduler_win32.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"

namespace velmora::win32 {

class Composition {
 public:
  Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink);
  Composition(const Composition&) = delete;
  Composition& operator=(const Composition&) = delete;

  const FamilyTable& families() const { return families_; }
  ChangeHistory& history() { return history_; }
  ChangeCommit& commit() { return commit_; }
  // Velmora closes normally: what it saw is kept for the next start
  // (nothing without a user folder, or over a damaged file).
  void closing();

 private:
  Win32Registry registry_;
  DataPlaces places_;
  // The user's records; the machine's and an older installation's only for
  // the installed copy.
  MsxmlStore userStore_;
  std::unique_ptr<MsxmlStore> machineStore_;
  std::unique_ptr<MsxmlStore> legacyStore_;
  ScopedStore store_;
  OperationLog log_;
  Win32AdminRestart adminRestart_;
  Win32ProgramFiles programFiles_;
  Win32Signatures signatureCheck_;
  // Who signed what, for the session: every pane and the export share it.
  SignatureMemory signatures_{signatureCheck_};
  Win32LocationOpener opener_;
  // What the user's last run saw; none without a user folder.
  Win32SeenFile seenFile_;
  SeenEntries seen_{seenFile_};
  SeenEntries* seenInUse_;
  Win32HistoryFile historyFile_;
  ChangeHistory history_;
  ChangeCommit commit_;
  FamilyContext context_;
  Win32ShortPaths shortPaths_;
  Win32Folders folders_;
  Win32ShellLinks shellLinks_;
  TaskSchedulerWin32 tasks_;
  PackagesWin32 packages_;
  FamilyTable families_;
};

}  // namespace velmora::win32
