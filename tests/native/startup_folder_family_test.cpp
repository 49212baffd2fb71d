// The startup-folder family against an in-memory folder tree: the listing,
// the operations, and what is left behind when a step fails. Each result
// goes through the real commit, so the log and the messages are the
// program's own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "fakes/fake_folders.h"
#include "fakes/fake_history.h"
#include "fakes/family_world.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_commit.h"
#include "family/families.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/folder_scan.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

TEST(EnsureExtension, AppendsOnlyWhenTheNameDoesNotEndInIt) {
  EXPECT_EQ(ensureExtension("Backup", "lnk"), "Backup.lnk");
  EXPECT_EQ(ensureExtension("Backup.lnk", "lnk"), "Backup.lnk");
  EXPECT_EQ(ensureExtension("Backup.LNK", "lnk"), "Backup.LNK");
  EXPECT_EQ(ensureExtension("Backup.LnK", ".LNK"), "Backup.LnK");
  EXPECT_EQ(ensureExtension("Backuplnk", "lnk"), "Backuplnk.lnk") << "no dot, so not the extension";
  EXPECT_EQ(ensureExtension("Backup.lnk.txt", "lnk"), "Backup.lnk.txt.lnk");
  EXPECT_EQ(ensureExtension("Backup", ".LNK"), "Backup.lnk") << "the extension is lower-cased";
  EXPECT_EQ(ensureExtension("nk", "lnk"), "nk.lnk");
}

TEST(StartupPaths, EntryPathsAndFolderComparison) {
  EXPECT_EQ(entryPath("C:\\Startup", "a.lnk"), "C:\\Startup\\a.lnk");
  EXPECT_EQ(entryPath("C:\\Startup\\", "a.lnk"), "C:\\Startup\\a.lnk");
  EXPECT_TRUE(sameFolder("C:\\Users\\\xC5\x81ukasz\\Startup", "c:\\users\\\xC5\x82ukasz\\STARTUP\\"));
  EXPECT_FALSE(sameFolder("C:\\Startup", "C:\\Startup2"));
  EXPECT_FALSE(sameFolder("C:\\Startup\\\\", "C:\\Startup")) << "only one trailing backslash is dropped";

  EXPECT_TRUE(isPlainFileName("Backup.lnk"));
  EXPECT_TRUE(isPlainFileName("..Backup"));
  EXPECT_FALSE(isPlainFileName(""));
  EXPECT_FALSE(isPlainFileName(".."));
  EXPECT_FALSE(isPlainFileName(". ."));
  EXPECT_FALSE(isPlainFileName("..\\..\\Windows\\evil.lnk"));
  EXPECT_FALSE(isPlainFileName("sub/evil.lnk"));
  EXPECT_FALSE(isPlainFileName("C:evil.lnk"));
  EXPECT_FALSE(isPlainFileName("a.lnk:stream"));
  EXPECT_FALSE(isPlainFileName("NUL")) << "device names are no files";
  EXPECT_FALSE(isPlainFileName("con.lnk"));
  EXPECT_FALSE(isPlainFileName("Com1 .txt"));
  EXPECT_TRUE(isPlainFileName("COM10.lnk"));
  EXPECT_TRUE(isPlainFileName("Console.lnk"));
  EXPECT_FALSE(isPlainFileName("Backup.lnk.")) << "Windows would drop the dot";
  EXPECT_FALSE(isPlainFileName("Backup.lnk "));
}

TEST(DisabledCopies, NamedFromFolderAndNameIgnoringCase) {
  EXPECT_EQ(disabledCopyFolder("C:\\Velmora"), "C:\\Velmora\\Disabled");
  const std::string name = disabledCopyName("C:\\Startup", "Backup.lnk");
  ASSERT_EQ(name.size(), 21u);
  EXPECT_EQ(name.substr(16), ".copy");
  EXPECT_EQ(name.find_first_not_of("0123456789abcdef"), 16u);
  // Copies on disk must still be found by later versions: the key is fixed.
  EXPECT_EQ(disabledCopyName("C:\\a", "b"), "4d7a39fcf41da709.copy");

  EXPECT_EQ(disabledCopyName("c:\\STARTUP\\", "backup.LNK"), name);
  EXPECT_EQ(disabledCopyName("C:\\\xC5\x81ukasz", "\xCE\x91.lnk"), disabledCopyName("C:\\\xC5\x82ukasz", "\xCE\xB1.lnk"));
  EXPECT_NE(disabledCopyName("C:\\Other", "Backup.lnk"), name) << "two folders with one file name";
  EXPECT_NE(disabledCopyName("C:\\Startup", "Backup2.lnk"), name);
  EXPECT_EQ(disabledCopyPath("C:\\Velmora", "C:\\Startup", "Backup.lnk"), "C:\\Velmora\\Disabled\\" + name);
}

// Windows starts a read-only file from a startup folder: it is listed.
// Hidden and system files (desktop.ini) are the folder's own.
TEST(FolderScan, ListsReadOnlyFilesAndSkipsHiddenSystemEntriesAndFolders) {
  FakeFolders fs;
  fs.put("C:\\S\\plain.lnk", "x");
  fs.put("C:\\S\\readonly.lnk", "x", kAttrReadOnly);
  fs.put("C:\\S\\hidden.lnk", "x", kAttrHidden);
  fs.put("C:\\S\\system.lnk", "x", kAttrSystem);
  fs.put("C:\\S\\desktop.ini", "x", kAttrHidden | kAttrSystem);
  fs.addFolder("C:\\S\\Sub");
  fs.put("C:\\S\\Sub\\inner.lnk", "x");
  fs.put("C:\\S\\run.bat", "x", 0x20);  // archive bit alone does not matter
  const auto files = folderScan(fs, "C:\\S\\");
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].name, "plain.lnk");
  EXPECT_EQ(files[0].fullPath, "C:\\S\\plain.lnk");
  EXPECT_EQ(files[1].name, "readonly.lnk");
  EXPECT_EQ(files[2].name, "run.bat");
  EXPECT_TRUE(folderScan(fs, "C:\\Missing").empty());
}

TEST(FolderScan, AnEmptyFolderPathNeverBecomesTheDriveRoot) {
  FakeFolders fs;
  fs.put("C:\\boot.ini", "x");
  fs.put("\\boot.ini", "x");
  EXPECT_TRUE(folderScan(fs, "").empty());
  EXPECT_TRUE(folderScan(fs, "\\").empty());
}

// A family over the startup folders with the fakes behind it, driven as the
// pane drives it. Log contents are the values joined with '|', so tests can
// read them back.
class StartupFolderTest : public ::testing::Test, public FamilyWorld {
 protected:
  const std::string common = "C:\\ProgramData\\Startup";
  const std::string user = "C:\\Users\\Ann\\Startup";
  const std::string program = "C:\\Velmora";

  FakeRegistry registry;
  FakeFolders fs;
  FakeShellLinks links{fs};

  // A family and the driver that runs its operations on its rows.
  using Pane = DrivenFamily;

  // The history's copies live in the fake folders.
  StartupFolderTest() : FamilyWorld(&fs) {
    tr.texts["_StartupFolderType"] = "Startup folder";
    for (int i = 1; i <= 5; ++i) tr.texts["_LogItemType" + std::to_string(i) + "Content1"] = "%s|%s|%s|%s";
    tr.texts["_StartupFileExists"] = "_StartupFileExists %s";
    fs.addFolder(common);
    fs.addFolder(user);
    fs.addFolder(program);
  }

  Pane pane(std::vector<std::string> folders) {
    return Pane(startupFolderFamily(registry, fs, links, program, context).make(std::move(folders)), prompt, commit);
  }
  Pane pane() { return pane({common, user}); }
  // The family built by hand, over another context (a store of the test's own).
  Pane paneWith(const FamilyContext& other, std::vector<std::string> folders) {
    return Pane(std::make_unique<StartupFolderFamily>(std::move(folders), fs, links, program, other), prompt, commit);
  }

