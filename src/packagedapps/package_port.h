#pragma once
// What the packaged-apps family needs of Windows beside the registry (which
// it reads through RegistryPort): the documented package functions where
// the system has them, a package's manifest read into its element tree, a
// package's indirect strings and Windows' own startup page. Text is UTF-8.
// Every output is left untouched unless the call answers Ok (or true).
#include <cstddef>
#include <string>
#include <vector>

#include "core/xml_element.h"

namespace velmora {

enum class PackageStatus {
  Ok,
  // The system has no such function (before Windows 8.1, and under Wine):
  // the registry's record of the packages is read instead.
  Unavailable,
  // No such package, folder or family.
  NotFound,
  Failed,
};

// A manifest larger than this is not read: real ones are tens of kilobytes,
// and the file may come from anyone who can name a folder in the registry.
inline constexpr std::size_t kMostManifestBytes = 4u << 20;

class PackagePort {
 public:
  PackagePort() = default;
  PackagePort(const PackagePort&) = delete;
  PackagePort& operator=(const PackagePort&) = delete;
  virtual ~PackagePort() = default;

  // The full names of the family's packages installed for the current user
  // (GetPackagesByPackageFamily); Ok with none when it has none.
  [[nodiscard]] virtual PackageStatus familyPackages(const std::string& familyName, std::vector<std::string>& out) = 0;
  // The folder an installed package was unpacked to (GetPackagePathByFullName).
  [[nodiscard]] virtual PackageStatus packageFolder(const std::string& fullName, std::string& out) = 0;
  // `folder`\AppxManifest.xml read into its element tree. NotFound when the
  // folder is not there; Failed when the manifest is missing, larger than
  // kMostManifestBytes, not one well-formed document, or has a document type.
  [[nodiscard]] virtual PackageStatus readManifest(const std::string& folder, XmlElement& out) = 0;
  // An indirect string ("@{<full name>?ms-resource://...}") in the user's
  // language (SHLoadIndirectString); false when it cannot be resolved.
  [[nodiscard]] virtual bool loadIndirectString(const std::string& reference, std::string& out) = 0;
  // Windows' own list of startup apps (ms-settings:startupapps); false when
  // it could not be opened.
  [[nodiscard]] virtual bool openStartupSettings() = 0;
};

}  // namespace velmora
