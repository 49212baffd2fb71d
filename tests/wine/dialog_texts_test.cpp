// Every text of every window fits its control, and every label ends in a
// colon, in each shipped language, at 96 DPI and at 144: the main window and its pane, the entry dialogs, File
// Info, the change history, the operation log and About. Measured in the
// control's own font, as the control draws it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_frame.h"
#include "core/paths.h"
#include "dialogs/win32/log_viewer.h"
#include "entry_pane_res.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/dpi.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

// The value the test writes to the current user's Run key, so the dialogs
// of an entry have one to open.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValue[] = L"Velmora text fit sample";
constexpr int kCurrentUserRunNode = 10;
// Set in the copy of this test started at another DPI.
constexpr wchar_t kChildDpiVariable[] = L"VELMORA_TEXT_FIT_DPI";

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring text(HWND window) {
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(window, t.data(), static_cast<int>(t.size()))));
  return t;
}

// The text's extent in the control's font: one line, or wrapped at `wrapWidth`.
SIZE extent(HWND control, const std::wstring& t, UINT flags, int wrapWidth = 0) {
  const win32::WindowDc dc(control);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  const win32::SelectedObject selected(dc.get(), font ? font : GetStockObject(SYSTEM_FONT));
  RECT r{0, 0, wrapWidth, 0};
  DrawTextW(dc.get(), t.c_str(), -1, &r, flags | DT_CALCRECT);
  return {r.right - r.left, r.bottom - r.top};
}

// "<window>: <control text> needs N, has M" for each visible control of
// `window` whose text is cut; push buttons, check boxes, radio buttons,
// group boxes and static texts are measured.
std::vector<std::string> cutTexts(HWND window, const std::string& where, int dpi) {
  std::vector<std::string> cut;
  struct Walk {
    std::vector<HWND> controls;
  } walk;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM lp) {
        reinterpret_cast<Walk*>(lp)->controls.push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  const auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };
  for (HWND control : walk.controls) {
    // A control hidden on purpose shows nothing to cut.
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!(style & WS_VISIBLE)) continue;
    const std::wstring t = text(control);
    if (t.empty()) continue;
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    int needed = 0;
    int has = width;
    const std::wstring cls = className(control);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      const LONG type = style & BS_TYPEMASK;
      const SIZE one = extent(control, t, DT_SINGLELINE);
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        needed = one.cx + 2 * px(3);  // the edge and the focus rectangle
      } else if (type == BS_GROUPBOX) {
        needed = one.cx + 2 * px(6);
      } else {
        needed = one.cx + px(13) + px(3);  // the box or circle and its gap
      }
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      const LONG type = style & SS_TYPEMASK;
      const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
      if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
        // Wrapped: every line must be there, and no word wider than the control.
        const SIZE wrapped = extent(control, t, DT_WORDBREAK | prefix, width);
        if (wrapped.cy > height) {
          cut.push_back(where + ": \"" + narrow(t) + "\" needs " + std::to_string(wrapped.cy) + " px of height, has " +
                        std::to_string(height));
          continue;
        }
        needed = wrapped.cx;
      } else if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
        needed = extent(control, t, DT_SINGLELINE | prefix).cx;
      } else {
        continue;  // icons, frames, lines
      }
    } else {
      continue;  // edits, lists and trees scroll or show tips
    }
    if (needed > has) {
      cut.push_back(where + ": \"" + narrow(t) + "\" needs " + std::to_string(needed) + " px, has " +
                    std::to_string(has));
    }
  }
  return cut;
}

// "<window>: label <text> does not end with a colon" for each visible
// static text that labels the edit or drop-down after it: every label of
// every window ends as the others do ("Type:", "Filter:").
std::vector<std::string> unendedLabels(HWND window, const std::string& where) {
  std::vector<std::string> out;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    HWND field = GetWindow(c, GW_HWNDNEXT);
    if (!field || !(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) || _wcsicmp(className(c).c_str(), L"Static") != 0) {
      continue;
    }
    const std::wstring next = className(field);
    if (_wcsicmp(next.c_str(), L"Edit") != 0 && _wcsicmp(next.c_str(), L"ComboBox") != 0) continue;
    const std::wstring t = text(c);
    if (!t.empty() && t.back() != L':') out.push_back(where + ": label \"" + narrow(t) + "\" does not end with a colon");
  }
  return out;
}

