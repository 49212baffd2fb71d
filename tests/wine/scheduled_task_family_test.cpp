// The Task Scheduler adapter and the scheduled-tasks family over it: against
// the in-process double that implements the scheduler's real interfaces
// (Wine's own lists nothing and ignores put_Enabled), and a smoke test of
// what Wine's own scheduler does implement.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "fakes/fake_history.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/family_driver.h"
#include "history/change_commit.h"
#include "history/change_history.h"
#include "history/change_undo.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "scheduledtasks/scheduled_task_family.h"
#include "app/win32/program_files_win32.h"
#include "core/text.h"
#include "scheduledtasks/win32/task_scheduler_win32.h"
#include "wine/support/sample_task.h"
#include "wine/task_double/task_store.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

const std::string kUpdater = "\\Vendor\\Updater Task";
const std::string kNested = "\\Vendor\\Deep\\Boot Helper";
const std::string kHidden = "\\Hidden Sync";
const std::string kDaily = "\\Daily";

// The family over the real adapter, its results committed into a change
// history whose copies are real files.
struct TaskWorld {
  win32::ComScope com;
  TempDir dir;
  win32::TaskSchedulerWin32 port;
  FakeStore store;
  MapTranslator tr;
  OperationLog log{tr};
  FakeHistoryFile file;
  ChangeHistory history{file, dir.file("History")};
  ChangeCommit commit{log, &history, tr};
  ScriptedPrompt prompt;
  FamilyContext context{store, tr, dir.path(), nullptr, nullptr, &history};
  FamilyTable table{{scheduledTaskFamily(port, context)}};
  DrivenFamily pane() {
    DrivenFamily p(table.family("scheduledtasks").make({"\\"}), prompt, commit);
    p->list();
    return p;
  }
  int row(DrivenFamily& p, const std::string& path) {
    const auto& rows = p->rows();
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.path == path; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
  }
};

TEST(TaskSchedulerAdapter, ListsEveryFolderDownHiddenTasksTooWithTheirExactDefinitions) {
  TaskDoubleInstalled tasks;
  tasks.addTask(kUpdater, sampleTask("C:\\Program Files\\Vendor\\update.exe"));
  tasks.addTask(kNested, sampleTask("C:\\boot.exe", "", kBootTrigger), false);
  tasks.addTask(kHidden, sampleTask("C:\\sync \xC5\x81\xC3\xB3\x64\xC5\xBA.exe", "&quot;a b&quot;", kLogonTrigger, true));
  tasks.addTask(kDaily, sampleTask("C:\\daily.exe", "", kDailyTrigger));
  TaskWorld w;
  std::vector<RegisteredTaskInfo> all;
  ASSERT_EQ(w.port.listTasks(all), TaskStatus::Ok);
  ASSERT_EQ(all.size(), 4u);
  for (const RegisteredTaskInfo& t : all) {
    EXPECT_EQ(t.xml, tasks.taskXml(t.path)) << t.path;
    EXPECT_EQ(t.name, t.path.substr(t.path.rfind('\\') + 1));
    EXPECT_EQ(t.enabled, t.path != kNested) << t.path;
  }

  auto p = w.pane();
  ASSERT_EQ(p->rows().size(), 3u) << "the daily task starts nothing at logon";
  const int hidden = w.row(p, kHidden);
  ASSERT_GE(hidden, 0);
  EXPECT_EQ(p->rows()[hidden].data, "\"C:\\sync \xC5\x81\xC3\xB3\x64\xC5\xBA.exe\" \"a b\"");
  EXPECT_EQ(p->rows()[hidden].type, "_TaskAtLogon");
  const int nested = w.row(p, kNested);
  ASSERT_GE(nested, 0);
  EXPECT_EQ(p->rows()[nested].type, "_TaskAtStartup");
  EXPECT_EQ(p->rows()[nested].state, RowState::Disabled);
}

