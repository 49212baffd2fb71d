// The shipped packages, as a Windows user gets them: the unpacked portable
// zip and the installer, run in a Wine prefix of their own (made and thrown
// away by scripts/test-packages.sh, which names the packages through
// VELMORA_PORTABLE and VELMORA_SETUP). The tests run in order: install,
// disable an entry with the installed program, upgrade, uninstall, install
// again.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <commctrl.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::ComPtr;
using win32::narrow;
using win32::widen;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr wchar_t kTitle[] = L"Velmora (V 2.0)";
constexpr int kCategoryTree = 41931;
constexpr int kEntryList = 1003;
constexpr int kCurrentUserFolderNode = 2;
constexpr int kTreeNodes = 19;
constexpr int kUnchecked = 1;  // state image of a disabled entry
constexpr int kChecked = 2;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
// What the user's Velmora saw when it last closed, kept per user.
std::string seenFile() { return narrow(win32::localAppDataFolder()) + "\\Velmora\\seen.xml"; }

std::string knownFolder(REFKNOWNFOLDERID id) {
  PWSTR p = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &p))) out = narrow(p);
  CoTaskMemFree(p);
  return out;
}

// The names in a folder, "." and ".." left out.
std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(widen(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring n = fd.cFileName;
    if (n != L"." && n != L"..") names.insert(narrow(n));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

std::optional<std::wstring> regText(const wchar_t* key, const wchar_t* name) {
  wchar_t buf[1024];
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buf);
}

std::optional<DWORD> regNumber(const wchar_t* key, const wchar_t* name) {
  DWORD v = 0, size = sizeof v;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return v;
}

bool setRunValue(HKEY root, const std::wstring& name, const std::wstring& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
  const LSTATUS s = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return s == ERROR_SUCCESS;
}

std::optional<std::wstring> runValue(HKEY root, const std::wstring& name) {
  wchar_t data[512] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(root, kRunKey, name.c_str(), RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

bool keyExists(HKEY root, const wchar_t* key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}
bool keyExists(const wchar_t* key) { return keyExists(HKEY_LOCAL_MACHINE, key); }

// Runs a program the way Explorer does (so a manifest asking for
// administrator rights is honoured) and gives its exit code.
std::optional<DWORD> runAndWait(const std::string& exe, const std::string& args, DWORD ms = 120000) {
  const std::wstring file = widen(exe), params = widen(args);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = file.c_str();
  info.lpParameters = params.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || !info.hProcess) return std::nullopt;
  std::optional<DWORD> code;
  if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) {
    DWORD c = 0;
    GetExitCodeProcess(info.hProcess, &c);
    code = c;
  }
  CloseHandle(info.hProcess);
  return code;
}

// --- The program in a process of its own --------------------------------------

// velmora.exe started from its folder as the Start menu starts it; ended at
// the end of the test if it still runs.
class Program : public StartedProgram {
 public:
  explicit Program(const std::string& exe) : StartedProgram(exe, "", exe.substr(0, exe.rfind('\\'))) {}
  // The program's shown main window, once it is there.
  HWND mainWindow(DWORD ms = 30000) const {
    return window([](const std::wstring&, const std::wstring& title) { return title == kTitle; }, ms);
  }
  // Closes the main window as the user does; the program ends with 2.
  void close(HWND frame) {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(15000), std::optional<DWORD>(2));
  }
};

// Selects a node of the category tree and gives the list of the pane shown.
// Every node is expanded, so the visible order is the node order, after All
// Entries (the last node) at the top.
HWND selectNode(HWND frame, int node) {
  HWND tree = visibleChildWithId(frame, kCategoryTree);
  if (!tree) return nullptr;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (int i = 0; i < node + 1 && item; ++i) {
    item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
  }
  if (!item) return nullptr;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  return visibleChildWithId(frame, kEntryList);
}

int rowNamed(RemoteBuffer& mem, HWND list, const std::wstring& name) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    LVITEMW item{};
    item.pszText = mem.text();
    item.cchTextMax = mem.textCapacity();
    mem.put(item);
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), mem.address());
    if (mem.readText() == name) return row;
  }
  return -1;
}

