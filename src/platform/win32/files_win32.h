#pragma once
// File-system helpers at the Win32 edge.
#include <optional>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::win32 {

// The whole content of a file, or nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::string& path);

// Text in the system's legacy ANSI code page, as UTF-8. The program runs
// with UTF-8 as its active code page, so the legacy one is asked of the
// system locale.
std::string decodeLegacy(std::string_view bytes);

// The full path of the running program (GetModuleFileNameW, no length limit).
std::string programPath();
ProgramFiles programFiles();

bool fileExists(const std::string& path);

// Writes a whole file so that it is either the old one or the new one, never
// a part: a temporary file in the same folder, flushed, then moved over the
// old one. False when it could not (the old file, if any, is as it was).
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace velmora::win32
