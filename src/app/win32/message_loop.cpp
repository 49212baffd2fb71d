#include "app/win32/message_loop.h"

#include <algorithm>

namespace velmora::win32 {

namespace {
template <typename T>
void erase(std::vector<T*>& v, T* item) {
  v.erase(std::remove(v.begin(), v.end(), item), v.end());
}
}  // namespace

void MessageLoop::removeFilter(MessageFilter* filter) { erase(filters_, filter); }
void MessageLoop::removeIdleHandler(IdleHandler* handler) { erase(idle_, handler); }

bool MessageLoop::countsForIdle(UINT message) {
  return message != WM_MOUSEMOVE && message != WM_NCMOUSEMOVE && message != WM_PAINT && message != 0x0118;
}

bool MessageLoop::filter(MSG& msg) {
  // A filter may unregister itself (the frame does when it is destroyed),
  // so walk a copy.
  const std::vector<MessageFilter*> filters = filters_;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
    if ((*it)->preTranslate(msg)) return true;
  }
  return false;
}

void MessageLoop::idle(int count) {
  const std::vector<IdleHandler*> handlers = idle_;
  for (IdleHandler* h : handlers) h->onIdle(count);
}

int MessageLoop::run() {
  bool idleOn = true;
  int idleCount = 0;
  MSG msg{};
  for (;;) {
    if (idleOn && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      idle(idleCount++);
      idleOn = false;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (got == 0) break;
    if (!filter(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (countsForIdle(msg.message)) {
      idleOn = true;
      idleCount = 0;
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace velmora::win32
