// The change history and Undo against the real things: history.xml through
// MSXML in a real folder, the real registry, real shortcut files, and the
// history dialog as a real window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <vector>

#include "dialogs/win32/history_dialog.h"
#include "core/win32/store_msxml.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_commit.h"
#include "history/change_undo.h"
#include "family/families.h"
#include "history/win32/history_file_win32.h"
#include "family/win32/location_opener_win32.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "startupfolder/startup_folder_family.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"
#include "history_dialog_res.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::ComPtr;
using win32::widen;

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  bool found = false;
  bool operator==(const RawValue&) const = default;
};

RawValue raw(const std::string& subkey, const std::string& name) {
  RawValue v;
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, widen(subkey).c_str(), widen(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type,
                   nullptr, &size) != ERROR_SUCCESS) {
    return v;
  }
  v.bytes.resize(size);
  v.found = RegGetValueW(HKEY_CURRENT_USER, widen(subkey).c_str(), widen(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                         &v.type, v.bytes.data(), &size) == ERROR_SUCCESS;
  return v;
}

void writeLink(const std::string& path, const std::string& target, const std::string& arguments) {
  win32::ComScope com;
  ComPtr<IShellLinkW> link;
  ASSERT_TRUE(SUCCEEDED(
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())));
  link->SetPath(widen(target).c_str());
  link->SetArguments(widen(arguments).c_str());
  link->SetDescription(L"kept whole");
  link->SetIconLocation(L"C:\\windows\\system32\\shell32.dll", 4);
  ASSERT_TRUE(SUCCEEDED(link.as<IPersistFile>(IID_IPersistFile)->Save(widen(path).c_str(), TRUE)));
}

// Everything the families share, over the real store and history files in
// a throwaway program folder.
class RealHistory : public ::testing::Test {
 protected:
  TempDir program;
  TestKey key;
  win32::MsxmlStore store{program.file("config.xml")};
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  std::unique_ptr<win32::Win32HistoryFile> file = std::make_unique<win32::Win32HistoryFile>(program.file("history.xml"));
  std::unique_ptr<ChangeHistory> history = std::make_unique<ChangeHistory>(*file, program.file("History"));
  // Where every change is logged and kept, as in the program.
  std::unique_ptr<ChangeCommit> commit = std::make_unique<ChangeCommit>(log, history.get(), tr);
  FamilyContext context{store, tr};
  win32::Win32Registry registry;
  win32::Win32Folders folders;
  win32::Win32ShellLinks links;
  ScriptedPrompt prompt;
  win32::ComScope com;

  RealHistory() {
    context.copies = history.get();
    tr.texts = {{"_UndoEntryChanged", "_UndoEntryChanged %s: %s"}, {"_UndoNowHolds", "now %s"}};
  }
  // As after a restart: a new history over the same file. A family made
  // before keeps the old one's copy folder: make it again.
  void restart(std::size_t limit = ChangeHistory::kDefaultLimit) {
    file = std::make_unique<win32::Win32HistoryFile>(program.file("history.xml"));
    history = std::make_unique<ChangeHistory>(*file, program.file("History"), limit);
    commit = std::make_unique<ChangeCommit>(log, history.get(), tr);
    context.copies = history.get();
  }
  // Drives `family` as a pane does, committing to the history of now.
  FamilyDriver drive(EntryFamily& family) { return FamilyDriver(family, prompt, *commit); }
  Change newest() { return history->changes().value().front(); }
  static int rowOf(const FamilyDriver& driver, const std::string& nameOrData, RowState state) {
    const std::vector<Row>& rows = driver.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& r = rows[i];
      if ((r.name == nameOrData || r.data == nameOrData) && r.state == state) return static_cast<int>(i);
    }
    return -1;
  }
};

TEST_F(RealHistory, SurvivesARestartWithEveryTextAsItWas) {
  Change c;
  c.family = "programlist";
  c.kind = "modify";
  c.location = "HKEY_CURRENT_USER\\X\\Load";
  c.before = EntryState{"\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC", "\"C:\\a b\\x.exe\" /q & <y>", "", false};
  c.after = EntryState{"Load", "line one\r\nline\ttwo", "REG_EXPAND_SZ", true};
  c.position = 3;
  c.valueBefore = "a.exe, b.exe";
  c.extra = {{"flag", "03"}};
  ASSERT_TRUE(history->record(c));
  restart();
  const auto all = history->changes();
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 1u);
  Change back = all->front();
  EXPECT_EQ(back.id, 1u);
  EXPECT_EQ(back.time.size(), 20u);
  c.id = back.id;
  c.time = back.time;
  EXPECT_EQ(back, c);
  ASSERT_TRUE(history->record(c));
  EXPECT_EQ(newest().id, 2u);
}