int boxImage(HWND list, int row) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >> 12);
}

// velmorac.exe of a copy lists every place to a file, as a script runs it
// (Wine's scheduler lists no task: it says so and exits with 1).
void expectConsoleLists(const std::string& folder) {
  const TempDir out;
  const std::string listing = out.file("listing.json");
  const std::optional<DWORD> code = runAndWait(folder + "\\velmorac.exe", "list /format json /out \"" + listing + "\"");
  ASSERT_TRUE(code.has_value());
  EXPECT_LE(*code, 1u);
  EXPECT_EQ(readFile(listing).substr(0, 12), "{\"machine\":\"") << folder;
  EXPECT_NE(readFile(listing).find("\"family\":\"registry\""), std::string::npos) << folder;
}

// --- The fixture: paths shared by the steps ----------------------------------

class Packages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  void SetUp() override {
    ASSERT_FALSE(portable.empty()) << "VELMORA_PORTABLE names the unpacked zip";
    ASSERT_FALSE(setup.empty()) << "VELMORA_SETUP names the installer";
    ASSERT_FALSE(programFiles.empty());
  }

  void install() {
    ASSERT_EQ(runAndWait(setup, "/S"), std::optional<DWORD>(0)) << setup << " /S";
    ASSERT_TRUE(exists(installed + "\\velmora.exe"));
  }

  // Runs the uninstall command Apps & Features runs for a quiet uninstall
  // and waits for its copy in the temporary folder to finish.
  void uninstall() {
    const auto quiet = regText(kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quiet.has_value());
    const std::string command = narrow(*quiet);
    const auto closing = command.find('"', 1);
    ASSERT_EQ(command[0], '"');
    ASSERT_NE(closing, std::string::npos);
    ASSERT_TRUE(runAndWait(command.substr(1, closing - 1), command.substr(closing + 1)).has_value());
    for (int i = 0; i < 600 && (keyExists(kUninstallKey) || exists(installed + "\\uninstall.exe")); ++i) Sleep(100);
    ASSERT_FALSE(keyExists(kUninstallKey)) << "the Apps & Features entry is removed";
    Sleep(1000);  // the uninstaller's last step, after the entry went
  }

  const std::string portable = env("VELMORA_PORTABLE");
  const std::string setup = env("VELMORA_SETUP");
  const std::string programFiles = knownFolder(FOLDERID_ProgramFiles);
  const std::string installed = programFiles + "\\Velmora";
  const std::string startMenuLink = knownFolder(FOLDERID_CommonPrograms) + "\\Velmora.lnk";
  static inline const std::wstring kEntry = L"Package Test Tray.lnk";
  static inline const std::wstring kShared = L"Package Test Shared";
  static inline const std::wstring kOld = L"Package Test Old";
  // The installed copy's data folders.
  const std::string userData = narrow(win32::localAppDataFolder()) + "\\Velmora";
  const std::string machineData = narrow(win32::programDataFolder()) + "\\Velmora";
};

TEST_F(Packages, PortableZipHoldsTheShippedFilesAndItsProgramStarts) {
  for (const char* f : {"velmora.exe", "velmorac.exe", "velmora.language", "velmora.smf", "help.htm", "index.htm",
                        "support.htm", "README.txt", "languages\\german.language", "languages\\english.language"}) {
    EXPECT_TRUE(exists(portable + "\\" + f)) << f;
  }
  EXPECT_FALSE(exists(portable + "\\config.xml")) << "the program makes its own";
  expectConsoleLists(portable);

  Program program(portable + "\\velmora.exe");
  ASSERT_TRUE(program.started());
  HWND frame = program.mainWindow();
  ASSERT_NE(frame, nullptr) << "the unpacked program shows its main window";
  HWND tree = visibleChildWithId(frame, kCategoryTree);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), kTreeNodes);
  program.close(frame);
}

