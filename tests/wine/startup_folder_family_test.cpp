// The startup-folder family against real folders, real shortcuts and a real
// config.xml, in throwaway folders of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>

#include "contract/folder_contract.h"
#include "platform/win32/com_ptr.h"
#include "core/win32/store_msxml.h"
#include "fakes/fake_registry.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "family/families.h"
#include "platform/win32/wide.h"
#include "startupfolder/disabled_copies.h"
#include "startupfolder/startup_folder_family.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::ComPtr;
using win32::narrow;
using win32::widen;

struct RealFolderEnv {
  TempDir dir;
  win32::Win32Folders realFolders;
  win32::Win32ShellLinks realLinks;
  FolderPort& folders() { return realFolders; }
  ShellLinkPort& links() { return realLinks; }
  std::string base() { return dir.path(); }
  void put(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
    writeFile(path, bytes);
    if (attributes) SetFileAttributesW(widen(path).c_str(), attributes);
  }
  std::string bytes(const std::string& path) { return readFile(path); }
};

using Envs = ::testing::Types<RealFolderEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(RealFolders, FolderContract, Envs);

// A shortcut with every field the family must not lose.
struct LinkFields {
  std::string target, arguments, folder, description, icon;
  bool operator==(const LinkFields&) const = default;
};

void writeLink(const std::string& path, const LinkFields& f) {
  win32::ComScope com;
  ComPtr<IShellLinkW> link;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         link.putVoid())));
  link->SetPath(widen(f.target).c_str());
  link->SetArguments(widen(f.arguments).c_str());
  link->SetWorkingDirectory(widen(f.folder).c_str());
  link->SetDescription(widen(f.description).c_str());
  link->SetIconLocation(widen(f.icon).c_str(), 2);
  ASSERT_TRUE(SUCCEEDED(link.as<IPersistFile>(IID_IPersistFile)->Save(widen(path).c_str(), TRUE)));
}

LinkFields readLink(const std::string& path) {
  win32::ComScope com;
  ComPtr<IShellLinkW> link;
  LinkFields f;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()))) {
    return f;
  }
  if (FAILED(link.as<IPersistFile>(IID_IPersistFile)->Load(widen(path).c_str(), STGM_READ))) return f;
  wchar_t buffer[1024];
  WIN32_FIND_DATAW unused;
  int index = 0;
  if (link->GetPath(buffer, 1024, &unused, 0) == S_OK) f.target = narrow(buffer);
  if (SUCCEEDED(link->GetArguments(buffer, 1024))) f.arguments = narrow(buffer);
  if (SUCCEEDED(link->GetWorkingDirectory(buffer, 1024))) f.folder = narrow(buffer);
  if (SUCCEEDED(link->GetDescription(buffer, 1024))) f.description = narrow(buffer);
  if (SUCCEEDED(link->GetIconLocation(buffer, 1024, &index))) f.icon = narrow(buffer);
  return f;
}

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// The real folders, until the program "stops": from the first move on
// nothing more happens, as if Velmora had been ended right there.
class StoppingFolders : public win32::Win32Folders {
 public:
  bool stopped = false;
  FileStatus moveFile(const std::string&, const std::string&, IfExists) override {
    stopped = true;
    return FileStatus::Failed;
  }
  FileStatus removeFile(const std::string& path) override {
    return stopped ? FileStatus::Failed : Win32Folders::removeFile(path);
  }
};

class RealStartupFolders : public ::testing::Test {
 protected:
  TempDir common, user, program;
  FakeRegistry registry;
  win32::MsxmlStore store{program.file("config.xml")};
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  win32::Win32Folders folders;
  win32::Win32ShellLinks links;
  ScriptedPrompt prompt;
  FamilyContext context{store, tr};
  ChangeCommit commit{log, nullptr, tr};
  std::unique_ptr<EntryFamily> family = std::make_unique<StartupFolderFamily>(
      std::vector<std::string>{common.path(), user.path()}, folders, links, program.path(), context);
  // Runs the family's operations on its rows as the pane does.
  FamilyDriver driver{*family, prompt, commit};