  void disabledRecord(const std::string& folder, const std::string& name, const std::string& data) {
    store.elements.push_back({kStartupFolderRecords, {folder, name, data}});
  }
  std::string copyOf(const std::string& folder, const std::string& name) {
    return disabledCopyPath(program, folder, name);
  }
  static int rowNamed(Pane& p, const std::string& name, RowState state) {
    const std::vector<Row>& rows = p->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name && rows[i].state == state) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << name;
    return 0;
  }
  // What the check box asks of the family: a checked row is disabled, an
  // unchecked one enabled. True when the entry moved.
  static bool clickBox(Pane& p, int row) {
    const bool live = p->rows().at(static_cast<std::size_t>(row)).state == RowState::Live;
    return (live ? p->disable(row) : p->enable(row)).done();
  }
  // The Modify dialog answered OK: the name and the data as the user left them.
  static OperationResult modify(Pane& p, int row, const std::optional<std::string>& name,
                                const std::optional<std::string>& data) {
    const Row& r = p->rows().at(static_cast<std::size_t>(row));
    return p->modify(row, name.value_or(r.name), data.value_or(r.data));
  }
  std::vector<std::string> logContents() const {
    std::vector<std::string> out;
    for (const auto& r : sink.records) out.push_back(r.itemType + ":" + r.content);
    return out;
  }
  bool messaged(const std::string& key) const {
    for (const auto& m : prompt.messages) {
      if (m.rfind(key, 0) == 0) return true;
    }
    return false;
  }
};

using Strings = std::vector<std::string>;

TEST_F(StartupFolderTest, ListsEachFolderDisabledRowsFirstThenItsFiles) {
  fs.put(common + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\Tools\\tool.exe"));
  fs.put(common + "\\sync.bat", "@echo off\r\n");
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "args=/min"));
  disabledRecord(user, "Chat.lnk", "C:\\Chat\\chat.exe");
  disabledRecord("c:\\programdata\\STARTUP\\", "Old.lnk", "C:\\Old\\old.exe");
  disabledRecord("C:\\Elsewhere", "Other.lnk", "C:\\x.exe");
  auto family = pane();
  std::vector<Row> expected = {
      recordRow("Old.lnk", "Startup folder", "C:\\Old\\old.exe", common),
      {"Tool.lnk", "Startup folder", "C:\\Tools\\tool.exe", common, RowState::Live},
      {"sync.bat", "Startup folder", "", common, RowState::Live},
      recordRow("Chat.lnk", "Startup folder", "C:\\Chat\\chat.exe", user),
      {"Mail.lnk", "Startup folder", "C:\\Mail\\mail.exe", user, RowState::Live},
  };
  // Shown, not compared: a file that is no shortcut is started itself, and
  // a shortcut's arguments follow its target.
  expected[2].dataShown = common + "\\sync.bat";
  expected[4].dataShown = "C:\\Mail\\mail.exe args=/min";
  EXPECT_EQ(family->list(), expected);
  EXPECT_TRUE(prompt.messages.empty());
}

// The Command column tells two shortcuts to one program apart, disabled too
// (their arguments are read from the kept copy); operations still compare
// the target alone.
TEST_F(StartupFolderTest, CommandShowsAShortcutsArgumentsAfterItsTarget) {
  fs.put(user + "\\Sync.lnk", FakeShellLinks::linkBytes("C:\\Program Files\\Sync\\sync.exe", "--background"));
  fs.put(user + "\\Plain.lnk", FakeShellLinks::linkBytes("C:\\plain.exe"));
  fs.put(user + "\\notes.txt", "x");
  auto family = pane({user});
  family->list();
  int sync = rowNamed(family, "Sync.lnk", RowState::Live);
  EXPECT_EQ(shownData(family->rows()[static_cast<std::size_t>(sync)]),
            "\"C:\\Program Files\\Sync\\sync.exe\" --background")
      << "a target with a blank is quoted, as Windows would start it";
  EXPECT_EQ(shownData(family->rows()[static_cast<std::size_t>(rowNamed(family, "Plain.lnk", RowState::Live))]),
            "C:\\plain.exe");
  EXPECT_EQ(shownData(family->rows()[static_cast<std::size_t>(rowNamed(family, "notes.txt", RowState::Live))]),
            user + "\\notes.txt");

  ASSERT_TRUE(clickBox(family, sync));
  family->list();
  sync = rowNamed(family, "Sync.lnk", RowState::Disabled);
  const Row& disabled = family->rows()[static_cast<std::size_t>(sync)];
  EXPECT_EQ(disabled.data, "C:\\Program Files\\Sync\\sync.exe") << "the record keeps the target alone";
  EXPECT_EQ(shownData(disabled), "\"C:\\Program Files\\Sync\\sync.exe\" --background");
  ASSERT_TRUE(clickBox(family, sync)) << "enabled by its target, as before";
  EXPECT_EQ(fs.bytes(user + "\\Sync.lnk"),
            FakeShellLinks::linkBytes("C:\\Program Files\\Sync\\sync.exe", "--background"));
}

TEST_F(StartupFolderTest, AFolderHeldWithATrailingBackslashStillFindsItsRecords) {
  fs.put(common + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\t.exe"));
  disabledRecord(common, "Tool.lnk", "C:\\t.exe");  // same name, disabled and live both listed
  auto family = pane({common + "\\"});
  const std::vector<Row>& rows = family->list();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].path, common + "\\") << "disabled rows show the folder as the pane holds it";
  EXPECT_EQ(rows[0].state, RowState::Disabled);
  EXPECT_EQ(rows[1].path, common) << "file rows show it without the trailing backslash";
  EXPECT_EQ(rows[1].state, RowState::Live);
}