// The measure itself: a button too narrow for its text is found, one wide
// enough is not, and a wrapped text needs its lines.
TEST(TextMeasure, FindsACutButtonAndAWrappedTextWithoutRoom) {
  HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const auto make = [&](const wchar_t* cls, const wchar_t* t, DWORD style, int w, int h) {
    HWND c = CreateWindowExW(0, cls, t, WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, owner, nullptr, nullptr, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  };
  HWND button = make(L"Button", L"&Durchsuchen...", BS_PUSHBUTTON, 40, 20);
  EXPECT_EQ(cutTexts(owner, "narrow", 96).size(), 1u);
  MoveWindow(button, 0, 0, 200, 20, FALSE);
  EXPECT_TRUE(cutTexts(owner, "wide", 96).empty());
  make(L"Static", L"One line of words that needs three lines at this width", SS_LEFT, 90, 14);
  EXPECT_EQ(cutTexts(owner, "wrapped", 96).size(), 1u);
  DestroyWindow(owner);
}

// The main window over the test prefix, in one shipped language, and what
// each of its windows shows.
class TextsFit : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    const std::wstring command = L"\"" + widen(win32::programPath()) + L"\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue, REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    language.setFile(directoryPart(win32::programPath()) + "\\" + GetParam());
    ASSERT_NE(language.translate("_Remove"), "_Remove") << GetParam() << " must be built beside the tests";
  }
  void TearDown() override {
    frame.reset();
    pumpMessages();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue);
  }

  // Opens the window at this process's DPI and measures it and each dialog.
  std::vector<std::string> measureEverything() {
    std::vector<std::string> cut;
    const auto measure = [&](HWND window, const std::string& where) {
      for (std::string& c : cutTexts(window, where, static_cast<int>(GetDpiForWindow(window)))) {
        cut.push_back(std::move(c));
      }
      for (std::string& c : unendedLabels(window, where)) cut.push_back(std::move(c));
    };
    frame = std::make_unique<win32::MainFrame>(files, language, nullptr);
    HWND hwnd = frame->create(GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return {"the main window did not open"};
    ShowWindow(hwnd, SW_SHOW);
    pumpMessages();
    SendMessageW(frame->tree(), TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(frame->treeItem(kCurrentUserRunNode)));
    pumpMessages();
    measure(hwnd, "main window");

    // Each dialog is measured from its own loop, then closed.
    std::string opened;
    int dialogs = 0;
    DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen& seen) {
      if (dialog == hwnd) return 0;
      ++dialogs;
      answerFromLoop(dialog, IDCANCEL, [&, title = narrow(seen.title)](HWND d) { measure(d, opened + " (" + title + ")"); });
      return 0;
    });
    HWND list = GetDlgItem(frame->pane(kCurrentUserRunNode).hwnd(), IDC_ENTRYLIST);
    const int row = rowWhere(list, 0, narrow(kValue));
    if (row < 0) return {"the sample entry is not listed"};
    LVITEMW selected{};
    selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
    const struct {
      const char* name;
      int command;
    } commands[] = {{"Add", IDC_ADDNEW},          {"Modify", IDC_MODIFY},     {"Properties", IDC_PROPERTY},
                    {"File Info", IDC_ABOUTFILE}, {"Change History", ID_HISTORY}, {"About", ID_APP_ABOUT_CMD}};
    for (const auto& c : commands) {
      opened = c.name;
      const int before = dialogs;
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(c.command, BN_CLICKED), 0);
      pumpMessages();
      if (dialogs == before) cut.push_back(std::string(c.name) + " opened no dialog");
    }
    // The log viewer of a program without its log component, directly.
    opened = "Operation Log";
    const int before = dialogs;
    win32::showLogViewer(hwnd, dir.file("operations.log"), language);
    if (dialogs == before) cut.push_back("Operation Log opened no dialog");
    return cut;
  }

  // The first start's layout, and the user's own afterwards.
  SettingsSetAside settings;
  TempDir dir;
  ProgramFiles files{dir.path(), "velmora"};
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  std::unique_ptr<win32::MainFrame> frame;
};

// This test again, in a process of its own started on a screen of `dpi`;
// its exit code (0: every text fit).
DWORD runAtDpi(DWORD dpi, const std::string& filter) {
  const ScreenDpi screen(dpi);
  SetEnvironmentVariableW(kChildDpiVariable, std::to_wstring(dpi).c_str());
  std::wstring command = L"\"" + widen(win32::programPath()) + L"\" --gtest_filter=" + widen(filter);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(kChildDpiVariable, nullptr);
  if (!started) return ~0u;
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = ~0u;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST_P(TextsFit, InEveryWindowAt96And144Dpi) {
  wchar_t child[16] = {};
  if (GetEnvironmentVariableW(kChildDpiVariable, child, 16) > 0) {
    // The copy started at another DPI measures there.
    ASSERT_EQ(GetDpiForSystem(), static_cast<UINT>(_wtoi(child))) << "the screen's DPI did not reach the process";
    const std::vector<std::string> cut = measureEverything();
    for (const std::string& c : cut) ADD_FAILURE() << c;
    return;
  }
  ASSERT_EQ(GetDpiForSystem(), 96u) << "the test prefix runs at 96 DPI";
  for (const std::string& c : measureEverything()) ADD_FAILURE() << "96 DPI: " << c;
  frame.reset();
  pumpMessages();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string self = std::string(info->test_suite_name()) + "." + info->name();
  EXPECT_EQ(runAtDpi(144, self), 0u) << "144 DPI: the failures are in the output above";
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, TextsFit,
                         ::testing::Values("velmora.language", "languages\\german.language"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "English" : "German");
                         });

}  // namespace
}  // namespace velmora::testing
