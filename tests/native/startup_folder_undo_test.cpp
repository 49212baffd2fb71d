// Undo of the startup folders' changes over the fakes: a removed or replaced
// file comes back byte for byte, with Windows' flag, an Undo is a change of
// its own that can be undone in turn, an entry that changed since is left
// alone, and a change edited in the file never reaches outside its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "fakes/fake_folders.h"
#include "fakes/fake_history.h"
#include "fakes/family_world.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "history/change_commit.h"
#include "history/change_undo.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
const std::string kStartup = "C:\\Users\\u\\Startup";

// history.xml lies beside the program, where anyone who may write that
// folder may edit it: Undo takes it as input.

// The startup-folder family alone over the fakes, its operations driven as
// the pane drives them and committed into the history, as is every Undo.
struct StartupUndoWorld : FamilyWorld {
  FakeRegistry reg;
  FakeFolders folders;
  FakeShellLinks links{folders};
  FamilyTable table{{startupFolderFamily(reg, folders, links, "C:\\Velmora", context)}};
  using Pane = DrivenFamily;

  StartupUndoWorld() : FamilyWorld(&folders) {
    context.copies = &history;
    tr.texts = {{"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}, {"_UndoNowHolds", "it now holds %s"}};
    reg.put(kHkcu, std::string(kShellFoldersKey), "Startup", kStartup);
    folders.addFolder(kStartup);
    folders.addFolder("C:\\Velmora");
  }
  // A pane over the folder, listed.
  Pane pane(const std::string& folder) {
    Pane p(table.family("startupfolder").make({folder}), prompt, historyCommit);
    p->list();
    return p;
  }
  static int rowOf(Pane& p, const std::string& name, RowState state) {
    const std::vector<Row>& rows = p->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name && rows[i].state == state) return static_cast<int>(i);
    }
    return -1;
  }
  bool undo(const Change& c) { return undoChange(table, c, prompt, historyCommit, tr); }
  bool undoNewest() { return undo(newest()); }
  // Every file, record, flag and kept change a change could touch, as text.
  std::string everything() const {
    std::string out;
    for (const std::string& path : folders.files()) out += path + '=' + folders.bytes(path) + '\n';
    for (const DisabledItem& i : store.items(kStartupFolderRecords)) {
      out += i.path + '|' + i.valuename + '|' + i.valuedata + '\n';
    }
    for (const RegValue& v : reg.values(kHkcu, startupFolderFlagKey(false).subkey)) {
      out += v.name + '=' + flagText(v) + '\n';
    }
    return out + std::to_string(file.records.size());
  }
};

TEST(StartupFolderUndo, RemovedAndModifiedShortcutsComeBackByteForByte) {
  StartupUndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray icon=3");
  w.folders.put(link, bytes);
  auto pane = w.pane(kStartup);
  ASSERT_TRUE(pane->remove(w.rowOf(pane, "Tool.lnk", RowState::Live)).done());
  ASSERT_FALSE(w.folders.hasFile(link));
  const Change removed = w.newest();
  ASSERT_FALSE(removed.copy.empty());
  EXPECT_EQ(w.folders.bytes(w.history.copyPath(removed.copy)), bytes);

  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), bytes);
  EXPECT_EQ(w.newest().undoes, removed.id);
  ASSERT_TRUE(w.undoNewest()) << "the Undo of the Undo removes it again";
  EXPECT_FALSE(w.folders.hasFile(link));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), bytes);

  pane->list();
  ASSERT_TRUE(pane->modify(w.rowOf(pane, "Tool.lnk", RowState::Live), "Other.lnk", "C:\\other.exe").done());
  ASSERT_TRUE(w.folders.hasFile(kStartup + "\\Other.lnk"));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), bytes);
  EXPECT_FALSE(w.folders.hasFile(kStartup + "\\Other.lnk"));
}

TEST(StartupFolderUndo, DisableGoesBackAndAChangedShortcutIsLeftAlone) {
  StartupUndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray");
  w.folders.put(link, bytes);
  auto pane = w.pane(kStartup);
  ASSERT_TRUE(pane->disable(w.rowOf(pane, "Tool.lnk", RowState::Live)).done());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), bytes);
  EXPECT_TRUE(w.store.items(kStartupFolderRecords).empty());

  ASSERT_TRUE(pane->add("New", "C:\\new.exe").done());
  ASSERT_TRUE(w.folders.hasFile(kStartup + "\\New.lnk"));
  w.folders.put(kStartup + "\\New.lnk", FakeShellLinks::linkBytes("C:\\elsewhere.exe"));
  const std::size_t kept = w.kept();
  EXPECT_FALSE(w.undoNewest());
  EXPECT_TRUE(w.saidChanged());
  EXPECT_TRUE(w.folders.hasFile(kStartup + "\\New.lnk"));
  EXPECT_EQ(w.kept(), kept);

  Change elsewhere = w.newest();
  elsewhere.location = "C:\\Windows";
  EXPECT_FALSE(w.undo(elsewhere)) << "only the startup folders";
  EXPECT_TRUE(w.folders.hasFile(kStartup + "\\New.lnk"));
}

