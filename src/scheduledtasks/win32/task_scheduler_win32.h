#pragma once
// The Task Scheduler 2.0 (ITaskService) behind the scheduled-tasks family.
// Only the small surface the family needs: connect, folders, tasks, name,
// path, enabled, XML, enable and disable, delete, register. What a task
// runs is read from its XML by portable code (task_definition.h), not from
// the scheduler's object model, which Wine does not implement.
#include <windows.h>
#include <taskschd.h>

#include <map>
#include <string>

#include "platform/win32/com_ptr.h"
#include "scheduledtasks/task_port.h"

namespace velmora::win32 {

class TaskSchedulerWin32 : public TaskPort {
 public:
  TaskSchedulerWin32() = default;

  TaskStatus listTasks(std::vector<RegisteredTaskInfo>& out) override;
  TaskStatus readTask(const std::string& path, RegisteredTaskInfo& out) override;
  TaskStatus setEnabled(const std::string& path, bool enabled) override;
  TaskStatus deleteTask(const std::string& path) override;
  TaskStatus registerTask(const std::string& path, const std::string& xml,
                          const std::string& securityDescriptor = {}) override;
  std::optional<TaskDefinition> readDefinition(const std::string& xml) override;
  std::string comServer(const std::string& classId) override;
  bool writeCopy(const std::string& filePath, const std::string& xml) override;
  bool readCopy(const std::string& filePath, std::string& xml) override;
  bool openConsole() override;

 private:
  // The connected service, made at the first use (never at start-up);
  // Unavailable when the scheduler cannot be reached.
  TaskStatus connect();
  TaskStatus rootFolder(ComPtr<ITaskFolder>& root);
  TaskStatus task(const std::string& path, ComPtr<IRegisteredTask>& out);

  ComPtr<ITaskService> service_;
  std::map<std::string, std::string> comServers_;
};

// What an HRESULT of the scheduler means to the family.
TaskStatus taskStatusOf(HRESULT hr);

}  // namespace velmora::win32
