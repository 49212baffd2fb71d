#include "app/win32/composition.h"

#include "app/all_families.h"

namespace velmora::win32 {

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
    : store_(files.configFile()),
      log_(translator, logSink),
      opener_(registry_),
      seenFile_(files.seenFile()),
      seenInUse_(files.userFolder.empty() ? nullptr : &seen_),
      historyFile_(files.historyFile()),
      history_(historyFile_, files.historyCopyFolder()),
      commit_(log_, &history_, translator, seenInUse_),
      context_{store_, translator, files.directory, &adminRestart_, &programFiles_, &history_, &opener_,
               &signatures_, seenInUse_},
      families_(allFamilies({registry_, folders_, shellLinks_, shortPaths_, tasks_, files.directory}, context_)) {
  // Read before the first listing, which marks what is new against it.
  if (seenInUse_) seenInUse_->load();
}

void Composition::closing() {
  // A list that could not be saved is lost, not wrong: the next start
  // compares with the one before (or, without one, marks nothing).
  if (seenInUse_) (void)seenInUse_->save();
}

}  // namespace velmora::win32