  void record(const std::string& folder, const std::string& name, const std::string& data) {
    ASSERT_EQ(store.add(kStartupFolderRecords, {folder, name, data}), StoreStatus::Ok);
  }
  std::vector<DisabledItem> records() {
    std::vector<StoredItem> items;
    EXPECT_EQ(store.list(kStartupFolderRecords, items), StoreStatus::Ok);
    std::vector<DisabledItem> out;
    for (const auto& s : items) out.push_back(s.item);
    return out;
  }
  int rowNamed(const std::string& name, RowState state) {
    const std::vector<Row>& rows = driver.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == name && rows[i].state == state) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << name;
    return 0;
  }
  // What the check box asks of the family: a checked row is disabled, an
  // unchecked one enabled. True when the entry moved.
  bool clickBox(int row) {
    const bool live = driver.rows().at(static_cast<std::size_t>(row)).state == RowState::Live;
    return (live ? driver.disable(row) : driver.enable(row)).done();
  }
  // Disables the file, checks it is gone and kept, enables it again.
  void roundTrip(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    const std::string before = readFile(path);
    ASSERT_FALSE(before.empty());
    driver.list();
    ASSERT_TRUE(clickBox(rowNamed(name, RowState::Live))) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(readFile(disabledCopyPath(program.path(), folder, name)), before);
    ASSERT_EQ(records().size(), 1u);
    driver.list();
    ASSERT_TRUE(clickBox(rowNamed(name, RowState::Disabled))) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    EXPECT_EQ(readFile(path), before) << "byte for byte";
    EXPECT_TRUE(records().empty());
    EXPECT_FALSE(exists(disabledCopyPath(program.path(), folder, name)));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(sink.records.size(), 2u);
  }
};

// In a thread that is in an apartment of its own making, the adapter keeps
// the shell-link class object: every shortcut still reads as itself, and the
// adapter may outlive that apartment without touching what it kept.
TEST(Win32ShellLinks, EachShortcutReadsAsItselfWhileTheClassObjectIsKept) {
  TempDir dir;
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    win32::Win32ShellLinks links;
    for (int i = 0; i < 5; ++i) {
      const std::string target = "C:\\programs\\tool" + std::to_string(i) + ".exe";
      ASSERT_EQ(links.create(target, dir.file("tool" + std::to_string(i) + ".lnk")), LinkStatus::Ok);
    }
    for (int i = 4; i >= 0; --i) {
      std::string target;
      ASSERT_EQ(links.resolve(dir.file("tool" + std::to_string(i) + ".lnk"), target), LinkStatus::Ok);
      EXPECT_EQ(target, "C:\\programs\\tool" + std::to_string(i) + ".exe");
    }
    std::string none;
    EXPECT_EQ(links.resolve(dir.file("missing.lnk"), none), LinkStatus::NotFound);
  }
  auto outlived = std::make_unique<win32::Win32ShellLinks>();
  std::string target;
  ASSERT_EQ(outlived->resolve(dir.file("tool1.lnk"), target), LinkStatus::Ok);
  CoUninitialize();
  outlived.reset();  // its apartment is gone: nothing released there
}

