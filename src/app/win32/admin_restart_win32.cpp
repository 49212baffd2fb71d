#include "app/win32/admin_restart_win32.h"

#include <shellapi.h>

#include "app/single_instance.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"

namespace velmora::win32 {

bool hasAdministratorRights() { return runsElevated(); }

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

namespace {

// Whether to go on: asked only when Windows would run Velmora as another
// account, whose Current User entries are not this user's.
bool acceptOtherAccount(HWND owner, const Translator* translator) {
  if (!translator || !elevationRunsAsAnotherAccount()) return true;
  const std::wstring question = widen(translator->translate("_RestartOtherAccount", Escapes::Convert));
  const std::wstring title = widen(translator->translate("_ToolVelmora"));
  return MessageBoxW(owner, question.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK;
}

}  // namespace

RestartOutcome restartAsAdministrator(HWND owner, const Translator* translator) {
  if (!acceptOtherAccount(owner, translator)) return RestartOutcome::Declined;
  return startAsAdministrator(owner, widen(programPath()), widen(std::string(kRestartArgument)));
}

Win32AdminRestart::Win32AdminRestart(const Translator* translator)
    : program_(widen(programPath())), parameters_(widen(std::string(kRestartArgument))), translator_(translator) {}

RestartOutcome Win32AdminRestart::restart() {
  HWND owner = GetActiveWindow();
  if (!acceptOtherAccount(owner, translator_)) return RestartOutcome::Declined;
  const RestartOutcome outcome = startAsAdministrator(owner, program_, parameters_);
  if (outcome == RestartOutcome::Started) PostQuitMessage(0);
  return outcome;
}

}  // namespace velmora::win32
