#pragma once
// The composition root: it owns the real adapters behind the ports and
// builds the table of families from the one list of them
// (app/all_families.h). A new kind of startup place is one more line there
// (see README, Layout).
#include "app/win32/admin_restart_win32.h"
#include <memory>
#include <string>
#include <vector>

#include "app/win32/data_folders_win32.h"
#include "core/data_lock.h"
#include "core/paths.h"
#include "core/scoped_store.h"
#include "core/trust.h"
#include "app/win32/program_files_win32.h"
#include "app/win32/signatures_win32.h"
#include "app/win32/workers.h"
#include "core/win32/store_msxml.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/win32/history_file_win32.h"
#include "family/seen_entries.h"
#include "family/win32/location_opener_win32.h"
#include "family/win32/seen_file_win32.h"
#include "family/families.h"
#include "logonimpact/logon_cells.h"
#include "logonimpact/logon_measurement.h"
#include "platform/win32/data_lock_win32.h"
#include "platform/win32/registry_win32.h"
#include "programlist/win32/short_path_win32.h"
#include "scheduledtasks/task_listing.h"
#include "packagedapps/win32/packages_win32.h"
#include "scheduledtasks/win32/task_scheduler_win32.h"
#include "platform/win32/ui_post.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"

namespace velmora::win32 {

// The window and the console (velmorac.exe) are two front ends over one
// composition: the same families, stores, history and commit. Nothing here
// makes a window; inline, every look-up answers where it is asked.
class Composition {
 public:
  // The window's: the Task Scheduler is read and program files are looked
  // up by workers (Workers), results handed back to the thread that made
  // it. Inline (the console, an export, with no window to keep answering):
  // everything is read where it is asked for.
  enum class Mode { Window, Inline };

  // `rights` answers a change refused for lack of rights; none: the
  // window's offer to start Velmora again as administrator. The console
  // passes its own, which never offers it.
  Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink, Mode mode = Mode::Inline,
              AdminRestart* rights = nullptr);
  Composition(const Composition&) = delete;
  Composition& operator=(const Composition&) = delete;

  const FamilyTable& families() const { return families_; }
  ChangeHistory& history() { return history_; }
  const Trust& trust() const { return trust_; }
  ChangeCommit& commit() { return commit_; }
  SignatureMemory& signatures() { return signatures_; }
  DisabledEntryStore& store() { return store_; }
  // The config.xml files whose records the store lists, by StoredItem::source
  // (empty where there is none).
  std::vector<std::string> recordFiles() const;
  // Velmora closes normally: what it saw is kept for the next start
  // (nothing without a user folder, or over a damaged file).
  void closing();

  // The window's workers; none inline.
  Workers* workers() { return workers_.get(); }
  // `arrived` runs on the window's thread when a reading of the slow places
  // came (its rows can be shown), and when program files' answers came.
  void onSlowPlacesArrived(std::function<void()> arrived) { slowPlacesArrived_ = std::move(arrived); }
  void onFactsArrived(std::function<void()> arrived);
  // The window shows: the slow places are read from now on.
  void windowShown();
  // What Windows measured of the last logon, as the latest reading of the
  // slow places found it; none before one came.
  const std::optional<LogonMeasurement>& logonMeasurement() const { return logon_; }
  // The Impact and Last logon cells the families fill from it; its
  // generation counts the measurements that came.
  const LogonCells& logonCells() const { return logonCells_; }

 private:
  // A store of one data folder, its every change under the folder's lock.
  struct FolderStore {
    explicit FolderStore(const std::string& folder)
        : lock(folder), file(folder + "\\config.xml"), locked(file, lock) {}
    MutexDataLock lock;
    MsxmlStore file;
    LockedStore locked;
  };
  // The machine's change history and its copies, for the installed copy.
  struct MachineHistory {
    MachineHistory(const std::string& folder, DataLock& lock)
        : file(folder + "\\history.xml"), history(file, folder + "\\History") {
      history.setLock(&lock);
    }
    Win32HistoryFile file;
    ChangeHistory history;
  };

  // Hands a reading of the Task Scheduler to the slow places' worker.
  void readTasks();
  Win32Registry registry_;
  JudgedPlaces judged_;
  DataPlaces& places_;
  Trust trust_;
  // The user's records; the machine's and an older installation's only for
  // the installed copy.
  FolderStore userStore_;
  std::unique_ptr<FolderStore> machineStore_;
  std::unique_ptr<FolderStore> legacyStore_;
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
  std::unique_ptr<MachineHistory> machineHistory_;
  ChangeCommit commit_;
  FamilyContext context_;
  Win32ShortPaths shortPaths_;
  Win32Folders folders_;
  Win32ShellLinks shellLinks_;
  TaskSchedulerWin32 tasks_;
  // What the window's families see of the scheduler: the workers' latest
  // reading (inline: the scheduler itself).
  std::unique_ptr<TaskListing> taskListing_;
  std::function<void()> slowPlacesArrived_;
  std::optional<LogonMeasurement> logon_;
  LogonCells logonCells_;
  PackagesWin32 packages_;
  FamilyTable families_;
  // Last, so that they go first: nothing they hand back runs after the
  // rest is gone.
  std::unique_ptr<UiPost> ui_;
  std::unique_ptr<Workers> workers_;
};

}  // namespace velmora::win32
