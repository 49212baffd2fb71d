// TaskDoubleInstalled: the registry it changes comes back as it was, also
// after a test died, and the double it puts in place serves other processes
// and lets its DLL go only when nothing of it is left.
#include <gtest/gtest.h>
#include <taskschd.h>

#include <optional>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/task_client.h"
#include "wine/support/task_double.h"

namespace velmora::testing {
namespace {

using namespace task_client;
using win32::ComPtr;

std::string thisProgram() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return narrow(exe);
}

// Reads one value of the class key's tree; nullopt when absent.
std::optional<std::wstring> classValue(const wchar_t* subkey, const wchar_t* name) {
  const std::wstring key = std::wstring(TaskDoubleInstalled::kClassKey) + subkey;
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, data,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(data);
}

std::optional<DWORD> switchValue(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, TaskDoubleInstalled::kClassKey, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                   nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

TEST(TaskDoubleInstalled, PutsTheRegistrationBackExactly) {
  const auto server = classValue(L"\\InprocServer32", L"");
  const auto threading = classValue(L"\\InprocServer32", L"ThreadingModel");
  const auto tasksFolder = classValue(L"", L"TasksFolder");
  const auto ignoreEnable = switchValue(L"IgnoreEnable");
  // A value that was there before must come back, not be deleted.
  const DWORD before = 7;
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, TaskDoubleInstalled::kClassKey, L"DenyChanges", REG_DWORD, &before,
                            sizeof before),
            ERROR_SUCCESS);
  std::string folder;
  {
    TaskDoubleInstalled installed;
    folder = installed.folder();
    installed.setSwitch("DenyChanges", false);
    installed.setSwitch("IgnoreEnable", true);
    EXPECT_EQ(classValue(L"\\InprocServer32", L""), TaskDoubleInstalled::dllPath());
    EXPECT_EQ(classValue(L"", L"TasksFolder"), widen(folder));
    EXPECT_EQ(switchValue(L"DenyChanges"), 0u);
  }
  EXPECT_EQ(classValue(L"\\InprocServer32", L""), server);
  EXPECT_EQ(classValue(L"\\InprocServer32", L"ThreadingModel"), threading);
  EXPECT_EQ(classValue(L"", L"TasksFolder"), tasksFolder);
  EXPECT_EQ(switchValue(L"IgnoreEnable"), ignoreEnable);
  EXPECT_EQ(switchValue(L"DenyChanges"), before);
  EXPECT_EQ(GetFileAttributesW(widen(folder).c_str()), INVALID_FILE_ATTRIBUTES);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, TaskDoubleInstalled::kClassKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key),
            ERROR_SUCCESS);
  RegDeleteValueW(key, L"DenyChanges");
  RegCloseKey(key);
}

// Started by the next test in a process of its own: a test that dies with the
// double in place.
TEST(TaskDoubleInstalled, DISABLED_DiesWithTheDoubleInPlace) {
  new TaskDoubleInstalled;
  TerminateProcess(GetCurrentProcess(), 3);
}

TEST(TaskDoubleInstalled, UndoesWhatADeadTestLeftInPlace) {
  const auto server = classValue(L"\\InprocServer32", L"");
  const auto tasksFolder = classValue(L"", L"TasksFolder");
  {
    StartedProgram dead(thisProgram(), "--gtest_also_run_disabled_tests "
                                     "--gtest_filter=TaskDoubleInstalled.DISABLED_DiesWithTheDoubleInPlace");
    ASSERT_TRUE(dead.started());
    ASSERT_EQ(dead.exitCode(60000), 3u);
  }
  ASSERT_EQ(classValue(L"\\InprocServer32", L""), TaskDoubleInstalled::dllPath());
  { TaskDoubleInstalled next; }
  EXPECT_EQ(classValue(L"\\InprocServer32", L""), server);
  EXPECT_EQ(classValue(L"", L"TasksFolder"), tasksFolder);
}

// Started by the next test in a process of its own, as velmora.exe is: changes
// the tasks of the double its parent put in place.
TEST(TaskDoubleInstalled, DISABLED_ChangesTheParentsTasks) {
  win32::ComScope com;
  ComPtr<ITaskService> service;
  ASSERT_EQ(CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                             service.putVoid()),
            S_OK);
  ASSERT_EQ(service->Connect(noValue(), noValue(), noValue(), noValue()), S_OK);
  ComPtr<ITaskFolder> vendor;
  ASSERT_EQ(service->GetFolder(bstr("\\Vendor").get(), vendor.put()), S_OK);
  ComPtr<IRegisteredTask> task;
  ASSERT_EQ(vendor->GetTask(bstr("Updater Task").get(), task.put()), S_OK);
  ASSERT_EQ(task->put_Enabled(VARIANT_FALSE), S_OK);
  ASSERT_EQ(vendor->RegisterTask(bstr("Added Task").get(), bstr(definition("added.exe")).get(), TASK_CREATE, noValue(),
                                 noValue(), TASK_LOGON_INTERACTIVE_TOKEN, noValue(), task.put()),
            S_OK);
}

TEST(TaskDoubleInstalled, SharesItsTasksWithOtherProcesses) {
  TaskDoubleInstalled installed;
  installed.addTask("\\Vendor\\Updater Task", definition("updater.exe"));
  StartedProgram other(thisProgram(), "--gtest_also_run_disabled_tests "
                                      "--gtest_filter=TaskDoubleInstalled.DISABLED_ChangesTheParentsTasks");
  ASSERT_TRUE(other.started());
  ASSERT_EQ(other.exitCode(60000), 0u);
  EXPECT_FALSE(installed.taskEnabled("\\Vendor\\Updater Task"));
  EXPECT_EQ(installed.taskXml("\\Vendor\\Added Task"), definition("added.exe"));
}

TEST(TaskDoubleInstalled, LetsTheDllGoOnlyWhenNoObjectIsLeft) {
  TaskDoubleInstalled installed;
  HMODULE dll = LoadLibraryW(TaskDoubleInstalled::dllPath().c_str());
  ASSERT_TRUE(dll);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  auto getClassObject = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnloadNow = reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(getClassObject && canUnloadNow);
  EXPECT_EQ(canUnloadNow(), S_OK);
  {
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> other;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, other.putVoid()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClassObject(kTaskScheduler, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ComPtr<ITaskService> service;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(ITaskService), service.putVoid()), S_OK);
    factory.reset();
    ASSERT_EQ(service->Connect(noValue(), noValue(), noValue(), noValue()), S_OK);
    ComPtr<ITaskFolder> root;
    ASSERT_EQ(service->GetFolder(bstr("\\").get(), root.put()), S_OK);
    ComPtr<IDispatch> asDispatch = root.as<IDispatch>(IID_IDispatch);
    EXPECT_TRUE(asDispatch);
    service.reset();
    // The folder outlives the service that made it.
    EXPECT_EQ(text(root.get(), &ITaskFolder::get_Path), "\\");
    EXPECT_EQ(canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(canUnloadNow(), S_OK);
  FreeLibrary(dll);
}

}  // namespace
}  // namespace velmora::testing
