#pragma once
// The double's objects, each made with one reference for its caller. Each
// remembers only a scheduler path and reads the store afresh at every call,
// as the real service reads its own state.
#include <windows.h>
#include <taskschd.h>

#include <string>
#include <vector>

namespace velmora::taskdouble {

ITaskService* newTaskService();
ITaskFolder* newTaskFolder(const std::wstring& path);
IRegisteredTask* newRegisteredTask(const std::wstring& path);
// Collections of what a folder held when it was asked (full paths).
ITaskFolderCollection* newFolderCollection(std::vector<std::wstring> paths);
IRegisteredTaskCollection* newTaskCollection(std::vector<std::wstring> paths);

// The scheduler's answer when the store named by the class key is missing.
inline constexpr HRESULT kNoStore = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

}  // namespace velmora::taskdouble