// The log names each file by its path, with one backslash between folder
// and name, whichever way the folder is held (a drive's root ends in one).
TEST_F(StartupFolderTest, TheLogNamesFilesOfAFolderHeldWithATrailingBackslash) {
  const std::string root = "D:\\";
  fs.addFolder("D:");
  auto family = pane({root});
  ASSERT_TRUE(family->add("New", "C:\\new.exe").done());
  family->list();
  ASSERT_TRUE(family->modify(rowNamed(family, "New.lnk", RowState::Live), "Newer.lnk", "C:\\newer.exe").done());
  family->list();
  ASSERT_TRUE(clickBox(family, rowNamed(family, "Newer.lnk", RowState::Live)));
  family->list();
  ASSERT_TRUE(clickBox(family, rowNamed(family, "Newer.lnk", RowState::Disabled)));
  family->list();
  ASSERT_TRUE(family->remove(rowNamed(family, "Newer.lnk", RowState::Live)).done());
  EXPECT_EQ(logContents(), (Strings{"_LogItemType2:New.lnk|D:||", "_LogItemType3:New.lnk|D:|Newer.lnk|C:\\newer.exe",
                                    "_LogItemType5:Newer.lnk|D:||", "_LogItemType4:Newer.lnk|D:||",
                                    "_LogItemType1:Newer.lnk|D:||"}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(StartupFolderTest, ARedirectedFolderOnAServerKeepsItsPath) {
  // DirectoryPart would add a colon to a path without a drive letter.
  const std::string unc = "\\\\server\\profiles\\Ann\\Startup";
  fs.put(unc + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.addFolder(unc);
  auto family = pane({unc});
  ASSERT_EQ(family->list().size(), 1u);
  EXPECT_EQ(family->rows()[0].path, unc);
  ASSERT_TRUE(clickBox(family, 0));
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{unc, "a.lnk", "C:\\a.exe"}}));
  ASSERT_EQ(family->list().size(), 1u);
  ASSERT_TRUE(clickBox(family, 0));
  EXPECT_TRUE(fs.hasFile(unc + "\\a.lnk"));
}

TEST_F(StartupFolderTest, AnUnreadableStoreStillListsTheFilesQuietly) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  store.unreadable = true;
  auto family = pane();
  EXPECT_EQ(family->list().size(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(StartupFolderTest, AnUnknownFolderListsNothingAndRefusesEveryChange) {
  fs.put("C:\\boot.lnk", FakeShellLinks::linkBytes("C:\\x.exe"));
  disabledRecord("", "boot.lnk", "C:\\x.exe");
  auto family = pane({""});
  EXPECT_TRUE(family->list().empty());

  EntryDialogData data;
  const OperationResult ready = family.family->prepareAdd(data);
  EXPECT_FALSE(ready.done()) << "no Add dialog";
  EXPECT_EQ(ready.messages, (Strings{"_StartupFolderUnknown"}));
  EXPECT_FALSE(family->add("boot", "C:\\x.exe").done());
  EXPECT_TRUE(messaged("_StartupFolderUnknown"));
  // Had a dialog been shown all the same, Add still refuses.
  EXPECT_FALSE(family->commit(family.family->add({"", "", "boot", "C:\\x.exe"}, prompt)).done());

  // An entry naming a folder the pane does not hold is refused as well.
  const EntryRef boot{"C:", "boot.lnk", "C:\\x.exe"};
  prompt.messages.clear();
  EXPECT_FALSE(family->remove(boot).done());
  EXPECT_FALSE(family->commit(family.family->modify(boot, {"", "C:", "boot2", "C:\\y.exe"}, prompt)).done());
  EXPECT_FALSE(family->disable(boot).done());
  EXPECT_EQ(prompt.messages, (Strings{"_StartupFolderUnknown", "_StartupFolderUnknown", "_StartupFolderUnknown"}));
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_TRUE(fs.hasFile("C:\\boot.lnk"));
  EXPECT_EQ(fs.writes + fs.deletions, 0);
  EXPECT_TRUE(sink.records.empty());
}

// A pane of no folder lists nothing and has nowhere to add to; as there is
// nothing wrong, nothing is said.
TEST_F(StartupFolderTest, APaneWithoutFoldersOffersNoAddQuietly) {
  auto family = pane(std::vector<std::string>{});
  EXPECT_TRUE(family->list().empty());
  EntryDialogData data;
  const OperationResult ready = family.family->prepareAdd(data);
  EXPECT_FALSE(ready.done());
  EXPECT_TRUE(ready.messages.empty());
  EXPECT_FALSE(family->commit(family.family->add({"", "", "New", "C:\\new.exe"}, prompt)).done());
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(fs.writes, 0);
}

TEST_F(StartupFolderTest, DisableKeepsTheExactFileAndEnablePutsItBack) {
  const std::string bytes = FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "args=/min;dir=C:\\Mail;icon=1");
  fs.put(user + "\\Mail.lnk", bytes);
  auto family = pane();
  family->list();

  const OperationResult disabled = family->disable(rowNamed(family, "Mail.lnk", RowState::Live));
  ASSERT_TRUE(disabled.done());
  EXPECT_FALSE(fs.hasFile(user + "\\Mail.lnk"));
  EXPECT_EQ(fs.bytes(copyOf(user, "Mail.lnk")), bytes);
  EXPECT_EQ(store.items(kStartupFolderRecords),
            (std::vector<DisabledItem>{{user, "Mail.lnk", "C:\\Mail\\mail.exe"}}));
  ASSERT_EQ(disabled.changes.size(), 1u);
  EXPECT_EQ(disabled.changes[0].kind, "disable");
  EXPECT_EQ(disabled.changes[0].location, user);
  EXPECT_EQ(disabled.changes[0].after, (EntryState{"Mail.lnk", "C:\\Mail\\mail.exe", {}, true}));

  family->list();
  ASSERT_TRUE(clickBox(family, rowNamed(family, "Mail.lnk", RowState::Disabled)));
  EXPECT_EQ(fs.bytes(user + "\\Mail.lnk"), bytes) << "arguments, folder and icon come back";
  EXPECT_FALSE(fs.hasFile(copyOf(user, "Mail.lnk")));
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
  EXPECT_EQ(logContents(), (Strings{"_LogItemType5:Mail.lnk|" + user + "||", "_LogItemType4:Mail.lnk|" + user + "||"}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(StartupFolderTest, ARecordWithoutACopyIsEnabledAsANewShortcutToItsTarget) {
  disabledRecord(user, "Old.lnk", "C:\\Old\\old.exe");
  disabledRecord(user, "Lost.bat", "");
  auto family = pane();
  family->list();
  ASSERT_TRUE(clickBox(family, rowNamed(family, "Old.lnk", RowState::Disabled)));
  EXPECT_EQ(fs.bytes(user + "\\Old.lnk"), FakeShellLinks::linkBytes("C:\\Old\\old.exe"));

  // No copy and no target: there is nothing to write, so nothing moves.
  EXPECT_FALSE(clickBox(family, rowNamed(family, "Lost.bat", RowState::Disabled)));
  EXPECT_TRUE(messaged("_StartupNothingToRestore"));
  EXPECT_FALSE(fs.hasFile(user + "\\Lost.bat"));
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "Lost.bat", ""}}));
  EXPECT_EQ(sink.records.size(), 1u);
}

TEST_F(StartupFolderTest, ASecondEntryOfTheSameNameIsNotDisabledOverTheFirstOnesCopy) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\new.exe"));
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\old.exe", "args=keep"));
  disabledRecord(user, "A.LNK", "C:\\old.exe");
  auto family = pane();
  family->list();
  EXPECT_FALSE(clickBox(family, rowNamed(family, "a.lnk", RowState::Live)));
  EXPECT_TRUE(messaged("_StartupAlreadyDisabled"));
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_EQ(fs.bytes(copyOf(user, "a.lnk")), FakeShellLinks::linkBytes("C:\\old.exe", "args=keep"));
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
}

TEST_F(StartupFolderTest, EnableAsksBeforeReplacingALiveFileOfTheSameName) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\new.exe"));
  disabledRecord(user, "a.lnk", "C:\\old.exe");
  auto family = pane();
  family->list();
  prompt.answers = {false};
  const OperationResult declined = family->enable(rowNamed(family, "a.lnk", RowState::Disabled));
  EXPECT_FALSE(declined.done());
  EXPECT_TRUE(declined.messages.empty()) << "the user said no: nothing to tell";
  EXPECT_EQ(prompt.questions, (Strings{"_StartupFileExists a.lnk"}));
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), FakeShellLinks::linkBytes("C:\\new.exe"));
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);

  family->list();
  EXPECT_TRUE(clickBox(family, rowNamed(family, "a.lnk", RowState::Disabled)));  // OK this time
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), FakeShellLinks::linkBytes("C:\\old.exe"));
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
}

// Disable: whatever step fails, the file stays in its folder, no record and
// no copy are left, the user is told, and the log holds nothing.
TEST_F(StartupFolderTest, DisableThatFailsLeavesTheFileWhereItWas) {
  const std::string file = user + "\\a.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\a.exe", "args=x");
  struct Case {
    const char* what;
    std::function<void()> breakIt;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"store unreadable", [&] { store.unreadable = true; }, "_ConfigUnreadable"},
      {"store cannot be saved", [&] { store.readOnly = true; }, "_ConfigWriteFailed"},
      {"Disabled is a file", [&] { fs.put(program + "\\Disabled", "x"); }, "_StartupCopyFailed"},
      {"program folder refuses the copy", [&] { fs.denyWrites(program); }, "_ProgramFolderRefused"},
      {"file cannot be deleted", [&] { fs.denyDelete(file); }, "_StartupAccessDenied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs.reset();
    fs.addFolder(user);
    fs.addFolder(program);
    fs.put(file, bytes);
    store.reset();
    prompt.messages.clear();
    c.breakIt();
    auto family = pane({user});
    family->list();
    const OperationResult result = family->disable(0);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(fs.bytes(file), bytes);
    EXPECT_FALSE(fs.hasFile(copyOf(user, "a.lnk")));
    EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
    EXPECT_TRUE(messaged(c.message)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    EXPECT_TRUE(sink.records.empty());
  }
}

// A store that keeps records but cannot give them up again.
class StickyStore : public FakeStore {
 public:
  StoreStatus remove(RecordKind, const StoredItem&) override { return StoreStatus::WriteFailed; }
};

