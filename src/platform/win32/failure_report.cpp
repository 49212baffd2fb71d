#include "platform/win32/failure_report.h"

#include <exception>
#include <utility>

#include "platform/win32/wide.h"

namespace velmora::win32 {

namespace {
FailureSink& sink() {
  static FailureSink s;
  return s;
}
}  // namespace

FailureSink setFailureSink(FailureSink next) { return std::exchange(sink(), std::move(next)); }

void traceFailure(std::string_view where, std::string_view what) {
  try {
    OutputDebugStringW(widen("Velmora: " + std::string(where) + ": " + std::string(what) + "\n").c_str());
  } catch (...) {
    OutputDebugStringA("Velmora: a failure could not be described\n");
  }
}

void reportFailure(HWND owner, std::string_view where, std::string_view what) {
  traceFailure(where, what);
  if (!sink()) return;
  try {
    sink()(owner, std::string(what));
  } catch (...) {
    OutputDebugStringA("Velmora: the failure report itself failed\n");
  }
}

std::string currentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace velmora::win32
