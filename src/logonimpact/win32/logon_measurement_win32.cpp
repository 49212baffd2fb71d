#include "logonimpact/win32/logon_measurement_win32.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "core/text.h"
#include "core/win32/xml_tree.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

std::uint64_t ticksOf(const FILETIME& time) {
  return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::optional<std::uint32_t> biosMilliseconds() {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power", L"FwPOSTTime",
                   RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS ||
      value == 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string startupInfoFolder() {
  std::vector<wchar_t> system(MAX_PATH + 1, L'\0');
  const UINT length = GetSystemDirectoryW(system.data(), static_cast<UINT>(system.size()));
  if (length == 0 || length >= system.size()) return {};
  return narrow(std::wstring(system.data(), length)) + "\\WDI\\LogFiles\\StartupInfo";
}

LogonMeasurementWin32::LogonMeasurementWin32() : folder_(startupInfoFolder()) {
  const std::vector<std::string> names = currentAccountNames();
  if (!names.empty()) sid_ = names.front();
}

LogonMeasurement LogonMeasurementWin32::read() {
  LogonMeasurement result;
  result.biosMilliseconds = biosMilliseconds();
  if (folder_.empty() || sid_.empty()) return result;
  // The newest of the user's files is the last logon.
  const std::wstring folder = widen(folder_) + L"\\";
  WIN32_FIND_DATAW found{};
  const FindHandle find(FindFirstFileW((folder + widen(sid_) + L"_StartupInfo*.xml").c_str(), &found));
  if (!find) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) result.status = MeasurementStatus::NeedsAdmin;
    return result;
  }
  std::wstring newest;
  std::uint64_t newestTime = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (newest.empty() || ticksOf(found.ftLastWriteTime) > newestTime) {
      newest = found.cFileName;
      newestTime = ticksOf(found.ftLastWriteTime);
    }
  } while (FindNextFileW(find.get(), &found));
  if (newest.empty()) return result;

  FILETIME written{static_cast<DWORD>(newestTime), static_cast<DWORD>(newestTime >> 32)};
  SYSTEMTIME utc{};
  if (FileTimeToSystemTime(&written, &utc)) {
    result.madeAt = LocalTime{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond};
  }
  result.status = MeasurementStatus::Unreadable;
  const std::wstring path = folder + newest;
  const std::optional<std::string> bytes = readFileBytesUpTo(path, kLargestStartupMeasurement);
  if (!bytes) {
    if (GetLastError() == ERROR_ACCESS_DENIED) result.status = MeasurementStatus::NeedsAdmin;
    return result;
  }
  const std::optional<std::wstring> text = textOfXmlFile(*bytes);
  const std::optional<XmlElement> root = text ? readXmlTree(*text) : std::nullopt;
  std::optional<StartupMeasurement> measurement = root ? readStartupMeasurement(*root) : std::nullopt;
  if (!measurement) return result;
  result.measurement = std::move(*measurement);
  result.status = MeasurementStatus::Read;
  return result;
}

}  // namespace velmora::win32
