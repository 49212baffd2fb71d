// The packages adapter and the packaged-apps family over it and the real
// registry of the test prefix. Wine has neither the package functions nor
// PRI resources, so what runs is the registry route: the packages recorded
// under Repository\Packages (seeded here, as Windows records them), their
// real manifests read by XmlLite from real folders, and the names that are
// resources falling back to the package's plain name.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "fakes/fake_history.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_undo.h"
#include "packagedapps/app_manifest.h"
#include "packagedapps/packaged_app_family.h"
#include "packagedapps/win32/packages_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/seeded_packages.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

struct PackagedWorld {
  SeededPackages seeded;
  win32::Win32Registry registry;
  win32::PackagesWin32 port;
  FakeStore store;
  MapTranslator tr;
  OperationLog log{tr};
  FakeHistoryFile file;
  ChangeHistory history{file, "C:\\Velmora\\History"};
  ChangeCommit commit{log, &history, tr};
  ScriptedPrompt prompt;
  FamilyContext context{store, tr};
  FamilyTable table{{packagedAppFamily(registry, port, context)}};

  PackagedWorld() {
    seeded.install(kChat);
    seeded.install(kChatOld);
    seeded.install(kTerminal, true, /*utf16=*/true);
    seeded.install(kNotes);
    seeded.install(kDamaged);
    seeded.install(kGone, /*withFolder=*/false);
    seeded.setState(kChat, "ChatStartup", 2);
    seeded.setState(kNotes, "NotesSync", 3);
    seeded.setState(kDamaged, "SyncStartup", 1);
    seeded.setState(kGone, "ClockStart", 2);
  }
  DrivenFamily pane() {
    DrivenFamily p(table.family("packagedapps").make({kPackagedAppsPlace}), prompt, commit);
    p->list();
    return p;
  }
  const Row* row(DrivenFamily& p, const std::string& location, int* index = nullptr) {
    const auto& rows = p->rows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.path == location; });
    if (index) *index = it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
    return it == rows.end() ? nullptr : &*it;
  }
};

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

TEST(PackagedFamily, ListsTheSeededTasksWithTheirStatesAndAPackageWhoseFolderIsGone) {
  PackagedWorld w;
  auto p = w.pane();
  ASSERT_EQ(p->rows().size(), 6u);
  const Row* chat = w.row(p, kChat.family + "\\ChatStartup");
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->name, "Contoso Chat tray");
  EXPECT_EQ(chat->type, "_PackagedStartupTask");
  EXPECT_EQ(chat->data, w.seeded.folderOf(kChat) + "\\bin\\ChatTray.exe") << "the newest version's";
  EXPECT_EQ(chat->publisher, "Contoso Ltd.");
  EXPECT_EQ(chat->status, "_PackagedStateOn");
  EXPECT_EQ(chat->state, RowState::Live);
  const Row* terminal = w.row(p, kTerminal.family + "\\StartTerminalOnLoginTask");
  ASSERT_NE(terminal, nullptr);
  EXPECT_EQ(terminal->name, "Fabrikam.Terminal") << "its resource name, without PRI";
  EXPECT_EQ(terminal->publisher, "Fabrikam Corporation");
  EXPECT_EQ(terminal->status, "_PackagedStateOff");
  EXPECT_EQ(terminal->state, RowState::Disabled);
  EXPECT_EQ(w.row(p, kNotes.family + "\\NotesSync")->status, "_PackagedStateOffByPolicy");
  EXPECT_EQ(w.row(p, kNotes.family + "\\HelperStart")->status, "_PackagedStateOff");
  const Row* gone = w.row(p, kGone.family + "\\ClockStart");
  ASSERT_NE(gone, nullptr) << "listed, not dropped";
  EXPECT_EQ(gone->name, "Adatum.Clock");
  EXPECT_EQ(gone->status, "_PackagedStateOn; _PackagedFolderMissing");
  EXPECT_EQ(w.row(p, kDamaged.family + "\\SyncStartup")->status, "_PackagedStateOffByUser; _PackagedManifestUnreadable");
  EXPECT_TRUE(w.prompt.messages.empty());
}

TEST(PackagedFamily, DisableAndEnableWriteStateAsWindowsDoesAndUndoRestoresEveryValueEvenNone) {
  PackagedWorld w;
  auto p = w.pane();
  int chat = -1, terminal = -1;
  w.row(p, kChat.family + "\\ChatStartup", &chat);
  w.row(p, kTerminal.family + "\\StartTerminalOnLoginTask", &terminal);
  ASSERT_TRUE(p->disable(chat).done());
  EXPECT_EQ(w.seeded.state(kChat, "ChatStartup"), 1u);
  ASSERT_TRUE(p->enable(terminal).done());
  EXPECT_EQ(w.seeded.state(kTerminal, "StartTerminalOnLoginTask"), 2u);
  EXPECT_EQ(w.seeded.value(kTerminal, "StartTerminalOnLoginTask", L"UserEnabledStartupOnce"), 1u);
  ASSERT_EQ(w.history.changes()->size(), 2u);

  ASSERT_TRUE(undoChange(w.table, w.history.changes()->front(), w.prompt, w.commit, w.tr));
  EXPECT_EQ(w.seeded.state(kTerminal, "StartTerminalOnLoginTask"), std::nullopt) << "no value, as before";
  EXPECT_EQ(w.seeded.value(kTerminal, "StartTerminalOnLoginTask", L"UserEnabledStartupOnce"), std::nullopt);
  ASSERT_TRUE(undoChange(w.table, w.history.changes()->at(2), w.prompt, w.commit, w.tr));
  EXPECT_EQ(w.seeded.state(kChat, "ChatStartup"), 2u);
  EXPECT_TRUE(w.prompt.messages.empty());
  EXPECT_EQ(p->list()[static_cast<std::size_t>(chat)].state, RowState::Live);
}

TEST(PackagedFamily, ATaskAPolicyDecidesCannotBeChanged) {
  PackagedWorld w;
  w.seeded.setPolicy(HKEY_LOCAL_MACHINE, "EnableFullTrustStartupTasks", 0);
  auto p = w.pane();
  int chat = -1, notes = -1;
  EXPECT_EQ(w.row(p, kChat.family + "\\ChatStartup", &chat)->status, "_PackagedBlockedByPolicy");
  EXPECT_EQ(w.row(p, kNotes.family + "\\NotesSync", &notes)->status, "_PackagedStateOffByPolicy");
  EXPECT_FALSE(p->disable(chat).done());
  EXPECT_FALSE(p->enable(chat).done());
  EXPECT_FALSE(p->enable(notes).done());
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>(3, "_PackagedChangeRefused")));
  EXPECT_EQ(w.seeded.state(kChat, "ChatStartup"), 2u);
  EXPECT_EQ(w.seeded.state(kNotes, "NotesSync"), 3u);
  EXPECT_TRUE(w.history.changes()->empty());
}

}  // namespace
}  // namespace velmora::testing
