#include "scheduledtasks/task_definition.h"

#include <utility>

namespace velmora {
namespace {

// XML's whitespace only: a non-breaking space in a path is part of it.
std::string trimmed(std::string_view s) {
  constexpr std::string_view ws = " \t\r\n";
  const std::size_t first = s.find_first_not_of(ws);
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(ws) - first + 1));
}

// Reads the children of an element by local name in the document's one
// namespace: an element named alike in another namespace is not the task's.
class Reader {
 public:
  explicit Reader(std::string_view ns) : ns_(ns) {}

  bool is(const XmlElement& e, std::string_view name) const { return e.name == name && e.namespaceUri == ns_; }

  // Calls `f` for every child of `parent` named `name`, in document order.
  template <class F>
  void each(const XmlElement& parent, std::string_view name, F&& f) const {
    for (const XmlElement& child : parent.children) {
      if (is(child, name)) f(child);
    }
  }

  // The trimmed text of the first child named `name`; nothing when none is.
  std::optional<std::string> text(const XmlElement& parent, std::string_view name) const {
    for (const XmlElement& child : parent.children) {
      if (is(child, name)) return trimmed(child.text);
    }
    return std::nullopt;
  }

 private:
  std::string_view ns_;
};

// Whether the task has a trigger of `kind` that is on; `any` learns whether
// it has one at all.
bool anyEnabledTrigger(const Reader& r, const XmlElement& task, std::string_view kind, bool& any) {
  bool found = false;
  r.each(task, "Triggers", [&](const XmlElement& triggers) {
    r.each(triggers, kind, [&](const XmlElement& trigger) {
      any = true;
      if (r.text(trigger, "Enabled") != "false") found = true;
    });
  });
  return found;
}

}  // namespace

std::optional<TaskDefinition> readTaskDefinition(const XmlElement& root) {
  if (root.name != "Task" || !(root.namespaceUri.empty() || root.namespaceUri == kTaskNamespace)) return std::nullopt;
  const Reader r(root.namespaceUri);
  TaskDefinition d;
  bool anyLogon = false;
  bool anyStartup = false;
  d.atLogon = anyEnabledTrigger(r, root, "LogonTrigger", anyLogon);
  d.atStartup = anyEnabledTrigger(r, root, "BootTrigger", anyStartup);
  d.triggersOff = !d.atLogon && !d.atStartup && (anyLogon || anyStartup);
  d.offTriggerAtLogon = anyLogon;
  r.each(root, "Settings", [&](const XmlElement& settings) {
    if (r.text(settings, "Hidden") == "true") d.hidden = true;
  });
  r.each(root, "RegistrationInfo", [&](const XmlElement& info) {
    if (d.uri.empty()) d.uri = r.text(info, "URI").value_or("");
  });
  r.each(root, "Principals", [&](const XmlElement& principals) {
    r.each(principals, "Principal", [&](const XmlElement& principal) {
      if (r.text(principal, "LogonType") == "Password") d.needsPassword = true;
      if (!d.principal) {
        d.principal = TaskPrincipal{r.text(principal, "UserId").value_or(""), r.text(principal, "GroupId").value_or(""),
                                    r.text(principal, "LogonType").value_or(""),
                                    r.text(principal, "RunLevel").value_or("")};
      }
    });
  });
  r.each(root, "Actions", [&](const XmlElement& actions) {
    for (const XmlElement& a : actions.children) {
      TaskAction action;
      if (r.is(a, "Exec")) {
        action.command = r.text(a, "Command").value_or("");
        action.arguments = r.text(a, "Arguments").value_or("");
      } else if (r.is(a, "ComHandler")) {
        action.kind = TaskAction::Kind::ComHandler;
        action.classId = r.text(a, "ClassId").value_or("");
      } else {
        continue;  // e-mail and message actions start no program
      }
      d.actions.push_back(std::move(action));
    }
  });
  return d;
}

std::string actionCommandLine(const TaskAction& action,
                              const std::function<std::string(const std::string& classId)>& comServer) {
  if (action.kind == TaskAction::Kind::ComHandler) {
    std::string line = action.classId;
    if (const std::string dll = comServer(action.classId); !dll.empty()) line += " (" + dll + ")";
    return line;
  }
  const bool quote = action.command.find(' ') != std::string::npos && action.command.front() != '"';
  std::string line = quote ? '"' + action.command + '"' : action.command;
  if (!action.arguments.empty()) line += " " + action.arguments;
  return line;
}

std::string actionProgram(const TaskAction& action,
                          const std::function<std::string(const std::string& classId)>& comServer) {
  if (action.kind != TaskAction::Kind::ComHandler) return actionCommandLine(action, comServer);
  const std::string dll = comServer(action.classId);
  return dll.empty() ? std::string() : '"' + dll + '"';
}

std::string taskCommandText(const TaskDefinition& definition,
                            const std::function<std::string(const std::string& classId)>& comServer) {
  std::string text;
  for (std::size_t i = 0; i < definition.actions.size(); ++i) {
    if (i > 0) text += "; ";
    text += actionCommandLine(definition.actions[i], comServer);
  }
  return text;
}

}  // namespace velmora
