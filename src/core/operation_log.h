#pragma once
// The operation log: every change to an entry is reported as a five-text
// record. The record is built here from the translations; where it goes (a
// registered log component or our built-in one) is the sink's business.
#include <string>
#include <vector>

namespace velmora {

class Translator;

enum class LogOperation { Remove = 1, Add = 2, Modify = 3, Enable = 4, Disable = 5 };

// Which set of content keys a family uses: the startup-folder family's keys
// end in "Content1".
enum class LogKeys { Entry, StartupFolder };

struct LogRecord {
  std::string type;
  std::string category;
  std::string itemType;
  std::string source;
  std::string content;
  bool operator==(const LogRecord&) const = default;
};

class LogSink {
 public:
  virtual ~LogSink() = default;
  // Returns false when the record could not be kept; the sink reports that
  // itself. The change the record describes stands all the same.
  [[nodiscard]] virtual bool write(const LogRecord& record) = 0;
};

LogRecord buildLogRecord(const Translator& translator, LogOperation op, LogKeys keys,
                         const std::vector<std::string>& values);

// The process-wide connection. Without a sink nothing is logged and
// everything else works.
class OperationLog {
 public:
  explicit OperationLog(const Translator& translator, LogSink* sink = nullptr)
      : translator_(translator), sink_(sink) {}

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
