// Whole-program tests: the real main window with the real families, the
// real registry, startup folders, config.xml and built-in log of the test
// prefix, driven through the tree and the list as a user drives them; and
// the built velmora.exe started as a user starts it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/all_families.h"
#include "app/win32/main_frame.h"
#include "core/log_file.h"
#include "core/paths.h"
#include "platform/win32/com_ptr.h"
#include "core/win32/log_component.h"
#include "core/win32/store_msxml.h"
#include "lang/language_table.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "history_dialog_res.h"
#include "main_frame_res.h"
#include "resource.h"
#include "startupfolder/startup_folder_family.h"
#include "wine/support/frame_dialogs.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::ComPtr;
using win32::MainFrame;
using win32::narrow;
using win32::widen;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kRunPath[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kLoadPath[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load";

// Nodes of the category tree this file drives.
constexpr int kCurrentUserFolderNode = 2;
constexpr int kCurrentUserRunNode = 10;
constexpr int kLoadNode = 13;

constexpr int kUnchecked = 1;  // state image of a disabled entry
constexpr int kChecked = 2;    // state image of a live one

// Unique per run, so that a value or shortcut left by a crashed run never
// meets the next one.
std::string uniqueSuffix() {
  static int counter = 0;
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
         std::to_string(++counter);
}

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  bool operator==(const RawValue&) const = default;
};

// A value exactly as the registry holds it, read without any adapter of ours.
std::optional<RawValue> readRaw(HKEY root, const std::wstring& key, const std::wstring& name) {
  RawValue v;
  DWORD size = 0;
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  v.bytes.resize(size);
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type, v.bytes.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  v.bytes.resize(size);
  return v;
}

RawValue textValue(const std::wstring& text) {
  const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
  return {REG_SZ, std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t))};
}

std::wstring textOf(const std::optional<RawValue>& v) {
  if (!v) return L"<missing>";
  std::wstring text(reinterpret_cast<const wchar_t*>(v->bytes.data()), v->bytes.size() / sizeof(wchar_t));
  text.resize(wcslen(text.c_str()));
  return text;
}

