#include "app/win32/composition.h"

#include "app/all_families.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/security_win32.h"

namespace velmora::win32 {

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
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
      context_{store_,    translator,    places_.machine, &adminRestart_, &programFiles_, &history_, &opener_,
               &signatures_, seenInUse_, places_.separate() ? &places_ : nullptr, &trust_,
               [this](std::string_view path) { return store_.addsAdminOnly(path); }},
      families_(allFamilies({registry_, folders_, shellLinks_, shortPaths_, tasks_, files.directory}, context_)) {
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

void Composition::closing() {
  // A list that could not be saved is lost, not wrong: the next start
  // compares with the one before (or, without one, marks nothing).
  if (seenInUse_) (void)seenInUse_->save();
}

}  // namespace velmora::win32
