#pragma once
// Help > About: the program's name and version, the thanks, and links to
// the home and support pages; and the pages themselves, from the menu.
#include <windows.h>

#include <string>

#include "core/registry_port.h"
#include "dialogs/web_pages.h"
#include "dialogs/win32/shell_open.h"
#include "lang/language_table.h"

namespace velmora::win32 {

using velmora::WebPage;

// Opens the page in the user's browser; a failure shows nothing.
void openWebPage(HWND frame, WebPage page);
// Where the pages are served from: the program's own folder.
std::string webPagesFolder();

void showAboutDialog(HWND owner, const Translator& translator);
// The same dialog with the link colours read from `registry` and the links
// opened through `opener`. Returns the dialog's result (2 when closed).
INT_PTR runAboutDialog(HWND owner, const Translator& translator, RegistryPort& registry, const ShellOpener& opener);

// ProductName and ProductVersion of the running program's version resource.
struct ProductInfo {
  std::string name;
  std::string version;
};
ProductInfo productInfo();

}  // namespace velmora::win32