TEST_F(Packages, SilentInstallGivesTheProgramItsShortcutAndAnAppsAndFeaturesEntry) {
  // A machine folder someone made before the installer, that everyone may
  // write (under Wine the one right that can be given or taken away).
  CreateDirectoryW(widen(machineData).c_str(), nullptr);
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(widen(machineData).c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr),
            ERROR_SUCCESS);
  LocalFree(sd);
  ASSERT_EQ(win32::folderRights(machineData), RightsVerdict::UsersMayWrite);

  install();
  EXPECT_EQ(win32::folderRights(machineData), RightsVerdict::AdminOnly) << "the installer repaired it";
  for (const char* f : {"velmora.exe", "velmorac.exe", "velmora.language", "velmora.smf", "help.htm", "README.txt",
                        "languages\\german.language", "uninstall.exe"}) {
    EXPECT_TRUE(exists(installed + "\\" + f)) << f;
  }
  expectConsoleLists(installed);
  EXPECT_EQ(readFile(installed + "\\velmora.language"), readFile(portable + "\\velmora.language"))
      << "English unless German was chosen";
  EXPECT_TRUE(exists(startMenuLink));

  EXPECT_EQ(regText(kUninstallKey, L"DisplayName"), std::optional<std::wstring>(L"Velmora"));
  EXPECT_EQ(regText(kUninstallKey, L"DisplayVersion"), std::optional<std::wstring>(L"2.0.0"));
  EXPECT_EQ(regText(kUninstallKey, L"Publisher"), std::optional<std::wstring>(L"Velmora"));
  EXPECT_EQ(regText(kUninstallKey, L"DisplayIcon"), std::optional<std::wstring>(widen(installed + "\\velmora.exe,0")));
  EXPECT_EQ(regText(kUninstallKey, L"InstallLocation"), std::optional<std::wstring>(widen(installed)));
  EXPECT_EQ(regText(kUninstallKey, L"UninstallString"),
            std::optional<std::wstring>(widen("\"" + installed + "\\uninstall.exe\"")));
  EXPECT_EQ(regText(kUninstallKey, L"QuietUninstallString"),
            std::optional<std::wstring>(widen("\"" + installed + "\\uninstall.exe\" /S")));
  const auto size = regNumber(kUninstallKey, L"EstimatedSize");
  ASSERT_TRUE(size.has_value());
  EXPECT_GT(*size, 300u) << "kilobytes";
  EXPECT_LT(*size, 10000u) << "kilobytes";
  EXPECT_EQ(regNumber(kUninstallKey, L"NoModify"), std::optional<DWORD>(1));
  EXPECT_EQ(regNumber(kUninstallKey, L"NoRepair"), std::optional<DWORD>(1));

  Program program(installed + "\\velmora.exe");
  ASSERT_TRUE(program.started());
  HWND frame = program.mainWindow();
  ASSERT_NE(frame, nullptr) << "the installed program shows its main window";
  program.close(frame);
}

// Ticks or clears a row's box as the user does; false when the row is missing.
bool setRowBox(RemoteBuffer& mem, HWND list, const std::wstring& name, int image) {
  const int row = rowNamed(mem, list, name);
  if (row < 0) return false;
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(image));
  mem.put(state);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem.address(), SMTO_NORMAL, 10000,
                             &result) != 0 &&
         boxImage(list, rowNamed(mem, list, name)) == image;
}

// A copy of the program started, with All Entries shown and its list
// reachable from this process; closed as the user closes it.
class AllEntriesWindow {
 public:
  explicit AllEntriesWindow(const std::string& exe)
      : program_(exe), frame_(program_.started() ? program_.mainWindow() : nullptr), mem_(program_.id()),
        list_(frame_ && mem_.ok() ? selectNode(frame_, -1) : nullptr) {}
  bool ready() const { return list_ != nullptr; }
  int row(const std::wstring& name) { return rowNamed(mem_, list_, name); }
  int box(const std::wstring& name) { return boxImage(list_, row(name)); }
  bool setBox(const std::wstring& name, int image) { return setRowBox(mem_, list_, name, image); }
  void close() { program_.close(frame_); }

 private:
  Program program_;
  HWND frame_;
  RemoteBuffer mem_;
  HWND list_;
};

