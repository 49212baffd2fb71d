#pragma once
// A thread of its own, with a COM apartment of its own, for work the window
// must never wait for: reading the Task Scheduler, looking program files up.
// Its work ends when told to (the caller stops what it waits on); a thread
// stuck in a call that does not come back (a hung service, a network drive)
// is not waited for at close beyond a moment: it is left to end with the
// process, and the program exits without the usual tear-down
// (leftRunning()).
#include <windows.h>

#include <functional>

#include "platform/win32/handles.h"

namespace velmora::win32 {

class WorkerThread {
 public:
  enum class Priority { Normal, Background };
  // How long the close waits for the work to end.
  static constexpr DWORD kCloseWaitMs = 300;

  // Starts `work` at once. It must touch nothing the starter may destroy
  // first: hold what it uses (shared_ptr), as it may outlive its owner.
  // Background lowers its CPU, I/O and memory priority, so reading whole
  // files never slows the window.
  WorkerThread(std::function<void()> work, Priority priority);
  // Waits up to kCloseWaitMs for the work to end (the owner has told it to),
  // and leaves it running otherwise.
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Whether the work ended, waiting up to `ms`.
  [[nodiscard]] bool finished(DWORD ms) const;
  // How many workers were left running at their close: the process must
  // end without running its static destructors under them (ExitProcess).
  [[nodiscard]] static int leftRunning();

 private:
  KernelHandle done_;
};

}  // namespace velmora::win32
