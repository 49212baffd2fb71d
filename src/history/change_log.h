#pragma once
// Builds the operation log's records from the translations and hands them to
// the sink. Families report every change they made through it.
#include <string>
#include <string_view>
#include <vector>

#include "core/operation_log.h"
#include "family/families.h"

namespace velmora {

class Translator;

LogRecord buildLogRecord(const Translator& translator, LogOperation op, LogKeys keys,
                         const std::vector<std::string>& values);

// The process-wide connection. Without a sink nothing is logged and
// everything else works.
class OperationLog {
 public:
  explicit OperationLog(const Translator& translator, LogSink* sink = nullptr)
      : translator_(translator), sink_(sink) {}
  OperationLog(const OperationLog&) = delete;
  OperationLog& operator=(const OperationLog&) = delete;

  void connect(LogSink* sink) { sink_ = sink; }
  bool connected() const { return sink_ != nullptr; }

  // Builds and passes on one record; call it only after the change is made.
  // Whether the record was kept (false without a sink); a sink that fails
  // has reported it, so callers may carry on regardless.
  bool record(LogOperation op, LogKeys keys, const std::vector<std::string>& values);

 private:
  const Translator& translator_;
  LogSink* sink_;
};

}  // namespace velmora
