// The real velmora.exe, started as a user starts it: one instance only,
// files named after the program, and the ways out through the frame.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <vector>

#include "pane/pane_layout.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

using Program = StartedProgram;


// The program, copied under a name of the test's choosing into a folder of its own.
class ProgramTest : public ::testing::Test {
 protected:
  std::string install(const std::string& name) {
    const std::string built = directoryPart(win32::programPath()) + "\\velmora.exe";
    const std::string copy = dir.file(name);
    EXPECT_TRUE(CopyFileW(widen(built).c_str(), widen(copy).c_str(), FALSE))
        << "velmora.exe must be built beside the tests: " << built;
    return copy;
  }
  // Each test starts the program as on the first day, and what it keeps at
  // its close goes with the test.
  SettingsSetAside settings;
  TempDir dir;
};


TEST_F(ProgramTest, ExportFromTheCommandLineWritesEveryEntryWithoutAWindowBesideARunningInstance) {
  const std::string exe = install("velmora.exe");
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring value = L"Export, \"test\" \u0141";
  const std::wstring data = L"C:\\export\\tool.exe /tray";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, run.c_str(), value.c_str(), REG_SZ, data.c_str(),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  Program running(exe);
  ASSERT_NE(running.dialog(), nullptr);

  // It changes nothing, so the instance lock does not stop it.
  const std::string out = dir.file("entries.csv");
  Program exporting(exe, "/export \"" + out + "\"");
  ASSERT_TRUE(exporting.started());
  EXPECT_EQ(exporting.exitCode(30000), std::optional<DWORD>(0));
  const std::string csv = readFile(out);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, run.c_str(), value.c_str());
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with a byte-order mark";
  EXPECT_NE(csv.find("\r\n"), std::string::npos);
  EXPECT_NE(csv.find(",\"Export, \"\"test\"\" \xC5\x81\","), std::string::npos) << csv;
  EXPECT_NE(csv.find(",C:\\export\\tool.exe /tray,"), std::string::npos) << csv;

  Program refused(exe, "-EXPORT \"" + dir.file("no such folder\\entries.csv") + "\"");
  EXPECT_EQ(refused.exitCode(30000), std::optional<DWORD>(1)) << "a file it cannot write";
  EXPECT_FALSE(win32::fileExists(dir.file("no such folder\\entries.csv")));
}

// As the program's own config.xml: a read-only file is refused, though Wine
// running as root would let it be replaced.
TEST_F(ProgramTest, ExportToAReadOnlyFileFailsAndLeavesItAsItWas) {
  const std::string exe = install("velmora.exe");
  const std::string out = dir.file("kept.csv");
  writeFile(out, "older export\r\n");
  ASSERT_TRUE(SetFileAttributesW(widen(out).c_str(), FILE_ATTRIBUTE_READONLY));
  Program exporting(exe, "/export \"" + out + "\"");
  ASSERT_TRUE(exporting.started());
  EXPECT_EQ(exporting.exitCode(30000), std::optional<DWORD>(1));
  SetFileAttributesW(widen(out).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(readFile(out), "older export\r\n");
}

TEST_F(ProgramTest, SecondInstanceEndsAtOnceAndTheFirstRunsOnUntilClosed) {
  const std::string exe = install("velmora.exe");
  Program first(exe);
  ASSERT_TRUE(first.started());
  HWND frame = first.dialog();
  ASSERT_NE(frame, nullptr);

  Program second(exe);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.exitCode(15000), std::optional<DWORD>(0));
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(IsWindow(frame));

  // The close box leaves through the frame like _Exit.
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.exitCode(15000), std::optional<DWORD>(2));
}

// Started again as administrator, the new instance waits for the old one to
// close and then runs in its place.
TEST_F(ProgramTest, ARestartedInstanceWaitsForTheOldOneAndTakesOver) {
  const std::string exe = install("velmora.exe");
  Program first(exe);
  HWND frame = first.dialog();
  ASSERT_NE(frame, nullptr);

  Program restarted(exe, "/restarted");
  ASSERT_TRUE(restarted.started());
  EXPECT_EQ(restarted.exitCode(1500), std::nullopt) << "it waits while the old one runs";

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.exitCode(15000), std::optional<DWORD>(2));
  HWND taken = restarted.dialog();
  ASSERT_NE(taken, nullptr) << "the restarted instance shows its window";
  PostMessageW(taken, WM_CLOSE, 0, 0);
  EXPECT_EQ(restarted.exitCode(15000), std::optional<DWORD>(2));
}

// The main window is a dialog: Escape would be Cancel, which is Exit.
TEST_F(ProgramTest, EscapeInTheMainWindowDoesNotEndTheProgramTheCloseBoxEndsItWithTwo) {
  Program program(install("velmora.exe"));
  HWND frame = program.dialog();
  ASSERT_NE(frame, nullptr);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  HWND focus = GetGUIThreadInfo(program.thread(), &gui) && gui.hwndFocus ? gui.hwndFocus : frame;
  PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  EXPECT_EQ(program.exitCode(1500), std::nullopt) << "one Escape closed Velmora";
  PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
}

