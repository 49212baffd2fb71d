#pragma once
// Handing a file, folder or address to the shell. The dialogs take the
// opener as a parameter so tests can see what would be opened without
// starting a browser or Explorer.
#include <windows.h>

#include <functional>
#include <string>

namespace velmora::win32 {

struct ShellRequest {
  std::string file;        // a program, document or address
  std::string parameters;  // empty for none
  bool operator==(const ShellRequest&) const = default;
};

// True when the shell reports success. Failures are the caller's to ignore.
using ShellOpener = std::function<bool(HWND parent, const ShellRequest& request)>;

// ShellExecuteW with the verb "open", no directory, shown normally.
bool shellOpen(HWND parent, const ShellRequest& request);

}  // namespace velmora::win32
