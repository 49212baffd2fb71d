#include "app/win32/composition.h"

#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::win32 {

Composition::Composition(const ProgramFiles& files, const Translator& translator, LogSink* logSink)
    : store_(files.configFile()),
      log_(translator, logSink),
      opener_(registry_),
      historyFile_(files.historyFile()),
      history_(historyFile_, files.historyCopyFolder()),
      commit_(log_, &history_, translator),
      context_{store_, translator, files.directory, &adminRestart_, &programFiles_, &history_, &opener_},
      families_({
          startupFolderFamily(registry_, folders_, shellLinks_, files.directory, context_),
          registryFamily(registry_, context_),
          programListFamily(registry_, shortPaths_, context_),
      }) {}

}  // namespace velmora::win32
