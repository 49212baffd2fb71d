// TEMPORARY scaffolding so the program links while the log component is built.
#include "core/win32/log_component.h"

namespace velmora::win32 {

struct LogConnection::Impl {};
LogConnection::LogConnection() : impl_(nullptr) {}
LogConnection::~LogConnection() = default;
bool LogConnection::connect(const std::string&) { return false; }
void LogConnection::disconnect() {}
LogSink* LogConnection::sink() { return nullptr; }
void LogConnection::openViewer(HWND) {}
LogConnection& logConnection() {
  static LogConnection connection;
  return connection;
}

}  // namespace velmora::win32
