// Another program holds a file or the clipboard for a moment (an antivirus
// scanning a file just written, clipboard history reading what was copied):
// what Velmora does meanwhile waits briefly for it instead of failing at
// once, and still fails, saying so, when the hold lasts.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/win32/clipboard.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "startupfolder/win32/folders_win32.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using namespace std::chrono_literals;

// Holds `path` open as a scanner does (reading, sharing reads and writes
// but not deletion) from another thread, and lets it go after `hold`.
class FileHeld {
 public:
  FileHeld(const std::string& path, std::chrono::milliseconds hold) {
    HANDLE opened = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    held_ = opened != INVALID_HANDLE_VALUE;
    thread_ = std::thread([opened, hold] {
      std::this_thread::sleep_for(hold);
      if (opened != INVALID_HANDLE_VALUE) CloseHandle(opened);
    });
  }
  ~FileHeld() { thread_.join(); }
  bool held() const { return held_; }

 private:
  bool held_ = false;
  std::thread thread_;
};

TEST(TransientHold, TheAtomicReplaceWaitsForAFileHeldForAMoment) {
  TempDir dir;
  const std::string path = dir.file("config.xml");
  writeFile(path, "old");
  {
    FileHeld scanner(path, 300ms);
    ASSERT_TRUE(scanner.held());
    EXPECT_EQ(win32::writeFileAtomically(path, "new"), win32::FileWrite::Written);
  }
  EXPECT_EQ(readFile(path), "new") << "and it read back as written";

  // A hold that outlasts the retries still fails, leaving the file as it was.
  {
    FileHeld scanner(path, 3000ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(win32::writeFileAtomically(path, "newer"), win32::FileWrite::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms) << "given up after a bounded time";
  }
  EXPECT_EQ(readFile(path), "new");
}

TEST(TransientHold, AStartupFileHeldForAMomentIsStillRemovedAndReplaced) {
  TempDir dir;
  win32::Win32Folders folders;
  const std::string file = dir.file("Tool.lnk");
  writeFile(file, "link");
  writeFile(dir.file("new"), "new");
  {
    FileHeld scanner(file, 300ms);
    EXPECT_EQ(folders.moveFile(dir.file("new"), file, IfExists::Replace), FileStatus::Ok);
  }
  EXPECT_EQ(readFile(file), "new");
  {
    FileHeld scanner(file, 300ms);
    EXPECT_EQ(folders.removeFile(file), FileStatus::Ok);
  }
  EXPECT_FALSE(win32::fileExists(file));
}

TEST(TransientHold, CopyingWaitsForAClipboardAnotherWindowHoldsForAMoment) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread history([opened] {
    HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool open = OpenClipboard(other) != FALSE;
    SetEvent(opened);
    std::this_thread::sleep_for(300ms);
    if (open) CloseClipboard();
    DestroyWindow(other);
  });
  WaitForSingleObject(opened, 5000);
  EXPECT_FALSE(OpenClipboard(owner)) << "the other window holds it now";
  EXPECT_TRUE(win32::putClipboardText(owner, L"Name\tType\r\n"));
  history.join();
  CloseHandle(opened);

  ASSERT_TRUE(OpenClipboard(owner));
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  EXPECT_EQ(text ? std::wstring(text) : std::wstring(), L"Name\tType\r\n");
  if (text) GlobalUnlock(data);
  CloseClipboard();
  DestroyWindow(owner);
}

}  // namespace
}  // namespace velmora::testing
