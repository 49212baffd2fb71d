#pragma once
// The registry as the logic sees it. The Win32 adapter calls the W APIs and
// converts at the edge; the fake keeps keys in memory. Values are read whole,
// whatever their size.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// The five predefined root keys that have a name, with their handle values.
enum class RootKey : std::uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  CurrentConfig = 0x80000005u,
};

enum class RegStatus {
  Ok,
  NotFound,      // key or value missing
  AccessDenied,  // the user may not read or change it
  Failed,        // anything else
};

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;

struct RegValue {
  std::string name;
  std::uint32_t type = 0;
  // For string types the text up to its first zero; for other types empty.
  std::string text;
  // For types other than strings the data as stored; for strings empty.
  std::vector<std::uint8_t> bytes = {};
};

// Whether a write may create its key.
enum class KeyCreation { CreateKey, KeyMustExist };

// Every call leaves its output untouched unless it returns Ok.
class RegistryPort {
 public:
  RegistryPort() = default;
  RegistryPort(const RegistryPort&) = delete;
  RegistryPort& operator=(const RegistryPort&) = delete;
  virtual ~RegistryPort() = default;

  // Every value of the key, in the registry's enumeration order.
  [[nodiscard]] virtual RegStatus enumerateValues(RootKey root, const std::string& subkey,
                                                  std::vector<RegValue>& out) = 0;
  // The names of the key's direct subkeys, in the registry's enumeration
  // order.
  [[nodiscard]] virtual RegStatus enumerateSubkeys(RootKey root, const std::string& subkey,
                                                   std::vector<std::string>& out) = 0;
  // One value.
  [[nodiscard]] virtual RegStatus queryValue(RootKey root, const std::string& subkey,
                                             const std::string& name, RegValue& out) = 0;
  // Writes a REG_SZ or REG_EXPAND_SZ value (`type`, with its terminating
  // zero) and flushes the key. With KeyMustExist a missing key gives NotFound.
  [[nodiscard]] virtual RegStatus setText(RootKey root, const std::string& subkey, const std::string& name,
                                          const std::string& data, std::uint32_t type, KeyCreation creation) = 0;
  // The same for a REG_SZ value.
  [[nodiscard]] RegStatus setString(RootKey root, const std::string& subkey, const std::string& name,
                                    const std::string& data, KeyCreation creation) {
    return setText(root, subkey, name, data, kRegSz, creation);
  }
  // Writes a value of a type other than a string (`type`, REG_BINARY for
  // one) with exactly these bytes and flushes the key. String types give
  // Failed: they go through setText.
  [[nodiscard]] virtual RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                           const std::vector<std::uint8_t>& data, std::uint32_t type,
                                           KeyCreation creation) = 0;
  // The same for a REG_BINARY value.
  [[nodiscard]] RegStatus setBinary(RootKey root, const std::string& subkey, const std::string& name,
                                    const std::vector<std::uint8_t>& data, KeyCreation creation) {
    return setBytes(root, subkey, name, data, kRegBinary, creation);
  }
  // Deletes one value and flushes the key.
  [[nodiscard]] virtual RegStatus deleteValue(RootKey root, const std::string& subkey,
                                              const std::string& name) = 0;
  // When the key was last written (any value of it), UTC
  // "YYYY-MM-DDTHH:MM:SSZ". NotFound where the port keeps no times.
  [[nodiscard]] virtual RegStatus keyWritten(RootKey /*root*/, const std::string& /*subkey*/, std::string& /*out*/) {
    return RegStatus::NotFound;
  }
};

}  // namespace velmora
