#include "app/single_instance.h"

#include <sstream>
#include <string>

#include "core/text.h"

namespace velmora {

bool startedAsRestart(std::string_view commandLine) {
  std::istringstream words{std::string(commandLine)};
  std::string word;
  while (words >> word) {
    if (equalsIgnoreCase(word, kRestartArgument)) return true;
  }
  return false;
}

bool claimSingleInstance(const std::function<InstanceClaim()>& tryClaim, bool restarted,
                         const std::function<void()>& pause, int attempts) {
  const int tries = restarted && attempts > 1 ? attempts : 1;
  for (int i = 0; i < tries; ++i) {
    if (i > 0) pause();
    if (tryClaim() == InstanceClaim::Claimed) return true;
  }
  return false;
}

}  // namespace velmora
