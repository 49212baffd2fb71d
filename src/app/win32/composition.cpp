#include "app/win32/composition.h"

#include "app/all_families.h"
#include "logonimpact/win32/logon_measurement_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/security_win32.h"

namespace velmora::win32 {

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink, Mode mode,
                         AdminRestart* rights)
    : judged_(judgedPlaces(files)),
      places_(judged_.places),
      trust_(runsElevated(), places_, currentAccountNames()),
      userStore_(places_.user),
      machineStore_(places_.separate() ? std::make_unique<FolderStore>(places_.machine) : nullptr),
      legacyStore_(!places_.legacy.empty() ? std::make_unique<FolderStore>(places_.legacy) : nullptr),
      store_(userStore_.locked, machineStore_ ? &machineStore_->locked : nullptr,
             legacyStore_ ? &legacyStore_->locked : nullptr,
             [this](std::string_view path) { return places_.isUserPlace(path); }),
      log_(translator, logSink),
      adminRestart_(&translator),
      opener_(registry_),
      seenFile_(files.seenFile()),
      seenInUse_(files.userFolder.empty() ? nullptr : &seen_),
      historyFile_(files.historyFile()),
      history_(historyFile_, files.historyCopyFolder()),
      machineHistory_(machineStore_ ? std::make_unique<MachineHistory>(places_.machine, machineStore_->lock) : nullptr),
      commit_(log_, &history_, translator, seenInUse_),
      // A refusal for lack of rights comes from the machine's folder: the
      // user's own is always theirs to write.
      context_{store_,
               translator,
               places_.machine,
               rights ? rights : &adminRestart_,
               &programFiles_,
               &history_,
               &opener_,
               &signatures_,
               seenInUse_,
               places_.separate() ? &places_ : nullptr,
               &trust_,
               [this](std::string_view path) { return store_.addsAdminOnly(path); }},
      taskListing_(mode == Mode::Window ? std::make_unique<TaskListing>(tasks_, [this] { readTasks(); }) : nullptr),
      logonCells_(translator),
      families_(allFamilies({registry_, folders_, shellLinks_, shortPaths_,
                             taskListing_ ? static_cast<TaskPort&>(*taskListing_) : tasks_, packages_,
                             files.directory},
                            context_)),
      ui_(mode == Mode::Window ? std::make_unique<UiPost>() : nullptr),
      workers_(mode == Mode::Window ? std::make_unique<Workers>(ui_->poster()) : nullptr) {
  // Set before any family is made (the table makes them when asked).
  if (workers_) context_.programFacts = &workers_->programFacts();
  context_.logon = &logonCells_;
  // The window's worker reads the measurement with the slow places; an
  // export or the console reads it where a cell first asks.
  if (!workers_) {
    logonCells_.measureWhenAsked([this](LogonCells& cells) {
      logon_ = LogonMeasurementWin32().read();
      cells.measured(*logon_, history_.changes().value_or(std::vector<Change>{}));
    });
  }
  commit_.tellChanges([this](const Change& change) { logonCells_.changed(change); });
  // Who can write what, for the trust rule (core/trust.h).
  store_.setAdminOnly(judged_.userAdminOnly, judged_.machineAdminOnly, judged_.legacyAdminOnly);
  history_.setAdminOnly(judged_.userAdminOnly);
  history_.setLock(&userStore_.lock);
  if (machineHistory_) {
    machineHistory_->history.setAdminOnly(judged_.machineAdminOnly);
    history_.keepMachineChangesIn(&machineHistory_->history);
  }
  commit_.setTrust(&trust_);
  // Read before the first listing, which marks what is new against it.
  if (seenInUse_) seenInUse_->load();
}

void Composition::onFactsArrived(std::function<void()> arrived) {
  if (workers_) workers_->onFactsArrived(std::move(arrived));
}

void Composition::windowShown() {
  if (workers_) workers_->release();
}

void Composition::readTasks() {
  if (!workers_) return;
  // The worker reads through a scheduler object of its own apartment; only
  // what it read comes back, to this thread, where the listing keeps it.
  workers_->post([ui = workers_->ui(), this] {
    TaskSchedulerWin32 scheduler;
    std::vector<RegisteredTaskInfo> tasks;
    const TaskStatus status = scheduler.listTasks(tasks);
    // The logon measurement is read with them: a system folder and a file
    // of some size, never on the window's thread.
    LogonMeasurement logon = LogonMeasurementWin32().read();
    // Runs only while the window's side lives (UiPost drops it after).
    ui([this, status, tasks = std::move(tasks), logon = std::move(logon)]() mutable {
      logon_ = std::move(logon);
      // What Velmora changed since the measurement is not measured.
      logonCells_.measured(*logon_, history_.changes().value_or(std::vector<Change>{}));
      taskListing_->arrived(status, std::move(tasks));
      if (slowPlacesArrived_) slowPlacesArrived_();
    });
  });
}

std::vector<std::string> Composition::recordFiles() const {
  // In ScopedStore's order of sources: the user's, the machine's, the legacy one.
  const auto file = [](bool used, const std::string& folder) {
    return used ? folder + "\\config.xml" : std::string();
  };
  return {file(true, places_.user), file(places_.separate(), places_.machine),
          file(!places_.legacy.empty(), places_.legacy)};
}

void Composition::closing() {
  // A list that could not be saved is lost, not wrong: the next start
  // compares with the one before (or, without one, marks nothing).
  if (seenInUse_) (void)seenInUse_->save();
}

}  // namespace velmora::win32
