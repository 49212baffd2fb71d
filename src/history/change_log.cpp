#include "history/change_log.h"

#include "core/format.h"
#include "lang/language_table.h"

namespace velmora {

LogRecord buildLogRecord(const Translator& translator, LogOperation op, LogKeys keys,
                         const std::vector<std::string>& values) {
  const std::string n = std::to_string(static_cast<int>(op));
  const std::string contentKey = "_LogItemType" + n + "Content" + std::string(keys.contentSuffix);
  LogRecord r;
  r.type = translator.translate("_LogType");
  r.category = translator.translate("_LogCategory");
  r.itemType = translator.translate("_LogItemType" + n);
  r.source = translator.translate("_LogSource");
  r.content = safeFormat(translator.translate(contentKey), values);
  return r;
}

bool OperationLog::record(LogOperation op, LogKeys keys, const std::vector<std::string>& values) {
  if (!sink_) return false;
  return sink_->write(buildLogRecord(translator_, op, keys, values));
}

}  // namespace velmora
