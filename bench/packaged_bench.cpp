// (g) Packaged apps: the family's listing of 200 packages recorded in the
// registry as Windows records them (Wine has no package functions), each
// folder holding a real-format manifest, half of them declaring a startup
// task; next to reading the manifests alone, so the registry's part shows.
#include "packaged_bench.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/win32/store_msxml.h"
#include "measure.h"
#include "packagedapps/packaged_app_family.h"
#include "packagedapps/win32/packages_win32.h"
#include "platform/win32/registry_win32.h"
#include "wine/support/seeded_packages.h"

namespace velmora::bench {

void packagedApps(const Translator& translator, int runs) {
  constexpr int kPackages = 200;
  testing::SeededPackages seeded;
  std::vector<testing::SamplePackage> packages;
  for (int i = 0; i < kPackages; ++i) {
    const std::string name = "Vendor.App" + std::to_string(i);
    std::string manifest = replaceAll(testing::kChat.manifest, "Contoso.Chat", name);
    // The other half declare an extension of another kind, of the same size.
    if (i % 2) manifest = replaceAll(manifest, "windows.startupTask", "windows.appExecAlias");
    packages.push_back({name + "_2.4.0.0_x64__vendorpub0001", name + "_vendorpub0001", manifest});
    seeded.install(packages.back());
    if (i % 4 == 0) seeded.setState(packages.back(), "ChatStartup", 2);
  }
  testing::TempDir dir;
  win32::MsxmlStore store(dir.file("config.xml"));
  win32::Win32Registry registry;
  win32::PackagesWin32 port;
  const FamilyContext context{store, translator};
  const auto family = packagedAppFamily(registry, port, context).make({kPackagedAppsPlace});

  std::size_t rows = 0;
  const Figures listed = measure(runs, [&] { rows = family->list().size(); });
  const Figures manifests = measure(runs, [&] {
    for (const testing::SamplePackage& p : packages) {
      XmlElement root;
      (void)port.readManifest(seeded.folderOf(p), root);
    }
  });

  std::printf("\n(g) Packaged apps: %d packages recorded in the registry, each with its manifest\n", kPackages);
  std::printf("  %-56s %8.1f %8.1f\n", "listing (the family's list: a row a startup task)", listed.median, listed.min);
  std::printf("  %-56s %8.1f %8.1f\n", "  of which the manifests read (XmlLite, element trees)", manifests.median,
              manifests.min);
  std::printf("  %-56s %8.1f\n", "  the rest: registry, states, policies, rows", listed.median - manifests.median);
  std::printf("  rows: %zu of %d packages (half declare a startup task)\n", rows, kPackages);
}

}  // namespace velmora::bench
