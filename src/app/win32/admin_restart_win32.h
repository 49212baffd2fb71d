#pragma once
// Starting Velmora again as administrator: the runas verb on the program's
// own file, with the restart argument, so that the new instance waits for
// this one to close before it takes the one-instance lock (main.cpp).
#include <windows.h>

#include <string>

#include "family/admin_restart.h"

namespace velmora::win32 {

// True when this process has administrator rights (an elevated token).
bool hasAdministratorRights();

// Starts `program` with `parameters` through the runas verb: Windows asks
// the user for the rights. `process`, when given, receives the new process's
// handle on Started (the caller closes it).
RestartOutcome startAsAdministrator(HWND owner, const std::wstring& program, const std::wstring& parameters,
                                    HANDLE* process = nullptr);

class Win32AdminRestart final : public AdminRestart {
 public:
  // This program, told that it was restarted.
  Win32AdminRestart();
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
};

}  // namespace velmora::win32
