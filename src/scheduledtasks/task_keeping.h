#pragma once
// What a change of a task keeps of it beside the definition itself, so that
// its Undo puts back that very task and no other: whom it ran as, its
// access list and a digest of the kept definition. A task is the user's own
// place only when it runs as him, logged on, with his own rights; any other
// is a place of all users (core/trust.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/trust.h"
#include "family/change.h"
#include "scheduledtasks/task_definition.h"

namespace velmora {

// Change::extra fields.
inline constexpr std::string_view kTaskUser = "principaluser";
inline constexpr std::string_view kTaskGroup = "principalgroup";
inline constexpr std::string_view kTaskLogon = "principallogon";
inline constexpr std::string_view kTaskRunLevel = "principalrunlevel";
inline constexpr std::string_view kTaskSecurity = "sddl";
inline constexpr std::string_view kTaskCopyDigest = "copydigest";

// Keeps `principal` in the change's fields; none keeps nothing.
void keepPrincipal(Change& change, const std::optional<TaskPrincipal>& principal);
// The principal a change kept; none when it kept none (an older Velmora's).
std::optional<TaskPrincipal> keptPrincipal(const Change& change);

// The digest of a kept definition: FNV-1a, 64 bits, of its UTF-8 text, in
// hexadecimal.
std::string definitionDigest(std::string_view xml);

// Whether a task running as `principal` is the current user's own.
bool usersOwnTask(const std::optional<TaskPrincipal>& principal, const Trust& trust);
// FamilyTraits::placeScope of the scheduled tasks: by the principal the
// change kept.
PlaceScope taskPlace(const Change& change, const Trust& trust);

}  // namespace velmora
