// Windows' own on/off flags against the real registry of the test prefix, a
// real config.xml and real files: an entry turned off by Windows' settings
// is listed unchecked, and Enable, Remove and a refused flag write leave the
// registry and config.xml exactly as they should.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "core/win32/store_msxml.h"
#include "fakes/family_driver.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"
#include "history/change_commit.h"
#include "startupflags/startup_flags.h"
#include "pane/win32/entry_list_pane.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "registry/registry_family.h"
#include "resource.h"
#include "startupfolder/startup_folder_family.h"
#include "startupfolder/win32/folders_win32.h"
#include "startupfolder/win32/shell_links_win32.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

const std::wstring kRunSub = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kApproved = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
const std::string kRunPath = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

using Bytes = std::vector<BYTE>;
// What Task Manager writes when it turns an entry off: 03 and the FILETIME of that moment.
const Bytes kOff = {0x03, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01};
const Bytes kOn = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

struct Raw {
  DWORD type = 0;  // 0: no such value
  Bytes bytes;
  bool operator==(const Raw&) const = default;
};

Raw rawValue(HKEY root, const std::wstring& subkey, const std::wstring& name) {
  Raw v;
  DWORD size = 0;
  if (RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr, &size) !=
      ERROR_SUCCESS)
    return {};
  v.bytes.resize(size);
  RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, v.bytes.data(), &size);
  v.bytes.resize(size);
  return v;
}

void putRaw(HKEY root, const std::wstring& subkey, const std::wstring& name, DWORD type, const Bytes& bytes) {
  HKEY h;
  ASSERT_EQ(RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(h, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
  RegCloseKey(h);
}

Bytes textBytes(const std::wstring& text) {
  const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
  return Bytes(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// The registry of the test prefix, which refuses to change Windows' flags
// once told to: the failure a protected key gives.
class FlagRefusingRegistry : public win32::Win32Registry {
 public:
  bool refuse = false;
  RegStatus setBytes(RootKey root, const std::string& subkey, const std::string& name,
                     const std::vector<std::uint8_t>& data, std::uint32_t type, KeyCreation creation) override {
    if (refuse && isFlagKey(subkey)) return RegStatus::AccessDenied;
    return Win32Registry::setBytes(root, subkey, name, data, type, creation);
  }
  RegStatus deleteValue(RootKey root, const std::string& subkey, const std::string& name) override {
    if (refuse && isFlagKey(subkey)) return RegStatus::AccessDenied;
    return Win32Registry::deleteValue(root, subkey, name);
  }

 private:
  static bool isFlagKey(const std::string& subkey) { return subkey.find("StartupApproved") != std::string::npos; }
};

class RealFlags : public ::testing::Test {
 protected:
  RealFlags() {
    tr.texts = {{"_StatusOffInWindows", "Turned off in Windows startup settings"},
                {"_FlagWriteFailed", "flag %s|%s"},
                {"_EntryKeptTwice", "twice %s"},
                {"_LogItemType1Content", "remove %s|%s|%s"},
                {"_LogItemType4Content", "enable %s|%s|%s"},
                {"_LogItemType1Content1", "remove %s"},
                {"_LogItemType4Content1", "enable %s"}};
    // The other entry config.xml keeps, so that there is a file to compare.
    EXPECT_EQ(store.add(kRegistryRecords, {kRunPath, "Other", "other.exe"}), StoreStatus::Ok);
  }
  ~RealFlags() override {
    for (const std::wstring& sub : {kRunSub, kApproved + L"Run", kApproved + L"StartupFolder"}) {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, sub.c_str(), wname.c_str());
      RegDeleteKeyValueW(HKEY_CURRENT_USER, sub.c_str(), (wname + L".lnk").c_str());
    }
  }
  // The row of the Run key's latest listing named `n`.
  int rowOf(const std::string& n) const {
    for (std::size_t i = 0; i < pane.rows().size(); ++i) {
      if (pane.rows()[i].name == n) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << n;
    return 0;
  }
  const Row& rowNamed(const std::string& n) const { return pane.rows().at(static_cast<std::size_t>(rowOf(n))); }
  Raw flag(const std::wstring& subkey = kApproved + L"Run") const { return rawValue(HKEY_CURRENT_USER, subkey, wname); }
  std::string config() const { return readFile(store.path()); }

  // A name no legacy code page holds, unique to this process.
  const std::string name = "\xC5\x81ukasz \xE6\x97\xA5 " + std::to_string(GetCurrentProcessId());
  const std::wstring wname = widen(name);
  TempDir dir;
  FlagRefusingRegistry registry;
  win32::MsxmlStore store{dir.file("config.xml")};
  MapTranslator tr;
  RecordingLog sink;
  OperationLog log{tr, &sink};
  ChangeCommit commit{log, nullptr, tr};
  ScriptedPrompt prompt;
  FamilyContext context{store, tr};
  RegistryFamily run{{kRunPath}, registry, context};
  // The Run key's entries worked on as its pane works on them.
  FamilyDriver pane{run, prompt, commit};
};

TEST_F(RealFlags, ATurnedOffEntryIsListedUncheckedCheckingItWritesWindowsOwnOnValueRemoveTakesTheFlag) {
  const Bytes command = textBytes(L"\"C:\\Tools\\t.exe\" /tray");
  putRaw(HKEY_CURRENT_USER, kRunSub, wname, REG_SZ, command);
  putRaw(HKEY_CURRENT_USER, kApproved + L"Run", wname, REG_BINARY, kOff);
  const std::string before = config();
  ASSERT_FALSE(before.empty());

  pane.list();
  const Row row = rowNamed(name);
  EXPECT_EQ(row.state, RowState::Disabled) << "it does not start";
  EXPECT_EQ(row.origin, RowOrigin::OffInWindows);
  EXPECT_EQ(row.status, "Turned off in Windows startup settings");
  EXPECT_EQ(rowNamed("Other").origin, RowOrigin::Record);

  ASSERT_TRUE(pane.enable(rowOf(name)).done());
  EXPECT_EQ(flag(), (Raw{REG_BINARY, kOn}));
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname), (Raw{REG_SZ, command})) << "the entry stays in its place";
  EXPECT_EQ(config(), before) << "config.xml is not touched";
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].content, "enable " + name + "|" + kRunPath + "|\"C:\\Tools\\t.exe\" /tray");
  EXPECT_TRUE(prompt.messages.empty());

  pane.list();
  EXPECT_EQ(rowNamed(name).state, RowState::Live);
  EXPECT_EQ(rowNamed(name).origin, RowOrigin::Live);
  EXPECT_EQ(rowNamed(name).status, "");

  // Remove takes the flag along: Windows would leave it behind.
  pane.remove(rowOf(name));
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname).type, 0u);
  EXPECT_EQ(flag().type, 0u);
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[1].content, "remove " + name + "|" + kRunPath + "|\"C:\\Tools\\t.exe\" /tray");
}

