// The packaged-apps family over a fake registry (Repository, SystemAppData,
// policies) and fake package folders holding real manifests: its node comes
// after All Entries, its rows are the startup tasks with the state Windows
// reads, its box writes State as Windows' startup settings do, and Undo
// puts back every value exactly, "no value" included.
#include <gtest/gtest.h>

#include "app/export.h"
#include "fakes/fake_packages.h"
#include "fakes/fake_registry.h"
#include "fakes/family_world.h"
#include "fakes/packaged_app_samples.h"
#include "fakes/real_families.h"
#include "history/change_undo.h"
#include "native/namespaced_tree.h"
#include "packagedapps/packaged_app_family.h"
#include "packagedapps/startup_state.h"
#include "pane/pane_logic.h"

namespace velmora::testing {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
const std::string kApps = "C:\\Program Files\\WindowsApps\\";
const std::string kTerminalName =
    "@{" + kTerminal.fullName + "?ms-resource://Fabrikam.Terminal/resources/AppName}";

std::string stateKey(const SamplePackage& p, const std::string& task) {
  return kSampleStatesKey + "\\" + p.family + "\\" + task;
}

// Every package of the samples recorded as installed; the gone one's folder
// is missing, the damaged one's manifest cut short.
void installSamples(FakeRegistry& reg, FakePackagePort& packages) {
  packages.parse = namespacedTree;
  for (const SamplePackage* p : {&kChat, &kChatOld, &kTerminal, &kNotes, &kDamaged, &kGone}) {
    reg.put(kUser, kSamplePackagesKey + "\\" + p->fullName, "PackageRootFolder", kApps + p->fullName);
    if (p != &kGone) packages.addFolder(kApps + p->fullName, p->manifest);
  }
  const auto state = [&](const SamplePackage& p, const std::string& task, std::uint32_t n) {
    const RegValue v = dwordValue("State", n);
    reg.putBytes(kUser, stateKey(p, task), "State", v.bytes, v.type);
  };
  state(kChat, "ChatStartup", 2);
  state(kNotes, "NotesSync", 3);
  state(kDamaged, "SyncStartup", 1);
  state(kGone, "ClockStart", 2);
  reg.createKey(kUser, kSampleStatesKey + "\\" + kTerminal.family + "\\Schemas");  // no task: no State
  packages.strings[kTerminalName] = "Terminal";
}

struct PackagedWorld : FamilyWorld {
  FakeRegistry reg;
  FakePackagePort packages;
  FamilyTable table{{packagedAppFamily(reg, packages, context)}};