// Puts a value into a real startup key of the prefix and gives the key back
// as it was at the end: the earlier value restored, or the value deleted,
// and a key that had to be created deleted again when it is empty.
class SeededValue {
 public:
  SeededValue(std::wstring key, std::wstring name, const RawValue& value)
      : key_(std::move(key)), name_(std::move(name)) {
    HKEY h = nullptr;
    keyExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS;
    if (h) RegCloseKey(h);
    previous_ = readRaw(HKEY_CURRENT_USER, key_, name_);
    write(value);
  }
  ~SeededValue() {
    if (previous_) {
      write(*previous_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
    }
    if (!keyExisted_) deleteKeyIfEmpty();
  }
  SeededValue(const SeededValue&) = delete;
  SeededValue& operator=(const SeededValue&) = delete;

  std::optional<RawValue> now() const { return readRaw(HKEY_CURRENT_USER, key_, name_); }

 private:
  void write(const RawValue& v) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot create " << narrow(key_);
      return;
    }
    EXPECT_EQ(RegSetValueExW(h, name_.c_str(), 0, v.type, v.bytes.data(), static_cast<DWORD>(v.bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(h);
  }
  void deleteKeyIfEmpty() {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    RegCloseKey(h);
    if (empty) RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
  }

  std::wstring key_, name_;
  bool keyExisted_ = false;
  std::optional<RawValue> previous_;
};

// A shortcut placed in a real startup folder, deleted at the end whatever
// the test did with it.
class SeededShortcut {
 public:
  explicit SeededShortcut(std::string path) : path_(std::move(path)) {
    win32::ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()))) {
      ADD_FAILURE() << "no shell link object";
      return;
    }
    link->SetPath(L"C:\\Program Files\\E2E Tools\\tray.exe");
    link->SetArguments(L"/minimized --profile \"Home\"");
    link->SetWorkingDirectory(L"C:\\Program Files\\E2E Tools");
    link->SetDescription(L"Starts the tray helper");
    link->SetIconLocation(L"C:\\Program Files\\E2E Tools\\tray.exe", 1);
    EXPECT_TRUE(SUCCEEDED(link.as<IPersistFile>(IID_IPersistFile)->Save(widen(path_).c_str(), TRUE)));
  }
  ~SeededShortcut() { DeleteFileW(widen(path_).c_str()); }
  SeededShortcut(const SeededShortcut&) = delete;
  SeededShortcut& operator=(const SeededShortcut&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The current user's startup folder, as the prefix's Shell Folders value names it.
std::string userStartupFolder() {
  return narrow(textOf(readRaw(HKEY_CURRENT_USER, kShellFolders, L"Startup")));
}

// --- The list view of a pane in this process ---------------------------------

// --- The real main window in this process -------------------------------------

class EndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    // The language file the build puts beside the program (and these tests).
    const std::string shipped = directoryPart(win32::programPath()) + "\\velmora.language";
    ASSERT_TRUE(win32::fileExists(shipped)) << "velmora.language must be built beside the tests: " << shipped;
    language.setFile(shipped);
    ASSERT_TRUE(log.connect(files.logDataFolder()));
  }
  void TearDown() override {
    frame.reset();
    pumpMessages();
    log.disconnect();
  }

  void open() {
    frame = std::make_unique<MainFrame>(files, language, log.sink());
    HWND hwnd = frame->create(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetWindowPos(hwnd, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    pumpMessages();
  }
  // Selects the node through the tree; gives the list of the pane now shown.
  HWND selectNode(int node) {
    SendMessageW(frame->tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(frame->treeItem(node)));
    pumpMessages();
    HWND pane = frame->host().visiblePane();
    EXPECT_EQ(pane, frame->pane(node).hwnd()) << "node " << node << "'s pane is the visible one";
    HWND list = GetDlgItem(pane, IDC_ENTRYLIST);
    EXPECT_TRUE(list && IsWindowVisible(list));
    return list;
  }

  std::vector<DisabledItem> records(RecordKind kind) {
    win32::MsxmlStore store{files.configFile()};
    std::vector<StoredItem> items;
    EXPECT_EQ(store.list(kind, items), StoreStatus::Ok);
    std::vector<DisabledItem> out;
    for (const auto& s : items) out.push_back(s.item);
    return out;
  }
  std::vector<LogEntry> logEntries() { return readLogNewestFirst(readFile(logFilePath(files.logDataFolder()))); }
  std::string text(const char* key) { return language.translate(key); }

  // Checks the newest log record: the operation and a text it must name.
  void expectLogged(std::size_t count, const char* itemTypeKey, const std::string& named) {
    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), count);
    EXPECT_EQ(entries[0].record.itemType, text(itemTypeKey));
    EXPECT_NE(entries[0].record.content.find(named), std::string::npos) << entries[0].record.content;
  }

  SettingsSetAside settings;
  win32::ComScope com;
  TempDir dir;
  ProgramFiles files{dir.path(), "velmora"};
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  win32::LogConnection log;
  FrameDialogs dialogs{[this] { return frame ? frame->hwnd() : nullptr; }};
  std::unique_ptr<MainFrame> frame;
};

TEST_F(EndToEnd, RunValueLeavesTheKeyAndComesBackByteForByteThroughItsBox) {
  // A name and a command line outside any legacy code page: they pass
  // through the list's texts on their way back to the registry.
  const std::wstring name = widen("Velmora e2e \xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC " + uniqueSuffix());
  const std::wstring data = L"\"C:\\Program Files\\\u0141\u00F3d\u017A\\\u043F\u0440\u0438.exe\" /tray";
  SeededValue seeded(kRunKey, name, textValue(data));
  const RawValue before = *seeded.now();
  open();

  HWND list = selectNode(kCurrentUserRunNode);
  const int row = rowWhere(list, 0, narrow(name));
  ASSERT_GE(row, 0) << "the seeded value is listed";
  EXPECT_EQ(cellText(list, row, 2), data);
  EXPECT_EQ(cellText(list, row, 3), widen(kRunPath));
  ASSERT_EQ(boxImage(list, row), kChecked);

  setBox(list, row, kUnchecked);
  EXPECT_EQ(seeded.now(), std::nullopt) << "the value left the key";
  EXPECT_EQ(records(kRegistryRecords), (std::vector<DisabledItem>{{kRunPath, narrow(name), narrow(data)}}));
  expectLogged(1, "_LogItemType5", narrow(name));
  expectLogged(1, "_LogItemType5", narrow(data));  // the command line that moved, too
  EXPECT_EQ(boxImage(list, row), kUnchecked);

  setBox(list, row, kChecked);
  EXPECT_EQ(seeded.now(), std::optional<RawValue>(before)) << "back byte for byte";
  EXPECT_TRUE(records(kRegistryRecords).empty());
  expectLogged(2, "_LogItemType4", narrow(name));
  expectLogged(2, "_LogItemType4", narrow(data));
  EXPECT_EQ(boxImage(list, row), kChecked);
  EXPECT_TRUE(dialogs.shown.empty()) << narrow(dialogs.shown.empty() ? L"" : dialogs.shown[0].text);

  // What the user sees after a refresh agrees: one live row, no disabled twin.
  list = selectNode(kCurrentUserRunNode);
  int listed = 0;
  for (int r = 0; r < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++r) {
    if (cellText(list, r, 0) == name) {
      ++listed;
      EXPECT_EQ(boxImage(list, r), kChecked);
    }
  }
  EXPECT_EQ(listed, 1);
}

