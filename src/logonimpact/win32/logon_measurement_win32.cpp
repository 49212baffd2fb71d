#include "logonimpact/win32/logon_measurement_win32.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "core/text.h"
#include "core/win32/xml_tree.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {

// The file's bytes; nothing when it cannot be read or is larger than `most`
// (also when it grows past that while read).
std::optional<std::string> boundedBytes(const std::wstring& path, std::size_t most) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > most) {
    return std::nullopt;
  }
  std::string bytes;
  std::vector<char> buffer(65536);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    if (bytes.size() + got > most) return std::nullopt;
    bytes.append(buffer.data(), got);
  }
}

// Windows writes these files in UTF-16 LE with a byte-order mark; UTF-8 is
// read too. Nothing for bytes that are neither.
std::optional<std::wstring> textOf(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (!isValidUtf8(bytes)) return std::nullopt;
  return widen(bytes);
}

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
  const std::optional<std::string> bytes = boundedBytes(path, kLargestStartupMeasurement);
  if (!bytes) {
    if (GetLastError() == ERROR_ACCESS_DENIED) result.status = MeasurementStatus::NeedsAdmin;
    return result;
  }
  const std::optional<std::wstring> text = textOf(*bytes);
  const std::optional<XmlElement> root = text ? readXmlTree(*text) : std::nullopt;
  std::optional<StartupMeasurement> measurement = root ? readStartupMeasurement(*root) : std::nullopt;
  if (!measurement) return result;
  result.measurement = std::move(*measurement);
  result.status = MeasurementStatus::Read;
  return result;
}

}  // namespace velmora::win32
