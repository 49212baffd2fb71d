// What Velmora reads of a package: its manifest's startup tasks (read from
// real manifests through the same namespaced tree XmlLite gives), its full
// name, its resource names, and the state Windows derives for each task.
#include <gtest/gtest.h>

#include "fakes/packaged_app_samples.h"
#include "native/namespaced_tree.h"
#include "packagedapps/app_manifest.h"
#include "packagedapps/startup_state.h"

namespace velmora::testing {
namespace {

std::optional<AppManifest> manifestOf(const std::string& xml) {
  const std::optional<XmlElement> tree = namespacedTree(xml);
  return tree ? readAppManifest(*tree) : std::nullopt;
}

TEST(AppManifest, ReadsEveryStartupTaskOfBothNamespacesAsWindowsWould) {
  struct Want {
    std::string taskId;
    bool enabled;
    std::string displayName, appDisplayName, executable;
    bool fullTrust;
  };
  const struct {
    const SamplePackage& package;
    std::string name, publisher, displayName, publisherDisplayName;
    std::vector<Want> tasks;
  } cases[] = {
      {kChat, "Contoso.Chat", "CN=Contoso Ltd., O=Contoso Ltd., C=US", "Contoso Chat", "Contoso Ltd.",
       {{"ChatStartup", true, "Contoso Chat tray", "Contoso Chat", "bin\\ChatTray.exe", true}}},
      // Another prefix for the uap5 namespace is the same namespace.
      {kTerminal, "Fabrikam.Terminal", "CN=Fabrikam Corporation, O=Fabrikam Corporation, L=Redmond, S=Washington, C=US",
       "ms-resource:AppStoreName", "ms-resource:Publisher",
       {{"StartTerminalOnLoginTask", false, "ms-resource:AppName", "ms-resource:AppName", "Terminal.exe", true}}},
      // A UWP app's task, and a helper's without Enabled (off) or a name.
      {kNotes, "Northwind.Notes", "CN=Northwind Traders", "Northwind Notes", "Northwind Traders",
       {{"NotesSync", true, "Notes sync", "Northwind Notes", "Notes.exe", false},
        {"HelperStart", false, "", "Notes helper", "helper\\Helper.exe", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.package.fullName);
    const std::optional<AppManifest> m = manifestOf(c.package.manifest);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->identityName, c.name);
    EXPECT_EQ(m->identityPublisher, c.publisher);
    EXPECT_EQ(m->displayName, c.displayName);
    EXPECT_EQ(m->publisherDisplayName, c.publisherDisplayName);
    ASSERT_EQ(m->tasks.size(), c.tasks.size());
    for (std::size_t i = 0; i < c.tasks.size(); ++i) {
      const ManifestStartupTask& t = m->tasks[i];
      const Want& w = c.tasks[i];
      EXPECT_EQ(t.taskId, w.taskId);
      EXPECT_EQ(t.enabled, w.enabled) << w.taskId;
      EXPECT_EQ(t.displayName, w.displayName);
      EXPECT_EQ(t.appDisplayName, w.appDisplayName);
      EXPECT_EQ(t.executable, w.executable);
      EXPECT_EQ(t.fullTrust, w.fullTrust) << w.taskId;
    }
  }
}

TEST(AppManifest, WhatIsNoManifestOrNoTaskIsNotRead) {
  EXPECT_FALSE(namespacedTree(kDamaged.manifest)) << "cut short: not well-formed";
  // A task named only by its prefix is no task: the namespace decides.
  const std::string wrongNamespace = R"(<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
      xmlns:uap5="http://example.com/not/the/uap5/namespace">
    <Applications><Application Id="A" Executable="a.exe"><Extensions>
      <uap5:Extension Category="windows.startupTask"><uap5:StartupTask TaskId="T" Enabled="true"/></uap5:Extension>
    </Extensions></Application></Applications></Package>)";
  ASSERT_TRUE(manifestOf(wrongNamespace));
  EXPECT_TRUE(manifestOf(wrongNamespace)->tasks.empty());
  // Another document, or a package outside the manifest namespaces.
  EXPECT_FALSE(manifestOf(R"(<Task xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"/>)"));
  EXPECT_FALSE(manifestOf(R"(<Package xmlns="http://example.com/"/>)"));
  // A program outside the package's folder is none.
  const std::string outside = R"(<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
      xmlns:desktop="http://schemas.microsoft.com/appx/manifest/desktop/windows10">
    <Applications><Application Id="A" Executable="..\..\evil.exe"><Extensions>
      <desktop:Extension Category="windows.startupTask"><desktop:StartupTask TaskId="T" Enabled="1"/></desktop:Extension>
    </Extensions></Application></Applications></Package>)";
  const std::optional<AppManifest> m = manifestOf(outside);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->tasks.size(), 1u);
  EXPECT_EQ(m->tasks[0].executable, "");
  EXPECT_TRUE(m->tasks[0].enabled) << "1 is an xs:boolean true";
}

TEST(PackageNames, FullAndFamilyNamesAsWindowsFormsThem) {
  const std::optional<PackageFullName> p = parsePackageFullName(kChat.fullName);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->familyName(), kChat.family);
  EXPECT_EQ(p->version, (std::array<unsigned, 4>{2, 4, 0, 0}));
  const auto resources = parsePackageFullName("Contoso.Chat_2.4.0.0_neutral_split.scale-100_8wekyb3d8bbwe");
  ASSERT_TRUE(resources);
  EXPECT_EQ(resources->resourceId, "split.scale-100");
  EXPECT_TRUE(preferredPackage(*p, *resources)) << "the main package over its resources";
  EXPECT_TRUE(preferredPackage(*p, *parsePackageFullName(kChatOld.fullName))) << "the higher version";
  for (const char* bad : {"Contoso.Chat_2.4.0_x64__8wekyb3d8bbwe", "Contoso.Chat_2.4.0.0_x64_8wekyb3d8bbwe",
                          "Contoso.Chat_2.4.0.70000_x64__8wekyb3d8bbwe", "..\\x_1.0.0.0_x64__8wekyb3d8bbwe",
                          "Contoso.Chat_2.4.0.0_x64__8wekyb3d8bbw"}) {
    EXPECT_FALSE(parsePackageFullName(bad)) << bad;
  }
  EXPECT_TRUE(isPackageFamilyName(kTerminal.family));
  EXPECT_FALSE(isPackageFamilyName("Fabrikam.Terminal"));
  EXPECT_FALSE(isPackageFamilyName("a\\b_abcdefghjkmnp"));
}

TEST(PackageNames, AResourceNameBecomesTheIndirectStringThatResolvesIt) {
  const std::string full = kTerminal.fullName;
  EXPECT_TRUE(isResourceName("MS-Resource:AppName"));
  EXPECT_FALSE(isResourceName("Terminal"));
  EXPECT_EQ(indirectString("ms-resource:AppName", full, "Fabrikam.Terminal"),
            "@{" + full + "?ms-resource://Fabrikam.Terminal/resources/AppName}");
  EXPECT_EQ(indirectString("ms-resource:Strings/AppName", full, "Fabrikam.Terminal"),
            "@{" + full + "?ms-resource://Fabrikam.Terminal/Strings/AppName}");
  EXPECT_EQ(indirectString("ms-resource:/Files/Name", full, "Fabrikam.Terminal"),
            "@{" + full + "?ms-resource://Fabrikam.Terminal/Files/Name}");
  EXPECT_EQ(indirectString("ms-resource://Other/resources/X", full, "Fabrikam.Terminal"),
            "@{" + full + "?ms-resource://Other/resources/X}");
  EXPECT_EQ(commonName("CN=Fabrikam Corporation, O=Fabrikam Corporation, C=US"), "Fabrikam Corporation");
  EXPECT_EQ(commonName("O=x, CN=\"Litware, Inc.\""), "Litware, Inc.");
}

TEST(StartupTaskState, AsWindowsReadsIt) {
  const auto dword = [](std::uint32_t n) { return std::optional<RegValue>(dwordValue("State", n)); };
  const std::optional<RegValue> none;
  const struct {
    std::optional<RegValue> state;
    bool manifestEnabled, blocked;
    bool starts, policyDecides;
    std::string_view key;
    std::string unknown;
  } cases[] = {
      {dword(0), true, false, false, false, "_PackagedStateOff", ""},
      {dword(1), true, false, false, false, "_PackagedStateOffByUser", ""},
      {dword(2), false, false, true, false, "_PackagedStateOn", ""},
      {dword(3), true, false, false, true, "_PackagedStateOffByPolicy", ""},
      {dword(4), false, false, true, true, "_PackagedStateOnByPolicy", ""},
      {dword(7), true, false, false, false, "_PackagedStateUnknown", "7"},
      {RegValue{"State", kRegSz, "on", {}}, true, false, false, false, "_PackagedStateUnknown", "on"},
      {RegValue{"State", 11, {}, {2, 0, 0, 0, 0, 0, 0, 0}}, true, false, false, false, "_PackagedStateUnknown",
       "0200000000000000"},
      // Not written yet: the manifest decides.
      {none, true, false, true, false, "_PackagedStateAfterFirstRun", ""},
      {none, false, false, false, false, "_PackagedStateOff", ""},
      // A blocking policy wins over everything the user chose.
      {dword(2), true, true, false, true, "_PackagedBlockedByPolicy", ""},
      {none, true, true, false, true, "_PackagedBlockedByPolicy", ""},
  };
  for (const auto& c : cases) {
    const StartupState s = startupState(c.state, c.manifestEnabled, c.blocked);
    SCOPED_TRACE(std::string(c.key) + " " + c.unknown);
    EXPECT_EQ(s.starts, c.starts);
    EXPECT_EQ(s.policyDecides, c.policyDecides);
    EXPECT_EQ(s.statusKey, c.key);
    EXPECT_EQ(s.unknownValue, c.unknown);
  }
  // 0 blocks; the machine's value, where it has one, decides.
  EXPECT_TRUE(policyBlocks(dwordValue("P", 0), std::nullopt));
  EXPECT_TRUE(policyBlocks(std::nullopt, dwordValue("P", 0)));
  EXPECT_FALSE(policyBlocks(dwordValue("P", 2), dwordValue("P", 0)));
  EXPECT_FALSE(policyBlocks(std::nullopt, std::nullopt));
  EXPECT_FALSE(policyBlocks(RegValue{"P", kRegSz, "0", {}}, std::nullopt));
}

}  // namespace
}  // namespace velmora::testing
