// The Task Scheduler double through raw COM, where its answers could differ
// from the real scheduler's without the adapter's tests noticing: connect
// first, hidden tasks only when asked for, the test switches, creating over
// a task. Listing, reading, switching and deleting are asserted where the
// adapter uses them (scheduled_task_family_test.cpp).
#include <gtest/gtest.h>
#include <taskschd.h>


#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "wine/support/task_client.h"
#include "wine/support/task_double.h"

namespace velmora::testing {
namespace {

using win32::ComPtr;
using win32::widen;

using namespace task_client;

class TaskDouble : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                               service.putVoid()),
              S_OK);
    ASSERT_EQ(service->Connect(noValue(), noValue(), noValue(), noValue()), S_OK);
  }

  ComPtr<ITaskFolder> folder(const std::string& path) {
    ComPtr<ITaskFolder> out;
    EXPECT_EQ(service->GetFolder(bstr(path).get(), out.put()), S_OK) << path;
    return out;
  }
  ComPtr<IRegisteredTask> task(const std::string& path) {
    ComPtr<IRegisteredTask> out;
    EXPECT_EQ(folder("\\")->GetTask(bstr(path).get(), out.put()), S_OK) << path;
    return out;
  }
  std::vector<ComPtr<IRegisteredTask>> tasksIn(ITaskFolder* in, LONG flags) {
    ComPtr<IRegisteredTaskCollection> tasks;
    EXPECT_EQ(in->GetTasks(flags, tasks.put()), S_OK);
    std::vector<ComPtr<IRegisteredTask>> items;
    LONG count = 0;
    if (tasks) tasks->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      ComPtr<IRegisteredTask> item;
      EXPECT_EQ(tasks->get_Item(index(i), item.put()), S_OK);
      if (item) items.push_back(item);
    }
    return items;
  }
  std::vector<std::string> taskNames(ITaskFolder* in, LONG flags) {
    std::vector<std::string> names;
    for (const auto& item : tasksIn(in, flags)) names.push_back(text(item.get(), &IRegisteredTask::get_Name));
    return names;
  }
  HRESULT registerTask(ITaskFolder* in, const std::string& path, const std::string& xml, LONG flags,
                       ComPtr<IRegisteredTask>* registered = nullptr) {
    ComPtr<IRegisteredTask> out;
    const HRESULT hr = in->RegisterTask(bstr(path).get(), bstr(xml).get(), flags, noValue(), noValue(),
                                        TASK_LOGON_INTERACTIVE_TOKEN, noValue(), out.put());
    if (registered) *registered = out;
    return hr;
  }

  win32::ComScope com;
  TaskDoubleInstalled installed;
  ComPtr<ITaskService> service;
};

TEST_F(TaskDouble, AnswersOnlyOnceConnected) {
  ComPtr<ITaskService> fresh;
  ASSERT_EQ(CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService), fresh.putVoid()),
            S_OK);
  VARIANT_BOOL connected = VARIANT_TRUE;
  EXPECT_EQ(fresh->get_Connected(&connected), S_OK);
  EXPECT_EQ(connected, VARIANT_FALSE);
  ComPtr<ITaskFolder> root;
  EXPECT_EQ(fresh->GetFolder(bstr("\\").get(), root.put()), HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED));

  ASSERT_EQ(fresh->Connect(noValue(), noValue(), noValue(), noValue()), S_OK);
  EXPECT_EQ(fresh->get_Connected(&connected), S_OK);
  EXPECT_EQ(connected, VARIANT_TRUE);
  EXPECT_EQ(fresh->GetFolder(bstr("\\").get(), root.put()), S_OK);
}

TEST_F(TaskDouble, LeavesHiddenTasksOutUnlessAskedFor) {
  installed.addTask("\\Vendor\\Shown", definition("shown.exe"));
  installed.addTask("\\Vendor\\Secret", definition("secret.exe", true));
  EXPECT_EQ(taskNames(folder("\\Vendor").get(), 0), std::vector<std::string>{"Shown"});
  EXPECT_EQ(taskNames(folder("\\Vendor").get(), TASK_ENUM_HIDDEN), (std::vector<std::string>{"Secret", "Shown"}));
}