TEST_F(StartupFolderTest, DisableThatCannotBeUndoneKeepsTheFileAndSaysSo) {
  StickyStore sticky;
  FamilyContext stickyContext{sticky, tr};
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.denyDelete(user + "\\a.lnk");
  auto family = paneWith(stickyContext, {user});
  family->list();
  EXPECT_FALSE(clickBox(family, 0));
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_TRUE(fs.hasFile(copyOf(user, "a.lnk"))) << "the copy stays with the record it belongs to";
  EXPECT_EQ(sticky.items(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(prompt.messages, (Strings{"_EntryKeptTwice"}));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(StartupFolderTest, DisableOfAFileThatVanishedRecordsNothing) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  auto family = pane({user});
  family->list();
  ASSERT_EQ(fs.removeFile(user + "\\a.lnk"), FileStatus::Ok);
  EXPECT_FALSE(clickBox(family, 0));
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
  EXPECT_TRUE(messaged("_StartupFileMissing"));
}

// Enable: whatever step fails, the entry stays disabled with its record and
// its copy, no file is left in the folder, and the log holds nothing.
TEST_F(StartupFolderTest, EnableThatFailsLeavesTheEntryDisabled) {
  const std::string bytes = FakeShellLinks::linkBytes("C:\\a.exe", "args=x");
  struct Case {
    const char* what;
    std::function<void()> breakIt;
    const char* message;
    bool recordLeft;
  };
  const std::vector<Case> cases = {
      {"store unreadable", [&] { store.unreadable = true; }, "_ConfigUnreadable", true},
      {"store cannot be saved", [&] { store.readOnly = true; }, "_ConfigWriteFailed", true},
      {"folder refuses the file", [&] { fs.denyWrites(user); }, "_StartupAccessDenied", true},
      {"store missing", [&] { store.elements.clear(); }, "_EntryRecordGone", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs.reset();
    fs.addFolder(user);
    fs.put(copyOf(user, "a.lnk"), bytes);
    store.reset();
    disabledRecord(user, "a.lnk", "C:\\a.exe");
    prompt.messages.clear();
    auto family = pane({user});
    family->list();
    c.breakIt();
    EXPECT_FALSE(clickBox(family, 0));
    EXPECT_FALSE(fs.hasFile(user + "\\a.lnk"));
    EXPECT_EQ(fs.bytes(copyOf(user, "a.lnk")), bytes);
    store.unreadable = false;
    EXPECT_EQ(store.items(kStartupFolderRecords).size(), c.recordLeft ? 1u : 0u);
    EXPECT_TRUE(messaged(c.message)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    EXPECT_TRUE(sink.records.empty());
  }
}

TEST_F(StartupFolderTest, EnableOfAnOldRecordFailsCleanlyForANameTheFileSystemRefuses) {
  disabledRecord(user, "a?b.lnk", "C:\\a.exe");
  auto family = pane({user});
  family->list();
  EXPECT_FALSE(clickBox(family, 0));
  EXPECT_TRUE(messaged("_StartupWriteFailed"));
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
  EXPECT_TRUE(fs.filesIn(user).empty());
}

TEST_F(StartupFolderTest, ARecordNamingAFileElsewhereNeverTouchesIt) {
  fs.put("C:\\Windows\\evil.lnk", "keep");
  disabledRecord(user, "..\\..\\..\\Windows\\evil.lnk", "C:\\evil.exe");
  auto family = pane({user});
  family->list();
  EXPECT_FALSE(clickBox(family, 0));
  EXPECT_TRUE(messaged("_StartupInvalidName"));
  EXPECT_EQ(fs.bytes("C:\\Windows\\evil.lnk"), "keep");
  EXPECT_TRUE(family->remove(0).done()) << "the record itself can still be removed";
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
  EXPECT_EQ(fs.bytes("C:\\Windows\\evil.lnk"), "keep");
}

TEST_F(StartupFolderTest, RemoveOfADisabledRowNeverDeletesAFileOfTheSameName) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\live.exe"));
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\old.exe"));
  disabledRecord(user, "a.lnk", "C:\\old.exe");
  tr.texts["_AreyousureDeleteThisEntry"] = "Delete %s from %s?\\n%s";
  auto family = pane({user});
  family->list();
  const OperationResult removed = family->remove(rowNamed(family, "a.lnk", RowState::Disabled));
  EXPECT_TRUE(removed.done());
  EXPECT_EQ(prompt.questions, (Strings{"Delete a.lnk from " + user + "?\nC:\\old.exe"}));
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_FALSE(fs.hasFile(copyOf(user, "a.lnk"))) << "the copy goes with its record";
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
  EXPECT_EQ(logContents(), (Strings{"_LogItemType1:a.lnk|" + user + "||"}));
  ASSERT_EQ(removed.changes.size(), 1u);
  EXPECT_EQ(removed.changes[0].before, (EntryState{"a.lnk", "C:\\old.exe", {}, true}));
  EXPECT_EQ(family->list().size(), 1u) << "the live file is still listed";
}

// A store whose records have moved away by the time they are removed
// (another program saved config.xml in between).
class VanishingStore : public FakeStore {
 public:
  StoreStatus remove(RecordKind, const StoredItem&) override { return StoreStatus::Vanished; }
};

// The entry is gone already, which is what the user asked for: Remove
// says nothing, logs nothing and touches no file.
TEST_F(StartupFolderTest, RemoveOfADisabledRowWhoseRecordIsGoneIsQuiet) {
  const std::string live = FakeShellLinks::linkBytes("C:\\live.exe");
  fs.put(user + "\\a.lnk", live);
  fs.put(copyOf(user, "a.lnk"), "copy of a");
  fs.put(copyOf(user, "b.lnk"), "copy of b");
  disabledRecord(user, "a.lnk", "C:\\old.exe");
  disabledRecord(user, "b.lnk", "C:\\b.exe");
  auto family = pane({user});
  family->list();
  store.elements.erase(store.elements.begin());  // removed by hand meanwhile
  const OperationResult gone = family->remove(rowNamed(family, "a.lnk", RowState::Disabled));
  EXPECT_FALSE(gone.done());
  EXPECT_TRUE(gone.changes.empty());
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), live);
  EXPECT_EQ(fs.bytes(copyOf(user, "a.lnk")), "copy of a");
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "b.lnk", "C:\\b.exe"}}));
  EXPECT_EQ(family->list().size(), 2u);

  VanishingStore vanishing;
  vanishing.elements = store.elements;
  FamilyContext vanishingContext{vanishing, tr};
  auto other = paneWith(vanishingContext, {user});
  other->list();
  EXPECT_FALSE(other->remove(rowNamed(other, "b.lnk", RowState::Disabled)).done());
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(fs.bytes(copyOf(user, "b.lnk")), "copy of b") << "the copy stays with the record it belongs to";
  EXPECT_EQ(other->list().size(), 2u);
}

TEST_F(StartupFolderTest, RemoveOfALiveRow) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.put(user + "\\b.lnk", FakeShellLinks::linkBytes("C:\\b.exe"));
  auto family = pane({user});
  family->list();

  prompt.answers = {false};
  const OperationResult cancelled = family->remove(0);
  EXPECT_FALSE(cancelled.done());
  EXPECT_TRUE(cancelled.messages.empty());
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk")) << "Cancel changes nothing";
  EXPECT_TRUE(sink.records.empty());

  fs.denyDelete(user + "\\b.lnk");
  EXPECT_FALSE(family->remove(1).done());
  EXPECT_TRUE(fs.hasFile(user + "\\b.lnk"));
  EXPECT_TRUE(messaged("_StartupAccessDenied"));
  EXPECT_TRUE(sink.records.empty());

  const OperationResult removed = family->remove(0);
  EXPECT_TRUE(removed.done());
  EXPECT_FALSE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_EQ(logContents(), (Strings{"_LogItemType1:a.lnk|" + user + "||"}));
  ASSERT_EQ(removed.changes.size(), 1u);
  EXPECT_EQ(removed.changes[0].kind, "remove");
  EXPECT_EQ(removed.changes[0].location, user);
  EXPECT_EQ(removed.changes[0].before, (EntryState{"a.lnk", "C:\\a.exe", {}, false}));
  EXPECT_TRUE(removed.changes[0].copy.empty()) << "no copies are kept without a place for them";
}

TEST_F(StartupFolderTest, RemoveOfADisabledRowWhoseStoreCannotBeReadChangesNothing) {
  disabledRecord(user, "a.lnk", "C:\\a.exe");
  fs.put(copyOf(user, "a.lnk"), "copy");
  auto family = pane({user});
  family->list();
  store.unreadable = true;
  EXPECT_FALSE(family->remove(0).done());
  store.unreadable = false;
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
  EXPECT_TRUE(fs.hasFile(copyOf(user, "a.lnk")));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(messaged("_ConfigUnreadable"));
}

TEST_F(StartupFolderTest, AddWritesAShortcutIntoTheFirstFolder) {
  auto family = pane();
  EntryDialogData data;
  const OperationResult ready = family.family->prepareAdd(data);
  EXPECT_TRUE(ready.done());
  EXPECT_TRUE(ready.messages.empty());
  EXPECT_EQ(data.typeText, "Startup folder");
  EXPECT_EQ(data.sectionText, common);
  EXPECT_EQ(data.name, "");
  const OperationResult added = family->add("Backup", "C:\\Backup\\backup.exe");
  EXPECT_TRUE(added.done());
  EXPECT_EQ(fs.bytes(common + "\\Backup.lnk"), FakeShellLinks::linkBytes("C:\\Backup\\backup.exe"));
  EXPECT_EQ(logContents(), (Strings{"_LogItemType2:Backup.lnk|" + common + "||"}));
  ASSERT_EQ(added.changes.size(), 1u);
  EXPECT_EQ(added.changes[0].after, (EntryState{"Backup.lnk", "C:\\Backup\\backup.exe", {}, false}));
  EXPECT_FALSE(added.changes[0].before) << "nothing was replaced";
  EXPECT_EQ(family->list().size(), 1u);
}

