#pragma once
// The file information dialog: a program file's version texts, times, size.
#include <windows.h>

#include <string>

#include "lang/language_table.h"

namespace velmora::win32 {

// Modal, owned by `owner`. An empty search text searches for the file name.
void showFileInformation(HWND owner, const std::string& path, const Translator& translator,
                         const std::string& searchText = {});

}  // namespace velmora::win32
