#pragma once
#include "core/registry_port.h"

#include <cstddef>
#include <memory>

namespace velmora::win32 {

// The real registry through the W functions, 64-bit view.
class Win32Registry : public RegistryPort {
 public:
  Win32Registry();
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  [[nodiscard]] RegStatus enumerateValues(RootKey root, const std::string& subkey, std::vector<RegValue>& out) override;
  [[nodiscard]] RegStatus enumerateSubkeys(RootKey root, const std::string& subkey,
                                           std::vector<std::string>& out) override;
  [[nodiscard]] RegStatus queryValue(RootKey root, const std::string& subkey, const std::string& name, RegValue& out) override;
  [[nodiscard]] RegStatus setText(RootKey root, const std::string& subkey, const std::string& name,
                                  const std::string& data, std::uint32_t type, KeyCreation creation) override;
  [[nodiscard]] RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                                   const std::vector<std::uint8_t>& data, std::uint32_t type,
                                   KeyCreation creation) override;
  [[nodiscard]] RegStatus deleteValue(RootKey root, const std::string& subkey, const std::string& name) override;
  [[nodiscard]] RegStatus keyWritten(RootKey root, const std::string& subkey, std::string& out) override;

  // How many listings were read from the registry rather than served from
  // memory because Windows said the key had not changed since.
  [[nodiscard]] std::size_t listingsRead() const;

 private:
  struct Listings;
  std::unique_ptr<Listings> listings_;
};

}  // namespace velmora::win32
