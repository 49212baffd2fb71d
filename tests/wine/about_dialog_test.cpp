// The frame's own commands: the program's product texts, the page
// addresses and the About dialog, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/link_colour.h"
#include "dialogs/win32/about_dialog.h"
#include "core/paths.h"
#include "fakes/fake_registry.h"
#include "fakes/fakes.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;

int pixelsOf(HWND control, COLORREF colour) {
  RECT r{};
  GetClientRect(control, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) n += GetPixel(dc, x, y) == colour;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return n;
}

TEST(ProductInfo, ReadFromTheProgramsOwnVersionResource) {
  // Test programs carry the same resources as velmora.exe.
  const win32::ProductInfo info = win32::productInfo();
  EXPECT_EQ(info.name, "Velmora");
  EXPECT_EQ(info.version, "V 2.0");
}

TEST(WebPages, ServedFromTheProgramsFolder) {
  EXPECT_EQ(win32::webPagesFolder(), directoryPart(win32::programPath()));
}

TEST(LinkColours, ReadThroughTheRealRegistry) {
  TestKey key;
  win32::Win32Registry registry;
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Anchor Color", "255,0,0", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(registry.setString(RootKey::CurrentUser, key.subkey(), "Anchor Color Visited", "255", KeyCreation::CreateKey),
            RegStatus::Ok);
  const LinkColours c = readLinkColours(registry, RootKey::CurrentUser, key.subkey());
  EXPECT_EQ(c.link, (Rgb{255, 0, 0}));
  EXPECT_EQ(c.visited, kDefaultVisitedColour);
}

class AboutDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.texts = {{"_AboutDialog", "About Velmora"},
               {"_Websitelink", "Velmora home page"},
               {"_Supportlink", "Velmora support"},
               {"_OK", "OK"},
               {"_Thankyoulist", "Everyone\\r\\nThe Wine project\\nAnd you"}};
    owner = CreateWindowExW(0, L"Static", L"frame", WS_POPUP | WS_VISIBLE, 100, 100, 800, 600, nullptr, nullptr,
                            nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(owner); }

  // Shows the dialog; once it is up and active, `inspect` looks at it and
  // then Escape is pressed where the focus is.
  INT_PTR run(std::function<void(HWND)> inspect) {
    static std::function<void()> pending;
    DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
      if (!pending && !inspected) {
        pending = [&, dlg] {
          inspected = true;
          inspect(dlg);
          PostMessageW(GetFocus() ? GetFocus() : dlg, WM_KEYDOWN, VK_ESCAPE, 0);
        };
        SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
          KillTimer(nullptr, id);
          auto work = std::move(pending);
          pending = nullptr;
          if (work) work();
        });
      }
      return 0;
    });
    return win32::runAboutDialog(owner, t, registry, [this](HWND, const win32::ShellRequest& r) {
      opened.push_back(r.file);
      return true;
    });
  }

  bool inspected = false;
  MapTranslator t;
  FakeRegistry registry;
  HWND owner = nullptr;
  std::vector<std::string> opened;
};

TEST_F(AboutDialogTest, ShowsTheProgramsNameVersionAndTextsAndClosesWithEscape) {
  const win32::ProductInfo product = win32::productInfo();
  const INT_PTR result = run([&](HWND dlg) {
    EXPECT_EQ(win32::windowText(dlg), L"About Velmora");
    EXPECT_EQ(narrow(win32::windowText(GetDlgItem(dlg, IDC_ABOUT_NAME))), product.name);
    EXPECT_EQ(narrow(win32::windowText(GetDlgItem(dlg, IDC_ABOUT_VERSION))), product.version);
    EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDC_ABOUT_WEBSITE)), L"Velmora home page");
    EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDC_ABOUT_THANKSLIST)), L"Everyone\r\nThe Wine project\r\nAnd you");
    EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDCANCEL)), L"OK") << "its one button, which closes it";
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDCANCEL)) << "Enter must not open a page unasked";
    EXPECT_FALSE(IsWindowEnabled(owner)) << "modal to its owner";
    RECT d{}, o{};
    GetWindowRect(dlg, &d);
    GetWindowRect(owner, &o);
    EXPECT_EQ(d.left, (o.left + o.right) / 2 - (d.right - d.left) / 2) << "centred over the owner";
  });
  EXPECT_TRUE(inspected);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(IsWindow(owner));
  EXPECT_TRUE(IsWindowEnabled(owner)) << "the frame goes on working";
}

TEST_F(AboutDialogTest, LinksOpenTheHomeAndSupportPagesInTheUsersColours) {
  registry.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color", "255,0,0");
  const std::string folder = win32::webPagesFolder();
  run([&](HWND dlg) {
    HWND home = GetDlgItem(dlg, IDC_ABOUT_WEBSITE);
    HWND support = GetDlgItem(dlg, IDC_ABOUT_SUPPORT);
    EXPECT_GT(pixelsOf(home, RGB(255, 0, 0)), 10) << "Anchor Color 255,0,0 draws red";
    EXPECT_GT(pixelsOf(support, RGB(255, 0, 0)), 10);
    SendMessageW(home, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(home, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(pixelsOf(home, RGB(255, 0, 0)), 0);
    EXPECT_GT(pixelsOf(home, RGB(128, 0, 128)), 10) << "visited: the default purple";
    SetFocus(support);
    SendMessageW(support, WM_KEYDOWN, VK_SPACE, 0);
    SetFocus(GetDlgItem(dlg, IDCANCEL));
  });
  EXPECT_TRUE(inspected);
  EXPECT_EQ(opened, (std::vector<std::string>{folder + "\\index.htm", folder + "\\support.htm"}));
}

TEST_F(AboutDialogTest, MalformedColourKeepsTheDefaultBlue) {
  registry.put(RootKey::CurrentUser, std::string(kAnchorColourKey), "Anchor Color", "255");
  run([&](HWND dlg) {
    HWND home = GetDlgItem(dlg, IDC_ABOUT_WEBSITE);
    EXPECT_GT(pixelsOf(home, RGB(0, 0, 255)), 10);
    EXPECT_EQ(pixelsOf(home, RGB(255, 0, 0)), 0);
  });
  EXPECT_TRUE(inspected);
}

}  // namespace
}  // namespace velmora::testing