TEST_F(StartupFolderTest, AddAsksBeforeReplacingAndRefusesBadNames) {
  fs.put(common + "\\Backup.lnk", "precious");
  auto family = pane();
  prompt.answers = {false};
  EXPECT_FALSE(family->add("backup", "C:\\new.exe").done());
  EXPECT_EQ(prompt.questions, (Strings{"_StartupFileExists backup.lnk"}));
  EXPECT_EQ(fs.bytes(common + "\\Backup.lnk"), "precious");
  EXPECT_TRUE(prompt.messages.empty());

  EXPECT_FALSE(family->add("..\\..\\Windows\\evil", "C:\\new.exe").done());
  EXPECT_TRUE(messaged("_StartupInvalidName"));

  // Passes our check, refused by the file system.
  EXPECT_FALSE(family->add("what?", "C:\\new.exe").done());
  EXPECT_TRUE(messaged("_StartupWriteFailed"));
  EXPECT_EQ(fs.filesIn(common), (Strings{"Backup.lnk"}));
  EXPECT_TRUE(sink.records.empty());
}

// The dialog refuses a bad name while it is open: the family hands it the rule.
TEST_F(StartupFolderTest, AddAndModifyGiveTheDialogTheNameRule) {
  tr.texts["_StartupInvalidName"] = "Bad name %s";
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe"));
  auto family = pane({user});
  std::vector<EntryCheck> checks;
  EntryDialogData added;
  ASSERT_TRUE(family.family->prepareAdd(added).done());
  checks.push_back(added.check);
  family->list();
  checks.push_back(family.family->dialogData(family->entry(0)).check);
  ASSERT_EQ(checks.size(), 2u);
  for (const EntryCheck& check : checks) {
    ASSERT_TRUE(check);
    EXPECT_FALSE(check("Backup", "C:\\b.exe"));
    for (const char* bad : {"CON", "a\\b", "x:y", "dots.", ".."}) {
      const auto problem = check(bad, "C:\\b.exe");
      ASSERT_TRUE(problem) << bad;
      EXPECT_EQ(problem->field, EntryField::Name);
      EXPECT_EQ(problem->message, std::string("Bad name ") + bad);
    }
  }
}

TEST_F(StartupFolderTest, ModifyOfAShortcutSaysWhichArgumentsItKeeps) {
  tr.texts["_StartupKeepsArguments"] = "Keeps: %s";
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "/min --tray"));
  fs.put(user + "\\Plain.lnk", FakeShellLinks::linkBytes("C:\\plain.exe"));
  auto family = pane({user});
  const auto notes = [&] {
    Strings out;
    for (int row = 0; row < static_cast<int>(family->rows().size()); ++row) {
      out.push_back(family.family->dialogData(family->entry(row)).note);
    }
    return out;
  };
  family->list();
  EXPECT_EQ(notes(), (Strings{"Keeps: /min --tray", ""})) << "a shortcut without arguments shows no note";

  // A disabled shortcut: its kept copy has the arguments.
  ASSERT_TRUE(family->disable(0).done());
  family->list();
  ASSERT_EQ(family->rows()[0].state, RowState::Disabled);
  EXPECT_EQ(notes(), (Strings{"Keeps: /min --tray", ""}));
}

// Windows opens a startup folder's file by its extension: a name typed
// without one keeps the shortcut's, as Add gives a new one ".lnk".
TEST_F(StartupFolderTest, ModifyOfAShortcutKeepsItsOtherFieldsAndItsExtension) {
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "args=/min"));
  auto family = pane({user});
  family->list();
  const EntryDialogData shown = family.family->dialogData(family->entry(0));
  EXPECT_EQ(shown.typeText, "Startup folder");
  EXPECT_EQ(shown.name, "Mail.lnk");
  EXPECT_EQ(shown.path, "C:\\Mail\\mail.exe");
  EXPECT_EQ(shown.sectionText, user);
  const OperationResult modified = family->modify(0, "Post", "C:\\Post\\post.exe");
  EXPECT_TRUE(modified.done());
  EXPECT_EQ(fs.filesIn(user), (Strings{"Post.lnk"}));
  EXPECT_EQ(fs.bytes(user + "\\Post.lnk"), FakeShellLinks::linkBytes("C:\\Post\\post.exe", "args=/min"));
  EXPECT_EQ(logContents(),
            (Strings{"_LogItemType3:Mail.lnk|" + user + "|Post.lnk|C:\\Post\\post.exe"}));
  ASSERT_EQ(modified.changes.size(), 1u);
  EXPECT_EQ(modified.changes[0].before, (EntryState{"Mail.lnk", "C:\\Mail\\mail.exe", {}, false}));
  EXPECT_EQ(modified.changes[0].after, (EntryState{"Post.lnk", "C:\\Post\\post.exe", {}, false}));

  // A disabled shortcut's record keeps it too; a name typed with it is taken as it is.
  disabledRecord(user, "Chat.LNK", "C:\\Chat\\chat.exe");
  family->list();
  EXPECT_TRUE(modify(family, rowNamed(family, "Chat.LNK", RowState::Disabled), "Talk", std::nullopt).done());
  family->list();
  EXPECT_TRUE(modify(family, rowNamed(family, "Post.lnk", RowState::Live), "Letters.Lnk", std::nullopt).done());
  EXPECT_EQ(fs.filesIn(user), (Strings{"Letters.Lnk"}));
  ASSERT_EQ(store.items(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(store.items(kStartupFolderRecords)[0].valuename, "Talk.lnk");
}

TEST_F(StartupFolderTest, ModifyUnderTheSameNameReplacesTheFileInPlace) {
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\old.exe", "args=/min"));
  auto family = pane({user});
  family->list();
  EXPECT_TRUE(modify(family, 0, std::nullopt, "C:\\new.exe").done());
  EXPECT_TRUE(prompt.questions.empty()) << "its own file is not a file to ask about";
  EXPECT_EQ(fs.filesIn(user), (Strings{"Mail.lnk"}));
  EXPECT_EQ(fs.bytes(user + "\\Mail.lnk"), FakeShellLinks::linkBytes("C:\\new.exe", "args=/min"));
}

// Modify of a live shortcut: the old one stays until the new one is whole.
TEST_F(StartupFolderTest, ModifyThatFailsKeepsTheOldShortcut) {
  const std::string old = FakeShellLinks::linkBytes("C:\\a.exe", "args=x");
  struct Case {
    const char* what;
    std::string newName;
    std::function<void()> breakIt;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"name the file system refuses", "a|b.lnk", [] {}, "_StartupWriteFailed"},
      {"old file cannot be deleted", "b.lnk", [&] { fs.denyDelete(user + "\\a.lnk"); }, "_StartupAccessDenied"},
      {"folder refuses writes", "b.lnk", [&] { fs.denyWrites(user); }, "_StartupAccessDenied"},
      {"new file cannot be hidden while staged", "b.lnk", [&] { fs.denyAttributes(user + "\\b.lnk.velmora-new"); },
       "_StartupAccessDenied"},
      // Hidden, it would be an entry the list never shows: taken back.
      {"new file cannot be shown once in place", "b.lnk", [&] { fs.denyAttributes(user + "\\b.lnk"); },
       "_StartupWriteFailed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs.reset();
    fs.addFolder(user);
    fs.put(user + "\\a.lnk", old);
    prompt.messages.clear();
    auto family = pane({user});
    family->list();
    c.breakIt();
    const OperationResult result = family->modify(0, c.newName, "C:\\b.exe");
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(fs.filesIn(user), (Strings{"a.lnk"}));
    EXPECT_EQ(fs.bytes(user + "\\a.lnk"), old);
    EXPECT_TRUE(messaged(c.message)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    EXPECT_TRUE(sink.records.empty());
  }
}

// The new shortcut is staged in the folder itself (a move there is atomic);
// were Velmora stopped before the move, Windows would open the staged file
// at logon and the list would show it, unless it is hidden.
TEST_F(StartupFolderTest, AShortcutStagedByModifyIsHiddenUntilItIsInPlace) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  auto family = pane({user});
  family->list();
  // Stopped between writing and moving: the move never happens and nothing
  // more is deleted.
  const std::string staged = user + "\\b.lnk.velmora-new";
  fs.denyDelete(staged);
  (void)family->modify(0, "b.lnk", "C:\\b.exe");
  ASSERT_TRUE(fs.hasFile(staged));
  EXPECT_NE(fs.attributes(staged) & kAttrHidden, 0u);
  ASSERT_EQ(family->list().size(), 1u) << "the staged file is not listed";
  EXPECT_EQ(family->rows()[0].name, "a.lnk");

  // The next Modify is not blocked by the hidden leftover, and what it puts
  // in place is visible.
  fs.reset();
  fs.addFolder(user);
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.put(staged, "left behind", kAttrHidden);
  family->list();
  prompt.messages.clear();
  EXPECT_TRUE(family->modify(0, "b.lnk", "C:\\b.exe").done());
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0];
  EXPECT_EQ(fs.filesIn(user), (Strings{"b.lnk"}));
  EXPECT_EQ(fs.attributes(user + "\\b.lnk") & kAttrHidden, 0u);
  ASSERT_EQ(family->list().size(), 1u);
  EXPECT_EQ(family->rows()[0].name, "b.lnk");
}

