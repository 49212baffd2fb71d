#pragma once
// Puts the Task Scheduler double (velmora_task_double.dll, built beside the
// test programs) in place of the prefix's Task Scheduler, for tests of code
// that lists and changes scheduled tasks: Wine's own scheduler lists no task
// and ignores put_Enabled. The double keeps its tasks in files, so that
// velmora.exe started by a test sees the same ones.
#include <memory>
#include <string>

#include "wine/support/win_test_support.h"

namespace velmora::testing {

// While it lives, the class {0F87369F-A4E5-4CFC-BD3E-73E6154572DD} is served
// by the double, from a fresh empty folder of tasks. Everything it changed
// in the registry is put back exactly when it goes, values and keys that
// were not there removed again. Paths are the scheduler's
// ("\Vendor\Updater Task"); text is UTF-8.
class TaskDoubleInstalled {
 public:
  TaskDoubleInstalled();
  ~TaskDoubleInstalled();
  TaskDoubleInstalled(const TaskDoubleInstalled&) = delete;
  TaskDoubleInstalled& operator=(const TaskDoubleInstalled&) = delete;

  // The class key below HKEY_LOCAL_MACHINE (64-bit view) the double reads.
  static const wchar_t* const kClassKey;
  // The double, beside the running test program.
  static std::wstring dllPath();

  // The folder that holds the tasks.
  const std::string& folder() const { return tasks_.path(); }

  // Registers a task as the scheduler would (folders created as needed),
  // replacing one already there.
  void addTask(const std::string& path, const std::string& xml, bool enabled = true) const;
  bool taskExists(const std::string& path) const;
  bool taskEnabled(const std::string& path) const;
  // The definition exactly as stored; empty when there is no such task.
  std::string taskXml(const std::string& path) const;

  // "IgnoreEnable" (put_Enabled succeeds and changes nothing, as Wine's),
  // "DenyChanges" (changes answer E_ACCESSDENIED), "RefuseEnumeration"
  // (listing answers E_NOTIMPL, as Wine's).
  void setSwitch(const std::string& name, bool on) const;
  // "ListDelayMs" (each folder's tasks listed that late), "DefinitionDelayMs"
  // (each definition given that late): a slow service, held steady.
  void setNumber(const std::string& name, DWORD value) const;

 private:
  struct Saved;
  TempDir tasks_;
  std::unique_ptr<Saved> saved_;
};

}  // namespace velmora::testing
