#include "scheduledtasks/task_keeping.h"

#include "core/text.h"

namespace velmora {

namespace {

std::string field(const Change& change, std::string_view name) {
  const auto it = change.extra.find(std::string(name));
  return it == change.extra.end() ? std::string() : it->second;
}

}  // namespace

void keepPrincipal(Change& change, const std::optional<TaskPrincipal>& principal) {
  if (!principal) return;
  change.extra[std::string(kTaskUser)] = principal->userId;
  change.extra[std::string(kTaskGroup)] = principal->groupId;
  change.extra[std::string(kTaskLogon)] = principal->logonType;
  change.extra[std::string(kTaskRunLevel)] = principal->runLevel;
}

std::optional<TaskPrincipal> keptPrincipal(const Change& change) {
  const bool kept = change.extra.count(std::string(kTaskUser)) || change.extra.count(std::string(kTaskGroup)) ||
                    change.extra.count(std::string(kTaskLogon)) || change.extra.count(std::string(kTaskRunLevel));
  if (!kept) return std::nullopt;
  return TaskPrincipal{field(change, kTaskUser), field(change, kTaskGroup), field(change, kTaskLogon),
                       field(change, kTaskRunLevel)};
}

std::string definitionDigest(std::string_view xml) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : xml) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) out[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
  return out;
}

bool usersOwnTask(const std::optional<TaskPrincipal>& principal, const Trust& trust) {
  // Logged on as himself, with the rights he has: the scheduler runs it as
  // he could run it himself. A stored password, a service account, a
  // group or the highest rights make it a task of the machine.
  return principal && trust.isCurrentAccount(principal->userId) && principal->groupId.empty() &&
         (principal->logonType.empty() || principal->logonType == "InteractiveToken") &&
         (principal->runLevel.empty() || principal->runLevel == "LeastPrivilege");
}

PlaceScope taskPlace(const Change& change, const Trust& trust) {
  return usersOwnTask(keptPrincipal(change), trust) ? PlaceScope::User : PlaceScope::Machine;
}

}  // namespace velmora
