#pragma once
// What Velmora needs of a task's XML definition: whether it starts at logon
// or at system start, and what it runs. The XML is parsed by the platform's
// reader into a plain element tree; this reads the tree, so the rules are
// the same (and tested) everywhere.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/xml_element.h"

namespace velmora {

// The task definition's namespace.
inline constexpr std::string_view kTaskNamespace = "http://schemas.microsoft.com/windows/2004/02/mit/task";

struct TaskAction {
  enum class Kind { Exec, ComHandler };
  Kind kind = Kind::Exec;
  // Exec: the program and its arguments, as written (environment variables
  // not expanded).
  std::string command;
  std::string arguments;
  // ComHandler: the class id, as written ("{...}").
  std::string classId;
};

// Whom a task runs as, as its definition says (Principals/Principal): the
// account (a SID or a name) or group, how it logs on (InteractiveToken,
// Password, S4U, ServiceAccount...) and with which rights (LeastPrivilege,
// HighestAvailable). Empty texts where the definition says nothing.
struct TaskPrincipal {
  std::string userId;
  std::string groupId;
  std::string logonType;
  std::string runLevel;
  bool operator==(const TaskPrincipal&) const = default;
};

struct TaskDefinition {
  // An enabled trigger of each kind (a trigger whose Enabled is false starts
  // nothing).
  bool atLogon = false;
  bool atStartup = false;
  // It has logon or boot triggers, and every one of them is off: it looks
  // like a startup task but does not start (offTriggerAtLogon: a logon one
  // is among them).
  bool triggersOff = false;
  bool offTriggerAtLogon = false;
  // Settings/Hidden.
  bool hidden = false;
  // Principal/LogonType is Password: it runs whether or not the user is
  // logged on, with a stored password that registering it again needs.
  bool needsPassword = false;
  // Exec and COM handler actions, in document order.
  std::vector<TaskAction> actions;
  // RegistrationInfo/URI: the path the task had when the scheduler wrote
  // the definition out ("\Vendor\Updater Task"); empty when it names none.
  std::string uri;
  // The first principal (a task runs as one); none when it names none.
  std::optional<TaskPrincipal> principal;
};

// A definition larger than this (bytes of its text) is not read: no real
// task comes near it, and reading one of megabytes would hold the window.
// Its task is listed by name and path, saying it was not read.
constexpr std::size_t kLargestTaskDefinition = 1024 * 1024;

// The definition under `root`, the Task element (in the task namespace or in
// none); nothing when the root is something else.
std::optional<TaskDefinition> readTaskDefinition(const XmlElement& root);

// One action as the Command column shows it: an exec action's program
// (quoted when it holds a space and is not quoted yet) and its arguments; a
// COM handler's class id followed by the DLL `comServer` names for it in
// parentheses (nothing when it answers empty).
std::string actionCommandLine(const TaskAction& action,
                              const std::function<std::string(const std::string& classId)>& comServer);
// The command line whose program file says who made an action's program and
// whether it is there: an exec action's own (actionCommandLine); for a COM
// handler, the DLL `comServer` names for its class, quoted (nothing when
// none is registered): the class id is no file.
std::string actionProgram(const TaskAction& action,
                          const std::function<std::string(const std::string& classId)>& comServer);
// Every action's, "; " between them.
std::string taskCommandText(const TaskDefinition& definition,
                            const std::function<std::string(const std::string& classId)>& comServer);

}  // namespace velmora
