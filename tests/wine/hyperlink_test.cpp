// The hyperlink control on real static controls and a real dialog manager.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "dialogs/win32/hyperlink.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

// Draws the control into a bitmap of its size, as it paints itself.
class Snapshot {
 public:
  explicit Snapshot(HWND control) {
    RECT r{};
    GetClientRect(control, &r);
    width_ = r.right;
    height_ = r.bottom;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(bits);
    pixels_.assign(px, px + width_ * height_);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  // DIB pixels are 0x00RRGGBB.
  static DWORD of(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
  int count(COLORREF c) const {
    int n = 0;
    for (DWORD p : pixels_) n += p == of(c);
    return n;
  }
  // The longest horizontal run of one colour: an underline is one.
  int longestRun(COLORREF c) const {
    int best = 0;
    for (int y = 0; y < height_; ++y) {
      int run = 0;
      for (int x = 0; x < width_; ++x) {
        run = pixels_[static_cast<std::size_t>(y * width_ + x)] == of(c) ? run + 1 : 0;
        best = std::max(best, run);
      }
    }
    return best;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<DWORD> pixels_;
};

class HyperlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The About dialog's template: a real dialog font and real statics.
    dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, nullptr, 0);
    ASSERT_NE(dlg, nullptr);
    SetWindowPos(dlg, HWND_TOP, 50, 50, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    control = GetDlgItem(dlg, IDC_ABOUT_WEBSITE);
    SetWindowTextW(control, L"Home page");
    pumpMessages();
  }
  void TearDown() override {
    if (dlg) DestroyWindow(dlg);
  }
  win32::ShellOpener recorder(bool succeed) {
    return [this, succeed](HWND, const win32::ShellRequest& r) {
      opened.push_back(r.file);
      return succeed;
    };
  }
  void click(int x, int y, int releaseX, int releaseY) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(releaseX, releaseY));
  }

  HWND dlg = nullptr;
  HWND control = nullptr;
  std::vector<std::string> opened;
  const LinkColours red{Rgb{255, 0, 0}, Rgb{0, 160, 0}};
};

TEST_F(HyperlinkTest, OnlyAStaticCanBeALinkAndItBecomesReachable) {
  win32::Hyperlink link;
  EXPECT_FALSE(link.attach(GetDlgItem(dlg, IDC_ABOUT_THANKSLIST), "x", red)) << "an edit control";
  EXPECT_FALSE(link.attach(nullptr, "x", red));
  ASSERT_TRUE(link.attach(control, "C:\\pages\\index.htm", red, recorder(true)));
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  EXPECT_TRUE(style & SS_NOTIFY) << "without it a static never sees the mouse";
  EXPECT_TRUE(style & WS_TABSTOP);
}

TEST_F(HyperlinkTest, DrawnUnderlinedInTheLinkColourThenTheVisitedColour) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "page", red, recorder(true)));
  Snapshot before(control);
  EXPECT_GT(before.count(RGB(255, 0, 0)), 10);
  EXPECT_GT(before.longestRun(RGB(255, 0, 0)), 30) << "an underline as wide as the words";
  EXPECT_EQ(before.count(RGB(0, 160, 0)), 0);

  click(3, 3, 3, 3);
  EXPECT_TRUE(link.visited());
  Snapshot after(control);
  EXPECT_EQ(after.count(RGB(255, 0, 0)), 0);
  EXPECT_GT(after.count(RGB(0, 160, 0)), 10);
}

TEST_F(HyperlinkTest, ClickOpensOnlyWhenPressedAndReleasedOverTheText) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "C:\\pages\\index.htm", red, recorder(true)));
  RECT client{};
  GetClientRect(control, &client);
  const int beyondText = client.right - 2;  // the static is much wider than "Home page"

  click(3, 3, beyondText, 3);
  EXPECT_TRUE(opened.empty()) << "released away from the text";
  click(beyondText, 3, 3, 3);
  EXPECT_TRUE(opened.empty()) << "pressed away from the text";
  SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(opened.empty()) << "a release without a press";
  click(3, 3, 4, 4);
  EXPECT_EQ(opened, std::vector<std::string>{"C:\\pages\\index.htm"});
}

TEST_F(HyperlinkTest, FailedOpenLeavesTheLinkUnvisited) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "page", red, recorder(false)));
  click(3, 3, 3, 3);
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_FALSE(link.visited());
  EXPECT_EQ(link.textColour(), RGB(255, 0, 0));
}

TEST_F(HyperlinkTest, EnterAndSpaceOpenItThroughTheDialogManager) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "page", red, recorder(true)));
  SetFocus(control);
  ASSERT_EQ(GetFocus(), control);
  for (WPARAM key : {VK_RETURN, VK_SPACE}) {
    MSG msg{control, WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(dlg, &msg));
  }
  EXPECT_EQ(opened.size(), 2u) << "Enter does not go to the default button instead";

  // Tab reaches the link from the control before it.
  SetFocus(GetDlgItem(dlg, IDCANCEL));
  EXPECT_EQ(GetNextDlgTabItem(dlg, GetDlgItem(dlg, IDC_ABOUT_NAME), FALSE), control);
}

TEST_F(HyperlinkTest, HandCursorOverTheTextOnly) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "page", red, recorder(true)));
  const auto cursorAt = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(control, &p);
    SetCursorPos(p.x, p.y);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(cursorAt(3, 3), LoadCursorW(nullptr, IDC_HAND));
  RECT client{};
  GetClientRect(control, &client);
  EXPECT_NE(cursorAt(client.right - 2, 3), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(HyperlinkTest, ControlDestroyedFirstIsLetGoAndTheLinkCanBeReused) {
  win32::Hyperlink link;
  ASSERT_TRUE(link.attach(control, "first", red, recorder(true)));
  DestroyWindow(dlg);
  dlg = nullptr;
  HWND other = CreateWindowExW(0, L"Static", L"Another link", WS_POPUP | WS_VISIBLE | SS_LEFT, 0, 0, 200, 20,
                               nullptr, nullptr, nullptr, nullptr);
  control = other;
  ASSERT_TRUE(link.attach(other, "second", red, recorder(true)));
  click(3, 3, 3, 3);
  EXPECT_EQ(opened, std::vector<std::string>{"second"});
  link.detach();
  click(3, 3, 3, 3);
  EXPECT_EQ(opened.size(), 1u) << "a detached static is a plain static again";
  DestroyWindow(other);
}

}  // namespace
}  // namespace velmora::testing
