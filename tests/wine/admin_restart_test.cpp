// Starting a program again as administrator through the runas verb, and the
// warning question that offers it, under Wine against the real shell and
// message boxes. (Wine gives its processes an elevated token, so the real
// program never offers the restart there; the starting itself is real.)
#include <gtest/gtest.h>

#include <windows.h>

#include "app/win32/admin_restart_win32.h"
#include "fakes/fakes.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

std::wstring systemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

// Takes a WM_QUIT from this thread's queue: what ends the program's loop.
bool quitPosted() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(AdminRestart, StartsTheProgramThroughRunasAndReportsAMissingOne) {
  HANDLE process = nullptr;
  ASSERT_EQ(win32::startAsAdministrator(nullptr, systemProgram(L"cmd.exe"), L"/c exit 7", &process),
            RestartOutcome::Started);
  ASSERT_NE(process, nullptr);
  ASSERT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  EXPECT_EQ(code, 7u) << "the program ran with the parameters given";

  TempDir dir;
  EXPECT_EQ(win32::startAsAdministrator(nullptr, widen(dir.file("missing.exe")), L"", nullptr), RestartOutcome::Failed);
}

TEST(AdminRestart, ARestartThatStartedEndsThisThreadsLoopAndOneThatFailedDoesNot) {
  while (quitPosted()) {
  }
  TempDir dir;
  win32::Win32AdminRestart missing(widen(dir.file("missing.exe")), L"/restarted");
  EXPECT_EQ(missing.restart(), RestartOutcome::Failed);
  EXPECT_FALSE(quitPosted()) << "the user keeps working";

  win32::Win32AdminRestart started(systemProgram(L"cmd.exe"), L"/c exit 0");
  EXPECT_EQ(started.restart(), RestartOutcome::Started);
  EXPECT_TRUE(quitPosted()) << "this instance closes, so the new one can take the lock";
}

// Enter takes the default button: No for the offer.
TEST(AdminRestart, TheOfferIsAWarningThatEnterAnswersWithNo) {
  MapTranslator tr;
  tr.texts["_ToolVelmora"] = "Velmora";
  bool warningIcon = false;
  DialogAnswerer answer([&](HWND dialog, const DialogAnswerer::Seen&) {
    // Wine's message box shows its icon in the static control 0x0440.
    const HWND icon = GetDlgItem(dialog, 0x0440);
    const HICON shown = icon ? reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
    warningIcon = shown != nullptr && shown == LoadIconW(nullptr, IDI_WARNING);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(dialog, WM_KEYUP, VK_RETURN, 0xC01C0001);
    return 0;
  });
  EXPECT_FALSE(win32::askWarning(nullptr, tr, "Start again as administrator?"));
  ASSERT_EQ(answer.seen.size(), 1u);
  EXPECT_EQ(answer.seen[0].title, L"Velmora");
  EXPECT_EQ(answer.seen[0].text, L"Start again as administrator?");
  EXPECT_TRUE(warningIcon);
}

}  // namespace
}  // namespace velmora::testing
