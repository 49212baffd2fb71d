#pragma once
// A Windows time as the portable code keeps one.
#include <windows.h>

#include <string>

namespace velmora::win32 {

// "YYYY-MM-DDTHH:MM:SSZ" of a UTC FILETIME (as Change::time has it); empty
// for none (zero) or one that does not convert.
std::string utcStampOf(const FILETIME& time);

}  // namespace velmora::win32
