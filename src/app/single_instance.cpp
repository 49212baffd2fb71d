#include "app/single_instance.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace velmora {

// Split by hand: a string stream would link the whole of the C++ locale
// machinery into the program (a third of its code).
bool startedAsRestart(std::string_view commandLine) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  for (std::size_t start = commandLine.find_first_not_of(kBlanks); start != std::string_view::npos;) {
    const std::size_t end = std::min(commandLine.find_first_of(kBlanks, start), commandLine.size());
    if (equalsIgnoreCase(commandLine.substr(start, end - start), kRestartArgument)) return true;
    start = commandLine.find_first_not_of(kBlanks, end);
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
