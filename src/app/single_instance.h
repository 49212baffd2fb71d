#pragma once
// One Velmora at a time, and the hand-over when Velmora starts itself again
// as administrator: the new instance gets kRestartArgument and waits for the
// old one, which closes once the new one has started, to give up the lock.
#include <functional>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kRestartArgument = "/restarted";

// Whether the command line (without the program's name) carries
// kRestartArgument, in any letter case.
bool startedAsRestart(std::string_view commandLine);

enum class InstanceClaim { Claimed, HeldByAnother };

// Takes the one-instance lock through `tryClaim`. A restarted instance tries
// up to `attempts` times with `pause` between tries while the old one closes;
// any other tries once. True when this instance may run.
bool claimSingleInstance(const std::function<InstanceClaim()>& tryClaim, bool restarted,
                         const std::function<void()>& pause, int attempts);

}  // namespace velmora
