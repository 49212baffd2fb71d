// Why an entry will not start, and the logon measurement, through the built
// velmora.exe on a seeded prefix: a policy that turns the user's Run list
// off, a measurement file of the Wine user where Windows keeps it (dated
// after the seeded entries were written), and the firmware's time; the
// Impact and Last logon cells in the window and in the export. Wine keeps
// no measurement of its own.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>

#include "main_frame_res.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/running_program.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

constexpr int kCurrentUserFolderNode = 2;
constexpr int kCurrentUserRunNode = 10;
constexpr int kStatusColumn = 5;
constexpr int kImpactColumn = 7;
constexpr int kLastLogonColumn = 8;
constexpr wchar_t kPolicies[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr wchar_t kPower[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power";

// A DWORD value set while it lives, then deleted.
struct DwordValue {
  HKEY root;
  const wchar_t* key;
  const wchar_t* name;
  DwordValue(HKEY r, const wchar_t* k, const wchar_t* n, DWORD value) : root(r), key(k), name(n) {
    EXPECT_EQ(RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
  }
  ~DwordValue() { RegDeleteKeyValueW(root, key, name); }
};

// The Wine user's measurement file, where Windows keeps it.
struct SeededMeasurement {
  std::wstring path;
  SeededMeasurement() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring folder = std::wstring(system) + L"\\WDI\\LogFiles\\StartupInfo";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    path = folder + L"\\" + widen(win32::currentAccountNames().front()) + L"_StartupInfo1.xml";
    const std::wstring xml =
        L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><StartupData Version=\"1\">"
        L"<Process Name=\"C:\\windows\\system32\\notepad.exe\" PID=\"77\" StartedInTraceSec=\"12.4\">"
        L"<StartTime>t</StartTime><DiskUsage>0</DiskUsage><CpuUsage>2000000</CpuUsage>"
        L"<ParentPID>1</ParentPID><ParentName>C:\\windows\\explorer.exe</ParentName></Process>"
        L"<Process Name=\"C:\\windows\\system32\\cmd.exe\" PID=\"78\" StartedInTraceSec=\"3.5\">"
        L"<StartTime>u</StartTime><DiskUsage>0</DiskUsage><CpuUsage>400000</CpuUsage>"
        L"<ParentPID>1</ParentPID><ParentName>C:\\windows\\explorer.exe</ParentName></Process></StartupData>";
    writeFile(win32::narrow(path), std::string(reinterpret_cast<const char*>(xml.data()), xml.size() * 2));
    // Made an hour from now: what the test seeds before is older, on
    // before the measured logon.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER later{{now.dwLowDateTime, now.dwHighDateTime}};
    later.QuadPart += 3600ull * 10'000'000ull;
    const FILETIME written{later.LowPart, later.HighPart};
    const win32::FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
  }
  ~SeededMeasurement() { DeleteFileW(path.c_str()); }
};

// A shortcut to cmd.exe in the user's startup folder, while it lives.
struct SeededShortcut {
  std::wstring path;
  SeededShortcut() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder);
    path = std::wstring(folder) + L"\\VelmoraLogon.lnk";
    win32::ComScope com;
    win32::ComPtr<IShellLinkW> link;
    EXPECT_TRUE(SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())));
    if (!link) return;
    link->SetPath(L"C:\\windows\\system32\\cmd.exe");
    EXPECT_TRUE(SUCCEEDED(link.as<IPersistFile>(IID_IPersistFile)->Save(path.c_str(), TRUE)));
  }
  ~SeededShortcut() { DeleteFileW(path.c_str()); }
};

TEST(RealProgramLogon, ABlockedRunKeySaysSoTheFilterShowsItAndAllEntriesSaysWhatWasMeasured) {
  const SettingsSetAside settings;
  SeededRun run;
  run.add(L"VelmoraBlocked", L"C:\\windows\\system32\\notepad.exe");
  // On before the logon and not in its measurement.
  run.add(L"VelmoraIdle", L"C:\\windows\\system32\\xcopy.exe /?");
  const SeededShortcut shortcut;
  const DwordValue policy(HKEY_CURRENT_USER, kPolicies, L"DisableCurrentUserRun", 1);
  const DwordValue bios(HKEY_LOCAL_MACHINE, kPower, L"FwPOSTTime", 8200);
  const SeededMeasurement measurement;
  ProgramCopy copy;
  RunningProgram program(copy.dir);
  ASSERT_NE(program.frame, nullptr);

  // All Entries, shown first: once the slow places came, the status bar says
  // when the logon was measured and the firmware's time.
  EXPECT_TRUE(within(20000, [&] { return program.status().find(L"Last BIOS time: 8.2 s") != std::wstring::npos; }))
      << win32::narrow(program.status());
  EXPECT_NE(program.status().find(L"Last logon measured"), std::wstring::npos) << win32::narrow(program.status());

  program.selectNode(kCurrentUserRunNode);
  int row = -1;
  ASSERT_TRUE(within(10000, [&] { return (row = program.rowOf(L"VelmoraBlocked")) >= 0; }));
  EXPECT_NE(program.column(kStatusColumn)[static_cast<std::size_t>(row)].find(L"DisableCurrentUserRun"),
            std::wstring::npos);
  // What the measurement says of each: 2 s of CPU is High, started 12.4 s
  // into the logon; the other did not start.
  EXPECT_TRUE(within(10000, [&] { return program.cell(row, kImpactColumn) == L"High"; }));
  EXPECT_EQ(program.cell(row, kLastLogonColumn), L"+12 s");
  const int idle = program.rowOf(L"VelmoraIdle");
  ASSERT_GE(idle, 0);
  EXPECT_EQ(program.cell(idle, kImpactColumn), L"Not measured");
  EXPECT_EQ(program.cell(idle, kLastLogonColumn), L"Did not start");

  // The shortcut's target, 400 ms of CPU: Medium, 3.5 s in.
  program.selectNode(kCurrentUserFolderNode);
  int link = -1;
  ASSERT_TRUE(within(10000, [&] { return (link = program.rowOf(L"VelmoraLogon.lnk")) >= 0; }));
  EXPECT_TRUE(within(10000, [&] { return program.cell(link, kImpactColumn) == L"Medium"; }));
  EXPECT_EQ(program.cell(link, kLastLogonColumn), L"+3.5 s");
  program.selectNode(kCurrentUserRunNode);

  // Only the entries that will not start: the blocked one stays.
  SendMessageW(GetDlgItem(program.frame, IDC_NOTSTARTING), BM_CLICK, 0, 0);
  EXPECT_TRUE(within(10000, [&] {
    const auto names = program.column(0);
    return !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::wstring& name) {
      return program.column(kStatusColumn)[static_cast<std::size_t>(program.rowOf(name))].find(
                 L"DisableCurrentUserRun") != std::wstring::npos;
    });
  }));
  EXPECT_GE(program.rowOf(L"VelmoraBlocked"), 0);
  EXPECT_TRUE(program.close());

  // The export says the same under the columns' titles.
  StartedProgram exporting(copy.exe(), "/export \"" + copy.dir.file("entries.csv") + "\"", copy.dir.path());
  ASSERT_TRUE(exporting.started());
  EXPECT_EQ(exporting.exitCode(60000), DWORD{0});
  const std::string csv = readFile(copy.dir.file("entries.csv"));
  EXPECT_NE(csv.find(",Signed by,Impact,Last logon\r\n"), std::string::npos) << csv;
  // A cell that begins with "+" is written as text, never as a formula.
  EXPECT_NE(csv.find(",High,'+12 s\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",Not measured,Did not start\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",Medium,'+3.5 s\r\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace velmora::testing
