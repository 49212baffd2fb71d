// Why an entry will not start, and the logon measurement, through the built
// velmora.exe on a seeded prefix: a policy that turns the user's Run list
// off, a measurement file of the Wine user where Windows keeps it, and the
// firmware's time. Wine keeps no measurement of its own.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "main_frame_res.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/running_program.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

constexpr int kCurrentUserRunNode = 10;
constexpr int kStatusColumn = 5;
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
        L"<ParentPID>1</ParentPID><ParentName>C:\\windows\\explorer.exe</ParentName></Process></StartupData>";
    writeFile(win32::narrow(path), std::string(reinterpret_cast<const char*>(xml.data()), xml.size() * 2));
  }
  ~SeededMeasurement() { DeleteFileW(path.c_str()); }
};

TEST(RealProgramLogon, ABlockedRunKeySaysSoTheFilterShowsItAndAllEntriesSaysWhatWasMeasured) {
  const SettingsSetAside settings;
  SeededRun run;
  run.add(L"VelmoraBlocked", L"C:\\windows\\system32\\notepad.exe");
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
}

}  // namespace
}  // namespace velmora::testing