TEST_F(ProgramTest, LanguageFileIsNamedAfterTheProgram) {
  const std::string exe = install("my.tool.exe");
  writeFile(dir.file("my.tool.language"), "[String]\r\n_AddNew=Add it\r\n");
  writeFile(dir.file("velmora.language"), "[String]\r\n_AddNew=Wrong file\r\n");
  Program program(exe);
  HWND frame = program.dialog();
  ASSERT_NE(frame, nullptr);
  HWND add = visibleChildWithId(frame, IDC_ADDNEW);
  ASSERT_NE(add, nullptr);
  wchar_t text[64] = {};
  GetWindowTextW(add, text, 64);
  EXPECT_STREQ(text, L"Add it");
  HWND remove = visibleChildWithId(frame, IDC_REMOVE);
  ASSERT_NE(remove, nullptr);
  GetWindowTextW(remove, text, 64);
  EXPECT_STREQ(text, L"_Remove") << "a key the file lacks shows itself";
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT_CMD, 0), 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
}

// What the user sees of the layout of the program's window.
struct Layout {
  int treeWidth = 0;
  int treeItemHeight = 0;
  std::vector<int> columns;
  LRESULT listStyle = 0;
};

Layout layoutAt(const std::string& exe, DWORD dpi) {
  Layout out;
  const ScreenDpi screen(dpi);
  EXPECT_TRUE(screen.set());
  Program program(exe);
  HWND frame = program.dialog();
  EXPECT_NE(frame, nullptr);
  if (!frame) return out;
  HWND tree = visibleChildWithId(frame, IDC_CATEGORYTREE);
  HWND list = visibleChildWithId(frame, IDC_ENTRYLIST);
  EXPECT_NE(tree, nullptr);
  EXPECT_NE(list, nullptr);
  if (!tree || !list) return out;
  RECT r{};
  GetWindowRect(tree, &r);
  out.treeWidth = r.right - r.left;
  out.treeItemHeight = static_cast<int>(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
  for (int c = 0; c < 6; ++c) out.columns.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0)));
  out.listStyle = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT_CMD, 0), 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
  return out;
}

// At 144 and 192 DPI the program opens with every pixel figure scaled from
// its 96-DPI layout: the tree's width and its images (a row is as high as an
// image); the columns, laid out from the list's width, are at least as wide
// as their narrowest readable width scaled; cut cells show their text as tips.
TEST_F(ProgramTest, OpensLaidOutForTheScreensDpi) {
  const std::string exe = install("velmora.exe");
  const Layout at96 = layoutAt(exe, 96);
  ASSERT_EQ(at96.columns.size(), 6u);
  EXPECT_EQ(at96.treeWidth, 250);
  EXPECT_GE(at96.treeItemHeight, 32);
  for (DWORD dpi : {144u, 192u}) {
    SCOPED_TRACE(dpi);
    const Layout scaled = layoutAt(exe, dpi);
    ASSERT_EQ(scaled.columns.size(), 6u);
    EXPECT_EQ(scaled.treeWidth, MulDiv(250, static_cast<int>(dpi), 96));
    EXPECT_GE(scaled.treeItemHeight, MulDiv(32, static_cast<int>(dpi), 96));
    for (int c = 0; c < 6; ++c) {
      EXPECT_GE(scaled.columns[static_cast<std::size_t>(c)], MulDiv(kNarrowestColumn, static_cast<int>(dpi), 96))
          << "column " << c;
    }
    EXPECT_GE(scaled.columns[0], MulDiv(130, static_cast<int>(dpi), 96)) << "Name readable";
    EXPECT_TRUE(scaled.listStyle & LVS_EX_LABELTIP);
  }
  EXPECT_TRUE(at96.listStyle & LVS_EX_LABELTIP);
}

// It is made maximised, as it is shown; restored, it takes its designed size
// in the middle of the work area, laid out again.
TEST_F(ProgramTest, OpensMaximisedAndRestoresToTheMiddleOfTheWorkArea) {
  Program program(install("velmora.exe"));
  HWND frame = program.dialog();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsZoomed(frame));
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  RECT maximised{};
  GetWindowRect(frame, &maximised);
  EXPECT_GE(maximised.right - maximised.left, work.right - work.left);

  SendMessageW(frame, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsZoomed(frame));
  RECT restored{};
  GetWindowRect(frame, &restored);
  EXPECT_LT(restored.right - restored.left, work.right - work.left);
  EXPECT_NEAR(restored.left - work.left, work.right - restored.right, 1);
  EXPECT_NEAR(restored.top - work.top, work.bottom - restored.bottom, 1);
  // The status bar follows the client's new bottom.
  RECT client{}, status{};
  GetClientRect(frame, &client);
  GetWindowRect(GetDlgItem(frame, IDC_STATUSBAR), &status);
  MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&status), 2);
  EXPECT_EQ(status.bottom, client.bottom);

  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT_CMD, 0), 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
}

}  // namespace
}  // namespace velmora::testing