TEST_F(StartupFolderTest, ModifyOfAFileThatIsNotAShortcutIsRefused) {
  fs.put(user + "\\sync.bat", "@echo off");
  fs.put(copyOf(user, "tool.exe"), "MZ...");
  disabledRecord(user, "tool.exe", "");
  auto family = pane({user});
  family->list();
  ASSERT_EQ(family->rows().size(), 2u);
  for (int row = 0; row < 2; ++row) {
    // Said before the dialog opens, so nothing is typed in vain.
    EntryDialogData data;
    const OperationResult ready = family.family->prepareModify(family->entry(row), data);
    EXPECT_FALSE(ready.done());
    EXPECT_EQ(ready.messages, Strings{"_StartupNotAShortcut"});
    EXPECT_FALSE(modify(family, row, std::nullopt, "C:\\other.exe").done());
    EXPECT_EQ(family.family->dialogData(family->entry(row)).note, "");
  }
  EXPECT_EQ(prompt.messages, (Strings{"_StartupNotAShortcut", "_StartupNotAShortcut"}));
  EXPECT_EQ(fs.bytes(user + "\\sync.bat"), "@echo off");
  EXPECT_EQ(fs.bytes(copyOf(user, "tool.exe")), "MZ...");
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "tool.exe", ""}}));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(StartupFolderTest, ModifyOfADisabledShortcutMovesItsCopyAndEnableSetsTheNewTarget) {
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "args=/min"));
  auto family = pane({user});
  family->list();
  ASSERT_TRUE(clickBox(family, 0));
  family->list();
  const OperationResult modified = family->modify(0, "Post.lnk", "C:\\Post\\post.exe");
  EXPECT_TRUE(modified.done());
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "Post.lnk", "C:\\Post\\post.exe"}}));
  EXPECT_FALSE(fs.hasFile(copyOf(user, "Mail.lnk")));
  EXPECT_TRUE(fs.hasFile(copyOf(user, "Post.lnk")));
  EXPECT_TRUE(fs.filesIn(user).empty()) << "no file of the folder is touched";
  ASSERT_EQ(modified.changes.size(), 1u);
  EXPECT_EQ(modified.changes[0].after, (EntryState{"Post.lnk", "C:\\Post\\post.exe", {}, true}));

  ASSERT_EQ(family->list().size(), 1u);
  ASSERT_TRUE(clickBox(family, 0));
  EXPECT_EQ(fs.bytes(user + "\\Post.lnk"), FakeShellLinks::linkBytes("C:\\Post\\post.exe", "args=/min"));
  EXPECT_FALSE(fs.hasFile(copyOf(user, "Post.lnk")));
}

// The user's edit has nowhere to go, so the user is told; the copy keeps its name.
TEST_F(StartupFolderTest, ModifyOfADisabledRowWhoseRecordIsGoneSaysTheEditWasNotKept) {
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  disabledRecord(user, "a.lnk", "C:\\a.exe");
  auto family = pane({user});
  family->list();
  store.elements.clear();  // removed by hand meanwhile
  EXPECT_FALSE(family->modify(0, "b.lnk", "C:\\b.exe").done());
  EXPECT_EQ(prompt.messages, (Strings{"_EntryRecordGone"}));
  EXPECT_TRUE(fs.hasFile(copyOf(user, "a.lnk")));
  EXPECT_FALSE(fs.hasFile(copyOf(user, "b.lnk")));
  EXPECT_TRUE(store.elements.empty());
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(StartupFolderTest, ModifyOfADisabledRowThatCannotBeSavedPutsTheCopyBack) {
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  disabledRecord(user, "a.lnk", "C:\\a.exe");
  auto family = pane({user});
  family->list();
  store.readOnly = true;
  EXPECT_FALSE(family->modify(0, "b.lnk", "C:\\b.exe").done());
  EXPECT_TRUE(fs.hasFile(copyOf(user, "a.lnk")));
  EXPECT_FALSE(fs.hasFile(copyOf(user, "b.lnk")));
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "a.lnk", "C:\\a.exe"}}));
  EXPECT_TRUE(messaged("_ConfigWriteFailed"));
  EXPECT_TRUE(sink.records.empty());
}

// --- A file the user agreed to replace is kept until the change stands ----

// Under the same name the move replaces the old shortcut; should the new one
// then stay hidden, the entry would drop out of the list although the change
// was reported. The old shortcut comes back instead.
TEST_F(StartupFolderTest, ModifyUnderTheSameNameThatCannotShowTheNewShortcutPutsTheOldOneBack) {
  const std::string old = FakeShellLinks::linkBytes("C:\\old.exe", "args=/min");
  fs.put(user + "\\Mail.lnk", old);
  auto family = pane({user});
  family->list();
  fs.denyAttributes(user + "\\Mail.lnk");
  EXPECT_FALSE(modify(family, 0, std::nullopt, "C:\\new.exe").done());
  EXPECT_EQ(fs.filesIn(user), (Strings{"Mail.lnk"}));
  EXPECT_EQ(fs.bytes(user + "\\Mail.lnk"), old);
  EXPECT_EQ(fs.attributes(user + "\\Mail.lnk") & kAttrHidden, 0u) << "listed again";
  EXPECT_EQ(prompt.messages, (Strings{"_StartupWriteFailed"}));
  EXPECT_TRUE(sink.records.empty()) << "nothing changed, so nothing is logged";
  EXPECT_TRUE(fs.filesIn(program + "\\Disabled").empty()) << "the kept copy is dropped";
  ASSERT_EQ(family->list().size(), 1u);
  EXPECT_EQ(family->rows()[0].data, "C:\\old.exe");
}

TEST_F(StartupFolderTest, ModifyToANameInUseThatFailsLaterGivesTheReplacedFileBack) {
  const std::string a = FakeShellLinks::linkBytes("C:\\a.exe");
  const std::string b = FakeShellLinks::linkBytes("C:\\b.exe", "args=keep me");
  fs.put(user + "\\a.lnk", a);
  fs.put(user + "\\b.lnk", b);
  auto family = pane({user});
  family->list();
  fs.denyDelete(user + "\\a.lnk");  // the last step fails
  EXPECT_FALSE(family->modify(rowNamed(family, "a.lnk", RowState::Live), "b.lnk", "C:\\new.exe").done());
  EXPECT_EQ(prompt.questions.size(), 1u) << "the user agreed to replace b.lnk";
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), a);
  EXPECT_EQ(fs.bytes(user + "\\b.lnk"), b) << "the change was taken back, so b.lnk is what it was";
  EXPECT_EQ(prompt.messages, (Strings{"_StartupAccessDenied"}));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(fs.filesIn(program + "\\Disabled").empty());
}

