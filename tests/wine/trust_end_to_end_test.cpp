// The trust rule through the built velmora.exe, installed (the Apps &
// Features entry names its folder), started as a user starts it: what a
// user's program could have written in the user's own folder is listed as
// not trusted and never acted on in a place of all users; a machine folder
// users may write is not used; and at the end of the session Velmora keeps
// what a normal close keeps. Wine runs every process with administrator
// rights, so these are an elevated Velmora's refusals.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>
#include <sddl.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "core/paths.h"
#include "history_dialog_res.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "wine/support/running_program.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

constexpr int kAllUsersRunNode = 5;
constexpr int kChecked = 2;
constexpr int kUnchecked = 1;
constexpr int kStatusColumn = 5;
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
const std::string kMachineRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A folder of the prefix moved aside while the test lives, and put back.
class FolderAside {
 public:
  explicit FolderAside(std::string folder) : folder_(std::move(folder)), aside_(folder_ + ".velmora-test") {
    moved_ = win32::fileExists(folder_) && MoveFileW(widen(folder_).c_str(), widen(aside_).c_str());
  }
  ~FolderAside() {
    SHFILEOPSTRUCTW op{};
    const std::wstring from = widen(folder_) + L'\0';
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    if (moved_) MoveFileW(widen(aside_).c_str(), widen(folder_).c_str());
  }
  const std::string& path() const { return folder_; }

 private:
  std::string folder_, aside_;
  bool moved_ = false;
};

// velmora.exe and its language copied into a folder that the Apps &
// Features entry names, so it is the installed copy: its user's records in
// %LOCALAPPDATA%\Velmora, the machine's in %ProgramData%\Velmora (both set
// aside while the test lives).
class InstalledCopy {
 public:
  InstalledCopy() {
    const std::string built = directoryPart(win32::programPath());
    for (const char* file : {"velmora.exe", "velmora.language"}) {
      CopyFileW(widen(built + "\\" + file).c_str(), widen(dir.file(file)).c_str(), FALSE);
    }
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                    &key, nullptr);
    const std::wstring location = widen(dir.path());
    RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    CreateDirectoryW(widen(user.path()).c_str(), nullptr);
    language.setFile(dir.file("velmora.language"));
  }
  ~InstalledCopy() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), KEY_WOW64_64KEY, 0); }
  std::string text(std::string_view key) const { return language.translate(key, Escapes::Convert); }

  const SettingsSetAside settings;  // it keeps its layout at the close
  TempDir dir;
  FolderAside user{narrow(win32::localAppDataFolder()) + "\\Velmora"};
  FolderAside machine{narrow(win32::programDataFolder()) + "\\Velmora"};
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
};

std::wstring firstLine(const std::string& text) { return widen(text.substr(0, text.find("%s"))); }
std::wstring lastPart(const std::string& text) { return widen(text.substr(text.rfind("%s") + 2)); }

TEST(TrustedDataInTheProgram, ARecordInTheUsersFolderNamingHklmIsListedAsNotTrustedAndNeverEnabled) {
  InstalledCopy copy;
  writeFile(copy.user.path() + "\\config.xml",
            "<config><toolvelmora><disabledregistryitem path=\"" + kMachineRun +
                "\" valuename=\"Planted\" valuedata=\"C:\\evil.exe\"/></toolvelmora></config>");
  RunningProgram running(copy.dir);
  ASSERT_NE(running.frame, nullptr);
  running.selectNode(kAllUsersRunNode);
  const int row = running.rowOf(L"Planted");
  ASSERT_GE(row, 0) << "listed";
  EXPECT_NE(running.cell(row, kStatusColumn).find(widen(copy.text("_StatusNotTrusted"))), std::wstring::npos);

  running.setBox(row, kChecked, /*posted=*/true);
  const auto said = running.message();
  ASSERT_TRUE(said.has_value()) << "the refusal is said";
  EXPECT_EQ(said->rfind(firstLine(copy.text("_RecordNotTrusted")).substr(0, 18), 0), 0u) << *said;
  EXPECT_NE(said->find(L"Planted"), std::wstring::npos);
  wchar_t value[64];
  DWORD size = sizeof value;
  EXPECT_NE(RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey.c_str(), L"Planted", RRF_RT_ANY, nullptr, value, &size),
            ERROR_SUCCESS)
      << "the value was not written";
  EXPECT_NE(readFile(copy.user.path() + "\\config.xml").find("Planted"), std::string::npos) << "the record stays";
}

