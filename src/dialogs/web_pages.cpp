#include "dialogs/web_pages.h"

namespace velmora {

const char* webPageFileName(WebPage page) {
  switch (page) {
    case WebPage::Help:
      return "help.htm";
    case WebPage::Home:
      return "index.htm";
    case WebPage::Support:
      return "support.htm";
  }
  return "index.htm";
}

std::string webPageAddress(std::string_view pagesFolder, WebPage page) {
  std::string address(pagesFolder);
  if (!address.empty() && address.back() != '\\' && address.back() != '/') address.push_back('\\');
  return address + webPageFileName(page);
}

}  // namespace velmora
