#include "fakes/fake_packages.h"

namespace velmora::testing {

void FakePackagePort::addFolder(const std::string& folder, std::optional<std::string> manifest) {
  folders.insert(folder);
  if (manifest) manifests[folder] = std::move(*manifest);
}

PackageStatus FakePackagePort::familyPackages(const std::string& familyName, std::vector<std::string>& out) {
  if (!functions) return PackageStatus::Unavailable;
  const auto it = installed.find(familyName);
  out = it == installed.end() ? std::vector<std::string>{} : it->second;
  return PackageStatus::Ok;
}

PackageStatus FakePackagePort::packageFolder(const std::string& fullName, std::string& out) {
  if (!functions) return PackageStatus::Unavailable;
  const auto it = packageFolders.find(fullName);
  if (it == packageFolders.end()) return PackageStatus::NotFound;
  out = it->second;
  return PackageStatus::Ok;
}

PackageStatus FakePackagePort::readManifest(const std::string& folder, XmlElement& out) {
  if (!folders.count(folder)) return PackageStatus::NotFound;
  const auto it = manifests.find(folder);
  if (it == manifests.end() || it->second.size() > kMostManifestBytes || !parse) return PackageStatus::Failed;
  std::optional<XmlElement> tree = parse(it->second);
  if (!tree) return PackageStatus::Failed;
  out = std::move(*tree);
  return PackageStatus::Ok;
}

bool FakePackagePort::loadIndirectString(const std::string& reference, std::string& out) {
  stringsAsked.push_back(reference);
  const auto it = strings.find(reference);
  if (it == strings.end()) return false;
  out = it->second;
  return true;
}

bool FakePackagePort::openStartupSettings() {
  if (settingsFail) return false;
  ++settingsOpened;
  return true;
}

}  // namespace velmora::testing
