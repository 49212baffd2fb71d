#pragma once
// What Velmora reads of a package: its full name's parts, and of its
// AppxManifest.xml (an element tree the platform's reader built) the
// identity, the names shown and every startup task its applications
// declare. Portable, so the rules are tested natively.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/xml_element.h"

namespace velmora {

// The namespaces the manifest schema gives a startup task.
inline constexpr std::string_view kUap5Namespace = "http://schemas.microsoft.com/appx/manifest/uap/windows10/5";
inline constexpr std::string_view kDesktopNamespace = "http://schemas.microsoft.com/appx/manifest/desktop/windows10";
inline constexpr std::string_view kUap10Namespace = "http://schemas.microsoft.com/appx/manifest/uap/windows10/10";

// "<Name>_<Version>_<Architecture>_<ResourceId>_<PublisherId>".
struct PackageFullName {
  std::string name;
  std::array<unsigned, 4> version{};
  std::string architecture;
  std::string resourceId;  // empty for an app's main package
  std::string publisherId;
  // "<Name>_<PublisherId>".
  std::string familyName() const { return name + "_" + publisherId; }
};

// Nothing when `text` is not a package full name as Windows forms them.
std::optional<PackageFullName> parsePackageFullName(std::string_view text);
// Whether `text` is a package family name ("<Name>_<PublisherId>").
bool isPackageFamilyName(std::string_view text);
// Whether `a` should win over `b` among a family's packages: the higher
// version, and at the same version the main package over a bundle or
// resource package.
bool preferredPackage(const PackageFullName& a, const PackageFullName& b);

struct ManifestStartupTask {
  std::string taskId;
  // Its Enabled attribute; false when missing or not a boolean (the schema
  // requires it, and nothing is started that the manifest does not ask for).
  bool enabled = false;
  // As written: plain text or "ms-resource:...". Empty when not given.
  std::string displayName;
  // Its application's VisualElements DisplayName, as written.
  std::string appDisplayName;
  // The program, relative to the package's folder, with backslashes; empty
  // when the manifest names none or one outside the folder.
  std::string executable;
  // A full-trust (desktop) program: its own policy allows or blocks it.
  bool fullTrust = false;
};

struct AppManifest {
  std::string identityName;
  std::string identityPublisher;  // "CN=..., O=..., C=..."
  std::string displayName;        // Properties, as written
  std::string publisherDisplayName;
  std::vector<ManifestStartupTask> tasks;  // in document order
};

// The manifest under `root`, its Package element in one of the appx
// manifest namespaces; nothing when the root is something else.
std::optional<AppManifest> readAppManifest(const XmlElement& root);

// Whether `text` names a resource ("ms-resource:...", any letter case).
bool isResourceName(std::string_view text);
// The indirect string that resolves the resource `text` of the package
// (`fullName`, its identity `name`): "@{<full name>?ms-resource://<name>/resources/<key>}";
// a key with a path of its own or a whole URI keeps it.
std::string indirectString(std::string_view text, std::string_view fullName, std::string_view name);
// The common name (CN) of a publisher's distinguished name; the whole text
// when it has none.
std::string commonName(std::string_view publisher);

}  // namespace velmora
