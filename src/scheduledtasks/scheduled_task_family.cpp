#include "scheduledtasks/scheduled_task_family.h"

#include <cctype>

#include "core/text.h"
#include "lang/language_table.h"
#include "scheduledtasks/task_keeping.h"

namespace velmora {

namespace {

// The log names a task, then its folder in the scheduler and what it runs.
std::vector<std::string> taskLogEntry(const std::string& location, const EntryState& state) {
  const std::size_t cut = location.rfind('\\');
  const std::string folder = cut == std::string::npos || cut == 0 ? std::string("\\") : location.substr(0, cut);
  return {state.name, folder, state.data};
}
std::vector<std::string> taskLogModify(const std::string& location, const EntryState& before, const EntryState&) {
  return taskLogEntry(location, before);
}

bool foldedEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

const FamilyTraits kScheduledTaskTraits{RecordKind{"disabledscheduledtaskitem"},
                                        LogKeys{"Task"},
                                        "_ScheduledTask",
                                        &sameTaskLocation,
                                        "scheduledtasks",
                                        &taskLogEntry,
                                        &taskLogModify,
                                        &taskPlace};

bool sameTaskLocation(std::string_view taskPath, std::string_view location) {
  if (location.empty() || taskPath.size() < location.size()) return false;
  if (!foldedEqual(taskPath.substr(0, location.size()), location)) return false;
  return location.back() == '\\' || taskPath.size() == location.size() || taskPath[location.size()] == '\\';
}

bool plainTaskPath(std::string_view path) {
  if (path.size() < 2 || path.front() != '\\' || !isTypedText(path)) return false;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    for (const char ch : part) {
      if (static_cast<unsigned char>(ch) < 0x20 || std::string_view("/:*?\"<>|").find(ch) != std::string_view::npos) {
        return false;
      }
    }
    start = end + 1;
  }
  return true;
}

FamilyDescriptor scheduledTaskFamily(TaskPort& tasks, const FamilyContext& context) {
  // One node, every folder of the scheduler from the root down.
  return FamilyDescriptor{"scheduledtasks",
                          kScheduledTaskTraits,
                          {{0, "_TreeScheduledTasks", -1, 8, {}, {"\\"}}},
                          {},
                          [](const std::vector<std::string_view>& folders) {
                            return std::vector<std::string>(folders.begin(), folders.end());
                          },
                          [&tasks, &context](std::vector<std::string> folders) -> std::unique_ptr<EntryFamily> {
                            return std::make_unique<ScheduledTaskFamily>(std::move(folders), tasks, context);
                          }};
}

ScheduledTaskFamily::ScheduledTaskFamily(std::vector<std::string> folders, TaskPort& tasks,
                                         const FamilyContext& context)
    : folders_(std::move(folders)), tasks_(tasks), support_(context, kScheduledTaskTraits) {}

std::string ScheduledTaskFamily::commandOf(const TaskDefinition& definition) {
  return taskCommandText(definition, [this](const std::string& classId) { return tasks_.comServer(classId); });
}

bool ScheduledTaskFamily::ownPath(const std::string& path) const {
  for (const std::string& folder : folders_) {
    if (sameTaskLocation(path, folder)) return true;
  }
  return false;
}

std::vector<Row> ScheduledTaskFamily::list() {
  problem_.clear();
  std::vector<Row> rows;
  // The program file each row's publisher comes from: its first action's.
  std::vector<std::string> programs;
  std::vector<RegisteredTaskInfo> tasks;
  const TaskStatus status = tasks_.listTasks(tasks);
  pending_ = status == TaskStatus::Pending;
  if (status != TaskStatus::Ok) {
    // Never an empty list that looks as if there were no tasks.
    problem_ = support_.translator().translate(pending_ ? "_StatusReadingLater" : "_TasksUnavailable");
    tasks.clear();
  }
  const std::string atLogon = support_.translator().translate("_TaskAtLogon");
  const std::string atStartup = support_.translator().translate("_TaskAtStartup");
  const auto comServer = [this](const std::string& classId) { return tasks_.comServer(classId); };
  std::vector<bool> unread;
  // Listed, as a task that looks like a startup task, but no trigger of it
  // starts it: the row says why.
  std::vector<bool> triggersOff;
  for (const RegisteredTaskInfo& task : tasks) {
    if (!ownPath(task.path)) continue;
    Row row{task.name, {}, {}, task.path, task.enabled ? RowState::Live : RowState::Disabled};
    // A task switched off stays where it is; the scheduler keeps it, not config.xml.
    row.origin = task.enabled ? RowOrigin::Live : RowOrigin::Record;
    if (task.xml.size() > kLargestTaskDefinition) {
      // When it starts is unknown, so it is listed: it may start at logon.
      row.type = support_.typeText();
      programs.emplace_back();
      unread.push_back(true);
      triggersOff.push_back(false);
      rows.push_back(std::move(row));
      continue;
    }
    const std::optional<TaskDefinition> definition = tasks_.readDefinition(task.xml);
    if (!definition || !(definition->atLogon || definition->atStartup || definition->triggersOff)) continue;
    row.type = definition->atLogon || definition->offTriggerAtLogon ? atLogon : atStartup;
    row.data = taskCommandText(*definition, comServer);
    programs.push_back(definition->actions.empty() ? std::string()
                                                   : actionProgram(definition->actions.front(), comServer));
    unread.push_back(false);
    triggersOff.push_back(definition->triggersOff);
    rows.push_back(std::move(row));
  }
  // A list the scheduler refused is no look at its folders: what was seen
  // there is kept, and nothing found later counts as new because of it.
  static const std::vector<std::string> kNotLookedAt;
  const auto index = [&rows](const Row& row) { return static_cast<std::size_t>(&row - rows.data()); };
  support_.describeRows(
      rows, status == TaskStatus::Ok ? folders_ : kNotLookedAt,
      [&programs, &index](const Row& row) { return programs[index(row)]; },
      [&unread, &triggersOff, &index](const Row& row) -> std::string_view {
        if (unread[index(row)]) return "_TaskDefinitionNotRead";
        return triggersOff[index(row)] ? "_StatusNoTrigger" : std::string_view();
      });
  return rows;
}

std::vector<Row> ScheduledTaskFamily::listDeferredPlaces() {
  if (!pending_) return {};
  std::vector<Row> rows = list();
  return pending_ ? std::vector<Row>{} : rows;
}

EntryDialogData ScheduledTaskFamily::dialogData(const EntryRef& entry) const { return support_.dialogData(entry); }

// The pane greys Add and Modify; these answer anyone who asks anyway.
OperationResult ScheduledTaskFamily::prepareAdd(EntryDialogData&) {
  return support_.runWithoutQuestions([this] {
    support_.tell("_TasksNotWritten");
    return false;
  });
}

OperationResult ScheduledTaskFamily::prepareModify(const EntryRef&, EntryDialogData& data) { return prepareAdd(data); }

OperationResult ScheduledTaskFamily::add(const EntryDialogData&, UserPrompt& prompt) {
  return support_.run(prompt, [this] {
    support_.tell("_TasksNotWritten");
    return false;
  });
}

OperationResult ScheduledTaskFamily::modify(const EntryRef&, const EntryDialogData&, UserPrompt& prompt) {
  return support_.run(prompt, [this] {
    support_.tell("_TasksNotWritten");
    return false;
  });
}

OperationResult ScheduledTaskFamily::openLocation(const EntryRef&) {
  return support_.runWithoutQuestions([this] {
    if (!tasks_.openConsole()) support_.tell("_TaskConsoleFailed");
  });
}

}  // namespace velmora
