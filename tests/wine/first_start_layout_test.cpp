// The built velmora.exe as a new user meets it: at the first start the
// columns that say the most are in view (at 96 and at 144 DPI), a stored
// layout that would hide the list is checked against the window it lands
// in, the pane's buttons are greyed as the Entry menu is and reached with
// Tab, and F5 keeps the selected entry selected.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "entry_pane_res.h"
#include "main_frame_res.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/running_program.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

constexpr int kCurrentUserRunNode = 10;
constexpr wchar_t kSettings[] = L"Software\\Velmora";

void storeText(const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

DWORD storedNumber(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kSettings, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

// A header item's rectangle in its list's client coordinates.
RECT headerItem(RunningProgram& run, int column) {
  RECT r{};
  run.mem->put(r);
  SendMessageW(run.header(), HDM_GETITEMRECT, static_cast<WPARAM>(column), run.mem->address());
  return run.mem->get<RECT>();
}

// Name, Status, Command and Signed by in view and readable, Status right
// after Name.
void expectWhatSaysTheMostInView(RunningProgram& run, DWORD dpi) {
  RECT list{};
  GetClientRect(run.list(), &list);
  for (const int column : {0, 5, 2, 6}) {
    const RECT item = headerItem(run, column);
    EXPECT_LE(item.right, list.right) << "column " << column << " in view";
    EXPECT_GE(item.right - item.left, MulDiv(100, static_cast<int>(dpi), 96)) << "column " << column << " readable";
  }
  EXPECT_LT(headerItem(run, 5).left, headerItem(run, 2).left) << "Status right after Name";
}

// At the first start, and after View > Reset Columns.
TEST(FirstStart, NameStatusCommandAndSignedByAreInViewOnA1280PixelWindowAt96And144Dpi) {
  for (const DWORD dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    const SettingsSetAside settings;
    const ScreenDpi screen(dpi);
    ASSERT_TRUE(screen.set());
    // A window 1280 pixels wide, as on a screen of that width.
    storeText(L"WindowPlacement", L"0,0,1280,900,0");
    ProgramCopy copy;
    RunningProgram run(copy.dir);
    ASSERT_NE(run.frame, nullptr);
    expectWhatSaysTheMostInView(run, dpi);

    // The user narrows Name and puts Signed by first; Reset Columns undoes both.
    SendMessageW(run.list(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(20, 0));
    run.setColumnOrder({6, 0, 1, 2, 3, 4, 5, 7, 8});
    SendMessageW(run.frame, WM_COMMAND, MAKEWPARAM(ID_RESET_COLUMNS, 0), 0);
    expectWhatSaysTheMostInView(run, dpi);
    EXPECT_EQ(run.displayedAt(0), 0) << "Name first again";
    EXPECT_TRUE(run.close());
  }
}

TEST(FirstStart, AStoredSplitterThatWouldHideTheListLeavesItAUsableWidthAndIsSavedChecked) {
  const SettingsSetAside settings;
  const DWORD wide = 4000;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"Splitter", REG_DWORD, &wide, sizeof wide), ERROR_SUCCESS);
  ProgramCopy copy;
  RunningProgram run(copy.dir);
  ASSERT_NE(run.frame, nullptr);
  RECT host{};  // the splitter's right side, which holds the list's pane
  GetWindowRect(GetParent(GetParent(run.list())), &host);
  EXPECT_GE(host.right - host.left, 240) << "the list keeps its narrowest width";
  const int tree = run.treeWidth();
  EXPECT_TRUE(run.close());
  EXPECT_EQ(storedNumber(L"Splitter"), static_cast<DWORD>(tree)) << "what the window took, not 4000";
}

TEST(FirstStart, ThePanesButtonsAreGreyedAsTheEntryMenuAndF5KeepsTheSelectedEntry) {
  const SettingsSetAside settings;
  const std::wstring name = L"Velmora layout " + std::to_wstring(GetCurrentProcessId());
  SeededRun seeded;
  seeded.add(L"AAA " + name, L"C:\\layout\\a.exe");
  seeded.add(name, L"C:\\layout\\b.exe");
  ProgramCopy copy;
  RunningProgram run(copy.dir);
  ASSERT_NE(run.frame, nullptr);
  run.selectNode(kCurrentUserRunNode);
  HWND pane = GetParent(run.list());
  const auto enabled = [pane](int id) { return IsWindowEnabled(GetDlgItem(pane, id)) != FALSE; };
  for (const int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY,
                       IDC_ABOUTFILE}) {
    EXPECT_NE(GetWindowLongPtrW(GetDlgItem(pane, id), GWL_STYLE) & WS_TABSTOP, 0) << id << " reached with Tab";
  }
  EXPECT_TRUE(enabled(IDC_ADDNEW));
  EXPECT_TRUE(enabled(IDC_REFRESH));
  for (const int id : {IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_PROPERTY, IDC_ABOUTFILE}) {
    EXPECT_FALSE(enabled(id)) << id << " greyed without a selected row";
  }

  const int row = run.rowOf(name);
  ASSERT_GE(row, 0);
  run.select(row);
  EXPECT_TRUE(enabled(IDC_REMOVE));
  EXPECT_TRUE(enabled(IDC_DISABLE));
  EXPECT_FALSE(enabled(IDC_ENABLE)) << "the entry starts already";

  // F5, with a new value above it: the same entry stays selected.
  seeded.add(L"AAA0 " + name, L"C:\\layout\\c.exe");
  SendMessageW(run.frame, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
  const int selected = static_cast<int>(SendMessageW(run.list(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  ASSERT_GE(selected, 0) << "still a selection";
  EXPECT_EQ(remoteCell(*run.mem, run.list(), selected, 0), name);
  EXPECT_TRUE(enabled(IDC_REMOVE));
  EXPECT_TRUE(run.close());
}

// The machine's Shell value is the desktop: its row offers neither Remove
// nor Disable, and the status bar says why once it is selected.
TEST(FirstStart, TheDesktopsShellRowGreysRemoveAndDisableAndSaysWhy) {
  const SettingsSetAside settings;
  const wchar_t kWinlogon[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  const std::wstring explorer = L"explorer.exe";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kWinlogon, L"Shell", REG_SZ, explorer.c_str(),
                            static_cast<DWORD>((explorer.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  ProgramCopy copy;
  RunningProgram run(copy.dir);
  ASSERT_NE(run.frame, nullptr);
  const int row = run.rowOf(L"Shell");
  ASSERT_GE(row, 0);
  run.select(row);
  HWND pane = GetParent(run.list());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane, IDC_REMOVE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane, IDC_DISABLE)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pane, IDC_PROPERTY))) << "what it is can still be seen";
  EXPECT_NE(run.status().find(L"is the desktop"), std::wstring::npos) << run.status();
  EXPECT_TRUE(run.close());
}

}  // namespace
}  // namespace velmora::testing
