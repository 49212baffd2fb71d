#include <map>
#include "wine/support/win_test_support.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>

#include "platform/win32/wide.h"

namespace velmora::testing {

using win32::narrow;
using win32::widen;

namespace {
std::atomic<int> counter{0};
DialogAnswerer* active = nullptr;

std::string uniqueName() {
  return std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount64()) + "_" +
         std::to_string(counter++);
}
}  // namespace

TestKey::TestKey() : subkey_("Software\\VelmoraTest\\" + uniqueName()) {}

TestKey::~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, widen(subkey_).c_str()); }

namespace {
constexpr wchar_t kSettings[] = L"Software\\Velmora";
}  // namespace

SettingsSetAside::SettingsSetAside() {
  HKEY settings = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &settings) != ERROR_SUCCESS) return;
  HKEY copy = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, widen(saved_.subkey()).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy,
                      nullptr) == ERROR_SUCCESS) {
    had_ = RegCopyTreeW(settings, nullptr, copy) == ERROR_SUCCESS;
    RegCloseKey(copy);
  }
  RegCloseKey(settings);
  if (had_) RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
}

SettingsSetAside::~SettingsSetAside() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettings);
  if (!had_) return;
  HKEY saved = nullptr;
  HKEY settings = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(saved_.subkey()).c_str(), 0, KEY_READ, &saved) == ERROR_SUCCESS &&
      RegCreateKeyExW(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr) ==
          ERROR_SUCCESS) {
    RegCopyTreeW(saved, nullptr, settings);
  }
  if (settings) RegCloseKey(settings);
  if (saved) RegCloseKey(saved);
}

TempDir::TempDir() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  path_ = narrow(tmp) + "velmora-test-" + uniqueName();
  CreateDirectoryW(widen(path_).c_str(), nullptr);
}

TempDir::~TempDir() {
  std::wstring from = widen(path_);
  from.push_back(L'\0');  // the list ends with two zeros
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

void writeFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

std::string readFile(const std::string& path) {
  HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

DialogAnswerer::DialogAnswerer(Answer answer) : answer_(std::move(answer)) {
  active = this;
  hook_ = SetWindowsHookExW(WH_CBT, hook, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (active == this) active = nullptr;
}

LRESULT CALLBACK DialogAnswerer::hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && active) {
    HWND dlg = reinterpret_cast<HWND>(wp);
    wchar_t cls[64] = {};
    GetClassNameW(dlg, cls, 64);
    if (std::wstring(cls) == L"#32770") {
      Seen s;
      wchar_t buf[4096] = {};
      GetWindowTextW(dlg, buf, 4096);
      s.title = buf;
      buf[0] = 0;
      if (HWND text = GetDlgItem(dlg, 0xFFFF)) GetWindowTextW(text, buf, 4096);
      s.text = buf;
      // Windows numbers a message box's icon 0x14, Wine 0x440.
      for (int id : {0x14, 0x440}) {
        if (HWND icon = GetDlgItem(dlg, id)) s.icon = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
        if (s.icon) break;
      }
      active->seen.push_back(s);
      const int id = active->answer_ ? active->answer_(dlg, s) : IDCANCEL;
      if (id != 0) PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

int defaultButton(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return GetDlgCtrlID(child);
  }
  return 0;
}

namespace {
std::map<UINT_PTR, std::pair<int, std::function<void(HWND)>>>& laterAnswers() {
  static std::map<UINT_PTR, std::pair<int, std::function<void(HWND)>>> answers;
  return answers;
}
}  // namespace

void answerFromLoop(HWND dialog, int id, std::function<void(HWND)> look) {
  static UINT_PTR next = 0x5100;
  const UINT_PTR timer = ++next;
  laterAnswers()[timer] = {id, std::move(look)};
  SetTimer(dialog, timer, 10, [](HWND d, UINT, UINT_PTR t, DWORD) {
    // A modal dialog shows itself once its loop first finds nothing to do;
    // on a loaded machine the timer can be due before that. It fires again
    // (up to 2 s) until the dialog is shown.
    static std::map<UINT_PTR, int> waited;
    if (!IsWindowVisible(d) && ++waited[t] < 200) return;
    waited.erase(t);
    KillTimer(d, t);
    auto answer = std::move(laterAnswers()[t]);
    laterAnswers().erase(t);
    if (answer.second) answer.second(d);
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(answer.first, BN_CLICKED), 0);
  });
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring cellText(HWND list, int row, int column) {
  std::wstring text(4096, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int rowWhere(HWND list, int column, const std::string& text) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    if (cellText(list, row, column) == win32::widen(text)) return row;
  }
  return -1;
}

int boxImage(HWND list, int row) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >> 12);
}

// What a click on the box does to the list: the state image changes, and
// the list tells the pane at once.
void setBox(HWND list, int row, int image) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(image);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  pumpMessages();
}

}  // namespace velmora::testing
