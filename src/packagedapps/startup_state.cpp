#include "packagedapps/startup_state.h"

namespace velmora {

std::optional<std::uint32_t> dwordOf(const RegValue& value) {
  constexpr std::uint32_t kRegDword = 4;
  if (value.type != kRegDword || value.bytes.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(value.bytes[0]) | static_cast<std::uint32_t>(value.bytes[1]) << 8 |
         static_cast<std::uint32_t>(value.bytes[2]) << 16 | static_cast<std::uint32_t>(value.bytes[3]) << 24;
}

RegValue dwordValue(const std::string& name, std::uint32_t number) {
  return RegValue{name, 4, {},
                  {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

StartupState startupState(const std::optional<RegValue>& state, bool manifestEnabled, bool blocked) {
  if (blocked) return {false, true, "_PackagedBlockedByPolicy", {}};
  if (!state) {
    // Windows writes State when the app first runs; until then the
    // manifest's wish stands.
    return manifestEnabled ? StartupState{true, false, "_PackagedStateAfterFirstRun", {}}
                           : StartupState{false, false, "_PackagedStateOff", {}};
  }
  const std::optional<std::uint32_t> n = dwordOf(*state);
  if (n) {
    switch (static_cast<StartupTaskState>(*n)) {
      case StartupTaskState::Disabled: return {false, false, "_PackagedStateOff", {}};
      case StartupTaskState::DisabledByUser: return {false, false, "_PackagedStateOffByUser", {}};
      case StartupTaskState::Enabled: return {true, false, "_PackagedStateOn", {}};
      case StartupTaskState::DisabledByPolicy: return {false, true, "_PackagedStateOffByPolicy", {}};
      case StartupTaskState::EnabledByPolicy: return {true, true, "_PackagedStateOnByPolicy", {}};
    }
  }
  // Shown as it is stored: a number, or the text or bytes of another type.
  std::string shown;
  if (n) {
    shown = std::to_string(*n);
  } else if (!state->text.empty()) {
    shown = state->text;
  } else {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (const std::uint8_t b : state->bytes) {
      shown += kDigits[b >> 4];
      shown += kDigits[b & 0xF];
    }
  }
  return {false, false, "_PackagedStateUnknown", shown};
}

bool policyBlocks(const std::optional<RegValue>& machine, const std::optional<RegValue>& user) {
  // The machine's policy, where it has one, is the one Windows applies.
  const std::optional<RegValue>& applied = machine ? machine : user;
  if (!applied) return false;
  const std::optional<std::uint32_t> n = dwordOf(*applied);
  return n && *n == 0;
}

}  // namespace velmora
