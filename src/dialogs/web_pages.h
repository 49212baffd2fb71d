#pragma once
// The help, home and support pages. They ship as HTML files in the program's
// folder, so they open offline and always match the installed version.
#include <string>
#include <string_view>

namespace velmora {

enum class WebPage { Help, Home, Support };

// "help.htm", "index.htm", "support.htm".
const char* webPageFileName(WebPage page);

// The page's address below the folder the pages are served from.
std::string webPageAddress(std::string_view pagesFolder, WebPage page);

}  // namespace velmora
