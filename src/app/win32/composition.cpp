#include "app/win32/composition.h"

#include "app/all_families.h"
#include "platform/win32/files_win32.h"

namespace velmora::win32 {

namespace {
std::unique_ptr<MsxmlStore> storeIn(bool used, const std::string& folder) {
  return used ? std::make_unique<MsxmlStore>(folder + "\\config.xml") : nullptr;
}
}  // namespace

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
    : places_(dataPlaces(files)),
      userStore_(places_.user + "\\config.xml"),
      machineStore_(storeIn(places_.separate(), places_.machine)),
      legacyStore_(storeIn(!places_.legacy.empty(), places_.legacy)),
      store_(userStore_, machineStore_.get(), legacyStore_.get(),
             [this](std::string_view path) { return places_.isUserPlace(path); }),
      log_(translator, logSink),
      opener_(registry_),
      seenFile_(files.seenFile()),
      seenInUse_(files.userFolder.empty() ? nullptr : &seen_),
      historyFile_(files.historyFile()),
      history_(historyFile_, files.historyCopyFolder()),
      commit_(log_, &history_, translator, seenInUse_),
      // A refusal for lack of rights comes from the machine's folder: the
      // user's own is always theirs to write.
      context_{store_,    translator,    places_.machine, &adminRestart_, &programFiles_, &history_, &opener_,
               &signatures_, seenInUse_, places_.separate() ? &places_ : nullptr},
      families_(allFamilies({registry_, folders_, shellLinks_, shortPaths_, tasks_, packages_, files.directory}, context_)) {
  // Read before the first listing, which marks what is new against it.
  if (seenInUse_) seenInUse_->load();
}

void Composition::closing() {
  // A list that could not be saved is lost, not wrong: the next start
  // compares with the one before (or, without one, marks nothing).
  if (seenInUse_) (void)seenInUse_->save();
}

}  // namespace velmora::win32
