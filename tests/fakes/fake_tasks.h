#pragma once
// The Task Scheduler in memory: tasks by path, each with its switch and a
// definition. A task's XML is an opaque text that stands for its definition
// (readDefinition looks it up), so the family's rules are tested without an
// XML reader; the readers have tests of their own.
#include <map>
#include <string>
#include <vector>

#include "scheduledtasks/task_port.h"

namespace velmora::testing {

// A task that runs `command` at logon.
TaskDefinition logonTask(const std::string& command, const std::string& arguments = {});

class FakeTaskPort : public TaskPort {
 public:
  struct Task {
    std::string path;
    bool enabled = true;
    std::string xml;
    std::string security;  // SDDL
  };
  // Adds a task and returns its XML.
  std::string add(const std::string& path, const TaskDefinition& definition, bool enabled = true);
  Task* find(const std::string& path);

  std::vector<Task> tasks;
  std::map<std::string, TaskDefinition> definitions;  // by XML
  std::map<std::string, std::string> comServers;
  std::map<std::string, std::string> files;  // copies by path

  // What the scheduler does wrong: no list at all (Wine's), a switch that
  // answers success and changes nothing, refusals for lack of rights, a
  // delete that answers success and leaves the task.
  bool unavailable = false;
  bool ignoreSwitch = false;
  bool denyChanges = false;
  bool ignoreDelete = false;
  bool failCopies = false;
  int switches = 0;  // put_Enabled calls that reached the scheduler
  std::vector<std::string> registered;  // every path registerTask was asked for
  bool consoleOpened = false;

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
  int next_ = 0;
};

}  // namespace velmora::testing
