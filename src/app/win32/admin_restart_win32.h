#pragma once
// Starting Velmora again as administrator: the runas verb on the program's
// own file, with the restart argument, so that the new instance waits for
// this one to close before it takes the one-instance lock (main.cpp).
#include <windows.h>

#include <string>

#include "family/admin_restart.h"
#include "lang/language_table.h"

namespace velmora::win32 {

// True when this process has administrator rights (an elevated token).
bool hasAdministratorRights();

// Starts `program` with `parameters` through the runas verb: Windows asks
// the user for the rights. `process`, when given, receives the new process's
// handle on Started (the caller closes it).
RestartOutcome startAsAdministrator(HWND owner, const std::wstring& program, const std::wstring& parameters,
                                    HANDLE* process = nullptr);

// Starts this program again as administrator, told that it was restarted.
// When Windows would run it as another account (this one is no
// administrator, so Windows asks for an administrator's name and password),
// the user is told first that its Current User entries are then that
// account's, and may say no (Declined). `translator` gives the question;
// none asks nothing.
RestartOutcome restartAsAdministrator(HWND owner, const Translator* translator);

class Win32AdminRestart final : public AdminRestart {
 public:
  // This program, told that it was restarted; `translator` for the question
  // of restartAsAdministrator.
  explicit Win32AdminRestart(const Translator* translator = nullptr);
  // Another program, for the tests.
  Win32AdminRestart(std::wstring program, std::wstring parameters)
      : program_(std::move(program)), parameters_(std::move(parameters)) {}

  [[nodiscard]] bool available() const override { return !hasAdministratorRights(); }
  // On Started, ends this thread's message loop: the program closes as soon
  // as the command that asked has returned, and the new one takes over.
  [[nodiscard]] RestartOutcome restart() override;

 private:
  std::wstring program_;
  std::wstring parameters_;
  const Translator* translator_ = nullptr;
};

}  // namespace velmora::win32
