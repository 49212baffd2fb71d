#include "platform/win32/file_time.h"

#include "core/log_file.h"

namespace velmora::win32 {

std::string utcStampOf(const FILETIME& time) {
  SYSTEMTIME utc{};
  if ((time.dwLowDateTime == 0 && time.dwHighDateTime == 0) || !FileTimeToSystemTime(&time, &utc)) return {};
  return formatUtcStamp({utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond});
}

}  // namespace velmora::win32