TEST_F(RealFlags, AFlagWriteThatFailsLeavesEverythingAsItWas) {
  const Bytes command = textBytes(L"t.exe");
  putRaw(HKEY_CURRENT_USER, kRunSub, wname, REG_SZ, command);
  putRaw(HKEY_CURRENT_USER, kApproved + L"Run", wname, REG_BINARY, kOff);
  const std::string before = config();
  registry.refuse = true;
  pane.list();

  EXPECT_FALSE(pane.enable(rowOf(name)).done());
  pane.remove(rowOf(name));
  EXPECT_EQ(flag(), (Raw{REG_BINARY, kOff}));
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname), (Raw{REG_SZ, command}));
  const std::string told = "flag " + name + "|HKEY_CURRENT_USER\\" + narrow(kApproved) + "Run";
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{told, told}));

  // Enable of a record whose flag says off: the value it wrote is taken back.
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunSub.c_str(), wname.c_str()), ERROR_SUCCESS);
  ASSERT_EQ(store.add(kRegistryRecords, {kRunPath, name, "t.exe"}), StoreStatus::Ok);
  const std::string withRecord = config();
  pane.list();
  ASSERT_EQ(rowNamed(name).origin, RowOrigin::Record);
  EXPECT_FALSE(pane.enable(rowOf(name)).done());
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname).type, 0u);
  EXPECT_EQ(flag(), (Raw{REG_BINARY, kOff}));
  EXPECT_EQ(config(), withRecord);
  EXPECT_EQ(prompt.messages.size(), 3u);
  EXPECT_TRUE(sink.records.empty()) << "nothing is reported as done";

  // Once the flag may be written, Enable puts the value back and turns it on.
  registry.refuse = false;
  EXPECT_TRUE(pane.enable(rowOf(name)).done());
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname), (Raw{REG_SZ, command}));
  EXPECT_EQ(flag(), (Raw{REG_BINARY, kOn}));
  EXPECT_EQ(config(), before) << "only the other entry's record is left";
  EXPECT_EQ(sink.records.size(), 1u);
}