TEST(TaskSchedulerAdapter, TheSwitchCountsOnlyWhenItReadsBackAndRefusalsAreSaid) {
  TaskDoubleInstalled tasks;
  tasks.addTask(kUpdater, sampleTask("C:\\update.exe"));
  TaskWorld w;
  auto p = w.pane();
  ASSERT_TRUE(p->disable(0).done());
  EXPECT_FALSE(tasks.taskEnabled(kUpdater));
  ASSERT_TRUE(undoChange(w.table, w.history.changes()->front(), w.prompt, w.commit, w.tr));
  EXPECT_TRUE(tasks.taskEnabled(kUpdater));

  tasks.setSwitch("IgnoreEnable", true);  // as Wine's own scheduler answers
  p->list();
  EXPECT_FALSE(p->disable(0).done());
  EXPECT_EQ(w.prompt.messages, (std::vector<std::string>{"_TaskSwitchIgnored"}));
  tasks.setSwitch("IgnoreEnable", false);
  tasks.setSwitch("DenyChanges", true);
  EXPECT_FALSE(p->disable(0).done());
  EXPECT_FALSE(p->remove(0).done());
  EXPECT_EQ(w.prompt.messages.back(), "_TaskRefused");
  EXPECT_TRUE(tasks.taskEnabled(kUpdater));
  EXPECT_TRUE(tasks.taskExists(kUpdater));
}

TEST(TaskSchedulerAdapter, RemoveKeepsTheDefinitionAsUtf16AndUndoRegistersTheSameText) {
  TaskDoubleInstalled tasks;
  const std::string xml =
      sampleTask("C:\\Program Files\\Vendor\\\xE6\x97\xA5\xE6\x9C\xAC.exe", "/silent", kLogonTrigger, false, kNested);
  tasks.addTask(kNested, xml, false);
  // Rights of its own, not the scheduler's default.
  const std::string rights = "D:(A;;FA;;;SY)(A;;GR;;;WD)";
  ASSERT_TRUE(taskdouble::TaskStore(win32::widen(tasks.folder())).setSecurity(win32::widen(kNested), win32::widen(rights)));
  TaskWorld w;
  auto p = w.pane();
  ASSERT_TRUE(p->remove(0).done());
  EXPECT_FALSE(tasks.taskExists(kNested));
  const Change removed = w.history.changes()->front();
  const std::string copy = readFile(w.history.copyPath(removed.copy));
  ASSERT_GE(copy.size(), 2u);
  EXPECT_EQ(copy.substr(0, 2), "\xFF\xFE") << "UTF-16, as the definition declares";
  const std::wstring wide = win32::widen(xml);
  EXPECT_EQ(copy.substr(2), std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));

  // Who could reach it, kept with the change, from the scheduler's own answer.
  ASSERT_EQ(removed.extra.count("sddl"), 1u);
  EXPECT_EQ(removed.extra.at("sddl"), rights);

  ASSERT_TRUE(undoChange(w.table, removed, w.prompt, w.commit, w.tr)) << ::testing::PrintToString(w.prompt.messages);
  EXPECT_EQ(tasks.taskXml(kNested), xml);
  EXPECT_FALSE(tasks.taskEnabled(kNested)) << "back as it was: switched off";
  RegisteredTaskInfo back;
  ASSERT_EQ(w.port.readTask(kNested, back), TaskStatus::Ok);
  EXPECT_EQ(back.securityDescriptor, rights) << "registered with the rights it had";
}

// A class registered in the prefix for the test's life, in one registry view.
class ClassRegistration {
 public:
  ClassRegistration(const std::wstring& clsid, REGSAM view, DWORD type, const std::wstring& dll)
      : clsid_(clsid), view_(view) {
    HKEY k = nullptr;
    const std::wstring key = L"Software\\Classes\\CLSID\\" + clsid + L"\\InprocServer32";
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | view_,
                        nullptr, &k, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(k, nullptr, 0, type, reinterpret_cast<const BYTE*>(dll.c_str()),
                     static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(k);
    }
  }
  ~ClassRegistration() {
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | view_, &classes) ==
        ERROR_SUCCESS) {
      RegDeleteTreeW(classes, clsid_.c_str());
      RegCloseKey(classes);
    }
  }
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;

 private:
  std::wstring clsid_;
  REGSAM view_;
};