TEST_F(Packages, TheInstalledCopysRecordsLiveWithTheirScopeAndOutliveUpgradeAndUninstall) {
  ASSERT_TRUE(exists(installed + "\\velmora.exe")) << "installed by the test before";
  ASSERT_TRUE(exists(machineData)) << "the installer makes the machine's folder";

  // A shortcut in the user's startup folder, as another program leaves one.
  const std::string startup = knownFolder(FOLDERID_Startup);
  ASSERT_FALSE(startup.empty());
  CreateDirectoryW(widen(startup).c_str(), nullptr);
  const std::string link = startup + "\\" + narrow(kEntry);
  {
    ComPtr<IShellLinkW> shell;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.putVoid())));
    shell->SetPath(L"C:\\windows\\notepad.exe");
    shell->SetArguments(L"/tray");
    ASSERT_TRUE(SUCCEEDED(shell.as<IPersistFile>(IID_IPersistFile)->Save(widen(link).c_str(), TRUE)));
  }
  const std::string linkBytes = readFile(link);
  ASSERT_FALSE(linkBytes.empty());
  // A machine-wide Run value, and an entry an older version disabled and
  // recorded beside the program.
  ASSERT_TRUE(setRunValue(HKEY_LOCAL_MACHINE, kShared, L"C:\\windows\\notepad.exe /shared"));
  writeFile(installed + "\\config.xml",
            "<?xml version=\"1.0\"?>\n<config><toolvelmora><disabledregistryitem "
            "path=\"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\" "
            "valuename=\"Package Test Old\" valuedata=\"C:\\windows\\notepad.exe /old\"/></toolvelmora></config>\n");

  // As the user does it, with the boxes of All Entries in the real window.
  {
    AllEntriesWindow window(installed + "\\velmora.exe");
    ASSERT_TRUE(window.ready());
    ASSERT_GE(window.row(kOld), 0) << "the older version's record is listed";
    EXPECT_EQ(window.box(kOld), kUnchecked);
    EXPECT_TRUE(window.setBox(kEntry, kUnchecked));
    EXPECT_TRUE(window.setBox(kShared, kUnchecked));
    EXPECT_TRUE(window.setBox(kOld, kChecked)) << "and enabled where it is";
    window.close();
  }
  // The user's entry: its record and copy in the user's folder.
  ASSERT_FALSE(exists(link)) << "the shortcut left the startup folder";
  const auto copies = namesIn(userData + "\\Disabled");
  ASSERT_EQ(copies.size(), 1u) << "and a copy of it is kept in the user's Disabled folder";
  const std::string copy = userData + "\\Disabled\\" + *copies.begin();
  EXPECT_EQ(readFile(copy), linkBytes);
  const std::string userRecords = readFile(userData + "\\config.xml");
  EXPECT_NE(userRecords.find(narrow(kEntry)), std::string::npos) << userRecords;
  EXPECT_EQ(userRecords.find(narrow(kShared)), std::string::npos) << userRecords;
  ASSERT_FALSE(namesIn(userData + "\\Log\\Data").empty()) << "the change is logged with the user's records";
  EXPECT_TRUE(exists(userData + "\\history.xml")) << "and the history";
  // The machine-wide one: in the machine's folder.
  EXPECT_FALSE(runValue(HKEY_LOCAL_MACHINE, kShared).has_value());
  const std::string machineRecords = readFile(machineData + "\\config.xml");
  EXPECT_NE(machineRecords.find(narrow(kShared)), std::string::npos) << machineRecords;
  // The older record left the file beside the program, and its entry runs again.
  const std::string legacyRecords = readFile(installed + "\\config.xml");
  EXPECT_EQ(legacyRecords.find(narrow(kOld)), std::string::npos) << legacyRecords;
  EXPECT_EQ(runValue(HKEY_CURRENT_USER, kOld), std::optional<std::wstring>(L"C:\\windows\\notepad.exe /old"));
  EXPECT_FALSE(exists(installed + "\\Disabled")) << "nothing new is kept beside the program";

  // The portable copy, beside the installation, keeps its records beside itself.
  {
    AllEntriesWindow window(portable + "\\velmora.exe");
    ASSERT_TRUE(window.ready());
    EXPECT_LT(window.row(kEntry), 0) << "the installed copy's records are not the portable one's";
    EXPECT_TRUE(window.setBox(kOld, kUnchecked));
    window.close();
  }
  EXPECT_NE(readFile(portable + "\\config.xml").find(narrow(kOld)), std::string::npos);
  EXPECT_EQ(readFile(userData + "\\config.xml"), userRecords);

  // An upgrade over it, with German chosen this time (as the language page
  // remembers it), keeps every file of the user's.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const wchar_t german[] = L"1031";
  RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(german), sizeof german);
  RegCloseKey(key);
  const auto logBefore = namesIn(userData + "\\Log\\Data");
  const auto kept = [&] {
    EXPECT_EQ(readFile(userData + "\\config.xml"), userRecords);
    EXPECT_EQ(readFile(machineData + "\\config.xml"), machineRecords);
    EXPECT_EQ(readFile(installed + "\\config.xml"), legacyRecords);
    EXPECT_EQ(readFile(copy), linkBytes);
    EXPECT_EQ(namesIn(userData + "\\Log\\Data"), logBefore);
  };
  install();
  kept();
  EXPECT_EQ(readFile(installed + "\\velmora.language"), readFile(portable + "\\languages\\german.language"))
      << "the chosen language is installed as velmora.language";

  // The uninstall keeps them too, and removes everything else.
  uninstall();
  kept();
  EXPECT_EQ(namesIn(installed), (std::set<std::string>{"config.xml"}));
  EXPECT_TRUE(exists(seenFile())) << "what the user's Velmora saw is kept per user, and kept too";
  EXPECT_FALSE(exists(startMenuLink));

  // The next installation lists both entries as disabled.
  install();
  AllEntriesWindow window(installed + "\\velmora.exe");
  ASSERT_TRUE(window.ready());
  for (const std::wstring& name : {kEntry, kShared}) {
    ASSERT_GE(window.row(name), 0) << narrow(name) << " is listed again";
    EXPECT_EQ(window.box(name), kUnchecked);
  }
  window.close();
}