TEST_F(TaskDouble, SwitchesActAsSoonAsTheyAreSet) {
  installed.addTask("\\Vendor\\Updater Task", definition("updater.exe"));
  ComPtr<IRegisteredTask> t = task("\\Vendor\\Updater Task");
  ComPtr<ITaskFolder> vendor = folder("\\Vendor");

  installed.setSwitch("IgnoreEnable", true);
  EXPECT_EQ(t->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_TRUE(installed.taskEnabled("\\Vendor\\Updater Task"));
  installed.setSwitch("IgnoreEnable", false);

  installed.setSwitch("DenyChanges", true);
  EXPECT_EQ(t->put_Enabled(VARIANT_FALSE), E_ACCESSDENIED);
  EXPECT_EQ(vendor->DeleteTask(bstr("Updater Task").get(), 0), E_ACCESSDENIED);
  EXPECT_EQ(registerTask(vendor.get(), "Other Task", definition("other.exe"), TASK_CREATE), E_ACCESSDENIED);
  EXPECT_TRUE(installed.taskEnabled("\\Vendor\\Updater Task"));
  EXPECT_FALSE(installed.taskExists("\\Vendor\\Other Task"));
  installed.setSwitch("DenyChanges", false);

  installed.setSwitch("RefuseEnumeration", true);
  ComPtr<IRegisteredTaskCollection> tasks;
  ComPtr<ITaskFolderCollection> folders;
  EXPECT_EQ(vendor->GetTasks(TASK_ENUM_HIDDEN, tasks.put()), E_NOTIMPL);
  EXPECT_EQ(vendor->GetFolders(0, folders.put()), E_NOTIMPL);
  installed.setSwitch("RefuseEnumeration", false);

  EXPECT_EQ(vendor->GetTasks(TASK_ENUM_HIDDEN, tasks.put()), S_OK);
  EXPECT_EQ(t->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_FALSE(installed.taskEnabled("\\Vendor\\Updater Task"));
}

TEST_F(TaskDouble, RegistersNewTasksAndRefusesToCreateOverOne) {
  installed.addTask("\\Vendor\\Updater Task", definition("updater.exe"));
  ComPtr<ITaskFolder> root = folder("\\");

  EXPECT_EQ(registerTask(root.get(), "\\Vendor\\Updater Task", definition("evil.exe"), TASK_CREATE),
            HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(installed.taskXml("\\Vendor\\Updater Task"), definition("updater.exe"));
  EXPECT_EQ(registerTask(root.get(), "\\Vendor\\Missing", definition("m.exe"), TASK_UPDATE), kNotFound);

  ComPtr<IRegisteredTask> created;
  ASSERT_EQ(registerTask(root.get(), "\\New Vendor\\Sub\\Fresh Task", definition("fresh.exe"), TASK_CREATE, &created),
            S_OK);
  ASSERT_TRUE(created);
  EXPECT_EQ(text(created.get(), &IRegisteredTask::get_Path), "\\New Vendor\\Sub\\Fresh Task");
  EXPECT_EQ(installed.taskXml("\\New Vendor\\Sub\\Fresh Task"), definition("fresh.exe"));
  EXPECT_EQ(text(folder("\\New Vendor\\Sub").get(), &ITaskFolder::get_Path), "\\New Vendor\\Sub");

  ASSERT_EQ(registerTask(folder("\\Vendor").get(), "Updater Task", definition("new.exe"), TASK_CREATE_OR_UPDATE),
            S_OK);
  EXPECT_EQ(installed.taskXml("\\Vendor\\Updater Task"), definition("new.exe"));

  // A definition saying it is disabled is registered so.
  std::string off = definition("off.exe");
  off.replace(off.find("<Settings>"), 10, "<Settings><Enabled>false</Enabled>");
  ASSERT_EQ(registerTask(root.get(), "Off Task", off, TASK_CREATE), S_OK);
  EXPECT_FALSE(installed.taskEnabled("\\Off Task"));
}

}  // namespace
}  // namespace velmora::testing
