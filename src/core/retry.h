#pragma once
// Another program may hold a file or the clipboard for a moment: an
// antivirus or sync client reading a file just written, clipboard history
// or a remote desktop reading what was copied. Such a refusal is tried
// again for a short, bounded time before it is reported; every other answer
// counts at once.
#include <array>

namespace velmora {

// The pauses between tries, in milliseconds: eight tries within about a
// second (1,050 ms of pauses at most), short ones first, since most holds
// last a few milliseconds.
inline constexpr std::array<unsigned, 7> kBriefRetryPausesMs = {20, 40, 80, 160, 250, 250, 250};

// `attempt()` until `transient(result)` is false or the pauses are used up;
// `pause(ms)` waits between tries. The last result.
template <class Attempt, class Transient, class Pause>
auto retryBriefly(Attempt&& attempt, Transient&& transient, Pause&& pause) {
  auto result = attempt();
  for (const unsigned ms : kBriefRetryPausesMs) {
    if (!transient(result)) break;
    pause(ms);
    result = attempt();
  }
  return result;
}

}  // namespace velmora
