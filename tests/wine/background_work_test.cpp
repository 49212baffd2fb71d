// The built velmora.exe over slow things, as on a real PC: a Task
// Scheduler that takes seconds to list (the double, held slow), a program
// file of a gigabyte whose signature check hashes every byte. The window
// keeps answering, the tasks and the cell come when they are read, F5 and
// the close do not wait for them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>

#include "core/paths.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/running_program.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

const std::string kUpdater = "\\Vendor\\Updater Task";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

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
  RunningProgram s(copy.dir);
  ASSERT_NE(s.frame, nullptr);
  EXPECT_TRUE(s.answersWithin(1000)) << "shown while the scheduler takes 3 s";
  EXPECT_NE(s.status().find(widen(language.translate("_StatusReadingLater"))), std::wstring::npos);
  EXPECT_EQ(s.rowWhere(3, widen(kUpdater)), -1);

  // F5 while the tasks are read: the other places at once, the tasks later.
  PostMessageW(s.frame, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
  EXPECT_TRUE(s.answersWithin(1000));
  ASSERT_TRUE(within(15000, [&] { return s.rowWhere(3, widen(kUpdater)) >= 0; })) << "the tasks come";
  EXPECT_EQ(s.rowWhere(3, widen(kUpdater)), s.rowWhere(0, widen("Updater Task"))) << "listed once";

  // A refresh the user asks for reads them again, and waits for nothing.
  tasks.addTask("\\Later", sampleTask("C:\\later.exe"));
  PostMessageW(s.frame, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
  EXPECT_TRUE(s.answersWithin(1000));
  EXPECT_TRUE(within(15000, [&] { return s.rowWhere(3, widen("\\Later")) >= 0; }));

  EXPECT_TRUE(s.close());
}

TEST_F(SlowPlaces, ClosingWhileTheSchedulerDoesNotAnswerEndsAtOnce) {
  tasks.setNumber("ListDelayMs", 60000);
  RunningProgram s(copy.dir);
  ASSERT_NE(s.frame, nullptr);
  ASSERT_TRUE(within(5000, [&] {
    return s.status().find(widen(language.translate("_StatusReadingLater"))) != std::wstring::npos;
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
  RunningProgram s(copy.dir);
  ASSERT_NE(s.frame, nullptr);
  int row = -1;
  ASSERT_TRUE(within(15000, [&] { return (row = s.rowWhere(3, widen("\\Huge"))) >= 0; }));
  EXPECT_TRUE(s.answersWithin(1000));
  EXPECT_EQ(s.cell(row, 2), L"") << "what it runs was not read";
  EXPECT_NE(s.cell(row, 5).find(widen(language.translate("_TaskDefinitionNotRead"))),
            std::wstring::npos);
  EXPECT_GE(s.rowWhere(3, widen(kUpdater)), 0) << "the others as ever";
  EXPECT_TRUE(s.close());
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
  RunningProgram s(copy.dir);
  ASSERT_NE(s.frame, nullptr);
  int row = -1;
  ASSERT_TRUE(within(10000, [&] { return (row = s.rowOf(name)) >= 0; }));
  // Reading the cell asks for it; the list answers every other cell meanwhile.
  EXPECT_EQ(s.cell(row, 6), L"") << "not known yet";
  EXPECT_TRUE(s.answersWithin(1000));
  EXPECT_EQ(s.cell(row, 2), widen(big));
  EXPECT_TRUE(within(60000, [&] {
    return s.cell(row, 6) == widen(language.translate("_SignatureNone"));
  })) << "and then it fills in";
  EXPECT_TRUE(s.close());
  DeleteFileW(widen(big).c_str());
}

}  // namespace
}  // namespace velmora::testing