// A COM handler's program is the DLL its class registers: the 64-bit
// registration first, then the 32-bit programs' one, an expandable path
// expanded. The row's program file, publisher and status come from that
// DLL, not from the class id, which is no file.
TEST(TaskSchedulerAdapter, AComHandlersProgramIsTheDllItsClassRegisters) {
  const std::wstring a = L"{6E1A5C1D-0000-4000-8000-00000000000A}";
  const std::wstring b = L"{6E1A5C1D-0000-4000-8000-00000000000B}";
  const std::wstring c = L"{6E1A5C1D-0000-4000-8000-00000000000C}";
  const ClassRegistration aOnly(a, KEY_WOW64_64KEY, REG_EXPAND_SZ, L"%SystemRoot%\\system32\\wininet.dll");
  const ClassRegistration bOnly32(b, KEY_WOW64_32KEY, REG_SZ, L"\"C:\\Program Files (x86)\\Vendor\\handler.dll\"");
  const ClassRegistration c64(c, KEY_WOW64_64KEY, REG_SZ, L"C:\\sixty-four.dll");
  const ClassRegistration c32(c, KEY_WOW64_32KEY, REG_SZ, L"C:\\thirty-two.dll");
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string wininet = win32::narrow(windows) + "\\system32\\wininet.dll";
  {
    win32::TaskSchedulerWin32 port;
    EXPECT_TRUE(equalsIgnoreCase(port.comServer(win32::narrow(a)), wininet)) << port.comServer(win32::narrow(a));
    EXPECT_EQ(port.comServer(win32::narrow(b)), "C:\\Program Files (x86)\\Vendor\\handler.dll");
    EXPECT_EQ(port.comServer(win32::narrow(c)), "C:\\sixty-four.dll");
    EXPECT_EQ(port.comServer("{6E1A5C1D-0000-4000-8000-00000000000D}"), "");
  }

  TaskDoubleInstalled tasks;
  std::string xml = sampleTask("C:\\x.exe");
  const std::string exec = "<Exec><Command>C:\\x.exe</Command><Arguments>/silent</Arguments></Exec>";
  xml.replace(xml.find(exec), exec.size(), "<ComHandler><ClassId>" + win32::narrow(a) + "</ClassId></ComHandler>");
  tasks.addTask("\\Microsoft\\Windows\\Cache Task", xml);
  TaskWorld w;
  win32::Win32ProgramFiles files;
  w.context.programFiles = &files;
  w.tr.texts["_StatusFileMissing"] = "File not found";
  auto p = w.pane();
  const int row = w.row(p, "\\Microsoft\\Windows\\Cache Task");
  ASSERT_GE(row, 0);
  Row described = p->rows()[static_cast<std::size_t>(row)];
  p.family->describe(described);
  EXPECT_TRUE(equalsIgnoreCase(described.programFile, wininet)) << described.programFile;
  EXPECT_EQ(described.status.find("File not found"), std::string::npos) << described.status;
  EXPECT_FALSE(described.publisher.empty()) << "the DLL's own company";
}

// Wine's own scheduler: it connects, registers, reads and deletes a task by
// path, but lists none; the node then says so rather than look empty.
TEST(WineTaskScheduler, ReadsAndDeletesATaskByPathButCannotListSoTheNodeSaysSo) {
  TaskWorld w;
  std::vector<RegisteredTaskInfo> all;
  EXPECT_EQ(w.port.listTasks(all), TaskStatus::Unavailable);
  auto p = w.pane();
  EXPECT_TRUE(p->rows().empty());
  EXPECT_EQ(p.family->listingProblem(), "_TasksUnavailable");
  EXPECT_TRUE(w.prompt.messages.empty()) << "never a message box for it";

  const std::string path = "\\Velmora smoke";
  (void)w.port.deleteTask(path);  // left by a run that died
  ASSERT_EQ(w.port.registerTask(path, sampleTask("C:\\windows\\notepad.exe")), TaskStatus::Ok);
  RegisteredTaskInfo info;
  ASSERT_EQ(w.port.readTask(path, info), TaskStatus::Ok);
  EXPECT_EQ(info.path, path);
  EXPECT_TRUE(info.enabled);
  // Wine writes the definition out again from what it keeps of it, which
  // leaves out the actions: there is a definition, but not the one given.
  EXPECT_NE(info.xml.find("<Task"), std::string::npos);
  EXPECT_EQ(w.port.deleteTask(path), TaskStatus::Ok);
  EXPECT_EQ(w.port.readTask(path, info), TaskStatus::NotFound);
}

}  // namespace
}  // namespace velmora::testing