// The real pane: its list keeps each row's origin, so the same box turns
// the entry on in place, then disables it into config.xml, then enables
// that record again.
TEST_F(RealFlags, ThePanesBoxAndStatusFollowTheEntryWhereverItIs) {
  const Bytes command = textBytes(L"t.exe");
  putRaw(HKEY_CURRENT_USER, kRunSub, wname, REG_SZ, command);
  putRaw(HKEY_CURRENT_USER, kApproved + L"Run", wname, REG_BINARY, kOff);
  const std::string before = config();
  tr.texts["_StatusEnabled"] = "Enabled %s";
  tr.texts["_LogItemType5Content"] = "disable %s|%s|%s";
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND parent = CreateWindowExW(0, L"Static", L"flags", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr, nullptr,
                                nullptr, nullptr);
  auto scripted = std::make_unique<ScriptedPrompt>();
  ScriptedPrompt& told = *scripted;
  {
    win32::EntryListPane window(
        tr, std::make_unique<RegistryFamily>(std::vector<std::string>{kRunPath}, registry, context), commit,
        std::move(scripted));
    HWND hwnd = window.create(GetModuleHandleW(nullptr), parent);
    ASSERT_NE(hwnd, nullptr);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
    win32::ListViewRows& rows = window.rows();
    int row = -1;
    for (int i = 0; i < rows.count(); ++i) {
      if (rows.text(i, 0) == name) row = i;
    }
    ASSERT_GE(row, 0);
    EXPECT_EQ(rows.stateImage(row), 1);
    EXPECT_EQ(rows.text(row, 5), "Turned off in Windows startup settings");

    rows.check(row, RowState::Live);  // as a click on the box does
    EXPECT_EQ(flag(), (Raw{REG_BINARY, kOn}));
    EXPECT_EQ(config(), before);
    EXPECT_EQ(rows.stateImage(row), 2);
    EXPECT_EQ(window.takeOutcome(), "Enabled " + name);
    EXPECT_EQ(cellText(rows.handle(), row, 5), L"") << "it starts now: the status says so at once";

    rows.check(row, RowState::Disabled);
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname).type, 0u);
    EXPECT_NE(config(), before) << "today's Disable keeps a record";
    rows.check(row, RowState::Live);
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kRunSub, wname), (Raw{REG_SZ, command}));
    EXPECT_EQ(rows.stateImage(row), 2);
    EXPECT_EQ(flag(), (Raw{REG_BINARY, kOn}));
    EXPECT_EQ(told.messages, std::vector<std::string>{});  // the pane owns it: asked while it lives
  }
  DestroyWindow(parent);
  pumpMessages();
  ASSERT_EQ(sink.records.size(), 3u);
  EXPECT_EQ(sink.records[1].content, "disable " + name + "|" + kRunPath + "|t.exe");
  EXPECT_EQ(sink.records[2].content, "enable " + name + "|" + kRunPath + "|t.exe");
}

// A startup-folder file's flag is named after the file with its extension.
TEST_F(RealFlags, StartupFolderFilesAreTurnedOnAndRemovedWithTheirFlag) {
  TempDir folder, program;
  win32::Win32Folders folders;
  win32::Win32ShellLinks links;
  const std::string file = folder.file(name + ".lnk");
  writeFile(file, "not really a shortcut");
  putRaw(HKEY_CURRENT_USER, kApproved + L"StartupFolder", wname + L".lnk", REG_BINARY, kOff);
  putRaw(HKEY_CURRENT_USER, kApproved + L"StartupFolder", wname, REG_BINARY, kOff);  // no extension: not its flag
  StartupFolderFamily family({folder.path()}, folders, links, program.path(), context,
                             FolderFlags{&registry, {startupFolderFlagKey(false)}});
  FamilyDriver files(family, prompt, commit);
  files.list();
  ASSERT_EQ(files.rows().size(), 1u);
  EXPECT_EQ(files.rows()[0].state, RowState::Disabled);
  EXPECT_EQ(files.rows()[0].origin, RowOrigin::OffInWindows);
  EXPECT_EQ(files.rows()[0].status, "Turned off in Windows startup settings");

  ASSERT_TRUE(files.enable(0).done());
  const std::wstring folderFlags = kApproved + L"StartupFolder";
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, folderFlags, wname + L".lnk"), (Raw{REG_BINARY, kOn}));
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, folderFlags, wname), (Raw{REG_BINARY, kOff}));
  EXPECT_EQ(readFile(file), "not really a shortcut");

  files.list();
  files.remove(0);
  EXPECT_EQ(GetFileAttributesW(widen(file).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, folderFlags, wname + L".lnk").type, 0u);
  EXPECT_EQ(rawValue(HKEY_CURRENT_USER, folderFlags, wname), (Raw{REG_BINARY, kOff}));
  EXPECT_EQ(sink.records.size(), 2u);
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
