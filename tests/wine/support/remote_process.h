#pragma once
// Reaching into the windows of another process, for the tests that drive the
// real velmora.exe as a user would.
#include <windows.h>

#include <string>

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

// The visible child window (at any depth) with this control id, or null.
HWND visibleChildWithId(HWND parent, int id);

}  // namespace velmora::testing
