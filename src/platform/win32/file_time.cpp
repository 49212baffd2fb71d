#include "platform/win32/file_time.h"

#include <cstdio>

namespace velmora::win32 {

std::string utcStampOf(const FILETIME& time) {
  SYSTEMTIME utc{};
  if ((time.dwLowDateTime == 0 && time.dwHighDateTime == 0) || !FileTimeToSystemTime(&time, &utc)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                utc.wMinute, utc.wSecond);
  return text;
}

}  // namespace velmora::win32