TEST(TrustedDataInTheProgram, AMachineFolderUsersMayWriteIsNotUsedAndVelmoraSaysSo) {
  InstalledCopy copy;
  // Made by anyone before the installer, with rights that let everyone write.
  CreateDirectoryW(widen(copy.machine.path()).c_str(), nullptr);
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(widen(copy.machine.path()).c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr),
            ERROR_SUCCESS);
  LocalFree(sd);
  const std::wstring name = L"Velmora trust test";
  const std::wstring data = L"C:\\shared.exe";
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRunKey.c_str(), name.c_str(), REG_SZ, data.c_str(),
                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));

  std::optional<std::wstring> said;
  RunningProgram running(copy.dir, [&](StartedProgram& p) { said = nextMessage(p); });
  ASSERT_TRUE(said.has_value()) << "said at start";
  EXPECT_NE(said->find(widen(copy.machine.path())), std::wstring::npos) << *said;
  EXPECT_NE(said->find(widen(copy.dir.path())), std::wstring::npos) << *said;
  ASSERT_NE(running.frame, nullptr);
  running.selectNode(kAllUsersRunNode);
  const int row = running.rowOf(name);
  ASSERT_GE(row, 0);
  running.setBox(row, kUnchecked, /*posted=*/true);
  // Disabled without a word; its record beside the program.
  for (int i = 0; i < 100 && !win32::fileExists(copy.dir.file("config.xml")); ++i) Sleep(100);
  EXPECT_NE(readFile(copy.dir.file("config.xml")).find(narrow(name)), std::string::npos);
  EXPECT_FALSE(win32::fileExists(copy.machine.path() + "\\config.xml"));
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey.c_str(), name.c_str());
}

// A change kept in a history: its record and, for a Remove, the copy.
void plantTaskRemove(const std::string& folder, const std::string& location, const std::string& name,
                     const std::string& copyXml) {
  CreateDirectoryW(widen(folder).c_str(), nullptr);
  CreateDirectoryW(widen(folder + "\\History").c_str(), nullptr);
  const std::wstring wide = widen(copyXml);
  writeFile(folder + "\\History\\1700000000000.copy",
            std::string("\xFF\xFE", 2) + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
  writeFile(folder + "\\history.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<history version=\"1\">\r\n<change id=\"1\" "
            "time=\"2026-01-01T10:00:00Z\" family=\"scheduledtasks\" kind=\"remove\" location=\"" + location +
                "\" beforename=\"" + name + "\" beforedata=\"C:\\other.exe /silent\" beforestate=\"live\" "
                "copy=\"1700000000000.copy\"/>\r\n</history>\r\n");
}

TEST(TrustedDataInTheProgram, AHistoryEntryPointingATasksUndoElsewhereIsRefusedAndNothingIsRegistered) {
  TaskDoubleInstalled tasks;
  InstalledCopy copy;
  // Another task's definition, kept as the copy of a Remove that names a
  // path of Windows' own: in the user's history (any program of his may
  // write it), and in the machine's (as if an administrator's Velmora had
  // mixed them up).
  const std::string other = sampleTask("C:\\other.exe", "/silent", kLogonTrigger, false, "\\Vendor\\Other");
  plantTaskRemove(copy.user.path(), "\\Microsoft\\Windows\\Evil", "Evil", other);
  plantTaskRemove(copy.machine.path(), "\\Microsoft\\Windows\\Mixed", "Mixed", other);
  RunningProgram running(copy.dir);
  ASSERT_NE(running.frame, nullptr);

  PostMessageW(running.frame, WM_COMMAND, MAKEWPARAM(ID_HISTORY, 0), 0);
  HWND dialog = running.program.dialog(widen(copy.text("_HistoryTitle")));
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
  struct Case {
    std::string location;
    std::string refusal;
  };
  for (const Case& c : {Case{"\\Microsoft\\Windows\\Evil", "_UndoNotTrusted"},
                        Case{"\\Microsoft\\Windows\\Mixed", "_TaskCopyElsewhere"}}) {
    // The history lists the name, then the place.
    const int row = running.rowWhere(4, widen(c.location), list);
    ASSERT_GE(row, 0) << c.location << " is listed";
    if (c.refusal == "_UndoNotTrusted") {
      EXPECT_NE(running.cell(row, 2, list).find(lastPart(copy.text("_HistoryNotTrusted"))), std::wstring::npos)
          << "shown as not trusted";
    }
    running.select(row, list);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0);
    const auto said = running.message();
    ASSERT_TRUE(said.has_value()) << c.location;
    EXPECT_EQ(said->rfind(firstLine(copy.text(c.refusal)).substr(0, 20), 0), 0u) << *said;
    EXPECT_FALSE(tasks.taskExists(c.location)) << "nothing registered";
    EXPECT_FALSE(tasks.taskExists("\\Vendor\\Other"));
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

TEST(TrustedDataInTheProgram, AtTheEndOfTheSessionItKeepsWhatANormalCloseKeeps) {
  InstalledCopy copy;
  RunningProgram running(copy.dir);
  HWND frame = running.frame;
  ASSERT_NE(frame, nullptr);
  ASSERT_FALSE(win32::fileExists(copy.user.path() + "\\seen.xml"));
  EXPECT_TRUE(SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)) << "logoff is never held up";
  SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  // The session ends the process; what it kept is there all the same.
  running.program.end();
  EXPECT_TRUE(win32::fileExists(copy.user.path() + "\\seen.xml"));
  wchar_t placement[128];
  DWORD size = sizeof placement;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Velmora", L"WindowPlacement", RRF_RT_REG_SZ, nullptr, placement,
                         &size),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace velmora::testing
