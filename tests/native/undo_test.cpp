// Undo through the families over the fakes: each kind of change comes back
// exactly (value type, program position, the file's bytes), an Undo is a
// change of its own that can be undone in turn, and an entry that changed
// since is left alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_history.h"
#include "fakes/fake_registry.h"
#include "fakes/real_families.h"
#include "history/change_undo.h"
#include "startupfolder/folder_location.h"

namespace velmora::testing {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const std::string kRunSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kWindowsSub = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kWinlogonSub = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kStartup = "C:\\Users\\u\\Startup";

struct UndoWorld {
  FakeRegistry reg;
  RealFamilies f{reg};
  FakeHistoryFile file{&f.folders};
  ChangeHistory history{file, "C:\\Velmora\\History"};
  ScriptedPrompt prompt;
  FakeList list;

  UndoWorld() {
    f.context.history = &history;
    f.tr.texts = {{"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}, {"_UndoNowHolds", "it now holds %s"}};
    reg.put(kHkcu, std::string(kShellFoldersKey), "Startup", kStartup);
    f.folders.addFolder(kStartup);
    f.folders.addFolder("C:\\Velmora");
  }
  std::unique_ptr<EntryFamily> pane(FamilyId id, const std::string& location) {
    auto family = f.table.family(id).make({location}, prompt);
    family->fill(list);
    return family;
  }
  int rowOf(const std::string& nameOrData, RowState state) const {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
      const Row& r = list.rows[i];
      if ((r.name == nameOrData || r.data == nameOrData) && r.state == state) return static_cast<int>(i);
    }
    return -1;
  }
  Change newest() { return history.changes()->front(); }
  std::size_t kept() { return history.changes()->size(); }
  bool undoNewest() { return undoChange(f.table, newest(), prompt, f.tr); }
  // Answers the next entry dialog with a name and a command line.
  void answer(const std::string& name, const std::string& data) {
    prompt.onDialog = [name, data](EntryDialogKind, EntryDialogData& d) {
      d.name = name;
      d.path = data;
      return true;
    };
  }
  bool saidChanged() const {
    return !prompt.messages.empty() && prompt.messages.back().find("_UndoEntryChanged") != std::string::npos;
  }
  bool saidNotPossible() const { return !prompt.messages.empty() && prompt.messages.back() == "_UndoNotPossible"; }
  // Every file, record, value and kept change a change could touch, as text.
  std::string everything() const {
    std::string out;
    for (const std::string& path : f.folders.files()) out += path + '=' + f.folders.bytes(path) + '\n';
    for (const RecordKind kind : {kRegistryRecords, kProgramListRecords, kStartupFolderRecords}) {
      for (const DisabledItem& i : f.store.items(kind)) out += i.path + '|' + i.valuename + '|' + i.valuedata + '\n';
    }
    for (const auto& [root, sub] : std::vector<std::pair<RootKey, std::string>>{
             {kHkcu, kRunSub}, {kHkcu, kWindowsSub}, {RootKey::LocalMachine, kWinlogonSub}}) {
      for (const RegValue& v : reg.values(root, sub)) out += v.name + '=' + v.text + '\n';
    }
    return out + std::to_string(file.records.size());
  }
  // The newest change as the file holds it, with one field set by hand.
  Change editedNewest(const std::string& field, const std::string& value) {
    HistoryRecord& r = file.records.back();
    const auto it = std::find_if(r.begin(), r.end(), [&](const auto& p) { return p.first == field; });
    if (it == r.end()) {
      r.emplace_back(field, value);
    } else {
      it->second = value;
    }
    return newest();
  }
};

TEST(StartupFolderUndo, RemovedAndModifiedShortcutsComeBackByteForByte) {
  UndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray icon=3");
  w.f.folders.put(link, bytes);
  auto pane = w.pane("startupfolder", kStartup);
  pane->remove(w.list, w.rowOf("Tool.lnk", RowState::Live));
  ASSERT_FALSE(w.f.folders.hasFile(link));
  const Change removed = w.newest();
  ASSERT_FALSE(removed.copy.empty());
  EXPECT_EQ(w.f.folders.bytes(w.history.copyPath(removed.copy)), bytes);

  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), bytes);
  ASSERT_TRUE(w.undoNewest()) << "the Undo of the Undo removes it again";
  EXPECT_FALSE(w.f.folders.hasFile(link));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), bytes);

  pane->fill(w.list);
  w.answer("Other.lnk", "C:\\other.exe");
  pane->modify(w.list, w.rowOf("Tool.lnk", RowState::Live));
  ASSERT_TRUE(w.f.folders.hasFile(kStartup + "\\Other.lnk"));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), bytes);
  EXPECT_FALSE(w.f.folders.hasFile(kStartup + "\\Other.lnk"));
}