TEST_F(RealStartupFolders, ListsEachFolderDisabledFirstAndSkipsWhatWindowsDoesNotStart) {
  writeLink(common.file("Tool.lnk"), {"C:\\Tools\\tool.exe", "/min", "C:\\Tools", "", ""});
  writeFile(common.file("sync.bat"), "@echo off\r\n");
  writeFile(common.file("hidden.lnk"), "x");
  SetFileAttributesW(widen(common.file("hidden.lnk")).c_str(), FILE_ATTRIBUTE_HIDDEN);
  writeFile(common.file("desktop.ini"), "x");
  SetFileAttributesW(widen(common.file("desktop.ini")).c_str(), FILE_ATTRIBUTE_SYSTEM);
  writeFile(common.file("locked.lnk"), "x");
  SetFileAttributesW(widen(common.file("locked.lnk")).c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(widen(common.file("Sub")).c_str(), nullptr);
  writeLink(user.file("Mail.lnk"), {"C:\\Mail\\mail.exe", "", "", "", ""});
  record(user.path(), "Chat.lnk", "C:\\Chat\\chat.exe");
  record(common.path(), "Old.lnk", "C:\\Old\\old.exe");

  std::vector<std::string> seen;
  for (const auto& r : driver.list()) {
    seen.push_back(r.name + "|" + r.data + "|" + (r.path == common.path() ? "common" : r.path == user.path() ? "user" : r.path) +
                   (r.state == RowState::Live ? "|live" : "|disabled"));
  }
  const std::vector<std::string> expected = {
      "Old.lnk|C:\\Old\\old.exe|common|disabled", "Tool.lnk|C:\\Tools\\tool.exe|common|live",
      "locked.lnk||common|live",  // read-only: Windows starts it all the same
      "sync.bat||common|live",    // not a shortcut: listed with empty data
      "Chat.lnk|C:\\Chat\\chat.exe|user|disabled", "Mail.lnk|C:\\Mail\\mail.exe|user|live"};
  // Within a folder the files come in the file system's own order.
  ASSERT_EQ(seen.size(), expected.size());
  std::sort(seen.begin() + 1, seen.begin() + 4);
  EXPECT_EQ(seen, expected);
  SetFileAttributesW(widen(common.file("locked.lnk")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RealStartupFolders, DisableThenEnableGivesBackTheSameShortcut) {
  writeLink(user.file("Backup.lnk"),
            {"C:\\Program Files\\Backup\\backup.exe", "/quiet --profile \"Home\"", "C:\\Program Files\\Backup",
             "Nightly backup", "C:\\Windows\\system32\\shell32.dll"});
  roundTrip(user.path(), "Backup.lnk");
  EXPECT_EQ(readLink(user.file("Backup.lnk")).arguments, "/quiet --profile \"Home\"");
}

TEST_F(RealStartupFolders, DisableThenEnableGivesBackABatchFile) {
  writeFile(common.file("sync.bat"), "@echo off\r\nstart sync.exe\r\n");
  roundTrip(common.path(), "sync.bat");
}

// Installers and copied media leave startup files read-only; Windows starts
// them, so they are disabled and enabled as any other: the kept copy has
// the file's attributes and the file comes back with them.
TEST_F(RealStartupFolders, DisableThenEnableGivesBackAReadOnlyFileReadOnly) {
  const std::string path = user.file("Vendor Tray.lnk");
  writeLink(path, {"C:\\Vendor\\tray.exe", "/background", "", "", ""});
  const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(widen(path).c_str(), attributes));
  const std::string copy = disabledCopyPath(program.path(), user.path(), "Vendor Tray.lnk");
  driver.list();
  ASSERT_TRUE(clickBox(rowNamed("Vendor Tray.lnk", RowState::Live))) << (prompt.messages.empty() ? "" : prompt.messages[0]);
  EXPECT_FALSE(exists(path));
  EXPECT_EQ(GetFileAttributesW(widen(copy).c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  driver.list();
  ASSERT_TRUE(clickBox(rowNamed("Vendor Tray.lnk", RowState::Disabled))) << (prompt.messages.empty() ? "" : prompt.messages[0]);
  EXPECT_EQ(GetFileAttributesW(widen(path).c_str()) & attributes, attributes) << "its attributes came back";
  EXPECT_EQ(readLink(path).arguments, "/background");
  EXPECT_FALSE(exists(copy)) << "the read-only copy went once the file was back";
  EXPECT_TRUE(prompt.messages.empty());
  SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The user agreed to replace a live file of the same name; when config.xml
// then refuses to let the record go, the change is taken back and the file
// that was replaced is there again, byte for byte.
TEST_F(RealStartupFolders, EnableThatFailsAfterReplacingAFileGivesThatFileBack) {
  const std::string path = common.file("sync.bat");
  writeFile(path, "@echo off\r\nstart sync.exe\r\n");
  driver.list();
  ASSERT_TRUE(clickBox(rowNamed("sync.bat", RowState::Live)));
  const std::string other = "@echo off\r\nstart other-sync.exe\r\n";
  writeFile(path, other);  // another program put one back meanwhile
  driver.list();
  const std::wstring config = widen(program.file("config.xml"));
  ASSERT_TRUE(SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(clickBox(rowNamed("sync.bat", RowState::Disabled)));
  SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(prompt.questions.size(), 1u) << "asked before replacing";
  EXPECT_EQ(readFile(path), other);
  EXPECT_EQ(records().size(), 1u);
  EXPECT_TRUE(exists(disabledCopyPath(program.path(), common.path(), "sync.bat")));
  EXPECT_FALSE(exists(replacedCopyPath(program.path(), common.path(), "sync.bat"))) << "no copy left behind";
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_ConfigWriteFailed"});
  EXPECT_EQ(sink.records.size(), 1u) << "only the Disable";
}

TEST_F(RealStartupFolders, ACopyTheProgramFolderRefusesIsToldAsSuchAndNothingChanges) {
  const std::string path = user.file("Tool.lnk");
  writeLink(path, {"C:\\Tools\\tool.exe", "", "", "", ""});
  const std::string before = readFile(path);
  // Windows refuses a file where a folder of its name is, with access denied
  // as for a folder the user may not write to.
  const std::string copy = disabledCopyPath(program.path(), user.path(), "Tool.lnk");
  ASSERT_TRUE(CreateDirectoryW(widen(program.file("Disabled")).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(widen(copy).c_str(), nullptr));
  driver.list();
  EXPECT_FALSE(clickBox(rowNamed("Tool.lnk", RowState::Live)));
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"_ProgramFolderRefused"});
  EXPECT_EQ(readFile(path), before);
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(sink.records.empty());
  RemoveDirectoryW(widen(copy).c_str());
}

TEST_F(RealStartupFolders, NamesAndTargetsOutsideAnyLegacyCodePageRoundTrip) {
  const std::string name = "\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC.lnk";
  const std::string target = "C:\\Users\\\xC5\x81ukasz\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBB\\tool.exe";
  writeLink(user.file(name), {target, "", "", "", ""});
  driver.list();
  EXPECT_EQ(driver.rows()[static_cast<std::size_t>(rowNamed(name, RowState::Live))].data, target);
  roundTrip(user.path(), name);
  EXPECT_EQ(readLink(user.file(name)).target, target);
}

TEST_F(RealStartupFolders, AddWithoutAnExtensionCreatesAShortcutInTheFirstFolder) {
  EXPECT_TRUE(driver.add("Backup", "C:\\Backup\\backup.exe").done());
  EXPECT_EQ(readLink(common.file("Backup.lnk")).target, "C:\\Backup\\backup.exe");
  EXPECT_FALSE(exists(user.file("Backup.lnk")));
  const std::vector<Row>& rows = driver.list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Backup.lnk");
  EXPECT_EQ(sink.records.size(), 1u);
}

TEST_F(RealStartupFolders, AddOfANameTheFileSystemRefusesSaysSoAndLogsNothing) {
  EXPECT_FALSE(driver.add("what?", "C:\\x.exe").done());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], "_StartupWriteFailed");
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(driver.list().empty());
}

TEST_F(RealStartupFolders, RemoveOfAnUncheckedRowNeverDeletesAFileOfTheSameName) {
  writeLink(user.file("Mail.lnk"), {"C:\\Mail\\new.exe", "", "", "", ""});
  record(user.path(), "Mail.lnk", "C:\\Mail\\old.exe");
  driver.list();
  EXPECT_TRUE(driver.remove(rowNamed("Mail.lnk", RowState::Disabled)).done());
  EXPECT_TRUE(records().empty());
  EXPECT_EQ(readLink(user.file("Mail.lnk")).target, "C:\\Mail\\new.exe");
  const std::vector<Row>& rows = driver.list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].state, RowState::Live);
}

TEST_F(RealStartupFolders, ModifyOfAShortcutChangesNameAndTargetAndKeepsTheRest) {
  const LinkFields before{"C:\\Mail\\mail.exe", "-background", "C:\\Mail", "Mail checker", "C:\\Mail\\mail.ico"};
  writeLink(user.file("Mail.lnk"), before);
  driver.list();
  EXPECT_TRUE(driver.modify(rowNamed("Mail.lnk", RowState::Live), "Post", "C:\\Post\\post.exe").done());
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0];
  EXPECT_FALSE(exists(user.file("Mail.lnk")));
  LinkFields expected = before;
  expected.target = "C:\\Post\\post.exe";
  EXPECT_EQ(readLink(user.file("Post.lnk")), expected) << "the name keeps the extension Windows opens it by";
  EXPECT_FALSE(exists(user.file("Post")));
  EXPECT_FALSE(exists(user.file("Post.lnk.velmora-new")));
  EXPECT_FALSE(hidden(user.file("Post.lnk"))) << "staged hidden, shown once in place";
  const std::vector<Row>& rows = driver.list();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Post.lnk");
}

