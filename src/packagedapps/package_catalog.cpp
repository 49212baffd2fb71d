#include "packagedapps/package_catalog.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/text.h"

namespace velmora {
namespace {

std::string fullNameText(const PackageFullName& p) {
  std::string version;
  for (std::size_t i = 0; i < p.version.size(); ++i) version += (i ? "." : "") + std::to_string(p.version[i]);
  return p.name + "_" + version + "_" + p.architecture + "_" + p.resourceId + "_" + p.publisherId;
}

std::string joined(const std::string& folder, const std::string& relative) {
  if (!folder.empty() && folder.back() == '\\') return folder + relative;
  return folder + "\\" + relative;
}

std::string firstOf(std::initializer_list<const std::string*> texts) {
  for (const std::string* t : texts) {
    if (!t->empty()) return *t;
  }
  return {};
}

}  // namespace

bool isPackagedLocation(std::string_view location) {
  const std::size_t slash = location.find('\\');
  if (slash == std::string_view::npos || !isPackageFamilyName(location.substr(0, slash))) return false;
  const std::string_view id = location.substr(slash + 1);
  if (id.empty() || id.size() > 255 || !isTypedText(id) || id.front() == ' ' || id.back() == ' ') return false;
  for (const char c : id) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::optional<RegValue> PackageCatalog::value(RootKey root, const std::string& key, std::string_view name) {
  RegValue v;
  if (registry_.queryValue(root, key, std::string(name), v) != RegStatus::Ok) return std::nullopt;
  return v;
}

PackageCatalog::Policies PackageCatalog::policies() {
  const std::string key(kPoliciesKey);
  const auto blocks = [&](std::string_view name) {
    return policyBlocks(value(RootKey::LocalMachine, key, name), value(RootKey::CurrentUser, key, name));
  };
  return Policies{blocks("EnableFullTrustStartupTasks"), blocks("EnableUwpStartupTasks")};
}

std::vector<PackagedTask> PackageCatalog::list() {
  // The installed packages as the registry records them, by family.
  std::map<std::string, std::pair<std::string, std::vector<PackageFullName>>> families;
  std::vector<std::string> names;
  if (registry_.enumerateSubkeys(RootKey::CurrentUser, std::string(kPackagesKey), names) == RegStatus::Ok) {
    for (const std::string& name : names) {
      if (std::optional<PackageFullName> p = parsePackageFullName(name)) {
        auto& family = families[foldedIgnoreCase(p->familyName())];
        family.first = p->familyName();
        family.second.push_back(std::move(*p));
      }
    }
  }
  // The families Windows keeps startup state for: where the package
  // functions exist, they know packages the registry may not list.
  names.clear();
  if (registry_.enumerateSubkeys(RootKey::CurrentUser, std::string(kSystemAppDataKey), names) == RegStatus::Ok) {
    for (const std::string& name : names) {
      if (isPackageFamilyName(name)) families.try_emplace(foldedIgnoreCase(name), name, std::vector<PackageFullName>{});
    }
  }
  const Policies p = policies();
  std::vector<PackagedTask> tasks;
  for (const auto& [key, family] : families) readFamily(family.first, family.second, p, tasks);
  return tasks;
}

std::optional<PackagedTask> PackageCatalog::find(const std::string& location) {
  if (!isPackagedLocation(location)) return std::nullopt;
  const std::size_t slash = location.find('\\');
  const std::string family = location.substr(0, slash);
  std::vector<PackageFullName> repository;
  std::vector<std::string> names;
  if (registry_.enumerateSubkeys(RootKey::CurrentUser, std::string(kPackagesKey), names) == RegStatus::Ok) {
    for (const std::string& name : names) {
      std::optional<PackageFullName> p = parsePackageFullName(name);
      if (p && equalsIgnoreCase(p->familyName(), family)) repository.push_back(std::move(*p));
    }
  }
  std::vector<PackagedTask> tasks;
  readFamily(family, repository, policies(), tasks);
  for (PackagedTask& t : tasks) {
    if (equalsIgnoreCase(t.location(), location)) return std::move(t);
  }
  return std::nullopt;
}

std::optional<PackageFullName> PackageCatalog::installed(const std::string& family,
                                                         const std::vector<PackageFullName>& repository,
                                                         std::string& folder) {
  std::vector<PackageFullName> candidates;
  std::vector<std::string> names;
  const PackageStatus listed = packages_.familyPackages(family, names);
  if (listed == PackageStatus::Ok) {
    for (const std::string& name : names) {
      if (std::optional<PackageFullName> p = parsePackageFullName(name)) candidates.push_back(std::move(*p));
    }
  } else if (listed == PackageStatus::Unavailable) {
    candidates = repository;
  }
  if (candidates.empty()) return std::nullopt;  // not installed for this user
  const PackageFullName best = *std::max_element(
      candidates.begin(), candidates.end(),
      [](const PackageFullName& a, const PackageFullName& b) { return preferredPackage(b, a); });
  const std::string full = fullNameText(best);
  std::string path;
  const PackageStatus located = packages_.packageFolder(full, path);
  if (located == PackageStatus::Ok) {
    folder = path;
  } else if (located == PackageStatus::Unavailable) {
    const std::optional<RegValue> root =
        value(RootKey::CurrentUser, std::string(kPackagesKey) + "\\" + full, "PackageRootFolder");
    if (root && (root->type == kRegSz || root->type == kRegExpandSz)) folder = root->text;
  }
  return best;
}

std::string PackageCatalog::shown(const std::string& text, const PackageFullName& package,
                                  const std::string& fallback) {
  if (text.empty()) return fallback;
  if (!isResourceName(text)) return text;
  std::string resolved;
  if (packages_.loadIndirectString(indirectString(text, fullNameText(package), package.name), resolved) &&
      !resolved.empty() && !isResourceName(resolved)) {
    return resolved;
  }
  // Never the raw reference.
  return fallback;
}

void PackageCatalog::readFamily(const std::string& family, const std::vector<PackageFullName>& repository,
                                const Policies& policies, std::vector<PackagedTask>& out) {
  std::string folder;
  const std::optional<PackageFullName> package = installed(family, repository, folder);
  if (!package) return;
  PackagedTask base;
  base.familyName = family;
  base.fullName = fullNameText(*package);
  base.name = package->name;
  std::optional<AppManifest> manifest;
  XmlElement root;
  if (folder.empty()) {
    base.problem = PackageProblem::FolderMissing;
  } else {
    switch (packages_.readManifest(folder, root)) {
      case PackageStatus::Ok: manifest = readAppManifest(root); break;
      case PackageStatus::NotFound: base.problem = PackageProblem::FolderMissing; break;
      case PackageStatus::Unavailable:
      case PackageStatus::Failed: break;
    }
    if (!manifest && base.problem == PackageProblem::None) base.problem = PackageProblem::ManifestUnreadable;
  }
  const std::string familyKey = std::string(kSystemAppDataKey) + "\\" + family;
  const auto withState = [&](PackagedTask t) {
    t.state = value(RootKey::CurrentUser, t.stateKey(), kStateValue);
    t.enabledOnce = value(RootKey::CurrentUser, t.stateKey(), kEnabledOnceValue);
    t.blocked = t.fullTrust ? policies.fullTrustBlocked : policies.uwpBlocked;
    for (const PackagedTask& earlier : out) {
      if (equalsIgnoreCase(earlier.location(), t.location())) return;  // one row a task id
    }
    out.push_back(std::move(t));
  };
  if (!manifest) {
    // Without its manifest a package's tasks are those Windows keeps a
    // State for. Most startup tasks are desktop programs: theirs is the
    // full-trust policy.
    std::vector<std::string> ids;
    if (registry_.enumerateSubkeys(RootKey::CurrentUser, familyKey, ids) != RegStatus::Ok) return;
    for (const std::string& id : ids) {
      PackagedTask t = base;
      t.taskId = id;
      if (!isPackagedLocation(t.location()) || !value(RootKey::CurrentUser, t.stateKey(), kStateValue)) continue;
      withState(std::move(t));
    }
    return;
  }
  const std::string plain = manifest->identityName.empty() ? package->name : manifest->identityName;
  const std::string publisher = manifest->publisherDisplayName.empty()
                                    ? commonName(manifest->identityPublisher)
                                    : shown(manifest->publisherDisplayName, *package, commonName(manifest->identityPublisher));
  for (const ManifestStartupTask& task : manifest->tasks) {
    PackagedTask t = base;
    t.taskId = task.taskId;
    if (!isPackagedLocation(t.location())) continue;
    t.name = shown(firstOf({&task.displayName, &task.appDisplayName, &manifest->displayName}), *package, plain);
    t.executable = task.executable.empty() ? std::string() : joined(folder, task.executable);
    t.publisher = publisher;
    t.manifestEnabled = task.enabled;
    t.fullTrust = task.fullTrust;
    withState(std::move(t));
  }
}

}  // namespace velmora
