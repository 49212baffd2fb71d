// Runs velmorac.exe (beside this program) over a prefix seeded for one run,
// its standard handles this program's own, so that the caller reads its
// output as it comes: for the read-back test (console_read_back.py), whose
// seeds arrive in hexadecimal so that any text crosses the command line.
//   console_fixture.exe [--run NAMEHEX=DATAHEX]... [--task PATH] -- ARGUMENTS...
// Run values go into the current user's Run key, a task into the Task
// Scheduler double, which serves the scheduler while velmorac runs; all of
// it is taken away again. The exit code is velmorac's (255: none).
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"

using namespace velmora;

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string fromHex(const std::wstring& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(win32::narrow(hex.substr(i, 2)), nullptr, 16));
  return out;
}

std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  return L"\"" + arg + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::TaskDoubleInstalled tasks;
  std::vector<std::wstring> seeded;
  std::wstring command = L"\"" + win32::widen(directoryPart(win32::programPath())) + L"\\velmorac.exe\"";
  int i = 1;
  for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--run" && i + 1 < argc) {
      const std::wstring seed = argv[++i];
      const std::size_t cut = seed.find(L'=');
      const std::wstring name = win32::widen(fromHex(seed.substr(0, cut)));
      const std::wstring data = win32::widen(fromHex(seed.substr(cut + 1)));
      RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), REG_SZ, data.c_str(),
                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
      seeded.push_back(name);
    } else if (arg == L"--task" && i + 1 < argc) {
      tasks.addTask(win32::narrow(argv[++i]), testing::sampleTask("C:\\Program Files\\Vendor\\update.exe"));
    }
  }
  for (++i; i < argc; ++i) command += L" " + quoted(argv[i]);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  DWORD code = 255;
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  for (const std::wstring& name : seeded) RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str());
  return static_cast<int>(code);
}
