// The message loop: filters see messages before dispatch, newest first;
// idle handlers run once each time the queue runs empty after activity.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/message_loop.h"

namespace velmora::testing {
namespace {

using win32::IdleHandler;
using win32::MessageFilter;
using win32::MessageLoop;

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kStop = WM_APP + 2;

struct Recorder : MessageFilter, IdleHandler {
  Recorder(std::string name, std::vector<std::string>& log, bool takes) : name(std::move(name)), log(log), takes(takes) {}
  bool preTranslate(MSG& msg) override {
    if (msg.message == kPing) log.push_back(name + " filter");
    if (msg.message == kStop) PostQuitMessage(7);
    return takes && msg.message == kPing;
  }
  bool onIdle(int count) override {
    log.push_back(name + " idle " + std::to_string(count));
    return true;
  }
  std::string name;
  std::vector<std::string>& log;
  bool takes;
};

TEST(MessageLoop, FiltersNewestFirstFirstTakerWinsIdleOncePerBurst) {
  std::vector<std::string> log;
  Recorder older("older", log, false), newer("newer", log, true);
  MessageLoop loop;
  loop.addFilter(&older);
  loop.addFilter(&newer);
  loop.addIdleHandler(&older);
  loop.addIdleHandler(&newer);
  PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
  // The stop arrives only after the loop went idle.
  struct Stopper : IdleHandler {
    int calls = 0;
    bool onIdle(int) override {
      ++calls;
      PostThreadMessageW(GetCurrentThreadId(), kStop, 0, 0);
      return false;
    }
  } stopper;
  loop.addIdleHandler(&stopper);

  EXPECT_EQ(loop.run(), 7);
  // The queue starts full: no idle call until it is drained, then one.
  EXPECT_EQ(log, (std::vector<std::string>{"newer filter", "newer filter", "older idle 0", "newer idle 0"}));
  EXPECT_EQ(stopper.calls, 1);
}

TEST(MessageLoop, MouseMovesPaintsAndTheCaretTimerAreNoActivity) {
  for (UINT m : {0x200u, 0xA0u, 0x0Fu, 0x118u}) EXPECT_FALSE(MessageLoop::countsForIdle(m)) << m;
  for (UINT m : {0x100u, 0x201u, 0x113u, kPing}) EXPECT_TRUE(MessageLoop::countsForIdle(m)) << m;
}

TEST(MessageLoop, UnregisteredHandlersAreNotCalled) {
  std::vector<std::string> log;
  Recorder gone("gone", log, true);
  MessageLoop loop;
  loop.addFilter(&gone);
  loop.addIdleHandler(&gone);
  loop.removeFilter(&gone);
  loop.removeIdleHandler(&gone);
  PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
  PostQuitMessage(3);
  EXPECT_EQ(loop.run(), 3);
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace velmora::testing
