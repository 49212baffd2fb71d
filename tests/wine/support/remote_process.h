#pragma once
// Reaching into the windows of another process, for the tests that drive the
// real velmora.exe as a user would.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>

#include "wine/support/win_test_support.h"

namespace velmora::testing {

// Memory in another process, for the list and tree messages whose
// structures the control reads and writes in its own address space.
class RemoteBuffer {
 public:
  static constexpr SIZE_T kSize = 16384;
  static constexpr SIZE_T kTextAt = 1024;  // where texts go; structures sit before it

  explicit RemoteBuffer(DWORD pid);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return base_ != nullptr; }
  wchar_t* text() const { return reinterpret_cast<wchar_t*>(base_ + kTextAt); }
  int textCapacity() const { return static_cast<int>((kSize - kTextAt) / sizeof(wchar_t)); }
  LPARAM address() const { return reinterpret_cast<LPARAM>(base_); }

  template <class T>
  void put(const T& value) {
    WriteProcessMemory(process_, base_, &value, sizeof value, nullptr);
  }
  template <class T>
  T get() const {
    T value{};
    ReadProcessMemory(process_, base_, &value, sizeof value, nullptr);
    return value;
  }
  std::wstring readText() const;

 private:
  HANDLE process_;
  BYTE* base_ = nullptr;
};

// The real program (or another), started as a user starts it; ended when
// the test leaves it running.
class StartedProgram {
 public:
  // `folder` is the working folder; empty: the test's own.
  explicit StartedProgram(const std::string& exe, const std::string& arguments = "", const std::string& folder = "");
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool started() const { return started_; }
  DWORD id() const { return pi_.dwProcessId; }
  DWORD thread() const { return pi_.dwThreadId; }
  bool running() const;
  // Ended from outside, as the end of a session ends a program.
  void end();
  // The exit code, or nothing when it has not ended within the time.
  std::optional<DWORD> exitCode(DWORD ms) const;
  // The first shown top-level window of the program whose class and title
  // `matches`, waiting up to `ms`; null when there is none by then or the
  // program ended first.
  HWND window(const std::function<bool(const std::wstring& cls, const std::wstring& title)>& matches,
              DWORD ms = 20000) const;
  // A shown dialog-class (#32770) window titled `title`; any title when empty.
  HWND dialog(const std::wstring& title = {}, DWORD ms = 20000) const;

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// The built velmora.exe and its language file copied to a folder of their
// own, as a portable copy is unpacked: what it writes beside itself goes
// with the folder.
struct ProgramCopy {
  ProgramCopy();
  std::string exe() const { return dir.file("velmora.exe"); }
  TempDir dir;
};

// A REG_SZ value set for as long as it lives, then deleted.
class TestValue {
 public:
  TestValue(HKEY root, const wchar_t* key, std::wstring name, const std::wstring& data);
  ~TestValue();
  TestValue(const TestValue&) = delete;
  TestValue& operator=(const TestValue&) = delete;

 private:
  HKEY key_ = nullptr;
  std::wstring name_;
};

// A cell of another process's list view.
std::wstring remoteCell(RemoteBuffer& mem, HWND list, int row, int column);

// A node of another process's tree view: its text and its item data.
struct RemoteTreeItem {
  std::wstring text;
  LPARAM value = -1;
};
RemoteTreeItem remoteTreeItem(RemoteBuffer& mem, HWND tree, HTREEITEM handle);

// The visible child window (at any depth) with this control id, or null.
HWND visibleChildWithId(HWND parent, int id);

}  // namespace velmora::testing
