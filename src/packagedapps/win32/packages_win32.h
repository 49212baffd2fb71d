#pragma once
// The packages behind the packaged-apps family: the package functions of
// kernel32 (Windows 8.1 and later; looked up when first needed, so older
// systems and Wine, which lack them, still start), the manifest read with
// XmlLite, indirect strings through SHLoadIndirectString, and Windows'
// startup settings through the shell.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packagedapps/package_port.h"

namespace velmora::win32 {

class PackagesWin32 : public PackagePort {
 public:
  PackagesWin32() = default;

  [[nodiscard]] PackageStatus familyPackages(const std::string& familyName, std::vector<std::string>& out) override;
  [[nodiscard]] PackageStatus packageFolder(const std::string& fullName, std::string& out) override;
  [[nodiscard]] PackageStatus readManifest(const std::string& folder, XmlElement& out) override;
  [[nodiscard]] bool loadIndirectString(const std::string& reference, std::string& out) override;
  [[nodiscard]] bool openStartupSettings() override;
};


}  // namespace velmora::win32
