// The user's logon measurement read from seeded files as Windows writes
// them (UTF-16 with a byte-order mark): the newest of the user's files, and
// a damaged, huge or missing one told apart from a read one.
#include <gtest/gtest.h>

#include "logonimpact/win32/logon_measurement_win32.h"
#include "platform/win32/wide.h"
#include "support/win_test_support.h"

namespace velmora::testing {
namespace {

constexpr const char* kSid = "S-1-5-21-1-2-3-1001";

std::string utf16File(const std::string& text) {
  const std::wstring wide = win32::widen(text);
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string measurementXml(const std::string& program) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<StartupData Version=\"1\">\r\n"
         " <Process Name=\"" + program + "\" PID=\"4242\" StartedInTraceSec=\"12.3\">\r\n"
         "  <StartTime>2026/12/09:07:01:02.1234567</StartTime><CommandLine>\"" + program + "\" /tray</CommandLine>\r\n"
         "  <DiskUsage Units=\"bytes\">409600</DiskUsage><CpuUsage Units=\"us\">150000</CpuUsage>\r\n"
         "  <ParentPID>1000</ParentPID><ParentStartTime>2026/12/09:07:00:58.0</ParentStartTime>"
         "<ParentName>C:\\windows\\explorer.exe</ParentName>\r\n </Process>\r\n</StartupData>\r\n";
}

void seed(const std::string& path, const std::string& bytes, DWORD minutesAgo) {
  writeFile(path, bytes);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(minutesAgo) * 60 * 10000000;
  const FILETIME when{t.LowPart, t.HighPart};
  HANDLE file = CreateFileW(win32::widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFileTime(file, nullptr, nullptr, &when);
  CloseHandle(file);
}

TEST(LogonMeasurement, ReadsTheNewestFileOfTheUserAndTellsWhyNot) {
  struct Case {
    const char* name;
    std::string newest;  // the newest file of the user; empty: none
    MeasurementStatus status;
  };
  const std::string huge = utf16File(measurementXml("C:\\a.exe")) + std::string(kLargestStartupMeasurement, ' ');
  const Case cases[] = {
      {"read", utf16File(measurementXml("C:\\Program Files\\Sync\\sync.exe")), MeasurementStatus::Read},
      {"damaged", utf16File(measurementXml("C:\\a.exe").substr(0, 200)), MeasurementStatus::Unreadable},
      {"a document type", utf16File("<!DOCTYPE StartupData [<!ENTITY e \"x\">]>" + measurementXml("C:\\&e;.exe")),
       MeasurementStatus::Unreadable},
      {"huge", huge, MeasurementStatus::Unreadable},
      {"none", "", MeasurementStatus::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    // Another user's newer file, and an older one of the user's, are not the last logon.
    seed(folder.file("S-1-5-21-9-9-9-1002_StartupInfo1.xml"), utf16File(measurementXml("C:\\other.exe")), 1);
    seed(folder.file(std::string(kSid) + "_StartupInfo3.xml"), utf16File(measurementXml("C:\\old.exe")), 90);
    if (!c.newest.empty()) seed(folder.file(std::string(kSid) + "_StartupInfo4.xml"), c.newest, 5);
    win32::LogonMeasurementWin32 source(folder.path(), kSid);
    const LogonMeasurement read = source.read();
    const MeasurementStatus expected = c.newest.empty() ? MeasurementStatus::Read : c.status;
    EXPECT_EQ(read.status, expected);
    EXPECT_TRUE(read.madeAt);
    if (read.status != MeasurementStatus::Read) continue;
    ASSERT_EQ(read.measurement.processes.size(), 1u);
    const MeasuredProcess& p = read.measurement.processes.front();
    EXPECT_EQ(p.name, c.newest.empty() ? "C:\\old.exe" : "C:\\Program Files\\Sync\\sync.exe");
    EXPECT_EQ(p.cpuMicroseconds, 150000u);
    EXPECT_EQ(p.diskBytes, 409600u);
    EXPECT_EQ(p.parentName, "C:\\windows\\explorer.exe");
  }
  win32::LogonMeasurementWin32 nowhere("C:\\no\\such\\folder", kSid);
  EXPECT_EQ(nowhere.read().status, MeasurementStatus::None);
}

}  // namespace
}  // namespace velmora::testing
