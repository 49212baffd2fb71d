#include "app/win32/frame_commands.h"

#include "app/win32/hyperlink.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/win32/log_component.h"
#include "dialogs/win32/centre_dialog.h"
#include "dialogs/win32/version_resource.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"

namespace velmora::win32 {

std::string webPagesFolder() { return programDirectory(programPath()); }

void openWebPage(HWND frame, WebPage page) {
  (void)shellOpen(frame, ShellRequest{webPageAddress(webPagesFolder(), page), {}});
}

void showLogViewer(HWND frame) { logConnection().openViewer(frame); }

ProductInfo productInfo() {
  const std::string self = programPath();
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

struct AboutDialog {
  const Translator& translator;
  RegistryPort& registry;
  const ShellOpener& opener;
  Hyperlink home;
  Hyperlink support;

  void initialise(HWND dlg) {
    centreDialog(dlg);
    translateDialog(dlg, translator);
    SetDlgItemTextW(dlg, IDC_ABOUT_THANKSLIST, widen(withCrLf(translator.translate("_Thankyoulist", true))).c_str());
    const ProductInfo product = productInfo();
    SetDlgItemTextW(dlg, IDC_ABOUT_NAME, widen(product.name).c_str());
    SetDlgItemTextW(dlg, IDC_ABOUT_VERSION, widen(product.version).c_str());
    const LinkColours colours = readLinkColours(registry);
    const std::string folder = webPagesFolder();
    home.attach(GetDlgItem(dlg, IDC_ABOUT_WEBSITE), webPageAddress(folder, WebPage::Home), colours, opener);
    support.attach(GetDlgItem(dlg, IDC_ABOUT_SUPPORT), webPageAddress(folder, WebPage::Support), colours, opener);
  }
};

INT_PTR CALLBACK aboutProc(HWND dlg, UINT message, WPARAM wp, LPARAM lp) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        reinterpret_cast<AboutDialog*>(lp)->initialise(dlg);
        // Start on the close button, so Enter does not open a page unasked.
        SetFocus(GetDlgItem(dlg, IDCANCEL));
        return FALSE;
      case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        }
        break;
    }
  } catch (...) {
    // No exception may cross into the dialog manager.
  }
  return FALSE;
}

}  // namespace

INT_PTR runAboutDialog(HWND owner, const Translator& translator, RegistryPort& registry, const ShellOpener& opener) {
  AboutDialog dialog{translator, registry, opener, {}, {}};
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, aboutProc,
                         reinterpret_cast<LPARAM>(&dialog));
}

void showAboutDialog(HWND owner, const Translator& translator) {
  Win32Registry registry;
  runAboutDialog(owner, translator, registry, shellOpen);
}

}  // namespace velmora::win32