TEST_F(RealStartupFolders, AShortcutStagedByAModifyThatNeverFinishedIsNotListed) {
  writeLink(user.file("Mail.lnk"), {"C:\\Mail\\mail.exe", "-background", "", "", ""});
  StoppingFolders stopping;
  StartupFolderFamily stopped({common.path(), user.path()}, stopping, links, program.path(), context);
  FamilyDriver stoppedDriver(stopped, prompt, commit);
  const std::vector<Row>& listed = stoppedDriver.list();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_FALSE(stoppedDriver.modify(0, "Post.lnk", "C:\\Post\\post.exe").done());
  ASSERT_TRUE(stopping.stopped);
  const std::string staged = user.file("Post.lnk.velmora-new");
  ASSERT_TRUE(exists(staged)) << "written in full before the move";
  EXPECT_TRUE(hidden(staged));

  // Velmora runs again: the list shows the entry as it was, and the next
  // Modify is not hindered by the file left behind.
  prompt.messages.clear();
  ASSERT_EQ(driver.list().size(), 1u);
  EXPECT_EQ(driver.rows()[0].name, "Mail.lnk");
  EXPECT_TRUE(driver.modify(0, "Post.lnk", "C:\\Post\\post.exe").done());
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0];
  EXPECT_FALSE(exists(staged));
  EXPECT_FALSE(exists(user.file("Mail.lnk")));
  EXPECT_EQ(readLink(user.file("Post.lnk")).target, "C:\\Post\\post.exe");
  EXPECT_FALSE(hidden(user.file("Post.lnk")));
  ASSERT_EQ(driver.list().size(), 1u);
  EXPECT_EQ(driver.rows()[0].name, "Post.lnk");
}