TEST_F(StartupFolderTest, EnableThatFailsAfterReplacingAFileGivesThatFileBack) {
  StickyStore sticky;
  FamilyContext stickyContext{sticky, tr};
  const std::string other = FakeShellLinks::linkBytes("C:\\other.exe", "args=not ours");
  fs.put(user + "\\a.lnk", other);
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  sticky.elements.push_back({kStartupFolderRecords, {user, "a.lnk", "C:\\a.exe"}});
  auto family = paneWith(stickyContext, {user});
  family->list();
  EXPECT_FALSE(clickBox(family, rowNamed(family, "a.lnk", RowState::Disabled)));
  EXPECT_EQ(prompt.questions.size(), 1u) << "the user agreed to replace the live a.lnk";
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), other) << "the replaced file is back";
  EXPECT_TRUE(fs.hasFile(copyOf(user, "a.lnk"))) << "the entry is still disabled, with its copy";
  EXPECT_EQ(sticky.items(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(prompt.messages, (Strings{"_ConfigWriteFailed"}));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(fs.filesIn(program + "\\Disabled"), (Strings{disabledCopyName(user, "a.lnk")}));
}

TEST_F(StartupFolderTest, EnableAndModifyDoNotReplaceAFileTheyCannotKeep) {
  const std::string other = FakeShellLinks::linkBytes("C:\\other.exe");
  fs.put(user + "\\a.lnk", other);
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  disabledRecord(user, "a.lnk", "C:\\a.exe");
  auto family = pane({user});
  family->list();
  fs.denyWrites(program + "\\Disabled");  // no room for the kept copy
  EXPECT_FALSE(clickBox(family, rowNamed(family, "a.lnk", RowState::Disabled)));
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), other);
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(prompt.messages, (Strings{"_ProgramFolderRefused"})) << "the program folder refused it";
  EXPECT_TRUE(sink.records.empty());

  // A rename onto that file: the same.
  fs.put(user + "\\b.lnk", FakeShellLinks::linkBytes("C:\\b.exe"));
  prompt.messages.clear();
  family->list();
  EXPECT_FALSE(family->modify(rowNamed(family, "b.lnk", RowState::Live), "a.lnk", "C:\\b.exe").done());
  EXPECT_EQ(prompt.questions.size(), 2u) << "asked before replacing";
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), other);
  EXPECT_EQ(fs.bytes(user + "\\b.lnk"), FakeShellLinks::linkBytes("C:\\b.exe"));
  EXPECT_EQ(fs.filesIn(user), (Strings{"a.lnk", "b.lnk"})) << "nothing staged is left behind";
  EXPECT_EQ(prompt.messages, (Strings{"_ProgramFolderRefused"}));
  EXPECT_TRUE(sink.records.empty());
}

// One rule for every family: a record that leaves config.xml while Enable
// runs is no failure, as the entry is live and unrecorded either way.
TEST_F(StartupFolderTest, EnableWhoseRecordLeavesMeanwhileStillEnables) {
  VanishingStore vanishing;
  FamilyContext vanishingContext{vanishing, tr};
  fs.put(copyOf(user, "a.lnk"), FakeShellLinks::linkBytes("C:\\a.exe"));
  vanishing.elements.push_back({kStartupFolderRecords, {user, "a.lnk", "C:\\a.exe"}});
  auto family = paneWith(vanishingContext, {user});
  family->list();
  EXPECT_TRUE(clickBox(family, 0));
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(sink.records.size(), 1u);
}

// --- Undo, with the change history's copies ---------------------------------

class StartupFolderWithHistory : public StartupFolderTest {
 protected:
  StartupFolderWithHistory() { context.copies = &history; }
  Pane keptPane(std::vector<std::string> folders) {
    return Pane(startupFolderFamily(registry, fs, links, program, context).make(std::move(folders)), prompt,
                historyCommit);
  }
  Change newest() { return history.changes()->front(); }
};

// Undo of an Enable that replaced a file: the entry is disabled again and
// the file it replaced comes back, logged as an Add after the Disable; the
// history keeps the Disable alone, as the Undo of the Enable.
TEST_F(StartupFolderWithHistory, UndoOfAnEnableOverAFileLogsTheDisableThenTheFileItPutsBack) {
  const std::string link = user + "\\Tool.lnk";
  fs.put(link, FakeShellLinks::linkBytes("C:\\tool.exe"));
  auto family = keptPane({user});
  family->list();
  ASSERT_TRUE(clickBox(family, 0));
  const std::string meanwhile = FakeShellLinks::linkBytes("C:\\meanwhile.exe", "args=/m");
  fs.put(link, meanwhile);
  family->list();
  ASSERT_TRUE(clickBox(family, rowNamed(family, "Tool.lnk", RowState::Disabled)));
  const Change enabled = newest();
  ASSERT_EQ(enabled.kind, "enable");
  ASSERT_FALSE(enabled.copy.empty()) << "the replaced file is kept for the Undo";
  sink.records.clear();

  const OperationResult undone = family->undo(enabled);
  ASSERT_TRUE(undone.done());
  EXPECT_EQ(fs.bytes(link), meanwhile);
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "Tool.lnk", "C:\\tool.exe"}}));
  EXPECT_EQ(logContents(), (Strings{"_LogItemType5:Tool.lnk|" + user + "||", "_LogItemType2:Tool.lnk|" + user + "||"}));
  ASSERT_EQ(undone.changes.size(), 1u);
  EXPECT_EQ(undone.changes[0].kind, "disable");
  ASSERT_EQ(undone.alsoLogged.size(), 1u);
  EXPECT_EQ(undone.alsoLogged[0].first, 1u) << "after the Disable";
  EXPECT_EQ(undone.alsoLogged[0].second.kind, "add");
  EXPECT_EQ(undone.alsoLogged[0].second.after->name, "Tool.lnk");
  const Change now = newest();
  EXPECT_EQ(now.kind, "disable");
  EXPECT_EQ(now.undoes, enabled.id);
  EXPECT_EQ(history.changes()->size(), 3u) << "Disable, Enable and its Undo";
}

// Undo of a Disable is an Enable of the record the Disable made.
TEST_F(StartupFolderWithHistory, UndoOfADisableEnablesTheRecordItMade) {
  const std::string link = user + "\\Tool.lnk";
  const std::string bytes = FakeShellLinks::linkBytes("C:\\tool.exe", "args=/tray");
  fs.put(link, bytes);
  auto family = keptPane({user});
  family->list();
  ASSERT_TRUE(clickBox(family, 0));
  const OperationResult undone = family->undo(newest());
  ASSERT_TRUE(undone.done());
  EXPECT_EQ(fs.bytes(link), bytes);
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
  ASSERT_EQ(undone.changes.size(), 1u);
  EXPECT_EQ(undone.changes[0].kind, "enable");
  EXPECT_EQ(undone.changes[0].before, (EntryState{"Tool.lnk", "C:\\tool.exe", {}, true}));
  EXPECT_EQ(logContents(), (Strings{"_LogItemType5:Tool.lnk|" + user + "||", "_LogItemType4:Tool.lnk|" + user + "||"}));
}

// Undo of a rename onto a file in use: the old name comes back, then the
// file the rename replaced, each logged in that order.
TEST_F(StartupFolderWithHistory, UndoOfARenameOntoAnotherFileGivesBothBack) {
  const std::string a = FakeShellLinks::linkBytes("C:\\a.exe", "args=/a");
  const std::string b = FakeShellLinks::linkBytes("C:\\b.exe", "args=/b");
  fs.put(user + "\\a.lnk", a);
  fs.put(user + "\\b.lnk", b);
  auto family = keptPane({user});
  family->list();
  ASSERT_TRUE(family->modify(rowNamed(family, "a.lnk", RowState::Live), "b.lnk", "C:\\new.exe").done());
  const Change renamed = newest();
  ASSERT_EQ(renamed.extra.count("replacedcopy"), 1u);
  EXPECT_EQ(fs.filesIn(user), (Strings{"b.lnk"}));

  const OperationResult undone = family->undo(renamed);
  ASSERT_TRUE(undone.done());
  EXPECT_EQ(fs.bytes(user + "\\a.lnk"), a);
  EXPECT_EQ(fs.bytes(user + "\\b.lnk"), b);
  EXPECT_EQ(logContents(), (Strings{"_LogItemType3:a.lnk|" + user + "|b.lnk|C:\\new.exe",
                                    "_LogItemType3:b.lnk|" + user + "|a.lnk|C:\\a.exe",
                                    "_LogItemType2:b.lnk|" + user + "||"}));
  EXPECT_EQ(newest().undoes, renamed.id);
  EXPECT_TRUE(prompt.messages.empty());
}

// --- Windows' own on/off flags ---------------------------------------------

using Bytes = std::vector<std::uint8_t>;
const Bytes kOff = {0x03, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01};
const Bytes kOn = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const std::string kFolderFlags = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

