#include "dialogs/win32/about_dialog.h"

#include "core/paths.h"
#include "dialogs/web_pages.h"
#include "dialogs/win32/hyperlink.h"
#include "dialogs/win32/version_resource.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/dialog.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/placement.h"
#include "platform/win32/registry_win32.h"
#include "about_res.h"

namespace velmora::win32 {

std::string webPagesFolder() { return programDirectory(programPath()); }

void openWebPage(HWND frame, WebPage page) {
  (void)shellOpen(frame, ShellRequest{webPageAddress(webPagesFolder(), page), {}});
}

ProductInfo productInfo() {
  // From the loaded image: reading the program's own file for it took ~5 ms at start-up under Wine.
  const auto self = VersionResource::ofThisProgram();
  return ProductInfo{firstTranslationText(self, "ProductName"), firstTranslationText(self, "ProductVersion")};
}

namespace {

// A multi-line edit breaks lines only at CR LF; the language file may give a
// bare "\n".
std::string withCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

class AboutDialog final : public Dialog {
 public:
  AboutDialog(const Translator& translator, RegistryPort& registry, const ShellOpener& opener)
      : Dialog(IDD_ABOUT), translator_(translator), registry_(registry), opener_(opener) {}

 private:
  [[nodiscard]] bool onInit() override {
    centreWindow(hwnd());
    translateDialog(hwnd(), translator_);
    setItemText(IDC_ABOUT_THANKSLIST, withCrLf(translator_.translate("_Thankyoulist", Escapes::Convert)));
    const ProductInfo product = productInfo();
    setItemText(IDC_ABOUT_NAME, product.name);
    setItemText(IDC_ABOUT_VERSION, product.version);
    const LinkColours colours = readLinkColours(registry_);
    const std::string folder = webPagesFolder();
    home_.attach(item(IDC_ABOUT_WEBSITE), webPageAddress(folder, WebPage::Home), colours, opener_);
    support_.attach(item(IDC_ABOUT_SUPPORT), webPageAddress(folder, WebPage::Support), colours, opener_);
    // Start on the close button, so Enter does not open a page unasked.
    SetFocus(item(IDCANCEL));
    return false;
  }

  // The dialog has no OK button; Enter on a link opens the link.
  void onOk() override {}

  const Translator& translator_;
  RegistryPort& registry_;
  const ShellOpener& opener_;
  Hyperlink home_;
  Hyperlink support_;
};

}  // namespace

INT_PTR runAboutDialog(HWND owner, const Translator& translator, RegistryPort& registry, const ShellOpener& opener) {
  AboutDialog dialog(translator, registry, opener);
  return dialog.runModal(owner);
}

void showAboutDialog(HWND owner, const Translator& translator) {
  Win32Registry registry;
  runAboutDialog(owner, translator, registry, shellOpen);
}

}  // namespace velmora::win32
