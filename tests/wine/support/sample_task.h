#pragma once
// A task definition as the Task Scheduler exports one, for the tests that
// register tasks with a scheduler (the double or Wine's own).
#include <string>

namespace velmora::testing {

inline constexpr const char* kLogonTrigger = "<LogonTrigger><Enabled>true</Enabled></LogonTrigger>";
inline constexpr const char* kBootTrigger = "<BootTrigger><Enabled>true</Enabled></BootTrigger>";
inline constexpr const char* kDailyTrigger =
    "<CalendarTrigger><StartBoundary>2026-01-01T09:00:00</StartBoundary><ScheduleByDay><DaysInterval>1</DaysInterval>"
    "</ScheduleByDay></CalendarTrigger>";

// `path`: where the scheduler has the task, which it writes into the
// definition it gives out (RegistrationInfo/URI).
inline std::string sampleTask(const std::string& command, const std::string& arguments = "/silent",
                              const std::string& trigger = kLogonTrigger, bool hidden = false,
                              const std::string& path = "\\Vendor\\Task") {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         "  <RegistrationInfo><Author>Vendor</Author><URI>" + path + "</URI></RegistrationInfo>\r\n"
         "  <Triggers>" + trigger + "</Triggers>\r\n"
         "  <Principals><Principal id=\"Author\"><LogonType>InteractiveToken</LogonType>"
         "<RunLevel>LeastPrivilege</RunLevel></Principal></Principals>\r\n"
         "  <Settings><Enabled>true</Enabled>" + std::string(hidden ? "<Hidden>true</Hidden>" : "") +
         "<StartWhenAvailable>true</StartWhenAvailable></Settings>\r\n"
         "  <Actions Context=\"Author\"><Exec><Command>" + command + "</Command>" +
         (arguments.empty() ? std::string() : "<Arguments>" + arguments + "</Arguments>") +
         "</Exec></Actions>\r\n"
         "</Task>\r\n";
}

}  // namespace velmora::testing
