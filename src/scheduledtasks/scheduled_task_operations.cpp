// Switching, removing and putting back tasks. Every change is read back
// from the scheduler before it counts: an implementation may answer
// success and change nothing.
#include "core/text.h"
#include "lang/language_table.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "scheduledtasks/task_keeping.h"

namespace velmora {

namespace {

std::string_view lastComponent(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

OperationResult ScheduledTaskFamily::remove(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return removeTask(entry.location, entry.name, entry.data); });
}

OperationResult ScheduledTaskFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return switchTask(entry.location, entry.name, entry.data, true); });
}

OperationResult ScheduledTaskFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return switchTask(entry.location, entry.name, entry.data, false); });
}

OperationResult ScheduledTaskFamily::undo(const Change& c, UserPrompt& prompt) {
  return support_.run(prompt, [&] {
    // Only a task path the scheduler could have given, named by its last
    // component, and a copy name the history could have made.
    const auto named = [&c](const std::optional<EntryState>& s) { return !s || s->name == lastComponent(c.location); };
    const bool rules = plainTaskPath(c.location) && named(c.before) && named(c.after) &&
                       (c.copy.empty() || plainCopyName(c.copy));
    if (!support_.mayUndo(c, folders_, rules)) return false;
    if ((c.kind == change_kind::kDisable || c.kind == change_kind::kEnable) && c.after) {
      return switchTask(c.location, c.after->name, c.after->data, c.kind == change_kind::kDisable, &c);
    }
    if (c.kind == change_kind::kRemove && c.before) return reregister(c);
    // An Undo of a Remove, undone: the task goes again, as Remove takes it.
    if (c.kind == change_kind::kAdd && c.after) return removeTask(c.location, c.after->name, c.after->data, &c);
    support_.tell("_UndoNotPossible");
    return false;
  });
}

bool ScheduledTaskFamily::readLive(const std::string& path, const std::string& name, const std::string& data,
                                   Live& live, const Change* undoing) {
  if (!ownPath(path)) {
    support_.tell("_TaskChanged", {name});
    return false;
  }
  const TaskStatus status = tasks_.readTask(path, live.info);
  if (status != TaskStatus::Ok) {
    schedulerFailed(status, path);
    return false;
  }
  if (live.info.xml.size() > kLargestTaskDefinition) {
    support_.tell("_TaskDefinitionTooLarge", {name});
    return false;
  }
  std::optional<TaskDefinition> definition = tasks_.readDefinition(live.info.xml);
  if (!definition || !(definition->atLogon || definition->atStartup) || commandOf(*definition) != data) {
    support_.tell("_TaskChanged", {name});
    return false;
  }
  // An Undo acts on the task it was about only while it runs as it did:
  // whose place it is decided whether the change may be undone at all.
  if (const auto kept = undoing ? keptPrincipal(*undoing) : std::nullopt; kept && definition->principal != kept) {
    support_.tell("_TaskChanged", {name});
    return false;
  }
  live.definition = std::move(*definition);
  return true;
}

bool ScheduledTaskFamily::switchTask(const std::string& path, const std::string& name, const std::string& data,
                                     bool on, const Change* undoing) {
  Live live;
  if (!readLive(path, name, data, live, undoing)) return false;
  if (live.info.enabled == on) {
    // Someone switched it meanwhile: the row is out of date.
    support_.tell("_TaskChanged", {name});
    return false;
  }
  if (const TaskStatus status = tasks_.setEnabled(path, on); status != TaskStatus::Ok) {
    schedulerFailed(status, path);
    return false;
  }
  RegisteredTaskInfo now;
  if (tasks_.readTask(path, now) != TaskStatus::Ok || now.enabled != on) {
    support_.tell("_TaskSwitchIgnored", {name});
    return false;
  }
  Change change = support_.change(on ? change_kind::kEnable : change_kind::kDisable, path,
                                  EntryState{name, data, {}, on}, EntryState{name, data, {}, !on});
  keepPrincipal(change, live.definition.principal);
  support_.done(std::move(change));
  return true;
}

std::string ScheduledTaskFamily::copyPathFor(const std::string& name,
                                             const std::optional<TaskPrincipal>& principal) const {
  const Trust* trust = support_.trust();
  const bool own = !trust || usersOwnTask(principal, *trust);
  return support_.copies()->copyPath(name, own ? PlaceScope::User : PlaceScope::Machine);
}

