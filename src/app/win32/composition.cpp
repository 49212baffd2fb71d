#include "app/win32/composition.h"

#include "app/all_families.h"

namespace velmora::win32 {

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
    : store_(files.configFile()),
      log_(translator, logSink),
      opener_(registry_),
      historyFile_(files.historyFile()),
      history_(historyFile_, files.historyCopyFolder()),
      commit_(log_, &history_, translator),
      context_{store_, translator, files.directory, &adminRestart_, &programFiles_, &history_, &opener_,
               &signatures_},
      families_(allFamilies({registry_, folders_, shellLinks_, shortPaths_, tasks_, files.directory}, context_)) {}

}  // namespace velmora::win32
