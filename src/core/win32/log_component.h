#pragma once
// The connection to the operation-log component: a component registered as
// "Tessary.Log" when there is one, otherwise our built-in one behind the
// same interface.
#include <windows.h>

#include <string>

#include "core/operation_log.h"

namespace velmora::win32 {

class LogConnection {
 public:
  LogConnection();
  ~LogConnection();
  LogConnection(const LogConnection&) = delete;
  LogConnection& operator=(const LogConnection&) = delete;

  // Start-up: connects and hands over the data folder. Returns whether a
  // component is connected.
  bool connect(const std::string& dataFolder);
  // Shutdown, before CoUninitialize.
  void disconnect();
  // The sink for OperationLog; null when no component is connected.
  LogSink* sink();
  // The _LogViewer command; does nothing without a component.
  void openViewer(HWND owner);

 private:
  struct Impl;
  Impl* impl_;
};

// The process-wide connection.
LogConnection& logConnection();

}  // namespace velmora::win32