TEST(ReplacingUndo, AnAddThatReplacedAnEntryGivesThatEntryBack) {
  StartupUndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\old.exe", "args=/keep");
  w.folders.put(link, bytes);
  auto startup = w.pane(kStartup);
  ASSERT_TRUE(startup->add("Tool", "C:\\new.exe").done());
  ASSERT_EQ(w.prompt.questions.size(), 1u) << "asked before replacing";
  ASSERT_NE(w.folders.bytes(link), bytes);
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), bytes) << "the replaced shortcut, not nothing";

  // Enable over a file put there meanwhile, and a rename onto another file.
  startup->list();
  ASSERT_TRUE(startup->disable(w.rowOf(startup, "Tool.lnk", RowState::Live)).done());
  const std::string meanwhile = FakeShellLinks::linkBytes("C:\\meanwhile.exe");
  w.folders.put(link, meanwhile);
  startup->list();
  ASSERT_TRUE(startup->enable(w.rowOf(startup, "Tool.lnk", RowState::Disabled)).done());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), meanwhile);
  EXPECT_EQ(w.store.items(kStartupFolderRecords).size(), 1u);

  const std::string other = kStartup + "\\Other.lnk";
  const std::string otherBytes = FakeShellLinks::linkBytes("C:\\other.exe", "args=/o");
  w.folders.put(other, otherBytes);
  startup->list();
  ASSERT_TRUE(startup->modify(w.rowOf(startup, "Tool.lnk", RowState::Live), "Other.lnk", "C:\\renamed.exe").done());
  ASSERT_FALSE(w.folders.hasFile(link));
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), meanwhile);
  EXPECT_EQ(w.folders.bytes(other), otherBytes) << "the file the rename replaced";
}

TEST(FlagUndo, AStartupFileTurnedOnAndRemovedComesBackWithItsFlag) {
  StartupUndoWorld w;
  const std::string approvedSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";
  const std::vector<std::uint8_t> off = {7, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2};
  const std::string link = kStartup + "\\Mail.lnk";
  w.folders.put(link, "shortcut bytes");
  w.reg.putBytes(kHkcu, approvedSub, "Mail.lnk", off);
  const auto flag = [&] {
    const RegValue* v = w.reg.find(kHkcu, approvedSub, "Mail.lnk");
    return v ? v->bytes : std::vector<std::uint8_t>{};
  };
  auto pane = w.pane(kStartup);
  ASSERT_GE(w.rowOf(pane, "Mail.lnk", RowState::Disabled), 0) << "listed unchecked";
  ASSERT_TRUE(pane->enable(w.rowOf(pane, "Mail.lnk", RowState::Disabled)).done());
  EXPECT_EQ(flag(), flagOnBytes());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(flag(), off);

  pane->list();
  ASSERT_TRUE(pane->remove(w.rowOf(pane, "Mail.lnk", RowState::Disabled)).done());
  ASSERT_FALSE(w.folders.hasFile(link));
  EXPECT_TRUE(flag().empty());
  ASSERT_TRUE(w.undoNewest());
  EXPECT_EQ(w.folders.bytes(link), "shortcut bytes");
  EXPECT_EQ(flag(), off);
}

// A change whose fields would not pass as the user's own input is refused
// before anything is touched.
TEST(UntrustedHistory, AStartupFolderChangeNeverReachesOutsideItsFolder) {
  StartupUndoWorld w;
  const std::string link = kStartup + "\\Tool.lnk";
  w.folders.put(link, FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray"));
  w.folders.put("C:\\Users\\u\\Something.lnk", "someone's file");
  w.folders.addFolder(kStartup + "\\..");  // the parent, as the file system reads the name
  auto pane = w.pane(kStartup);
  ASSERT_TRUE(pane->modify(w.rowOf(pane, "Tool.lnk", RowState::Live), "Other.lnk", "C:\\other.exe").done());
  ASSERT_TRUE(w.folders.hasFile(kStartup + "\\Other.lnk"));
  ASSERT_FALSE(w.newest().copy.empty());

  expectEachEditRefused(w, {{"beforename", "..\\Something.lnk"},
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
  EXPECT_EQ(w.folders.bytes("C:\\Users\\u\\Something.lnk"), "someone's file");
  EXPECT_TRUE(w.folders.hasFile(link));
}

}  // namespace
}  // namespace velmora::testing
