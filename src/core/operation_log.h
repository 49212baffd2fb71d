#pragma once
// The operation log: every change to an entry is reported as a five-text
// record. Where a record goes (a registered log component or our built-in
// one) is the sink's business; the texts are built in history/change_log.h.
#include <string>

namespace velmora {

enum class LogOperation { Remove = 1, Add = 2, Modify = 3, Enable = 4, Disable = 5 };

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

}  // namespace velmora
