#pragma once
#include "core/registry_port.h"

namespace velmora::win32 {

// The real registry through the W functions, 64-bit view.
class Win32Registry : public RegistryPort {
 public:
  [[nodiscard]] RegStatus enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) override;
  [[nodiscard]] RegStatus queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) override;
  [[nodiscard]] RegStatus setText(RootKey root, const std::string& subkey, const std::string& name,
                                  const std::string& data, std::uint32_t type, KeyCreation creation) override;
  [[nodiscard]] RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                   const std::vector<std::uint8_t>& data, std::uint32_t type,
                                   KeyCreation creation) override;
  [[nodiscard]] RegStatus deleteValue(RootKey root, const std::string& subkey, const std::string& name) override;
};

}  // namespace velmora::win32