TEST_F(Packages, UninstallOfANeverUsedInstallationLeavesNothing) {
  // The installation of the test before, with the user's files removed as
  // the box "Also remove my disabled entries and logs" would.
  ASSERT_TRUE(keyExists(kUninstallKey));
  for (const std::string& folder : {installed, userData, machineData}) {
    DeleteFileW(widen(folder + "\\config.xml").c_str());
    DeleteFileW(widen(folder + "\\history.xml").c_str());
    for (const char* inside : {"\\Disabled", "\\Log", "\\History"}) {
      std::wstring from = widen(folder + inside);
      from.push_back(L'\0');
      SHFILEOPSTRUCTW op{};
      op.wFunc = FO_DELETE;
      op.pFrom = from.c_str();
      op.fFlags = FOF_NO_UI;
      SHFileOperationW(&op);
    }
  }
  uninstall();
  EXPECT_FALSE(exists(installed)) << "the empty program folder goes too";
  EXPECT_FALSE(exists(machineData)) << "and the machine's empty data folder";
  EXPECT_FALSE(exists(startMenuLink));
}

// The uninstaller's own window, shown by its copy in the temporary folder.
HWND uninstallerWindow(DWORD ms = 30000) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          wchar_t cls[16] = {}, text[64] = {};
          GetClassNameW(w, cls, 16);
          GetWindowTextW(w, text, 64);
          if (IsWindowVisible(w) && std::wstring(cls) == L"#32770" && std::wstring(text).starts_with(L"Velmora Uninstall")) {
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(100);
  }
  return nullptr;
}

