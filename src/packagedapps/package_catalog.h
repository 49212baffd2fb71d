#pragma once
// Where the packaged apps' startup tasks are found for the current user:
// the installed packages (the package functions, or the registry's
// Repository\Packages where the system lacks them), the highest version of
// each family, its manifest's tasks, each task's State under SystemAppData,
// and the policies. Read afresh for every listing and every change.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_port.h"
#include "packagedapps/app_manifest.h"
#include "packagedapps/package_port.h"
#include "packagedapps/startup_state.h"

namespace velmora {

// Under HKEY_CURRENT_USER.
inline constexpr std::string_view kAppModelKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel";
inline constexpr std::string_view kPackagesKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository\\Packages";
inline constexpr std::string_view kSystemAppDataKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\SystemAppData";
// Under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
inline constexpr std::string_view kPoliciesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr std::string_view kStateValue = "State";
inline constexpr std::string_view kEnabledOnceValue = "UserEnabledStartupOnce";

// What went wrong reading a task's package; its state still counts.
enum class PackageProblem { None, FolderMissing, ManifestUnreadable };

struct PackagedTask {
  std::string familyName;
  std::string taskId;  // as the manifest (or the registry) spells it
  std::string fullName;
  // The name shown: the task's, else its application's, resolved; the
  // package's plain name where a resource cannot be resolved or the
  // manifest cannot be read.
  std::string name;
  // The program's full path in the package folder; empty when unknown.
  std::string executable;
  std::string publisher;  // the manifest's publisher display name
  PackageProblem problem = PackageProblem::None;
  bool manifestEnabled = false;
  bool fullTrust = true;
  // The values as they are now; none where there is no value.
  std::optional<RegValue> state;
  std::optional<RegValue> enabledOnce;
  bool blocked = false;

  // "<family>\<task id>": where the row says it is.
  std::string location() const { return familyName + "\\" + taskId; }
  // The key its State is kept in, under HKEY_CURRENT_USER.
  std::string stateKey() const { return std::string(kSystemAppDataKey) + "\\" + location(); }
  StartupState startup() const { return startupState(state, manifestEnabled, blocked); }
};

// Whether `location` is "<family>\<task id>" as a row of this family can
// give it: a family name, a task id a registry key can be named.
bool isPackagedLocation(std::string_view location);

class PackageCatalog {
 public:
  PackageCatalog(RegistryPort& registry, PackagePort& packages) : registry_(registry), packages_(packages) {}

  // Every startup task of every family installed for the user, family by
  // family in the registry's order, each package's tasks in manifest order.
  std::vector<PackagedTask> list();
  // The task at `location`, read afresh; none when there is none.
  std::optional<PackagedTask> find(const std::string& location);

 private:
  struct Policies {
    bool fullTrustBlocked = false;
    bool uwpBlocked = false;
  };
  Policies policies();
  std::optional<RegValue> value(RootKey root, const std::string& key, std::string_view name);
  // The tasks of one family (`repository`: its packages as the registry
  // records them), appended to `out`.
  void readFamily(const std::string& family, const std::vector<PackageFullName>& repository, const Policies& policies,
                  std::vector<PackagedTask>& out);
  // The family's package that wins, and its folder ("" when unknown).
  std::optional<PackageFullName> installed(const std::string& family, const std::vector<PackageFullName>& repository,
                                           std::string& folder);
  // A manifest's name or publisher, resolved; `fallback` for a resource
  // that will not resolve.
  std::string shown(const std::string& text, const PackageFullName& package, const std::string& fallback);

  RegistryPort& registry_;
  PackagePort& packages_;
};

}  // namespace velmora