TEST_F(RealHistory, ADamagedOrForeignFileIsLeftByteForByte) {
  for (const std::string& damaged : {std::string("<history><change id=\"1\" family=\"registry\""),
                                    std::string("<config><toolvelmora/></config>"), std::string()}) {
    writeFile(program.file("history.xml"), damaged);
    restart();
    Change c;
    c.family = "registry";
    c.kind = "add";
    c.location = "HKEY_CURRENT_USER\\Run";
    EXPECT_FALSE(history->record(c));
    EXPECT_FALSE(history->changes());
    EXPECT_EQ(readFile(program.file("history.xml")), damaged);
    EXPECT_TRUE(history->takeWarning());
  }
}

// Under Wine, as root, the attribute alone would not stop the replace.
TEST_F(RealHistory, AReadOnlyFileIsNotWrittenOver) {
  Change c;
  c.family = "registry";
  c.kind = "add";
  c.location = "HKEY_CURRENT_USER\\Run";
  ASSERT_TRUE(history->record(c));
  const std::string path = program.file("history.xml");
  const std::string before = readFile(path);
  ASSERT_TRUE(SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
  std::vector<HistoryRecord> records;
  ASSERT_EQ(file->read(records), HistoryStatus::Ok);
  records.push_back(records.front());
  EXPECT_EQ(file->write(records), HistoryStatus::WriteFailed);
  EXPECT_FALSE(history->record(c));
  SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(readFile(path), before);
}

TEST_F(RealHistory, PruningAtTheBoundDeletesTheCopies) {
  restart(2);
  std::vector<std::string> copies;
  ASSERT_TRUE(CreateDirectoryW(widen(program.file("History")).c_str(), nullptr));
  for (int i = 0; i < 4; ++i) {
    Change c;
    c.family = "startupfolder";
    c.kind = "remove";
    c.location = "C:\\Startup";
    c.before = EntryState{"a" + std::to_string(i) + ".lnk", "", "", false};
    c.copy = history->newCopyName();
    copies.push_back(history->copyPath(c.copy));
    writeFile(copies.back(), "copy " + std::to_string(i));
    ASSERT_TRUE(history->record(c));
  }
  EXPECT_EQ(history->changes()->size(), 2u);
  EXPECT_FALSE(exists(copies[0]));
  EXPECT_FALSE(exists(copies[1]));
  EXPECT_TRUE(exists(copies[2]));
  EXPECT_TRUE(exists(copies[3]));
}

TEST_F(RealHistory, RegistryRemoveModifyDisableComeBackExactlyAndAChangedValueIsLeftAlone) {
  RegistryFamily family({key.path()}, registry, context);
  FamilyDriver first = drive(family);
  ASSERT_EQ(registry.setText(RootKey::CurrentUser, key.subkey(), "Tool", "%SystemRoot%\\tool.exe /t", kRegExpandSz,
                             KeyCreation::CreateKey),
            RegStatus::Ok);
  const RawValue original = raw(key.subkey(), "Tool");
  ASSERT_TRUE(original.found);

  first.list();
  first.remove(rowOf(first, "Tool", RowState::Live));
  ASSERT_FALSE(raw(key.subkey(), "Tool").found);
  restart();  // the Undo need not happen in the same run
  RegistryFamily again({key.path()}, registry, context);
  FamilyDriver driver = drive(again);
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(raw(key.subkey(), "Tool"), original) << "value type and bytes";
  ASSERT_TRUE(driver.undo(newest()).done()) << "Undo of the Undo";
  EXPECT_FALSE(raw(key.subkey(), "Tool").found);
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(raw(key.subkey(), "Tool"), original);

  driver.list();
  driver.modify(rowOf(driver, "Tool", RowState::Live), "Renamed", "C:\\plain.exe");
  ASSERT_TRUE(raw(key.subkey(), "Renamed").found);
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_FALSE(raw(key.subkey(), "Renamed").found);
  EXPECT_EQ(raw(key.subkey(), "Tool"), original);

  driver.list();
  ASSERT_TRUE(driver.disable(rowOf(driver, "Tool", RowState::Live)).done());
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(raw(key.subkey(), "Tool"), original);

  // Disabled again by undoing the Enable; then the value is written by
  // someone else while disabled: undoing the Disable would replace it, so
  // Enable's question comes, and Cancel keeps it.
  ASSERT_TRUE(driver.undo(newest()).done());
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Tool", "C:\\other.exe", KeyCreation::KeyMustExist),
            RegStatus::Ok);
  const RawValue other = raw(key.subkey(), "Tool");
  prompt.answers = {false};
  const std::size_t kept = history->changes()->size();
  const std::size_t asked = prompt.questions.size();
  EXPECT_FALSE(driver.undo(newest()).done());
  EXPECT_EQ(prompt.questions.size(), asked + 1) << "asked before replacing";
  EXPECT_EQ(raw(key.subkey(), "Tool"), other);
  EXPECT_EQ(history->changes()->size(), kept);
}