  PackagedWorld() {
    logValuesJoined();
    tr.texts.insert({{"_LogItemType4ContentPackaged", "enable %s|%s"},
                     {"_LogItemType5ContentPackaged", "disable %s|%s"},
                     {"_PackagedStateUnknown", "unknown %s"},
                     {"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}});
    installSamples(reg, packages);
  }
  DrivenFamily pane() {
    DrivenFamily p(table.family("packagedapps").make({kPackagedAppsPlace}), prompt, historyCommit);
    p->list();
    return p;
  }
  int row(DrivenFamily& p, const std::string& location) {
    const auto& rows = p->rows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.path == location; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  }
  const RegValue* value(const SamplePackage& p, const std::string& task, const std::string& name) const {
    return reg.find(kUser, stateKey(p, task), name);
  }
  std::optional<std::uint32_t> state(const SamplePackage& p, const std::string& task) const {
    const RegValue* v = value(p, task, "State");
    return v ? dwordOf(*v) : std::nullopt;
  }
  bool undo(const Change& c) { return undoChange(table, c, prompt, historyCommit, tr); }
  bool undoNewest() { return undo(newest()); }
  std::string everything() const {
    std::string out;
    for (const SamplePackage* p : {&kChat, &kTerminal, &kNotes, &kDamaged, &kGone}) {
      for (const char* task : {"ChatStartup", "StartTerminalOnLoginTask", "NotesSync", "HelperStart", "SyncStartup"}) {
        for (const RegValue& v : reg.values(kUser, stateKey(*p, task))) {
          out += p->family + "\\" + task + " " + v.name + "=" + std::to_string(v.type) + ":" +
                 std::string(v.bytes.begin(), v.bytes.end()) + v.text + "\n";
        }
      }
    }
    return out + std::to_string(file.records.size());
  }
};

TEST(PackagedApps, TheNodeComesAfterAllEntriesWhichListsThemAsTheExportDoes) {
  FakeRegistry reg;
  RealFamilies f(reg);
  installSamples(reg, f.packages);
  const auto& nodes = f.table.nodes();
  ASSERT_EQ(nodes.size(), 19u);
  EXPECT_EQ(nodes[17].family, "allentries") << "All Entries keeps its index";
  EXPECT_EQ(nodes[18].family, "packagedapps");
  EXPECT_EQ(nodes[18].labelKey, "_TreePackagedApps");
  EXPECT_EQ(nodes[18].parent, -1);
  EXPECT_EQ(nodes[18].image, 10);
  const std::string chatTray = kApps + kChat.fullName + "\\bin\\ChatTray.exe";
  EXPECT_NE(exportEntries(f.table, f.tr).text().find(chatTray), std::string::npos);
  // All Entries lists them with its other rows.
  const auto all = f.table.family(nodes[17].family).make(f.table.paneLocations()[17]);
  const std::vector<Row> rows = all->list();
  EXPECT_NE(std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.data == chatTray; }), rows.end());
}

TEST(PackagedApps, ListsEachTaskWithTheStateWindowsReadsAndAPackageThatIsGoneWithItsStatus) {
  PackagedWorld w;
  auto p = w.pane();
  const std::string notes = kApps + kNotes.fullName;
  const std::vector<Row> want = {
      {"Adatum.Clock", "_PackagedStartupTask", "", kGone.family + "\\ClockStart", RowState::Live, "",
       "_PackagedStateOn; _PackagedFolderMissing"},
      {"Contoso Chat tray", "_PackagedStartupTask", kApps + kChat.fullName + "\\bin\\ChatTray.exe",
       kChat.family + "\\ChatStartup", RowState::Live, "Contoso Ltd.", "_PackagedStateOn"},
      // Its publisher is a resource that does not resolve: the signer's name.
      {"Terminal", "_PackagedStartupTask", kApps + kTerminal.fullName + "\\Terminal.exe",
       kTerminal.family + "\\StartTerminalOnLoginTask", RowState::Disabled, "Fabrikam Corporation", "_PackagedStateOff"},
      {"Litware.Sync", "_PackagedStartupTask", "", kDamaged.family + "\\SyncStartup", RowState::Disabled, "",
       "_PackagedStateOffByUser; _PackagedManifestUnreadable"},
      {"Notes sync", "_PackagedStartupTask", notes + "\\Notes.exe", kNotes.family + "\\NotesSync", RowState::Disabled,
       "Northwind Traders", "_PackagedStateOffByPolicy"},
      {"Notes helper", "_PackagedStartupTask", notes + "\\helper\\Helper.exe", kNotes.family + "\\HelperStart",
       RowState::Disabled, "Northwind Traders", "_PackagedStateOff"},
  };
  ASSERT_EQ(p->rows().size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const Row& r = p->rows()[i];
    SCOPED_TRACE(want[i].path);
    EXPECT_EQ(r.name, want[i].name);
    EXPECT_EQ(r.type, want[i].type);
    EXPECT_EQ(r.data, want[i].data);
    EXPECT_EQ(r.path, want[i].path);
    EXPECT_EQ(r.state, want[i].state);
    EXPECT_EQ(r.origin, want[i].state == RowState::Live ? RowOrigin::Live : RowOrigin::Record);
    EXPECT_EQ(r.publisher, want[i].publisher);
    EXPECT_EQ(r.status, want[i].status);
  }
  EXPECT_TRUE(w.prompt.messages.empty());
  // A state of no known value counts as off, with its number.
  const RegValue seven = dwordValue("State", 7);
  w.reg.putBytes(kUser, stateKey(kChat, "ChatStartup"), "State", seven.bytes, seven.type);
  const Row chat = p->list()[1];
  EXPECT_EQ(chat.state, RowState::Disabled);
  EXPECT_EQ(chat.status, "unknown 7");
}

TEST(PackagedApps, TheNewestPackageWinsAndThePackageFunctionsGoBeforeTheRegistry) {
  PackagedWorld w;
  {
    auto registryOnly = w.pane();
    EXPECT_EQ(w.row(registryOnly, kChat.family + "\\OldChatStartup"), -1);
  }
  // Where Windows has the package functions they say what this user has
  // and where it is, whatever the registry records.
  w.packages.functions = true;
  w.packages.installed[kChat.family] = {kChatOld.fullName};
  w.packages.packageFolders[kChatOld.fullName] = "D:\\Apps\\OldChat";
  w.packages.addFolder("D:\\Apps\\OldChat", kChatOld.manifest);
  auto p = w.pane();
  ASSERT_EQ(p->rows().size(), 1u) << "no other family is installed for this user";
  EXPECT_EQ(p->rows()[0].path, kChat.family + "\\OldChatStartup");
  EXPECT_EQ(p->rows()[0].data, "D:\\Apps\\OldChat\\OldChat.exe");
  EXPECT_EQ(p->rows()[0].status, "_PackagedStateAfterFirstRun") << "no State yet, on in its manifest";
  EXPECT_EQ(p->rows()[0].state, RowState::Live);
}

TEST(PackagedApps, ANameThatWillNotResolveIsThePackagesPlainNameNeverTheResource) {
  PackagedWorld w;
  w.packages.strings.clear();
  auto p = w.pane();
  const Row& terminal = p->rows()[static_cast<std::size_t>(w.row(p, kTerminal.family + "\\StartTerminalOnLoginTask"))];
  EXPECT_EQ(terminal.name, "Fabrikam.Terminal");
  for (const Row& r : p->rows()) EXPECT_EQ(r.name.find("ms-resource"), std::string::npos) << r.name;
  EXPECT_NE(std::find(w.packages.stringsAsked.begin(), w.packages.stringsAsked.end(), kTerminalName),
            w.packages.stringsAsked.end());
}

TEST(PackagedApps, DisableAndEnableWriteWhatWindowsWritesAndUndoPutsEveryValueBackEvenNone) {
  PackagedWorld w;
  auto p = w.pane();
  const int chat = w.row(p, kChat.family + "\\ChatStartup");
  const int terminal = w.row(p, kTerminal.family + "\\StartTerminalOnLoginTask");
  ASSERT_TRUE(p->disable(chat).done());
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 1u) << "turned off by the user";
  EXPECT_EQ(w.value(kChat, "ChatStartup", "UserEnabledStartupOnce"), nullptr);
  ASSERT_TRUE(p->enable(terminal).done());
  EXPECT_EQ(w.state(kTerminal, "StartTerminalOnLoginTask"), 2u);
  ASSERT_NE(w.value(kTerminal, "StartTerminalOnLoginTask", "UserEnabledStartupOnce"), nullptr);
  EXPECT_EQ(dwordOf(*w.value(kTerminal, "StartTerminalOnLoginTask", "UserEnabledStartupOnce")), 1u);
  EXPECT_TRUE(w.store.items(kPackagedAppTraits.records).empty()) << "nothing goes to config.xml";
  EXPECT_EQ(w.logged(), (std::vector<std::string>{"disable " + kChat.family + "\\ChatStartup|Contoso Chat tray",
                                                  "enable " + kTerminal.family + "\\StartTerminalOnLoginTask|Terminal"}));
  ASSERT_EQ(w.kept(), 2u);
  EXPECT_EQ(w.newest().family, "packagedapps");

