#include "wine/support/remote_process.h"

namespace velmora::testing {

RemoteBuffer::RemoteBuffer(DWORD pid)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
  if (process_) base_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

RemoteBuffer::~RemoteBuffer() {
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

std::wstring RemoteBuffer::readText() const {
  std::wstring s(static_cast<std::size_t>(textCapacity()), L'\0');
  ReadProcessMemory(process_, base_ + kTextAt, s.data(), s.size() * sizeof(wchar_t), nullptr);
  s.resize(wcslen(s.c_str()));
  return s;
}

HWND visibleChildWithId(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } s{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(w) == s->id && IsWindowVisible(w)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace velmora::testing