TEST_F(Packages, UninstallWithTheBoxTickedRemovesTheUsersFilesButNoOtherFile) {
  install();
  // What a user's installation holds after some use, and a file of their own.
  CreateDirectoryW(widen(installed + "\\Disabled").c_str(), nullptr);
  CreateDirectoryW(widen(installed + "\\Log").c_str(), nullptr);
  CreateDirectoryW(widen(installed + "\\Log\\Data").c_str(), nullptr);
  CreateDirectoryW(widen(installed + "\\history").c_str(), nullptr);
  for (const char* f : {"config.xml", "Disabled\\0123456789abcdef.copy", "Log\\Data\\operations.log",
                        "history\\1.xml", "history.xml", "my notes.txt"}) {
    writeFile(installed + "\\" + f, "kept?");
  }
  // The same in the user's and the machine's data folders.
  for (const std::string& folder : {userData, machineData}) {
    for (const char* inside : {"", "\\Disabled", "\\Log", "\\Log\\Data"}) CreateDirectoryW(widen(folder + inside).c_str(), nullptr);
    for (const char* f : {"config.xml", "Disabled\\0123456789abcdef.copy", "Log\\Data\\operations.log", "history.xml"}) {
      writeFile(folder + "\\" + f, "kept?");
    }
  }
  // And the user's seen.xml, with a temporary file a close cut short left.
  const std::string userFolder = directoryPart(seenFile());
  writeFile(seenFile(), "kept?");
  // And what the user's Velmora remembered of its window.
  HKEY settings = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Velmora", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &settings,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(settings);
  writeFile(seenFile() + ".velmora-42.tmp", "kept?");

  // The uninstaller as Apps & Features starts it, not silent.
  const auto command = regText(kUninstallKey, L"UninstallString");
  ASSERT_TRUE(command.has_value());
  const std::string exe = narrow(command->substr(1, command->size() - 2));
  ASSERT_TRUE(runAndWait(exe, "").has_value());
  HWND window = uninstallerWindow();
  if (!window) {
    EnumWindows(
        [](HWND w, LPARAM) -> BOOL {
          wchar_t cls[64] = {}, text[128] = {};
          GetClassNameW(w, cls, 64);
          GetWindowTextW(w, text, 128);
          if (IsWindowVisible(w)) std::printf("window %s \"%s\"\n", narrow(cls).c_str(), narrow(text).c_str());
          return TRUE;
        },
        0);
  }
  ASSERT_NE(window, nullptr) << "the uninstaller shows its window";
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);

  // Its page lists the box, off; ticked as a user ticks it, with the keyboard.
  HWND tree = nullptr;
  for (int i = 0; i < 100 && !tree; ++i, Sleep(100)) tree = FindWindowExW(FindWindowExW(window, nullptr, L"#32770", nullptr), nullptr, L"SysTreeView32", nullptr);
  ASSERT_NE(tree, nullptr) << "the page with the box";
  auto first = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  auto box = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(first)));
  ASSERT_NE(box, nullptr);
  const auto before = SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(box), TVIS_STATEIMAGEMASK);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(box));
  SetForegroundWindow(window);
  SetFocus(tree);
  PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageW(tree, WM_KEYUP, VK_SPACE, 0);
  LRESULT after = before;
  for (int i = 0; i < 50 && after == before; ++i, Sleep(100)) {
    after = SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(box), TVIS_STATEIMAGEMASK);
  }
  ASSERT_NE(after, before) << "the box is ticked";

  PostMessageW(window, WM_COMMAND, IDOK, 0);  // Uninstall
  for (int i = 0; i < 300 && keyExists(kUninstallKey); ++i) Sleep(100);
  EXPECT_FALSE(keyExists(kUninstallKey));
  for (int i = 0; i < 100 && process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++i) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);  // Close, once it is done
    Sleep(200);
  }
  if (process) CloseHandle(process);

  EXPECT_EQ(namesIn(installed), (std::set<std::string>{"my notes.txt"}))
      << "config.xml, Disabled, Log and the history go with the box ticked; a file of the user's stays";
  EXPECT_FALSE(exists(userFolder)) << "the user's records and seen.xml go too, and their folder with them";
  EXPECT_FALSE(exists(machineData)) << "and the machine's records";
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, L"Software\\Velmora")) << "and the user's settings";
  EXPECT_FALSE(exists(startMenuLink));
  DeleteFileW(widen(installed + "\\my notes.txt").c_str());
  RemoveDirectoryW(widen(installed).c_str());
}

}  // namespace
}  // namespace velmora::testing