  // The Terminal had neither value: Undo leaves it without them.
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.value(kTerminal, "StartTerminalOnLoginTask", "State"), nullptr);
  EXPECT_EQ(w.value(kTerminal, "StartTerminalOnLoginTask", "UserEnabledStartupOnce"), nullptr);
  EXPECT_EQ(w.logged().back(), "disable " + kTerminal.family + "\\StartTerminalOnLoginTask|Terminal");
  ASSERT_TRUE(w.undo(w.history.changes()->at(2)));
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 2u);
  // The Undo of an Undo switches it again, and is undone in turn.
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 1u);
  EXPECT_TRUE(w.prompt.messages.empty());

  // A row switched without a new listing shows its new state.
  Row shown = p->rows()[static_cast<std::size_t>(chat)];
  shown.origin = RowOrigin::Record;
  p.family->describe(shown);
  EXPECT_EQ(shown.status, "_PackagedStateOffByUser");
}

TEST(PackagedApps, WhatAPolicyDecidesIsShownAndNeverOverridden) {
  PackagedWorld w;
  auto p = w.pane();
  const std::string before = w.everything();
  EXPECT_FALSE(p->enable(w.row(p, kNotes.family + "\\NotesSync")).done()) << "turned off by policy (3)";
  EXPECT_EQ(w.prompt.messages.back(), "_PackagedChangeRefused");
  // The machine blocks every desktop program's task: the user's choice no
  // longer counts, and the UWP app's task is not touched by it.
  const RegValue blocked = dwordValue("EnableFullTrustStartupTasks", 0);
  w.reg.putBytes(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                 blocked.name, blocked.bytes, blocked.type);
  p->list();
  const int chat = w.row(p, kChat.family + "\\ChatStartup");
  EXPECT_EQ(p->rows()[static_cast<std::size_t>(chat)].status, "_PackagedBlockedByPolicy");
  EXPECT_EQ(p->rows()[static_cast<std::size_t>(chat)].state, RowState::Disabled);
  EXPECT_EQ(p->rows()[static_cast<std::size_t>(w.row(p, kNotes.family + "\\NotesSync"))].status,
            "_PackagedStateOffByPolicy");
  EXPECT_FALSE(p->enable(chat).done());
  EXPECT_EQ(w.prompt.messages.size(), 2u);
  EXPECT_EQ(w.everything(), before);
  EXPECT_TRUE(w.logged().empty());
}

