#include "logonimpact/logon_measurement.h"

#include "core/format.h"
#include "lang/language_table.h"
#include "lang/local_formats.h"

namespace velmora {

std::string measurementStatus(const LogonMeasurement& logon, const Translator& translator,
                              const LocalFormats& formats) {
  std::string text;
  const auto add = [&text](const std::string& more) {
    if (!text.empty()) text += "; ";
    text += more;
  };
  if (logon.status == MeasurementStatus::NeedsAdmin) add(translator.translate("_ImpactNeedsAdmin"));
  if (logon.status == MeasurementStatus::Read && logon.madeAt) {
    const std::optional<LocalTime> local = formats.toLocal(*logon.madeAt);
    add(safeFormat(translator.translate("_LogonMeasuredAt"),
                   {local ? formats.dateTime(*local) : formatTimeStamp(*logon.madeAt) + " UTC"}));
  }
  if (logon.biosMilliseconds) {
    add(safeFormat(translator.translate("_LastBiosTime"), {printed("%.1f", *logon.biosMilliseconds / 1000.0)}));
  }
  return text;
}

}  // namespace velmora
