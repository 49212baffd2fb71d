#pragma once
// The user's logon measurement as Windows keeps it:
// %WINDIR%\System32\WDI\LogFiles\StartupInfo\<SID>_StartupInfo<N>.xml (up
// to five, UTF-16; the newest by its write time is the last logon), read
// with XmlLite as untrusted input (bounded size, no document type), and
// FwPOSTTime under the Session Manager's Power key.
#include <string>

#include "logonimpact/logon_measurement.h"

namespace velmora::win32 {

class LogonMeasurementWin32 final : public LogonMeasurementSource {
 public:
  // Windows' folder and the account Velmora runs as.
  LogonMeasurementWin32();
  // Another folder and SID (the tests' seeded files).
  LogonMeasurementWin32(std::string folder, std::string sid) : folder_(std::move(folder)), sid_(std::move(sid)) {}

  [[nodiscard]] LogonMeasurement read() override;

 private:
  std::string folder_;
  std::string sid_;
};

// The folder Windows keeps the measurements in.
std::string startupInfoFolder();

}  // namespace velmora::win32