TEST_F(EndToEnd, ARemovedRunValueComesBackByteForByteThroughChangeHistoryUndo) {
  const std::wstring name = widen("Velmora undo " + uniqueSuffix());
  SeededValue seeded(kRunKey, name, {REG_EXPAND_SZ, textValue(L"%SystemRoot%\\undo.exe /q").bytes});
  const RawValue before = *seeded.now();
  open();
  HWND list = selectNode(kCurrentUserRunNode);
  const int row = rowWhere(list, 0, narrow(name));
  ASSERT_GE(row, 0);
  LVITEMW selected{};
  selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);  // answered OK
  pumpMessages();
  ASSERT_EQ(seeded.now(), std::nullopt);
  ASSERT_EQ(rowWhere(list, 0, narrow(name)), -1);
  // The question names the entry and its key, and warns: Cancel is the default.
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(name), std::wstring::npos) << dialogs.shown[0].text;
  EXPECT_NE(dialogs.shown[0].text.find(L"\\CurrentVersion\\Run"), std::wstring::npos) << dialogs.shown[0].text;
  EXPECT_EQ(dialogs.shown[0].icon, LoadIconW(nullptr, IDI_WARNING));

  std::wstring kind;
  int rows = 0;
  dialogs.historyDialog = [&](HWND dialog) {
    HWND changes = GetDlgItem(dialog, IDC_HISTORY_LIST);
    rows = static_cast<int>(SendMessageW(changes, LVM_GETITEMCOUNT, 0, 0));
    kind = cellText(changes, 0, 2);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0);
  };
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(ID_HISTORY, 0), 0);
  pumpMessages();
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(kind, widen(text("_HistoryRemoved")));
  EXPECT_EQ(seeded.now(), std::optional<RawValue>(before)) << "back with its type, byte for byte";
  expectLogged(2, "_LogItemType2", narrow(name));
  EXPECT_GE(rowWhere(list, 0, narrow(name)), 0) << "the visible pane was refreshed";
  EXPECT_TRUE(exists(files.historyFile()));
  EXPECT_TRUE(dialogs.shown.size() == 1) << "only the Remove question";
}

TEST_F(EndToEnd, OneProgramOfTheLoadValueGoesAndComesBackLeavingTheOtherTwo) {
  const std::string tag = uniqueSuffix();
  const std::string one = "C:\\E2E\\one-" + tag + ".exe";
  const std::string two = "C:\\E2E\\two-" + tag + ".exe";
  const std::string three = "C:\\E2E\\three-" + tag + ".exe";
  SeededValue seeded(kWindowsKey, L"Load", textValue(widen(one + "," + two + "," + three)));
  open();

  HWND list = selectNode(kLoadNode);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  const int row = rowWhere(list, 2, two);
  ASSERT_EQ(row, 1);
  EXPECT_EQ(cellText(list, row, 0), L"Load");

  setBox(list, row, kUnchecked);
  EXPECT_EQ(textOf(seeded.now()), widen(one + "," + three)) << "the other two as they were";
  EXPECT_EQ(records(kProgramListRecords), (std::vector<DisabledItem>{{kLoadPath, "Load", two}}));
  expectLogged(1, "_LogItemType5", kLoadPath);
  // A reader of the log can tell which of the three programs it was.
  EXPECT_EQ(logEntries()[0].record.content, std::string("Disabled \"Load\" in ") + kLoadPath + " (" + two + ")")
      << "the entry's name first, then its place";

  setBox(list, row, kChecked);
  EXPECT_EQ(textOf(seeded.now()), widen(one + "," + three + "," + two)) << "an enabled program is appended";
  EXPECT_TRUE(records(kProgramListRecords).empty());
  expectLogged(2, "_LogItemType4", kLoadPath);
  EXPECT_EQ(logEntries()[0].record.content, std::string("Enabled \"Load\" in ") + kLoadPath + " (" + two + ")");
  EXPECT_TRUE(dialogs.shown.empty()) << narrow(dialogs.shown.empty() ? L"" : dialogs.shown[0].text);
}

