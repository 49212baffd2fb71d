#include "packagedapps/app_manifest.h"

#include <utility>

namespace velmora {
namespace {

constexpr std::string_view kManifestNamespaces = "http://schemas.microsoft.com/appx/";

bool isAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool allOf(std::string_view text, std::string_view extra, std::size_t least, std::size_t most) {
  if (text.size() < least || text.size() > most) return false;
  for (const char c : text) {
    if (!isAlnum(c) && extra.find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool isPackageName(std::string_view text) { return allOf(text, ".-", 3, 50); }
bool isPublisherId(std::string_view text) { return allOf(text, "", 13, 13); }

std::vector<std::string_view> split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(by, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

std::optional<std::array<unsigned, 4>> versionOf(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, '.');
  if (parts.size() != 4) return std::nullopt;
  std::array<unsigned, 4> version{};
  for (std::size_t i = 0; i < 4; ++i) {
    if (parts[i].empty() || parts[i].size() > 5) return std::nullopt;
    unsigned n = 0;
    for (const char c : parts[i]) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n > 65535) return std::nullopt;
    version[i] = n;
  }
  return version;
}

// XML's whitespace only.
std::string trimmed(std::string_view s) {
  constexpr std::string_view ws = " \t\r\n";
  const std::size_t first = s.find_first_not_of(ws);
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(ws) - first + 1));
}

std::string attributeOf(const XmlElement& e, std::string_view name, std::string_view ns = {}) {
  const std::string* value = e.attribute(name, ns);
  return value ? trimmed(*value) : std::string();
}

// An xs:boolean.
bool isTrue(const std::string& value) { return value == "true" || value == "1"; }

const XmlElement* child(const XmlElement& parent, std::string_view name, std::string_view ns) {
  for (const XmlElement& c : parent.children) {
    if (c.name == name && c.namespaceUri == ns) return &c;
  }
  return nullptr;
}

std::string textOf(const XmlElement* e) { return e ? trimmed(e->text) : std::string(); }

// A program inside the package's folder, with backslashes; empty for one
// that names another place (a drive, a root, a step up).
std::string packageRelative(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.empty() || path.front() == '\\' || path.find(':') != std::string::npos) return {};
  for (const std::string_view part : split(path, '\\')) {
    if (part.empty() || part == "." || part == "..") return {};
  }
  return path;
}

bool fullTrustEntry(const std::string& entryPoint) { return entryPoint == "Windows.FullTrustApplication"; }

void readApplication(const XmlElement& app, std::string_view ns, std::vector<ManifestStartupTask>& tasks) {
  std::string appName;
  for (const XmlElement& c : app.children) {
    if (c.name == "VisualElements") appName = attributeOf(c, "DisplayName");
  }
  const std::string behaviour = attributeOf(app, "RuntimeBehavior", kUap10Namespace);
  const bool appFullTrust = fullTrustEntry(attributeOf(app, "EntryPoint")) || behaviour == "packagedClassicApp" ||
                            behaviour == "win32App" || attributeOf(app, "TrustLevel", kUap10Namespace) == "mediumIL";
  const XmlElement* extensions = child(app, "Extensions", ns);
  if (!extensions) return;
  for (const XmlElement& extension : extensions->children) {
    if (extension.name != "Extension" || attributeOf(extension, "Category") != "windows.startupTask") continue;
    for (const XmlElement& task : extension.children) {
      const bool desktop = task.namespaceUri == kDesktopNamespace;
      if (task.name != "StartupTask" || !(desktop || task.namespaceUri == kUap5Namespace)) continue;
      ManifestStartupTask t;
      t.taskId = attributeOf(task, "TaskId");
      if (t.taskId.empty()) continue;
      t.enabled = isTrue(attributeOf(task, "Enabled"));
      t.displayName = attributeOf(task, "DisplayName");
      t.appDisplayName = appName;
      // The extension may name a program of its own.
      const std::string own = attributeOf(extension, "Executable");
      t.executable = packageRelative(own.empty() ? attributeOf(app, "Executable") : own);
      const std::string entryPoint = attributeOf(extension, "EntryPoint");
      t.fullTrust = desktop || (entryPoint.empty() ? appFullTrust : fullTrustEntry(entryPoint));
      tasks.push_back(std::move(t));
    }
  }
}

}  // namespace