TEST(StartupFolderUndo, DisableGoesBackAndAChangedShortcutIsLeftAlone) {
  UndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray");
  w.f.folders.put(link, bytes);
  auto pane = w.pane("startupfolder", kStartup);
  ASSERT_TRUE(pane->disable(w.list, w.rowOf("Tool.lnk", RowState::Live)));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), bytes);
  EXPECT_TRUE(w.f.store.items(kStartupFolderRecords).empty());

  w.answer("New", "C:\\new.exe");
  pane->add(w.list);
  ASSERT_TRUE(w.f.folders.hasFile(kStartup + "\\New.lnk"));
  w.f.folders.put(kStartup + "\\New.lnk", FakeShellLinks::linkBytes("C:\\elsewhere.exe"));
  const std::size_t kept = w.kept();
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
  EXPECT_TRUE(w.f.folders.hasFile(kStartup + "\\New.lnk"));
  EXPECT_EQ(w.kept(), kept);

  Change elsewhere = w.newest();
  elsewhere.location = "C:\\Windows";
  EXPECT_FALSE(undoChange(w.f.table, elsewhere, w.prompt, w.f.tr)) << "only the startup folders";
  EXPECT_TRUE(w.f.folders.hasFile(kStartup + "\\New.lnk"));
}

TEST(ReplacingUndo, AnAddThatReplacedAnEntryGivesThatEntryBack) {
  UndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\old.exe", "args=/keep");
  w.f.folders.put(link, bytes);
  auto startup = w.pane("startupfolder", kStartup);
  w.answer("Tool", "C:\\new.exe");
  startup->add(w.list);
  ASSERT_NE(w.f.folders.bytes(link), bytes);
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), bytes) << "the replaced shortcut, not nothing";

  // Enable over a file put there meanwhile, and a rename onto another file.
  startup->fill(w.list);
  ASSERT_TRUE(startup->disable(w.list, w.rowOf("Tool.lnk", RowState::Live)));
  const std::string meanwhile = FakeShellLinks::linkBytes("C:\\meanwhile.exe");
  w.f.folders.put(link, meanwhile);
  startup->fill(w.list);
  ASSERT_TRUE(startup->enable(w.list, w.rowOf("Tool.lnk", RowState::Disabled)));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), meanwhile);
  EXPECT_EQ(w.f.store.items(kStartupFolderRecords).size(), 1u);

  const std::string other = kStartup + "\\Other.lnk";
  const std::string otherBytes = FakeShellLinks::linkBytes("C:\\other.exe", "args=/o");
  w.f.folders.put(other, otherBytes);
  w.answer("Other.lnk", "C:\\renamed.exe");
  startup->fill(w.list);
  startup->modify(w.list, w.rowOf("Tool.lnk", RowState::Live));
  ASSERT_FALSE(w.f.folders.hasFile(link));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), meanwhile);
  EXPECT_EQ(w.f.folders.bytes(other), otherBytes) << "the file the rename replaced";
}