TEST_F(EndToEnd, AShortcutInTheUsersStartupFolderComesBackByteIdentical) {
  const std::string folder = userStartupFolder();
  ASSERT_FALSE(folder.empty()) << "the prefix names the user's startup folder";
  const std::string name = "Velmora e2e " + uniqueSuffix() + ".lnk";
  SeededShortcut shortcut(folder + "\\" + name);
  const std::string before = readFile(shortcut.path());
  ASSERT_FALSE(before.empty());
  open();

  HWND list = selectNode(kCurrentUserFolderNode);
  const int row = rowWhere(list, 0, name);
  ASSERT_GE(row, 0) << "the shortcut is listed";
  EXPECT_EQ(cellText(list, row, 2), L"\"C:\\Program Files\\E2E Tools\\tray.exe\" /minimized --profile \"Home\"")
      << "the target, quoted, and the shortcut's arguments";

  setBox(list, row, kUnchecked);
  EXPECT_FALSE(exists(shortcut.path())) << "the shortcut left the folder";
  ASSERT_EQ(records(kStartupFolderRecords).size(), 1u);
  EXPECT_EQ(records(kStartupFolderRecords)[0].valuename, name);
  expectLogged(1, "_LogItemType5", name);

  setBox(list, row, kChecked);
  EXPECT_EQ(readFile(shortcut.path()), before) << "byte-identical, arguments, folder and icon included";
  EXPECT_TRUE(records(kStartupFolderRecords).empty());
  expectLogged(2, "_LogItemType4", name);
  EXPECT_TRUE(dialogs.shown.empty()) << narrow(dialogs.shown.empty() ? L"" : dialogs.shown[0].text);
}

TEST_F(EndToEnd, DisableWithADamagedConfigFileSaysSoAndChangesNothing) {
  const std::string damaged = "<config><toolvelmora><disabledregistryitem path=\"x\"";
  writeFile(files.configFile(), damaged);
  const std::wstring name = widen("Velmora e2e " + uniqueSuffix());
  SeededValue seeded(kRunKey, name, textValue(L"C:\\E2E\\stays.exe"));
  const RawValue before = *seeded.now();
  open();

  HWND list = selectNode(kCurrentUserRunNode);
  const int row = rowWhere(list, 0, narrow(name));
  ASSERT_GE(row, 0);
  setBox(list, row, kUnchecked);

  ASSERT_EQ(dialogs.shown.size(), 1u) << "one message box";
  EXPECT_EQ(dialogs.shown[0].text, widen(language.translate("_ConfigUnreadable", Escapes::Convert)));
  EXPECT_EQ(dialogs.shown[0].title, widen(text("_ToolVelmora")));
  EXPECT_EQ(seeded.now(), std::optional<RawValue>(before)) << "the value stays in the key";
  EXPECT_EQ(boxImage(list, row), kChecked) << "the box shows the entry is still live";
  EXPECT_EQ(readFile(files.configFile()), damaged) << "a file we cannot read is never overwritten";
  EXPECT_TRUE(logEntries().empty()) << "nothing happened, so nothing is logged";
}

