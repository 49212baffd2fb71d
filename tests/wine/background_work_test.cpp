// The built velmora.exe over slow things, as on a real PC: a Task
// Scheduler that takes seconds to list (the double, held slow), a program
// file of a gigabyte whose signature check hashes every byte. The window
// keeps answering, the tasks and the cell come when they are read, F5 and
// the close do not wait for them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>

#include "core/paths.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

const std::string kUpdater = "\\Vendor\\Updater Task";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A window answers when a message sent to it comes back: a thread busy
// reading would hold it. Far below the time the slow thing takes, so an
// answer proves it is not read on the window's thread.
bool answersWithin(HWND window, UINT ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, ms, &result) != 0;
}

// Polls `done` for up to `ms`.
bool within(DWORD ms, const std::function<bool()>& done) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

std::wstring statusText(RemoteBuffer& mem, HWND frame) {
  HWND status = FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
  if (!status) return {};
  SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(mem.text()));
  return mem.readText();
}

struct Started {
  explicit Started(const ProgramCopy& copy)
      : program(copy.exe(), "", copy.dir.path()), frame(program.dialog(L"Velmora (V 2.0)")), mem(program.id()) {}
  StartedProgram program;
  HWND frame;
  RemoteBuffer mem;
  HWND list() const { return visibleChildWithId(frame, IDC_ENTRYLIST); }
  int row(int column, const std::string& text) {
    HWND l = list();
    const int count = static_cast<int>(SendMessageW(l, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
      if (remoteCell(mem, l, r, column) == widen(text)) return r;
    }
    return -1;
  }
};

class SlowPlaces : public ::testing::Test {
 protected:
  void SetUp() override {
    language.setFile(copy.dir.file("velmora.language"));
    tasks.addTask(kUpdater, sampleTask("C:\\Program Files\\Vendor\\update.exe"));
  }
  const SettingsSetAside settings;  // All Entries at start, as on the first day
  TaskDoubleInstalled tasks;
  ProgramCopy copy;
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
};

TEST_F(SlowPlaces, TheWindowAnswersWhileTheTasksAreReadAndF5DoesNotWaitForThem) {
  tasks.setNumber("ListDelayMs", 3000);
  Started s(copy);
  ASSERT_NE(s.frame, nullptr);
  EXPECT_TRUE(answersWithin(s.frame, 1000)) << "shown while the scheduler takes 3 s";
  EXPECT_NE(statusText(s.mem, s.frame).find(widen(language.translate("_StatusReadingLater"))), std::wstring::npos);
  EXPECT_EQ(s.row(3, kUpdater), -1);

  // F5 while the tasks are read: the other places at once, the tasks later.
  PostMessageW(s.frame, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
  EXPECT_TRUE(answersWithin(s.frame, 1000));
  ASSERT_TRUE(within(15000, [&] { return s.row(3, kUpdater) >= 0; })) << "the tasks come";
  EXPECT_EQ(s.row(3, kUpdater), s.row(0, "Updater Task")) << "listed once";

  // A refresh the user asks for reads them again, and waits for nothing.
  tasks.addTask("\\Later", sampleTask("C:\\later.exe"));
  PostMessageW(s.frame, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
  EXPECT_TRUE(answersWithin(s.frame, 1000));
  EXPECT_TRUE(within(15000, [&] { return s.row(3, "\\Later") >= 0; }));

  PostMessageW(s.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(s.program.exitCode(15000), std::optional<DWORD>(2));
}

TEST_F(SlowPlaces, ClosingWhileTheSchedulerDoesNotAnswerEndsAtOnce) {
  tasks.setNumber("ListDelayMs", 60000);
  Started s(copy);
  ASSERT_NE(s.frame, nullptr);
  ASSERT_TRUE(within(5000, [&] {
    return statusText(s.mem, s.frame).find(widen(language.translate("_StatusReadingLater"))) != std::wstring::npos;
  }));
  const auto closed = std::chrono::steady_clock::now();
  PostMessageW(s.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(s.program.exitCode(5000), std::optional<DWORD>(2)) << "with its own exit code";
  EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(3)) << "not waiting for the scheduler";
}

TEST_F(SlowPlaces, ADefinitionOfMegabytesIsListedByNameNotRead) {
  // A comment of 8 MB makes the definition too large to read.
  std::string huge = sampleTask("C:\\huge.exe");
  huge.insert(huge.find("<Triggers>"), "<!--" + std::string(8 * 1024 * 1024, 'x') + "-->");
  tasks.addTask("\\Huge", huge);
  Started s(copy);
  ASSERT_NE(s.frame, nullptr);
  int row = -1;
  ASSERT_TRUE(within(15000, [&] { return (row = s.row(3, "\\Huge")) >= 0; }));
  EXPECT_TRUE(answersWithin(s.frame, 1000));
  EXPECT_EQ(remoteCell(s.mem, s.list(), row, 2), L"") << "what it runs was not read";
  EXPECT_NE(remoteCell(s.mem, s.list(), row, 5).find(widen(language.translate("_TaskDefinitionNotRead"))),
            std::wstring::npos);
  EXPECT_GE(s.row(3, kUpdater), 0) << "the others as ever";
  PostMessageW(s.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(s.program.exitCode(15000), std::optional<DWORD>(2));
}

TEST(BigProgramFile, ItsSignatureIsCheckedWhileTheListAnswersAndItsCellFillsIn) {
  const SettingsSetAside settings;
  ProgramCopy copy;
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  language.setFile(copy.dir.file("velmora.language"));
  // A real program made a gigabyte long: the check hashes every byte of it.
  const std::string big = copy.dir.file("big.exe");
  ASSERT_TRUE(CopyFileW(widen(directoryPart(win32::programPath()) + "\\unsigned_sample.exe").c_str(),
                        widen(big).c_str(), FALSE));
  {
    HANDLE file = CreateFileW(widen(big).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 1024LL * 1024 * 1024;
    EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
  }
  const std::wstring name = L"Velmora big " + std::to_wstring(GetCurrentProcessId());
  const TestValue run(HKEY_CURRENT_USER, kRunKey, name, widen(big));
  Started s(copy);
  ASSERT_NE(s.frame, nullptr);
  int row = -1;
  ASSERT_TRUE(within(10000, [&] { return (row = s.row(0, win32::narrow(name))) >= 0; }));
  // Reading the cell asks for it; the list answers every other cell meanwhile.
  EXPECT_EQ(remoteCell(s.mem, s.list(), row, 6), L"") << "not known yet";
  EXPECT_TRUE(answersWithin(s.frame, 1000));
  EXPECT_EQ(remoteCell(s.mem, s.list(), row, 2), widen(big));
  EXPECT_TRUE(within(60000, [&] {
    return remoteCell(s.mem, s.list(), row, 6) == widen(language.translate("_SignatureNone"));
  })) << "and then it fills in";
  PostMessageW(s.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(s.program.exitCode(15000), std::optional<DWORD>(2));
  DeleteFileW(widen(big).c_str());
}

}  // namespace
}  // namespace velmora::testing