TEST_F(RealHistory, RefusedWhenTheValueChangedInBetweenWithNothingChanged) {
  RegistryFamily family({key.path()}, registry, context);
  FamilyDriver driver = drive(family);
  ASSERT_TRUE(driver.add("New", "C:\\new.exe").done());
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "New", "C:\\changed.exe", KeyCreation::KeyMustExist),
            RegStatus::Ok);
  const RawValue changed = raw(key.subkey(), "New");
  EXPECT_FALSE(driver.undo(newest()).done());
  ASSERT_FALSE(prompt.messages.empty());
  EXPECT_NE(prompt.messages.back().find("_UndoEntryChanged New: now C:\\changed.exe"), std::string::npos);
  EXPECT_EQ(raw(key.subkey(), "New"), changed);
  EXPECT_EQ(history->changes()->size(), 1u);
}

TEST_F(RealHistory, AProgramListValueGetsItsVeryTextBack) {
  const std::string location = key.path() + "\\Load";
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Load", "a.exe b.exe,c.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  const RawValue original = raw(key.subkey(), "Load");
  ProgramListFamily family({location}, registry, noShortPaths(), context);
  FamilyDriver driver = drive(family);
  driver.list();
  driver.remove(rowOf(driver, "b.exe", RowState::Live));
  ASSERT_NE(raw(key.subkey(), "Load"), original);
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(raw(key.subkey(), "Load"), original);
}

TEST_F(RealHistory, AProgramThatLeftItsListOrAShortcutRetargetedIsLeftAlone) {
  const std::string location = key.path() + "\\Load";
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Load", "a.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  ProgramListFamily programs({location}, registry, noShortPaths(), context);
  FamilyDriver programDriver = drive(programs);
  // Add's dialog with only the program typed in; its name as prepared.
  EntryDialogData fields;
  ASSERT_TRUE(programs.prepareAdd(fields).done());
  fields.path = "b.exe";
  ASSERT_TRUE(programDriver.commit(programs.add(fields, prompt)).done());
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Load", "a.exe,c.exe", KeyCreation::KeyMustExist),
            RegStatus::Ok);
  const RawValue changed = raw(key.subkey(), "Load");
  EXPECT_FALSE(programDriver.undo(newest()).done());
  EXPECT_NE(prompt.messages.back().find("_UndoEntryChanged b.exe"), std::string::npos);
  EXPECT_EQ(raw(key.subkey(), "Load"), changed);

  TempDir startup;
  StartupFolderFamily shortcuts({startup.path()}, folders, links, program.path(), context);
  FamilyDriver shortcutDriver = drive(shortcuts);
  ASSERT_TRUE(shortcutDriver.add("New", "C:\\windows\\notepad.exe").done());
  writeLink(startup.file("New.lnk"), "C:\\windows\\regedit.exe", "");
  const std::string retargeted = readFile(startup.file("New.lnk"));
  const std::size_t kept = history->changes()->size();
  EXPECT_FALSE(shortcutDriver.undo(newest()).done());
  EXPECT_NE(prompt.messages.back().find("_UndoEntryChanged New.lnk"), std::string::npos);
  EXPECT_EQ(readFile(startup.file("New.lnk")), retargeted);
  EXPECT_EQ(history->changes()->size(), kept);
}

