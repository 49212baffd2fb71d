// TEMPORARY scaffolding so the program links while the dialog is built.
#include "dialogs/win32/file_information_dialog.h"

namespace velmora::win32 {

void showFileInformation(HWND, const std::string&, const Translator&, const std::string&) {}

}  // namespace velmora::win32
