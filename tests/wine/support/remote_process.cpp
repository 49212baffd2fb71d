#include "wine/support/remote_process.h"

#include <commctrl.h>

#include "core/paths.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"

namespace velmora::testing {

ProgramCopy::ProgramCopy() {
  const std::string built = directoryPart(win32::programPath());
  for (const char* file : {"velmora.exe", "velmora.language"}) {
    CopyFileW(win32::widen(built + "\\" + file).c_str(), win32::widen(dir.file(file)).c_str(), FALSE);
  }
}

TestValue::TestValue(HKEY root, const wchar_t* key, std::wstring name, const std::wstring& data)
    : name_(std::move(name)) {
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  RegSetValueExW(key_, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

TestValue::~TestValue() {
  if (!key_) return;
  RegDeleteValueW(key_, name_.c_str());
  RegCloseKey(key_);
}

RemoteBuffer::RemoteBuffer(DWORD pid)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
  if (process_) base_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

RemoteBuffer::~RemoteBuffer() {
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

StartedProgram::StartedProgram(const std::string& exe, const std::string& arguments, const std::string& folder) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  const auto wide = [](const std::string& s) {
    std::wstring w(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
    return w;
  };
  std::wstring line = L"\"" + wide(exe) + L"\"" + (arguments.empty() ? L"" : L" " + wide(arguments));
  const std::wstring where = wide(folder);
  started_ = CreateProcessW(wide(exe).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            where.empty() ? nullptr : where.c_str(), &si, &pi_) != 0;
}

StartedProgram::~StartedProgram() {
  if (!started_) return;
  if (running()) TerminateProcess(pi_.hProcess, 99);
  WaitForSingleObject(pi_.hProcess, 5000);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

void StartedProgram::end() {
  if (running()) TerminateProcess(pi_.hProcess, 99);
  if (started_) WaitForSingleObject(pi_.hProcess, 5000);
}

bool StartedProgram::running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> StartedProgram::exitCode(DWORD ms) const {
  if (!started_ || WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

HWND StartedProgram::window(const std::function<bool(const std::wstring&, const std::wstring&)>& matches,
                            DWORD ms) const {
  struct Search {
    DWORD pid;
    const std::function<bool(const std::wstring&, const std::wstring&)>* matches;
    HWND found;
  } s{pi_.dwProcessId, &matches, nullptr};
  for (DWORD waited = 0; started_ && waited < ms; waited += 50) {
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
          wchar_t cls[64] = {}, text[256] = {};
          GetClassNameW(w, cls, 64);
          GetWindowTextW(w, text, 256);
          if (!(*s->matches)(cls, text)) return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found || !running()) break;
    Sleep(50);
  }
  return s.found;
}

HWND StartedProgram::dialog(const std::wstring& title, DWORD ms) const {
  return window([&](const std::wstring& cls, const std::wstring& text) {
    return cls == L"#32770" && (title.empty() || text == title);
  }, ms);
}

std::wstring RemoteBuffer::readText() const {
  std::wstring s(static_cast<std::size_t>(textCapacity()), L'\0');
  ReadProcessMemory(process_, base_ + kTextAt, s.data(), s.size() * sizeof(wchar_t), nullptr);
  s.resize(wcslen(s.c_str()));
  return s;
}

std::wstring remoteCell(RemoteBuffer& mem, HWND list, int row, int column) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = mem.text();
  item.cchTextMax = mem.textCapacity();
  mem.put(item);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), mem.address());
  return mem.readText();
}

RemoteTreeItem remoteTreeItem(RemoteBuffer& mem, HWND tree, HTREEITEM handle) {
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_PARAM;
  item.hItem = handle;
  item.pszText = mem.text();
  item.cchTextMax = mem.textCapacity();
  mem.put(item);
  if (!SendMessageW(tree, TVM_GETITEMW, 0, mem.address())) return {};
  return {mem.readText(), mem.get<TVITEMW>().lParam};
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