// All Entries is first and shown at the first start; its rows are every
// kind of place's, and its boxes, Remove and Add act where the row (or the
// place chosen) is, as in the row's own node.
TEST_F(EndToEnd, AllEntriesAtStartActsOnEachKindOfPlaceWhereItsRowIs) {
  const std::string tag = uniqueSuffix();
  const std::wstring runName = widen("Velmora all " + tag);
  SeededValue run(kRunKey, runName, textValue(L"C:\\E2E\\all-run.exe"));
  const RawValue runBefore = *run.now();
  const std::string program = "C:\\E2E\\all-load-" + tag + ".exe";
  SeededValue load(kWindowsKey, L"Load", textValue(widen(program)));
  const std::string folder = userStartupFolder();
  ASSERT_FALSE(folder.empty());
  const std::string linkName = "Velmora all " + tag + ".lnk";
  SeededShortcut shortcut(folder + "\\" + linkName);
  const std::string linkBefore = readFile(shortcut.path());
  const std::string added = "Velmora added " + tag;
  const std::string addedLink = folder + "\\" + added + ".lnk";
  open();

  HWND tree = frame->tree();
  EXPECT_EQ(TreeView_GetRoot(tree), frame->treeItem(kAllEntriesNode));
  EXPECT_EQ(TreeView_GetSelection(tree), frame->treeItem(kAllEntriesNode));
  HWND pane = frame->host().visiblePane();
  ASSERT_EQ(pane, frame->pane(kAllEntriesNode).hwnd()) << "shown at the first start";
  HWND list = GetDlgItem(pane, IDC_ENTRYLIST);
  int row = rowWhere(list, 0, narrow(runName));
  ASSERT_GE(row, 0);
  EXPECT_EQ(cellText(list, row, 3), widen(kRunPath));
  ASSERT_GE(rowWhere(list, 2, program), 0);
  EXPECT_EQ(cellText(list, rowWhere(list, 2, program), 3), widen(kLoadPath));
  ASSERT_GE(rowWhere(list, 0, linkName), 0);
  // Wine's Task Scheduler cannot list: said beside the others' counts.
  // The worker's answer may still be on its way: waited for.
  wchar_t status[512] = {};
  for (int tries = 0; tries < 100; ++tries) {
    pumpMessages();
    SendMessageW(frame->statusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    if (std::wstring(status).find(widen(text("_TasksUnavailable"))) != std::wstring::npos) break;
    Sleep(100);
  }
  EXPECT_NE(std::wstring(status).find(widen(text("_TasksUnavailable"))), std::wstring::npos) << narrow(status);

  // The Run value: its box moves it to config.xml and back, byte for byte.
  setBox(list, row, kUnchecked);
  EXPECT_EQ(run.now(), std::nullopt);
  EXPECT_EQ(records(kRegistryRecords), (std::vector<DisabledItem>{{kRunPath, narrow(runName), "C:\\E2E\\all-run.exe"}}));
  expectLogged(1, "_LogItemType5", narrow(runName));
  setBox(list, row, kChecked);
  EXPECT_EQ(run.now(), std::optional<RawValue>(runBefore));
  EXPECT_TRUE(records(kRegistryRecords).empty());

  // The shortcut: out of the folder into Disabled, and back byte-identical.
  row = rowWhere(list, 0, linkName);
  setBox(list, row, kUnchecked);
  EXPECT_FALSE(exists(shortcut.path()));
  ASSERT_EQ(records(kStartupFolderRecords).size(), 1u);
  setBox(list, row, kChecked);
  EXPECT_EQ(readFile(shortcut.path()), linkBefore);
  EXPECT_TRUE(records(kStartupFolderRecords).empty());
  EXPECT_TRUE(dialogs.shown.empty()) << narrow(dialogs.shown.empty() ? L"" : dialogs.shown[0].text);

  // Remove of the Load program, answered OK: the program list's own Remove.
  row = rowWhere(list, 2, program);
  LVITEMW selected{};
  selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);
  pumpMessages();
  EXPECT_EQ(textOf(load.now()).find(widen(program)), std::wstring::npos) << narrow(textOf(load.now()));
  EXPECT_EQ(rowWhere(list, 2, program), -1);
  ASSERT_EQ(dialogs.shown.size(), 1u) << "the Remove question";
  expectLogged(5, "_LogItemType1", kLoadPath);

  // Add: the drop-down offers the places, each named by what it is, the
  // current user's Run key first chosen; the user's startup folder is
  // chosen instead.
  std::wstring chosenAtFirst;
  bool offered = false;
  dialogs.entryDialog = [&](HWND d) {
    HWND places = GetDlgItem(d, IDC_ENTRY_PLACE);
    offered = places && IsWindowVisible(places) && !IsWindowVisible(GetDlgItem(d, IDC_ENTRY_SECTION));
    chosenAtFirst = win32::windowText(places);
    const LRESULT at = SendMessageW(places, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(widen(text("_PlaceStartupCurrentUser")).c_str()));
    SendMessageW(places, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_PLACE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(places));
    SetDlgItemTextW(d, IDC_ENTRY_NAME, widen(added).c_str());
    SetDlgItemTextW(d, IDC_ENTRY_PATH, L"C:\\windows\\system32\\notepad.exe");
  };
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ADDNEW, BN_CLICKED), 0);
  pumpMessages();
  EXPECT_TRUE(offered);
  EXPECT_EQ(chosenAtFirst, widen(text("_PlaceRunCurrentUser")));
  EXPECT_TRUE(exists(addedLink)) << "a shortcut in the chosen folder";
  EXPECT_GE(rowWhere(list, 0, added + ".lnk"), 0);
  EXPECT_EQ(dialogs.shown.size(), 2u) << "the dialog, and no question: notepad.exe is there";
  expectLogged(6, "_LogItemType2", added);
  DeleteFileW(widen(addedLink).c_str());
}

