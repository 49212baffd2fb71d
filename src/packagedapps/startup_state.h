#pragma once
// A packaged app's startup task as Windows reads it: the user's State value
// under SystemAppData\<family>\<task>, the manifest's Enabled while there is
// none, and the policies that allow or block every such task.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/registry_port.h"

namespace velmora {

// The values of State (the StartupTaskState of the Windows runtime).
enum class StartupTaskState : std::uint32_t {
  Disabled = 0,
  DisabledByUser = 1,
  Enabled = 2,
  DisabledByPolicy = 3,
  EnabledByPolicy = 4,
};

struct StartupState {
  // Windows starts the task at logon: the box is ticked.
  bool starts = false;
  // A policy decides, not the user: Enable and Disable are refused.
  bool policyDecides = false;
  // The status column's key, and the number _PackagedStateUnknown shows.
  std::string_view statusKey;
  std::string unknownValue;
};

// The state of a task whose State value is `state` (none: not written yet),
// whose manifest says `manifestEnabled`, and which a policy of the machine
// or the user blocks (`blocked`). Any State but the five known, or one that
// is no DWORD, is unknown and counts as off.
StartupState startupState(const std::optional<RegValue>& state, bool manifestEnabled, bool blocked);

// The DWORD a value holds; none for a value of another type or size.
std::optional<std::uint32_t> dwordOf(const RegValue& value);
// A DWORD as the registry keeps it (REG_DWORD, little-endian).
RegValue dwordValue(const std::string& name, std::uint32_t number);

// Whether the policy value `value` (EnableFullTrustStartupTasks or
// EnableUwpStartupTasks of the machine, else of the user) blocks startup
// tasks: a DWORD 0 does; any other value, or none, does not.
bool policyBlocks(const std::optional<RegValue>& machine, const std::optional<RegValue>& user);

}  // namespace velmora
