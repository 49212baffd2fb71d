#include "fakes/fake_tasks.h"

namespace velmora::testing {

TaskDefinition logonTask(const std::string& command, const std::string& arguments) {
  TaskDefinition d;
  d.atLogon = true;
  d.actions.push_back(TaskAction{TaskAction::Kind::Exec, command, arguments, {}});
  return d;
}

std::string FakeTaskPort::add(const std::string& path, const TaskDefinition& definition, bool enabled) {
  std::string xml = "<Task n=\"" + std::to_string(++next_) + "\"/>";
  definitions[xml] = definition;
  // The scheduler writes a task's path into the definition it gives out.
  if (definitions[xml].uri.empty()) definitions[xml].uri = path;
  tasks.push_back(Task{path, enabled, xml});
  return xml;
}

FakeTaskPort::Task* FakeTaskPort::find(const std::string& path) {
  for (Task& t : tasks) {
    if (t.path == path) return &t;
  }
  return nullptr;
}

namespace {
RegisteredTaskInfo infoOf(const FakeTaskPort::Task& t) {
  const std::size_t slash = t.path.rfind('\\');
  return RegisteredTaskInfo{t.path, t.path.substr(slash + 1), t.enabled, t.xml, t.security};
}
}  // namespace

TaskStatus FakeTaskPort::listTasks(std::vector<RegisteredTaskInfo>& out) {
  if (unavailable) return TaskStatus::Unavailable;
  out.clear();
  for (const Task& t : tasks) out.push_back(infoOf(t));
  return TaskStatus::Ok;
}

TaskStatus FakeTaskPort::readTask(const std::string& path, RegisteredTaskInfo& out) {
  const Task* t = find(path);
  if (!t) return TaskStatus::NotFound;
  out = infoOf(*t);
  return TaskStatus::Ok;
}

TaskStatus FakeTaskPort::setEnabled(const std::string& path, bool enabled) {
  Task* t = find(path);
  if (!t) return TaskStatus::NotFound;
  if (denyChanges) return TaskStatus::AccessDenied;
  ++switches;
  if (!ignoreSwitch) t->enabled = enabled;
  return TaskStatus::Ok;
}

TaskStatus FakeTaskPort::deleteTask(const std::string& path) {
  Task* t = find(path);
  if (!t) return TaskStatus::NotFound;
  if (denyChanges) return TaskStatus::AccessDenied;
  if (!ignoreDelete) tasks.erase(tasks.begin() + (t - tasks.data()));
  return TaskStatus::Ok;
}

TaskStatus FakeTaskPort::registerTask(const std::string& path, const std::string& xml,
                                      const std::string& securityDescriptor) {
  registered.push_back(path);
  if (find(path)) return TaskStatus::Failed;
  if (denyChanges) return TaskStatus::AccessDenied;
  if (!definitions.count(xml)) return TaskStatus::Failed;
  // Its definitions carry no switch: a task registers switched on, as the
  // double's does when its definition says nothing.
  tasks.push_back(Task{path, true, xml, securityDescriptor});
  return TaskStatus::Ok;
}

std::optional<TaskDefinition> FakeTaskPort::readDefinition(const std::string& xml) {
  const auto it = definitions.find(xml);
  if (it == definitions.end()) return std::nullopt;
  return it->second;
}

std::string FakeTaskPort::comServer(const std::string& classId) {
  const auto it = comServers.find(classId);
  return it == comServers.end() ? std::string() : it->second;
}

bool FakeTaskPort::writeCopy(const std::string& filePath, const std::string& xml) {
  if (failCopies) return false;
  files[filePath] = xml;
  return true;
}

bool FakeTaskPort::readCopy(const std::string& filePath, std::string& xml) {
  const auto it = files.find(filePath);
  if (it == files.end()) return false;
  xml = it->second;
  return true;
}

bool FakeTaskPort::openConsole() {
  consoleOpened = true;
  return true;
}

}  // namespace velmora::testing
