#pragma once
// Where the double keeps the scheduler's state, so that every process using
// it (a test and the velmora.exe it starts) sees the same tasks. Below a root
// folder, the scheduler folder "\Vendor" is the folder "Vendor", the task
// "\Vendor\Updater Task" is the file "Vendor\Updater Task.xml" holding the
// definition as registered (UTF-16LE with a byte order mark, so any text
// comes back unchanged), and a disabled task has "Updater Task.disabled"
// beside it, and its access list "Updater Task.sddl". The test support
// writes and reads tasks through this too.
#include <optional>
#include <string>
#include <vector>

namespace velmora::taskdouble {

// The scheduler path `path` names from the folder `base` ("\" or "\A\B"):
// `path` absolute ("\X\Y") or relative ("X\Y"), empty for `base` itself.
// None when a part is empty, "." or "..", or holds a character no file name
// may hold.
std::optional<std::wstring> resolvePath(const std::wstring& base, const std::wstring& path);
// The last part of a scheduler path ("\" for the root) and the folder holding it.
std::wstring leafName(const std::wstring& path);
std::wstring parentPath(const std::wstring& path);

// Settings/Hidden is true (a plain look for the element is enough here).
bool definitionHidden(const std::wstring& xml);
// Settings/Enabled is false: the task is registered disabled.
bool definitionDisabled(const std::wstring& xml);

class TaskStore {
 public:
  explicit TaskStore(std::wstring root) : root_(std::move(root)) {}

  bool folderExists(const std::wstring& path) const;
  bool taskExists(const std::wstring& path) const;
  // Names, in order, of the folders and tasks directly in a folder.
  std::vector<std::wstring> folderNames(const std::wstring& path) const;
  std::vector<std::wstring> taskNames(const std::wstring& path) const;

  std::optional<std::wstring> readTask(const std::wstring& path) const;
  // Creates the task's folders as needed; replaces what is there.
  bool writeTask(const std::wstring& path, const std::wstring& xml, bool enabled) const;
  bool enabled(const std::wstring& path) const;
  bool setEnabled(const std::wstring& path, bool enabled) const;
  bool deleteTask(const std::wstring& path) const;
  // Who may reach the task (SDDL, in "<name>.sddl" beside it); a task
  // registered without one has the scheduler's default.
  std::wstring security(const std::wstring& path) const;
  bool setSecurity(const std::wstring& path, const std::wstring& sddl) const;
  // With the folders above it.
  bool createFolder(const std::wstring& path) const;
  // Only an empty one.
  bool deleteFolder(const std::wstring& path) const;

 private:
  std::wstring diskPath(const std::wstring& path) const;
  std::wstring root_;
};

}  // namespace velmora::taskdouble
