#pragma once
// The built-in log's viewer: a modal, resizable dialog that lists the
// records of the log file, newest first.
#include <windows.h>

#include <string>

namespace velmora {
class Translator;
}

namespace velmora::win32 {

// Shows the records of the log file; returns when the user closes it. A
// missing file is an empty log.
void showLogViewer(HWND owner, const std::string& logFile, const Translator& translator);

}  // namespace velmora::win32