// A registry that answers success to a State write and keeps nothing.
class IgnoringRegistry : public FakeRegistry {
 public:
  RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                     const std::vector<std::uint8_t>& data, std::uint32_t type, KeyCreation creation) override {
    if (name == "State") return RegStatus::Ok;
    return FakeRegistry::setBytes(root, subkey, name, data, type, creation);
  }
};

TEST(PackagedApps, AWriteCountsOnlyWhenItReadsBackAndAFailedOneIsTakenBack) {
  PackagedWorld w;
  IgnoringRegistry ignoring;
  installSamples(ignoring, w.packages);
  DrivenFamily p(std::make_unique<PackagedAppFamily>(std::vector<std::string>{kPackagedAppsPlace}, ignoring,
                                                     w.packages, w.context),
                 w.prompt, w.historyCommit);
  p->list();
  const int terminal = w.row(p, kTerminal.family + "\\StartTerminalOnLoginTask");
  EXPECT_FALSE(p->enable(terminal).done());
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_PackagedNotKept"}));
  EXPECT_EQ(ignoring.find(kUser, stateKey(kTerminal, "StartTerminalOnLoginTask"), "UserEnabledStartupOnce"), nullptr)
      << "the value written with it was taken back";
  w.reg.denyWrite(kUser, stateKey(kChat, "ChatStartup"));
  auto q = w.pane();
  EXPECT_FALSE(q->disable(w.row(q, kChat.family + "\\ChatStartup")).done());
  EXPECT_EQ(w.prompt.messages.back(), "_FlagWriteFailed");
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 2u);
  EXPECT_EQ(w.kept(), 0u);
}

TEST(PackagedApps, ARowOutOfDateOrAnEditedHistoryChangesNothing) {
  PackagedWorld w;
  auto p = w.pane();
  const int chat = w.row(p, kChat.family + "\\ChatStartup");
  const RegValue off = dwordValue("State", 1);
  w.reg.putBytes(kUser, stateKey(kChat, "ChatStartup"), "State", off.bytes, off.type);  // switched in Settings
  EXPECT_FALSE(p->disable(chat).done());
  EXPECT_EQ(w.prompt.messages.back(), "_PackagedTaskChanged");
  EXPECT_FALSE(p->disable(EntryRef{"..\\x", "x", ""}).done());
  EXPECT_EQ(w.prompt.messages.back(), "_PackagedTaskChanged");
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 1u);

  ASSERT_TRUE(p->enable(chat).done());
  // Undo needs the values as the change left them.
  const RegValue other = dwordValue("State", 0);
  w.reg.putBytes(kUser, stateKey(kChat, "ChatStartup"), "State", other.bytes, other.type);
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
  const RegValue back = dwordValue("State", 2);
  w.reg.putBytes(kUser, stateKey(kChat, "ChatStartup"), "State", back.bytes, back.type);
  expectEachEditRefused(w, {{"location", kNotes.family + "\\NotesSync\\.."},
                            {"location", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
                            {"kind", "remove"},
                            {"statebefore", "4:zz"},
                            {"onceafter", "x"}});
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 1u) << "the genuine change undid";
}

TEST(PackagedApps, RemoveIsRefusedAndWindowsStartupSettingsOpenOrSayTheyCannot) {
  PackagedWorld w;
  auto p = w.pane();
  // What is offered is checked in the window (packaged_app_end_to_end_test).
  EXPECT_FALSE(p->remove(1).done());
  EXPECT_EQ(w.prompt.messages.back(), "_PackagedNotWritten");
  const OperationResult opened = p->commit(p.family->openStartupSettings(p->entry(1)));
  EXPECT_TRUE(opened.messages.empty());
  EXPECT_EQ(w.packages.settingsOpened, 1);
  w.packages.settingsFail = true;
  EXPECT_EQ(p.family->openStartupSettings(p->entry(1)).messages, (std::vector<std::string>{"_StartupSettingsFailed"}));
  EXPECT_EQ(w.state(kChat, "ChatStartup"), 2u);
}

}  // namespace
}  // namespace velmora::testing