std::optional<PackageFullName> parsePackageFullName(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, '_');
  if (parts.size() != 5 || !isPackageName(parts[0]) || !allOf(parts[2], "", 1, 10) ||
      !allOf(parts[3], ".-~", 0, 30) || !isPublisherId(parts[4])) {
    return std::nullopt;
  }
  const std::optional<std::array<unsigned, 4>> version = versionOf(parts[1]);
  if (!version) return std::nullopt;
  return PackageFullName{std::string(parts[0]), *version, std::string(parts[2]), std::string(parts[3]),
                         std::string(parts[4])};
}

bool isPackageFamilyName(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, '_');
  return parts.size() == 2 && isPackageName(parts[0]) && isPublisherId(parts[1]);
}

bool preferredPackage(const PackageFullName& a, const PackageFullName& b) {
  if (a.version != b.version) return a.version > b.version;
  return a.resourceId.empty() && !b.resourceId.empty();
}

std::optional<AppManifest> readAppManifest(const XmlElement& root) {
  const std::string_view ns = root.namespaceUri;
  if (root.name != "Package" || ns.substr(0, kManifestNamespaces.size()) != kManifestNamespaces) return std::nullopt;
  AppManifest m;
  if (const XmlElement* identity = child(root, "Identity", ns)) {
    m.identityName = attributeOf(*identity, "Name");
    m.identityPublisher = attributeOf(*identity, "Publisher");
  }
  if (const XmlElement* properties = child(root, "Properties", ns)) {
    m.displayName = textOf(child(*properties, "DisplayName", ns));
    m.publisherDisplayName = textOf(child(*properties, "PublisherDisplayName", ns));
  }
  if (const XmlElement* apps = child(root, "Applications", ns)) {
    for (const XmlElement& app : apps->children) {
      if (app.name == "Application" && app.namespaceUri == ns) readApplication(app, ns, m.tasks);
    }
  }
  return m;
}

bool isResourceName(std::string_view text) {
  constexpr std::string_view kScheme = "ms-resource:";
  if (text.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kScheme[i]) return false;
  }
  return true;
}

std::string indirectString(std::string_view text, std::string_view fullName, std::string_view name) {
  const std::string_view key = text.substr(std::string_view("ms-resource:").size());
  std::string uri;
  if (key.substr(0, 2) == "//") {
    uri = "ms-resource:" + std::string(key);
  } else if (!key.empty() && key.front() == '/') {
    uri = "ms-resource://" + std::string(name) + std::string(key);
  } else if (key.find('/') != std::string_view::npos) {
    uri = "ms-resource://" + std::string(name) + "/" + std::string(key);
  } else {
    uri = "ms-resource://" + std::string(name) + "/resources/" + std::string(key);
  }
  return "@{" + std::string(fullName) + "?" + uri + "}";
}

std::string commonName(std::string_view publisher) {
  for (std::size_t at = 0; at < publisher.size();) {
    const std::size_t start = publisher.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    // A quoted value may hold commas.
    std::size_t end = start;
    bool quoted = false;
    while (end < publisher.size() && (quoted || publisher[end] != ',')) {
      if (publisher[end] == '"') quoted = !quoted;
      ++end;
    }
    const std::string_view part = publisher.substr(start, end - start);
    if (part.size() > 3 && (part[0] == 'C' || part[0] == 'c') && (part[1] == 'N' || part[1] == 'n') && part[2] == '=') {
      std::string value = trimmed(part.substr(3));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      return value;
    }
    at = end + 1;
  }
  return std::string(publisher);
}

}  // namespace velmora
