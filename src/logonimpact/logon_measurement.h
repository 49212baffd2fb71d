#pragma once
// Where Velmora learns what Windows measured of the user's last logon: the
// newest StartupInfo file of the user, when it was written, and the
// firmware's share of the last start. Reading touches a system folder and
// may parse a file of some size, so the window asks for it on the worker
// that lists the slow places.
#include <cstdint>
#include <optional>
#include <string>

#include "core/log_file.h"
#include "logonimpact/startup_measurement.h"

namespace velmora {

enum class MeasurementStatus {
  Read,        // the newest file read
  None,        // Windows keeps no measurement for the user
  NeedsAdmin,  // the folder may not be read without administrator rights
  Unreadable,  // a file is there but too large, damaged or not XML
};

struct LogonMeasurement {
  MeasurementStatus status = MeasurementStatus::None;
  StartupMeasurement measurement;
  // When the file was written (the end of the measured logon), UTC; none
  // when there is no file.
  std::optional<LocalTime> madeAt;
  // The firmware's time before Windows started, as Windows recorded it.
  std::optional<std::uint32_t> biosMilliseconds;
};

class Translator;
class LocalFormats;

// What the status bar of All Entries says of the measurement: when it was
// made and the last BIOS time ("Last BIOS time: 8.2 s"), or, once, that
// only an administrator may read it; empty when there is nothing to say.
std::string measurementStatus(const LogonMeasurement& logon, const Translator& translator,
                              const LocalFormats& formats);

class LogonMeasurementSource {
 public:
  LogonMeasurementSource() = default;
  LogonMeasurementSource(const LogonMeasurementSource&) = delete;
  LogonMeasurementSource& operator=(const LogonMeasurementSource&) = delete;
  virtual ~LogonMeasurementSource() = default;
  [[nodiscard]] virtual LogonMeasurement read() = 0;
};

}  // namespace velmora
