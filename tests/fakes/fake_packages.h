#pragma once
// The packages in memory: package folders with their manifests' text, the
// package functions (missing unless a test installs them), indirect
// strings and the startup settings page. The registry's side is a
// FakeRegistry. A manifest's text is read by `parse` (the native tests' is
// pugixml's namespaced tree), so the family meets real manifests.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "packagedapps/package_port.h"

namespace velmora::testing {

class FakePackagePort : public PackagePort {
 public:
  // A folder that exists, with `manifest` as its AppxManifest.xml (none:
  // the folder without one).
  void addFolder(const std::string& folder, std::optional<std::string> manifest);

  std::function<std::optional<XmlElement>(const std::string& xml)> parse;
  std::set<std::string> folders;
  std::map<std::string, std::string> manifests;  // by folder
  // The package functions, as Windows 8.1 and later have them; missing
  // (Unavailable) unless `functions` is set.
  bool functions = false;
  std::map<std::string, std::vector<std::string>> installed;  // full names by family
  std::map<std::string, std::string> packageFolders;           // folders by full name
  std::map<std::string, std::string> strings;                 // indirect strings resolved
  std::vector<std::string> stringsAsked;
  bool settingsFail = false;
  int settingsOpened = 0;

  PackageStatus familyPackages(const std::string& familyName, std::vector<std::string>& out) override;
  PackageStatus packageFolder(const std::string& fullName, std::string& out) override;
  PackageStatus readManifest(const std::string& folder, XmlElement& out) override;
  bool loadIndirectString(const std::string& reference, std::string& out) override;
  bool openStartupSettings() override;
};

}  // namespace velmora::testing