class StartupFolderFlags : public StartupFolderTest {
 protected:
  StartupFolderFlags() {
    registry.put(RootKey::LocalMachine, std::string(kShellFoldersKey), "Common Startup", common);
    registry.put(RootKey::CurrentUser, std::string(kShellFoldersKey), "Startup", user + "\\");
  }
  // The flags of the All Users folder live under HKLM, the Current User's under HKCU.
  void flag(RootKey root, const std::string& name, const Bytes& bytes) {
    registry.putBytes(root, kFolderFlags, name, bytes);
  }
  Bytes flagOf(RootKey root, const std::string& name) const {
    const RegValue* v = registry.find(root, kFolderFlags, name);
    return v ? v->bytes : Bytes{0xEE};
  }
  static constexpr RootKey kUser = RootKey::CurrentUser;
  static constexpr RootKey kAll = RootKey::LocalMachine;
};

TEST_F(StartupFolderFlags, EachFolderReadsItsOwnFlagsByFileNameWithExtension) {
  fs.put(common + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\Tools\\tool.exe"));
  fs.put(user + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\Tools\\tool.exe"));
  fs.put(user + "\\Mail.lnk", FakeShellLinks::linkBytes("C:\\Mail\\mail.exe"));
  fs.put(user + "\\Chat.lnk", FakeShellLinks::linkBytes("C:\\Chat\\chat.exe"));
  disabledRecord(user, "Old.lnk", "C:\\Old\\old.exe");
  flag(kAll, "Tool.lnk", kOff);
  flag(kUser, "mail.LNK", kOff);
  flag(kUser, "Chat", kOff);  // without its extension: another name
  flag(kUser, "Old.lnk", kOff);
  auto family = pane();
  registry.enumerations = 0;
  std::vector<std::string> seen;
  for (const Row& r : family->list()) {
    static const char* const kOrigins[] = {"live", "record", "off"};
    seen.push_back(r.path + "\\" + r.name + (r.state == RowState::Live ? " checked " : " unchecked ") +
                   kOrigins[static_cast<int>(r.origin)] + (r.status.empty() ? "" : " / " + r.status));
  }
  EXPECT_EQ(seen, (Strings{common + "\\Tool.lnk unchecked off / _StatusOffInWindows",
                           user + "\\Old.lnk unchecked record", user + "\\Tool.lnk checked live",
                           user + "\\Mail.lnk unchecked off / _StatusOffInWindows", user + "\\Chat.lnk checked live"}));
  EXPECT_EQ(registry.enumerations, 2) << "each folder's flag key once";

  // A folder that is neither of the two has no flags.
  const std::string other = "C:\\Elsewhere";
  fs.addFolder(other);
  fs.put(other + "\\Tool.lnk", "x");
  auto elsewhere = pane({other});
  const std::vector<Row>& rows = elsewhere->list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].origin, RowOrigin::Live);
}

TEST_F(StartupFolderFlags, CheckingATurnedOffFileTurnsItOnWhereItIs) {
  const std::string bytes = FakeShellLinks::linkBytes("C:\\Mail\\mail.exe", "args=/min");
  fs.put(user + "\\Mail.lnk", bytes);
  flag(kUser, "Mail.lnk", kOff);
  disabledRecord(user, "Other.lnk", "C:\\o.exe");
  auto family = pane({user});
  family->list();
  const int row = rowNamed(family, "Mail.lnk", RowState::Disabled);
  store.unreadable = true;
  const OperationResult turnedOn = family->enable(row);
  ASSERT_TRUE(turnedOn.done());
  EXPECT_EQ(flagOf(kUser, "Mail.lnk"), kOn);
  EXPECT_EQ(fs.bytes(user + "\\Mail.lnk"), bytes);
  EXPECT_FALSE(fs.hasFile(copyOf(user, "Mail.lnk")));
  EXPECT_EQ(store.saves, 0);
  EXPECT_EQ(store.items(kStartupFolderRecords), (std::vector<DisabledItem>{{user, "Other.lnk", "C:\\o.exe"}}));
  EXPECT_EQ(logContents(), (Strings{"_LogItemType4:Mail.lnk|" + user + "||"}));
  EXPECT_TRUE(prompt.messages.empty());
  ASSERT_EQ(turnedOn.changes.size(), 1u);
  EXPECT_EQ(turnedOn.changes[0].kind, "flag");
  EXPECT_EQ(turnedOn.changes[0].location, user);

  // The file went meanwhile, or the flag may not be written: nothing changes.
  store.unreadable = false;
  flag(kUser, "Mail.lnk", kOff);
  family->list();
  registry.denyWrite(kUser, kFolderFlags);
  EXPECT_FALSE(clickBox(family, row));
  EXPECT_TRUE(messaged("_FlagWriteFailed"));
  ASSERT_TRUE(fs.removeFile(user + "\\Mail.lnk") == FileStatus::Ok);
  EXPECT_FALSE(family->enable(row).done());
  EXPECT_TRUE(messaged("_StartupFileMissing"));
  EXPECT_EQ(flagOf(kUser, "Mail.lnk"), kOff);
  EXPECT_EQ(sink.records.size(), 1u);
}

TEST_F(StartupFolderFlags, EnablingADisabledFileAlsoTurnsOnItsFlag) {
  fs.put(common + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\Tools\\tool.exe"));
  auto family = pane({common});
  family->list();
  ASSERT_TRUE(clickBox(family, 0));  // Velmora's own Disable
  flag(kAll, "Tool.lnk", kOff);     // and then Windows' settings turned it off too
  family->list();
  ASSERT_EQ(family->rows()[0].origin, RowOrigin::Record);
  registry.denyWrite(kAll, kFolderFlags);
  EXPECT_FALSE(clickBox(family, 0));
  EXPECT_FALSE(fs.hasFile(common + "\\Tool.lnk")) << "the restored file is taken back";
  EXPECT_EQ(store.items(kStartupFolderRecords).size(), 1u);
  EXPECT_TRUE(fs.hasFile(copyOf(common, "Tool.lnk")));

  registry.reset();
  flag(kAll, "Tool.lnk", kOff);
  ASSERT_TRUE(clickBox(family, 0));
  EXPECT_TRUE(fs.hasFile(common + "\\Tool.lnk"));
  EXPECT_EQ(flagOf(kAll, "Tool.lnk"), kOn);
  EXPECT_TRUE(store.items(kStartupFolderRecords).empty());
}

TEST_F(StartupFolderFlags, RemoveAndRenameTakeTheFlagAlong) {
  fs.put(user + "\\a.lnk", FakeShellLinks::linkBytes("C:\\a.exe"));
  fs.put(user + "\\b.lnk", FakeShellLinks::linkBytes("C:\\b.exe"));
  flag(kUser, "a.lnk", kOff);
  flag(kUser, "b.lnk", kOff);
  auto family = pane({user});
  family->list();

  // The file cannot go: its flag is put back as it was.
  fs.denyDelete(user + "\\a.lnk");
  EXPECT_FALSE(family->remove(0).done());
  EXPECT_TRUE(fs.hasFile(user + "\\a.lnk"));
  EXPECT_EQ(flagOf(kUser, "a.lnk"), kOff);
  EXPECT_TRUE(sink.records.empty());

  EXPECT_TRUE(modify(family, 1, "c.lnk", std::nullopt).done());
  EXPECT_FALSE(fs.hasFile(user + "\\b.lnk"));
  EXPECT_TRUE(fs.hasFile(user + "\\c.lnk"));
  EXPECT_EQ(flagOf(kUser, "b.lnk"), (Bytes{0xEE}));
  EXPECT_EQ(flagOf(kUser, "c.lnk"), kOff);
  family->list();
  EXPECT_EQ(family->rows()[rowNamed(family, "c.lnk", RowState::Disabled)].origin, RowOrigin::OffInWindows)
      << "still off, under its new name";

  fs.reset();
  fs.addFolder(user);
  fs.addFolder(program);
  fs.put(user + "\\c.lnk", FakeShellLinks::linkBytes("C:\\b.exe"));
  family->list();
  EXPECT_TRUE(family->remove(0).done());
  EXPECT_FALSE(fs.hasFile(user + "\\c.lnk"));
  EXPECT_TRUE(registry.values(kUser, kFolderFlags).size() == 1u) << "only a.lnk's flag is left";
}

}  // namespace
}  // namespace velmora::testing
