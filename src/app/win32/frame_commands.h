#pragma once
// The main window's own commands: the web pages, the log viewer, About.
#include <windows.h>

#include "lang/language_table.h"

namespace velmora::win32 {

enum class WebPage { Help, Home, Support };

void openWebPage(HWND frame, WebPage page);
void showLogViewer(HWND frame);
void showAboutDialog(HWND owner, const Translator& translator);

// ProductName and ProductVersion of the running program's version resource.
struct ProductInfo {
  std::string name;
  std::string version;
};
ProductInfo productInfo();

}  // namespace velmora::win32