// --- The built program, in a process of its own -----------------------------



TEST(RealProgram, ShowsASeededRunValueUnderTheCurrentUsersRunNodeAndClosesWithTwo) {
  const SettingsSetAside settings;  // it keeps its node and layout at the close
  TempDir dir;
  const std::string built = directoryPart(win32::programPath());
  for (const char* file : {"velmora.exe", "velmora.language"}) {
    ASSERT_TRUE(CopyFileW(widen(built + "\\" + file).c_str(), widen(dir.file(file)).c_str(), FALSE))
        << file << " must be built beside the tests";
  }
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  language.setFile(dir.file("velmora.language"));
  const std::wstring name = widen("Velmora e2e \xE6\x97\xA5\xE6\x9C\xAC " + uniqueSuffix());
  const std::wstring data = L"\"C:\\Program Files\\E2E\\tray.exe\" /background";
  SeededValue seeded(kRunKey, name, textValue(data));

  StartedProgram program(dir.file("velmora.exe"), "", dir.path());
  ASSERT_TRUE(program.started());
  HWND frame = program.dialog(L"Velmora (V 2.0)");
  ASSERT_NE(frame, nullptr) << "the main window is shown with the product name and version";
  RemoteBuffer mem(program.id());
  ASSERT_TRUE(mem.ok());

  HWND tree = visibleChildWithId(frame, IDC_CATEGORYTREE);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 19);
  // At the first start All Entries stands first and is selected.
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  EXPECT_EQ(remoteTreeItem(mem, tree, item).value, kAllEntriesNode);
  EXPECT_EQ(remoteTreeItem(mem, tree, item).text, widen(language.translate("_TreeAllEntries")));
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)), item);

  // Every node is expanded, so after it the visible order is the node order.
  item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
  for (int i = 0; i < kCurrentUserRunNode && item; ++i) {
    item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
  }
  ASSERT_NE(item, nullptr);
  const RemoteTreeItem runNode = remoteTreeItem(mem, tree, item);
  EXPECT_EQ(runNode.value, kCurrentUserRunNode);
  EXPECT_EQ(runNode.text, widen(language.translate("_Run")));
  HTREEITEM parent = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
  EXPECT_EQ(remoteTreeItem(mem, tree, parent).text, widen(language.translate("_CurrentUser")));

  ASSERT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
  HWND list = visibleChildWithId(frame, IDC_ENTRYLIST);
  ASSERT_NE(list, nullptr) << "one pane's list is shown";
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  int row = -1;
  for (int r = 0; r < count && row < 0; ++r) {
    if (remoteCell(mem, list, r, 0) == name) row = r;
  }
  ASSERT_GE(row, 0) << "the seeded value is listed among " << count << " rows";
  EXPECT_EQ(remoteCell(mem, list, row, 2), data);
  EXPECT_EQ(remoteCell(mem, list, row, 3), widen(kRunPath));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >> 12, kChecked);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
  EXPECT_EQ(seeded.now(), std::optional<RawValue>(textValue(data))) << "looking changes nothing";
}

}  // namespace
}  // namespace velmora::testing
