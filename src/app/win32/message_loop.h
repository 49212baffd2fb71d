#pragma once
// The thread's message loop, with message filters (offered every message
// before it is dispatched, last registered first) and idle handlers (called
// once when the queue runs empty after a message that counts).
#include <windows.h>

#include <vector>

namespace velmora::win32 {

class MessageFilter {
 public:
  virtual ~MessageFilter() = default;
  // True when the message was handled and must not be dispatched.
  [[nodiscard]] virtual bool preTranslate(MSG& msg) = 0;
};

class IdleHandler {
 public:
  virtual ~IdleHandler() = default;
  // Returns whether more idle calls are wanted (the loop does not ask).
  virtual bool onIdle(int idleCount) = 0;
};

class MessageLoop {
 public:
  void addFilter(MessageFilter* filter) { filters_.push_back(filter); }
  void removeFilter(MessageFilter* filter);
  void addIdleHandler(IdleHandler* handler) { idle_.push_back(handler); }
  void removeIdleHandler(IdleHandler* handler);

  // Runs until WM_QUIT and returns its wParam.
  int run();

  // Whether a message resets the idle phase: mouse moves, paints and the
  // caret's timer happen all the time and are not activity.
  static bool countsForIdle(UINT message);

 private:
  bool filter(MSG& msg);
  void idle(int count);

  std::vector<MessageFilter*> filters_;
  std::vector<IdleHandler*> idle_;
};

}  // namespace velmora::win32