// The adapter reads a shortcut's arguments as Windows stores them, for the
// Modify dialog's note of what a change keeps.
TEST(RealShellLinks, ArgumentsReadAsStoredAndAFileThatIsNoLinkLeavesTheOutputAlone) {
  TempDir dir;
  win32::Win32ShellLinks links;
  writeLink(dir.file("tray.lnk"), {"C:\\Tools\\tool.exe", "/min --tray \xC5\x81ukasz", "C:\\Tools", "d", "C:\\i.ico"});
  writeLink(dir.file("plain.lnk"), {"C:\\Tools\\tool.exe", "", "", "", ""});
  writeFile(dir.file("run.bat"), "@echo off\r\n");
  std::string args = "untouched";
  ASSERT_EQ(links.arguments(dir.file("tray.lnk"), args), LinkStatus::Ok);
  EXPECT_EQ(args, "/min --tray \xC5\x81ukasz");
  ASSERT_EQ(links.arguments(dir.file("plain.lnk"), args), LinkStatus::Ok);
  EXPECT_EQ(args, "");
  args = "untouched";
  EXPECT_EQ(links.arguments(dir.file("run.bat"), args), LinkStatus::NotALink);
  EXPECT_EQ(links.arguments(dir.file("missing.lnk"), args), LinkStatus::NotFound);
  EXPECT_EQ(args, "untouched");
}

}  // namespace
}  // namespace velmora::testing