bool ScheduledTaskFamily::removeTask(const std::string& path, const std::string& name, const std::string& data,
                                     const Change* undoing) {
  Live live;
  if (!readLive(path, name, data, live, undoing)) return false;
  // Registering such a task again needs its account's password, which
  // nobody can read back: the user is told before it goes.
  const bool asked = live.definition.needsPassword ? support_.ask("_AreyousureDeleteTaskPassword", {name, path, data})
                                                   : support_.confirmRemove(name, path, data);
  if (!asked) return false;
  // The exact definition, for Undo. Without a copy Remove would be final:
  // it is refused rather than made so quietly.
  std::string copy;
  if (ChangeCopies* const copies = support_.copies()) {
    copy = copies->newCopyName();
    if (!tasks_.writeCopy(copyPathFor(copy, live.definition.principal), live.info.xml)) {
      support_.tell("_TaskCopyFailed", {name});
      return false;
    }
  }
  if (const TaskStatus status = tasks_.deleteTask(path); status != TaskStatus::Ok) {
    schedulerFailed(status, path);
    return false;
  }
  RegisteredTaskInfo still;
  if (tasks_.readTask(path, still) != TaskStatus::NotFound) {
    support_.tell("_TaskNotRemoved", {name});
    return false;
  }
  Change change = support_.change(change_kind::kRemove, path, EntryState{name, data, {}, !live.info.enabled},
                                  std::nullopt);
  change.copy = copy;
  // Whom it ran as and who could reach it, so that Undo gives it back the
  // same, and which definition the copy is.
  keepPrincipal(change, live.definition.principal);
  if (!live.info.securityDescriptor.empty()) change.extra[std::string(kTaskSecurity)] = live.info.securityDescriptor;
  if (!copy.empty()) change.extra[std::string(kTaskCopyDigest)] = definitionDigest(live.info.xml);
  support_.done(std::move(change));
  return true;
}

bool ScheduledTaskFamily::keptCopyMatches(const Change& c, const std::string& xml, TaskDefinition& definition) {
  const EntryState& was = *c.before;
  const auto digest = c.extra.find(std::string(kTaskCopyDigest));
  std::optional<TaskDefinition> read = tasks_.readDefinition(xml);
  // The copy must be the task the change names, not another one: the same
  // text the change kept, what it runs.
  if (!read || commandOf(*read) != was.data || (digest != c.extra.end() && digest->second != definitionDigest(xml))) {
    support_.tell("_UndoNoCopy", {was.name});
    return false;
  }
  // The path the definition gives itself is the one it is put back at, and
  // it runs as the task removed did.
  if (!equalsIgnoreCase(read->uri, c.location)) {
    support_.tell("_TaskCopyElsewhere", {was.name, read->uri});
    return false;
  }
  if (const auto kept = keptPrincipal(c); kept && read->principal != kept) {
    support_.tell("_TaskPrincipalChanged", {was.name});
    return false;
  }
  definition = std::move(*read);
  return true;
}

bool ScheduledTaskFamily::reregister(const Change& c) {
  const EntryState& was = *c.before;
  ChangeCopies* const copies = support_.copies();
  std::string xml;
  if (c.copy.empty() || !copies || !tasks_.readCopy(copies->keptCopyPath(c, c.copy), xml)) {
    support_.tell("_UndoNoCopy", {was.name});
    return false;
  }
  TaskDefinition definition;
  if (!keptCopyMatches(c, xml, definition)) return false;
  if (definition.needsPassword) {
    support_.tell("_TaskUndoNeedsPassword", {was.name});
    return false;
  }
  RegisteredTaskInfo there;
  if (tasks_.readTask(c.location, there) == TaskStatus::Ok) {
    support_.tellEntryChanged(was.name, support_.translator().translate("_UndoThereAlready"));
    return false;
  }
  const auto security = c.extra.find(std::string(kTaskSecurity));
  if (const TaskStatus status =
          tasks_.registerTask(c.location, xml, security == c.extra.end() ? std::string() : security->second);
      status != TaskStatus::Ok) {
    schedulerFailed(status, c.location);
    return false;
  }
  if (tasks_.readTask(c.location, there) != TaskStatus::Ok) {
    support_.tell("_TaskNotRestored", {was.name});
    return false;
  }
  // Registered as another account or with other rights than the kept
  // definition says (a scheduler that put in its own): it goes again.
  if (const auto back = tasks_.readDefinition(there.xml); !back || back->principal != definition.principal) {
    (void)tasks_.deleteTask(c.location);
    support_.tell("_TaskPrincipalChanged", {was.name});
    return false;
  }
  // The definition holds the switch as it was; one that came back otherwise
  // is set as it was. The task is back either way, so the change stands,
  // but a switch that would not follow is said.
  if (there.enabled == was.disabled) {
    RegisteredTaskInfo now;
    if (tasks_.setEnabled(c.location, !was.disabled) != TaskStatus::Ok ||
        tasks_.readTask(c.location, now) != TaskStatus::Ok || now.enabled == was.disabled) {
      support_.tell("_TaskRestoredSwitchedOn", {was.name});
    }
  }
  support_.done(support_.change(change_kind::kAdd, c.location, std::nullopt, was));
  return true;
}

void ScheduledTaskFamily::schedulerFailed(TaskStatus status, const std::string& path) {
  switch (status) {
    case TaskStatus::AccessDenied: support_.offerAdministrator("_TaskRefused", "_TaskRefusedAdmin", {path}); return;
    case TaskStatus::NotFound: support_.tell("_TaskChanged", {std::string(lastComponent(path))}); return;
    case TaskStatus::Unavailable: support_.tell("_TasksUnavailable"); return;
    case TaskStatus::Pending:
    case TaskStatus::Ok:
    case TaskStatus::Failed: support_.tell("_TaskFailed", {path}); return;
  }
}

}  // namespace velmora
