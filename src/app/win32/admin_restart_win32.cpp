#include "app/win32/admin_restart_win32.h"

#include <shellapi.h>

#include "app/single_instance.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

bool hasAdministratorRights() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  const KernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

RestartOutcome startAsAdministrator(HWND owner, const std::wstring& program, const std::wstring& parameters,
                                    HANDLE* process) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // NOASYNC: the call may return before the new process exists otherwise,
  // and this one is about to close.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return GetLastError() == ERROR_CANCELLED ? RestartOutcome::Declined : RestartOutcome::Failed;
  if (process) *process = info.hProcess;
  return RestartOutcome::Started;
}

Win32AdminRestart::Win32AdminRestart()
    : program_(widen(programPath())), parameters_(widen(std::string(kRestartArgument))) {}

RestartOutcome Win32AdminRestart::restart() {
  const RestartOutcome outcome = startAsAdministrator(GetActiveWindow(), program_, parameters_);
  if (outcome == RestartOutcome::Started) PostQuitMessage(0);
  return outcome;
}

}  // namespace velmora::win32