TEST_F(RealHistory, ShortcutsComeBackByteForByte) {
  TempDir startup;
  const std::string link = startup.file("Tool.lnk");
  writeLink(link, "C:\\windows\\notepad.exe", "/a \"b c\"");
  const std::string original = readFile(link);
  StartupFolderFamily family({startup.path()}, folders, links, program.path(), context);
  FamilyDriver driver = drive(family);

  driver.list();
  driver.remove(rowOf(driver, "Tool.lnk", RowState::Live));
  ASSERT_FALSE(exists(link));
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(readFile(link), original);

  driver.list();
  driver.modify(rowOf(driver, "Tool.lnk", RowState::Live), "Other.lnk", "C:\\windows\\regedit.exe");
  ASSERT_TRUE(exists(startup.file("Other.lnk")));
  ASSERT_FALSE(exists(link));
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(readFile(link), original);
  EXPECT_FALSE(exists(startup.file("Other.lnk")));

  driver.list();
  ASSERT_TRUE(driver.disable(rowOf(driver, "Tool.lnk", RowState::Live)).done());
  ASSERT_TRUE(driver.undo(newest()).done());
  EXPECT_EQ(readFile(link), original);
}

TEST_F(RealHistory, TheDialogListsNewestFirstAndUndoesTheSelectedChange) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, run, "VelmoraHistoryTest", "C:\\h.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  FamilyTable table({registryFamily(registry, context)});
  auto family = table.family("registry").make({"HKEY_CURRENT_USER\\" + run});
  FamilyDriver driver = drive(*family);
  driver.list();
  driver.remove(rowOf(driver, "VelmoraHistoryTest", RowState::Live));
  ASSERT_FALSE(raw(run, "VelmoraHistoryTest").found);

  int rowsBefore = -1, selected = -1, rowsAfter = -1;
  DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen&) {
    if (!GetDlgItem(dialog, IDC_HISTORY_LIST)) return IDOK;  // a message box
    answerFromLoop(dialog, IDCANCEL, [&](HWND d) {
      HWND listView = GetDlgItem(d, IDC_HISTORY_LIST);
      rowsBefore = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
      selected = static_cast<int>(SendMessageW(listView, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
      SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0);
      rowsAfter = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    });
    return 0;
  });
  EXPECT_TRUE(win32::showHistoryDialog(nullptr, table, *history, *commit, tr));
  EXPECT_EQ(rowsBefore, 1);
  EXPECT_EQ(selected, 0) << "the newest change is selected when the dialog opens";
  EXPECT_EQ(rowsAfter, 2) << "the Undo is listed as a change of its own";
  EXPECT_TRUE(raw(run, "VelmoraHistoryTest").found);
  EXPECT_EQ(newest().undoes, 1u);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, widen(run).c_str(), L"VelmoraHistoryTest");
}

TEST(OpenLocation, TheRegistryEditorStartsAtTheKeyAndExplorerSelectsTheFile) {
  win32::Win32Registry registry;
  std::vector<std::wstring> started;
  win32::Win32LocationOpener opener(registry, [&](const std::wstring& file, const std::wstring& parameters) {
    started.push_back(file + L"|" + parameters);
    return true;
  });
  ASSERT_TRUE(opener.openRegistryKey("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  RegValue last;
  ASSERT_EQ(registry.queryValue(RootKey::CurrentUser, win32::kRegeditSettingsKey, "LastKey", last), RegStatus::Ok);
  EXPECT_EQ(last.text, "Computer\\HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  ASSERT_TRUE(opener.showFile("C:\\Start Up\\a b.lnk"));
  ASSERT_TRUE(opener.openFolder("C:\\Start Up"));
  EXPECT_EQ(started, (std::vector<std::wstring>{L"regedit.exe|", L"explorer.exe|/select,\"C:\\Start Up\\a b.lnk\"",
                                                L"explorer.exe|\"C:\\Start Up\""}));
  win32::Win32LocationOpener failing(registry, [](const std::wstring&, const std::wstring&) { return false; });
  EXPECT_FALSE(failing.showFile("C:\\x.lnk"));
}

}  // namespace
}  // namespace velmora::testing
