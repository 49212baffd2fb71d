#pragma once
// What the scheduled-tasks family needs of the Task Scheduler. Paths are the
// scheduler's own ("\Vendor\Updater Task"); text is UTF-8. Every output is
// left untouched on failure.
#include <optional>
#include <string>
#include <vector>

#include "scheduledtasks/task_definition.h"

namespace velmora {

enum class TaskStatus {
  Ok,
  // The scheduler cannot be reached or does not list tasks (Wine's).
  Unavailable,
  // Windows refused: the task belongs to another account or to the system.
  AccessDenied,
  NotFound,
  Failed,
  // Still being read, off the window's thread (TaskListing): the caller
  // shows what else it has and is told when the tasks came.
  Pending,
};

struct RegisteredTaskInfo {
  std::string path;  // "\Vendor\Updater Task"
  std::string name;  // "Updater Task"
  bool enabled = true;
  // The definition exactly as the scheduler gives it.
  std::string xml;
  // Who may read, run and change the task (its access list in SDDL);
  // empty when the scheduler does not say.
  std::string securityDescriptor;
};

class TaskPort {
 public:
  TaskPort() = default;
  TaskPort(const TaskPort&) = delete;
  TaskPort& operator=(const TaskPort&) = delete;
  virtual ~TaskPort() = default;

  // Every task of every folder from the root down, hidden ones included.
  virtual TaskStatus listTasks(std::vector<RegisteredTaskInfo>& out) = 0;
  // The next listTasks reads the scheduler afresh instead of answering
  // with what an earlier reading kept; nothing for a port that keeps
  // nothing.
  virtual void forgetListing() {}
  // One task, read afresh.
  virtual TaskStatus readTask(const std::string& path, RegisteredTaskInfo& out) = 0;
  virtual TaskStatus setEnabled(const std::string& path, bool enabled) = 0;
  virtual TaskStatus deleteTask(const std::string& path) = 0;
  // Registers `xml` at `path` (its folder created as needed), for the
  // account the definition names, with the access list `securityDescriptor`
  // (SDDL; empty: the folder's); fails when a task is there already.
  virtual TaskStatus registerTask(const std::string& path, const std::string& xml,
                                  const std::string& securityDescriptor = {}) = 0;
  // What the platform's XML reader makes of a definition (readTaskDefinition
  // over its element tree); none when it is not well-formed or no task.
  virtual std::optional<TaskDefinition> readDefinition(const std::string& xml) = 0;
  // The DLL registered for a COM class id; empty when none is.
  virtual std::string comServer(const std::string& classId) = 0;

  // The exact definition kept for Undo, in a file of the change history's
  // copy folder.
  virtual bool writeCopy(const std::string& filePath, const std::string& xml) = 0;
  virtual bool readCopy(const std::string& filePath, std::string& xml) = 0;
  // Starts the Task Scheduler console; false when it could not be started.
  virtual bool openConsole() = 0;
};

}  // namespace velmora
