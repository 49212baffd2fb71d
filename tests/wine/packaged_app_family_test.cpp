// The packages adapter in the test prefix. Wine has neither the package
// functions nor PRI resources, so what runs is the registry route: real
// manifests read by XmlLite from real folders (the family over it, with the
// packages seeded as Windows records them, is tested through the window
// and the built program in packaged_app_end_to_end_test.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include "packagedapps/app_manifest.h"
#include "packagedapps/win32/packages_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/seeded_packages.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

TEST(PackagesAdapter, UnderWineTheRegistryRouteRunsAndRealManifestsReadWithTheirNamespaces) {
  SeededPackages seeded;
  seeded.install(kChat);
  seeded.install(kTerminal, true, /*utf16=*/true);
  seeded.install(kNotes);
  seeded.install(kDamaged);
  win32::PackagesWin32 port;
  std::vector<std::string> names;
  std::string folder;
  EXPECT_EQ(port.familyPackages(kChat.family, names), PackageStatus::Unavailable) << "Wine lacks the function";
  EXPECT_EQ(port.packageFolder(kChat.fullName, folder), PackageStatus::Unavailable);

  XmlElement root;
  ASSERT_EQ(port.readManifest(seeded.folderOf(kChat), root), PackageStatus::Ok);
  std::optional<AppManifest> chat = readAppManifest(root);
  ASSERT_TRUE(chat);
  ASSERT_EQ(chat->tasks.size(), 1u);
  EXPECT_EQ(chat->tasks[0].taskId, "ChatStartup");
  EXPECT_TRUE(chat->tasks[0].enabled);
  EXPECT_EQ(chat->tasks[0].executable, "bin\\ChatTray.exe");
  EXPECT_EQ(chat->publisherDisplayName, "Contoso Ltd.");
  // UTF-16 with its mark; a prefix of its own for the uap5 namespace.
  ASSERT_EQ(port.readManifest(seeded.folderOf(kTerminal), root), PackageStatus::Ok);
  const std::optional<AppManifest> terminal = readAppManifest(root);
  ASSERT_TRUE(terminal);
  ASSERT_EQ(terminal->tasks.size(), 1u);
  EXPECT_EQ(terminal->tasks[0].taskId, "StartTerminalOnLoginTask");
  EXPECT_FALSE(terminal->tasks[0].enabled);
  EXPECT_EQ(terminal->tasks[0].displayName, "ms-resource:AppName");
  ASSERT_EQ(port.readManifest(seeded.folderOf(kNotes), root), PackageStatus::Ok);
  const std::optional<AppManifest> notes = readAppManifest(root);
  ASSERT_TRUE(notes);
  ASSERT_EQ(notes->tasks.size(), 2u) << "the uap namespace's StartupTask is none";
  EXPECT_FALSE(notes->tasks[0].fullTrust);
  EXPECT_TRUE(notes->tasks[1].fullTrust);
  EXPECT_FALSE(notes->tasks[1].enabled) << "no Enabled";

  // What is not one well-formed manifest of our size is not read.
  EXPECT_EQ(port.readManifest(seeded.folderOf(kDamaged), root), PackageStatus::Failed);
  EXPECT_EQ(port.readManifest(seeded.folderOf(kGone), root), PackageStatus::NotFound);
  const auto refused = [&](const std::string& bytes) {
    seeded.addFile(kDamaged, "AppxManifest.xml", bytes);
    return port.readManifest(seeded.folderOf(kDamaged), root);
  };
  EXPECT_EQ(refused("<!DOCTYPE Package [<!ENTITY e \"x\">]><Package xmlns=\"" +
                    std::string("http://schemas.microsoft.com/appx/manifest/foundation/windows10") + "\">&e;</Package>"),
            PackageStatus::Failed)
      << "no document type";
  EXPECT_EQ(refused("<Package xmlns:a=\"urn:a\"><b:Identity/></Package>"), PackageStatus::Failed) << "undeclared prefix";
  EXPECT_EQ(refused("<Package a=\"1\" a=\"2\"/>"), PackageStatus::Failed);
  EXPECT_EQ(refused("<Package xmlns:x=\"urn:a\" xmlns:y=\"urn:a\" x:a=\"1\" y:a=\"2\"/>"), PackageStatus::Failed)
      << "one attribute given twice under two prefixes";
  EXPECT_EQ(refused(std::string(kMostManifestBytes + 1, ' ')), PackageStatus::Failed) << "too large";
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "<a>";
  for (int i = 0; i < 300; ++i) deep += "</a>";
  EXPECT_EQ(refused(deep), PackageStatus::Failed) << "nested deeper than anything real";
  EXPECT_EQ(refused("<Package xmlns=\"urn:x\"/>"), PackageStatus::Ok) << "well-formed: the family decides";

  // Wine has no PRI: a resource name does not resolve.
  std::string text;
  EXPECT_FALSE(port.loadIndirectString(indirectString("ms-resource:AppName", kTerminal.fullName, "Fabrikam.Terminal"), text));
  // Nor anything that opens Windows' settings: the command says so, and no
  // box of the shell's own appears.
  EXPECT_FALSE(port.openStartupSettings());
}

}  // namespace
}  // namespace velmora::testing
