#include "platform/win32/worker_thread.h"

#include <objbase.h>

#include <atomic>
#include <thread>

#include "platform/win32/failure_report.h"

namespace velmora::win32 {

namespace {
std::atomic<int> stillRunning{0};
}  // namespace

WorkerThread::WorkerThread(std::function<void()> work, Priority priority)
    : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  HANDLE done = nullptr;
  // The thread signals its own copy of the event: the owner may be gone.
  if (!DuplicateHandle(GetCurrentProcess(), done_.get(), GetCurrentProcess(), &done, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    done = nullptr;
  }
  std::thread([work = std::move(work), priority, done] {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (priority == Priority::Background) SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN);
    // Nothing thrown leaves a thread: it would end the program.
    try {
      work();
    } catch (...) {
      traceFailure("worker", currentExceptionText());
    }
    if (SUCCEEDED(com)) CoUninitialize();
    if (done) {
      SetEvent(done);
      CloseHandle(done);
    }
  }).detach();
}

WorkerThread::~WorkerThread() {
  if (!finished(kCloseWaitMs)) ++stillRunning;
}

bool WorkerThread::finished(DWORD ms) const {
  return !done_ || WaitForSingleObject(done_.get(), ms) == WAIT_OBJECT_0;
}

int WorkerThread::leftRunning() { return stillRunning.load(); }

}  // namespace velmora::win32
