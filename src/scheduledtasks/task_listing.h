#pragma once
// The scheduled tasks as the latest reading found them. Reading the Task
// Scheduler takes seconds on a real PC (hundreds of tasks over RPC, each
// with its whole definition) and longer while its service starts, so the
// window never does it: listTasks answers with the reading kept, or Pending
// while one is on its way, and a reading is started (off the window's
// thread, by `read`) when none is kept or after forgetListing. Every other
// call goes to the scheduler, and what its answers show of a task (a
// switch read back, a task gone or registered again) is kept in the
// reading, so a list refilled after a change needs no new reading.
#include <functional>
#include <string>
#include <vector>

#include "scheduledtasks/task_port.h"

namespace velmora {

class TaskListing final : public TaskPort {
 public:
  // `read` starts a reading of `scheduler`'s tasks elsewhere; its result
  // comes back through arrived().
  TaskListing(TaskPort& scheduler, std::function<void()> read) : scheduler_(scheduler), read_(std::move(read)) {}

  TaskStatus listTasks(std::vector<RegisteredTaskInfo>& out) override;
  // A reading on its way when this is asked counts as the fresh one.
  void forgetListing() override;
  // The reading started came (on the window's thread).
  void arrived(TaskStatus status, std::vector<RegisteredTaskInfo> tasks);
  [[nodiscard]] bool reading() const { return reading_; }

  TaskStatus readTask(const std::string& path, RegisteredTaskInfo& out) override;
  TaskStatus setEnabled(const std::string& path, bool enabled) override { return scheduler_.setEnabled(path, enabled); }
  TaskStatus deleteTask(const std::string& path) override;
  TaskStatus registerTask(const std::string& path, const std::string& xml,
                          const std::string& securityDescriptor = {}) override {
    return scheduler_.registerTask(path, xml, securityDescriptor);
  }
  std::optional<TaskDefinition> readDefinition(const std::string& xml) override {
    return scheduler_.readDefinition(xml);
  }
  std::string comServer(const std::string& classId) override { return scheduler_.comServer(classId); }
  bool writeCopy(const std::string& filePath, const std::string& xml) override {
    return scheduler_.writeCopy(filePath, xml);
  }
  bool readCopy(const std::string& filePath, std::string& xml) override { return scheduler_.readCopy(filePath, xml); }
  bool openConsole() override { return scheduler_.openConsole(); }

 private:
  // The kept task at `path` (the scheduler ignores case), or the end.
  std::vector<RegisteredTaskInfo>::iterator kept(const std::string& path);

  TaskPort& scheduler_;
  std::function<void()> read_;
  bool reading_ = false;
  // A reading is kept and answers listTasks.
  bool fresh_ = false;
  TaskStatus status_ = TaskStatus::Unavailable;
  std::vector<RegisteredTaskInfo> tasks_;
};

}  // namespace velmora
