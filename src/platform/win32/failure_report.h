#pragma once
// The one report path for a failure that has no caller to return to: an
// exception caught at a window or dialog procedure, a window class that
// could not be registered, a log record that could not be kept. Every
// report goes to the debugger output (OutputDebugString); the program adds a
// user-facing report (a message box) at start-up, tests may add their own.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace velmora::win32 {

// Shown to the user, owned by `owner` (may be null). Must not throw.
using FailureSink = std::function<void(HWND owner, const std::string& what)>;

// Replaces the user-facing report; an empty one leaves only the debugger
// output. Returns the previous one.
FailureSink setFailureSink(FailureSink sink);

// `where` names the place ("dialog 203", "log write"), `what` the fault.
void reportFailure(HWND owner, std::string_view where, std::string_view what);

// Only the debugger output: for failures the user cannot act on and that
// must not interrupt him (a log record that was not kept).
void traceFailure(std::string_view where, std::string_view what);

// The text of the exception being handled; call only inside a catch block.
std::string currentExceptionText();

}  // namespace velmora::win32
