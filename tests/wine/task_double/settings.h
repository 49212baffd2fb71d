#pragma once
// What the test that installed the double asks of it, read from the values
// on the scheduler's class key at every call, so a test can change them
// while the client runs.
#include <optional>
#include <string>

#include "wine/task_double/task_store.h"

namespace velmora::taskdouble {

// REG_SZ TasksFolder: the root of the store; none when it is not set.
std::optional<TaskStore> currentStore();

// DWORD switches, off when absent.
// IgnoreEnable: put_Enabled answers success and changes nothing, as Wine's does.
bool ignoreEnable();
// DenyChanges: every change is refused with E_ACCESSDENIED.
bool denyChanges();
// RefuseEnumeration: listing tasks or folders answers E_NOTIMPL, as Wine's does.
bool refuseEnumeration();

// DWORD delays in milliseconds, none when absent, so a test or benchmark can
// hold a slow service steady: ListDelayMs before every folder's tasks are
// listed, DefinitionDelayMs before every task's definition is given.
void waitListDelay();
void waitDefinitionDelay();

}  // namespace velmora::taskdouble