TEST(FlagUndo, AStartupFileTurnedOnAndRemovedComesBackWithItsFlag) {
  UndoWorld w;
  const std::string approvedSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";
  const std::vector<std::uint8_t> off = {7, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2};
  const std::string link = kStartup + "\\Mail.lnk";
  w.f.folders.put(link, "shortcut bytes");
  w.reg.putBytes(kHkcu, approvedSub, "Mail.lnk", off);
  const auto flag = [&] {
    const RegValue* v = w.reg.find(kHkcu, approvedSub, "Mail.lnk");
    return v ? v->bytes : std::vector<std::uint8_t>{};
  };
  auto pane = w.pane("startupfolder", kStartup);
  ASSERT_GE(w.rowOf("Mail.lnk", RowState::Disabled), 0) << "listed unchecked";
  ASSERT_TRUE(pane->enable(w.list, w.rowOf("Mail.lnk", RowState::Disabled)));
  EXPECT_EQ(flag(), flagOnBytes());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(flag(), off);

  pane->fill(w.list);
  pane->remove(w.list, w.rowOf("Mail.lnk", RowState::Disabled));
  ASSERT_FALSE(w.f.folders.hasFile(link));
  EXPECT_TRUE(flag().empty());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.f.folders.bytes(link), "shortcut bytes");
  EXPECT_EQ(flag(), off);
}

// history.xml lies beside the program, where anyone who may write that
// folder may edit it: Undo takes it as input. A change whose fields would
// not pass as the user's own input is refused before anything is touched.
using Edit = std::pair<std::string, std::string>;

void expectEachRefused(UndoWorld& w, const std::vector<Edit>& edits) {
  const HistoryRecord genuine = w.file.records.back();
  const std::string before = w.everything();
  for (const auto& [field, value] : edits) {
    const Change c = w.editedNewest(field, value);
    EXPECT_FALSE(undoChange(w.f.table, c, w.prompt, w.f.tr)) << field << "=" << value;
    EXPECT_TRUE(w.saidNotPossible()) << field << "=" << value;
    EXPECT_EQ(w.everything(), before) << field << "=" << value;
    w.file.records.back() = genuine;
  }
  EXPECT_TRUE(w.undoNewest()) << "the change as it was made still undoes";
}

TEST(UntrustedHistory, AStartupFolderChangeNeverReachesOutsideItsFolder) {
  UndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  w.f.folders.put(link, FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray"));
  w.f.folders.put("C:\\Users\\u\\Something.lnk", "someone's file");
  w.f.folders.addFolder(kStartup + "\\..");  // the parent, as the file system reads the name
  auto pane = w.pane("startupfolder", kStartup);
  w.answer("Other.lnk", "C:\\other.exe");
  pane->modify(w.list, w.rowOf("Tool.lnk", RowState::Live));
  ASSERT_TRUE(w.f.folders.hasFile(kStartup + "\\Other.lnk"));
  ASSERT_FALSE(w.newest().copy.empty());
  expectEachRefused(w, {{"beforename", "..\\Something.lnk"},
                        {"beforename", "C:\\Users\\u\\Something.lnk"},
                        {"aftername", "..\\Startup\\Other.lnk"},
                        {"beforename", "NUL"},
                        {"beforename", std::string("Tool.lnk\0.exe", 13)},
                        {"beforename", "\xFF\xFE.lnk"},
                        {"location", kStartup + "\\.."},
                        {"location", "C:\\Users\\u"},
                        {"copy", "..\\..\\Users\\u\\Something.lnk"},
                        {"copy", "CON"},
                        {"replacedcopy", "..\\config.xml"},
                        {"flagbefore", "not a flag"}});
  EXPECT_EQ(w.f.folders.bytes("C:\\Users\\u\\Something.lnk"), "someone's file");
  EXPECT_TRUE(w.f.folders.hasFile(link));
}

}  // namespace
}  // namespace velmora::testing
