#include "platform/win32/ui_post.h"

#include <mutex>
#include <utility>

#include "platform/win32/failure_report.h"

namespace velmora::win32 {

namespace {
constexpr UINT kRun = WM_APP + 1;
constexpr wchar_t kClass[] = L"VelmoraUiPost";

LRESULT CALLBACK procedure(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRun) return DefWindowProcW(window, msg, wp, lp);
  std::unique_ptr<UiPost::Task> task(reinterpret_cast<UiPost::Task*>(lp));
  // No exception crosses the message loop.
  try {
    if (task && *task) (*task)();
  } catch (...) {
    reportFailure(nullptr, "posted work", currentExceptionText());
  }
  return 0;
}

bool registered() {
  static const bool done = [] {
    WNDCLASSW cls{};
    cls.lpfnWndProc = procedure;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kClass;
    return RegisterClassW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return done;
}
}  // namespace

struct UiPost::Shared {
  std::mutex mutex;
  HWND window = nullptr;
};

UiPost::UiPost() : shared_(std::make_shared<Shared>()) {
  if (!registered()) return;
  shared_->window = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
}

UiPost::~UiPost() {
  HWND window = nullptr;
  {
    const std::lock_guard lock(shared_->mutex);
    window = std::exchange(shared_->window, nullptr);
  }
  if (!window) return;
  // What was posted and not run yet goes with the window.
  MSG msg;
  while (PeekMessageW(&msg, window, kRun, kRun, PM_REMOVE)) delete reinterpret_cast<Task*>(msg.lParam);
  DestroyWindow(window);
}

UiPost::Poster UiPost::poster() const {
  return [shared = shared_](Task task) {
    const std::lock_guard lock(shared->mutex);
    if (!shared->window) return;
    auto posted = std::make_unique<Task>(std::move(task));
    if (PostMessageW(shared->window, kRun, 0, reinterpret_cast<LPARAM>(posted.get()))) (void)posted.release();
  };
}

}  // namespace velmora::win32
