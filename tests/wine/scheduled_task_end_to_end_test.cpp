// Scheduled tasks through the whole program: the real main window over the
// Task Scheduler double (the scheduler's real interfaces, in process), and
// the built velmora.exe started as a user starts it, over the double and
// over Wine's own scheduler, which lists nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/all_families.h"
#include "app/win32/main_frame.h"
#include "core/paths.h"
#include "core/win32/log_component.h"
#include "history_dialog_res.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/frame_dialogs.h"
#include "wine/support/remote_process.h"
#include "wine/support/sample_task.h"
#include "wine/support/task_double.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

constexpr int kTasksNode = 16;
constexpr int kUnchecked = 1;
constexpr int kChecked = 2;
const std::string kUpdater = "\\Vendor\\Updater Task";
const std::string kBoot = "\\Backup at Boot";

class TasksInTheWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    language.setFile(directoryPart(win32::programPath()) + "\\velmora.language");
    tasks.addTask(kUpdater, sampleTask("C:\\Program Files\\Vendor\\update.exe"));
    tasks.addTask(kBoot, sampleTask("C:\\backup.exe", "", kBootTrigger, false, kBoot));
    frame = std::make_unique<win32::MainFrame>(files, language, nullptr);
    ASSERT_NE(frame->create(GetModuleHandleW(nullptr), nullptr), nullptr);
    ShowWindow(frame->hwnd(), SW_SHOW);
    pumpMessages();
  }
  void TearDown() override {
    frame.reset();
    pumpMessages();
  }
  // The tasks node, once the worker's reading of the tasks came.
  HWND selectTasks() {
    SendMessageW(frame->tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(frame->treeItem(kTasksNode)));
    HWND list = GetDlgItem(frame->pane(kTasksNode).hwnd(), IDC_ENTRYLIST);
    for (int tries = 0; tries < 200 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0; ++tries) {
      pumpMessages();
      Sleep(50);
    }
    return list;
  }

  win32::ComScope com;
  TaskDoubleInstalled tasks;
  TempDir dir;
  ProgramFiles files{dir.path(), "velmora"};
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  FrameDialogs dialogs{[this] { return frame ? frame->hwnd() : nullptr; }};
  std::unique_ptr<win32::MainFrame> frame;
};

TEST_F(TasksInTheWindow, ItsBoxIsTheSchedulersSwitchAndRemoveComesBackThroughUndo) {
  HWND list = selectTasks();
  const int updater = rowWhere(list, 3, kUpdater);
  const int boot = rowWhere(list, 3, kBoot);
  ASSERT_GE(updater, 0);
  ASSERT_GE(boot, 0);
  EXPECT_EQ(cellText(list, updater, 1), widen(language.translate("_TaskAtLogon")));
  EXPECT_EQ(cellText(list, boot, 1), widen(language.translate("_TaskAtStartup")));
  EXPECT_EQ(cellText(list, updater, 2), L"\"C:\\Program Files\\Vendor\\update.exe\" /silent");

  setBox(list, updater, kUnchecked);
  EXPECT_FALSE(tasks.taskEnabled(kUpdater));
  EXPECT_EQ(boxImage(list, updater), kUnchecked);
  setBox(list, updater, kChecked);
  EXPECT_TRUE(tasks.taskEnabled(kUpdater));
  EXPECT_TRUE(dialogs.shown.empty());

  const std::string xml = tasks.taskXml(kBoot);
  LVITEMW selected{};
  selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(boot), reinterpret_cast<LPARAM>(&selected));
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);  // answered OK
  pumpMessages();
  ASSERT_FALSE(tasks.taskExists(kBoot));
  ASSERT_EQ(dialogs.shown.size(), 1u) << "the Remove question";
  EXPECT_EQ(rowWhere(list, 3, kBoot), -1);

  dialogs.historyDialog = [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0); };
  SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(ID_HISTORY, 0), 0);
  pumpMessages();
  EXPECT_EQ(tasks.taskXml(kBoot), xml) << "registered again with its exact definition";
  EXPECT_GE(rowWhere(list, 3, kBoot), 0) << "the visible pane was refreshed";
  EXPECT_EQ(dialogs.shown.size(), 1u);
}

// --- The built program, in a process of its own ------------------------------

// The tasks node of the running program selected through its tree; its list.
HWND showTasks(StartedProgram& program, RemoteBuffer& mem, HWND frame) {
  HWND tree = visibleChildWithId(frame, IDC_CATEGORYTREE);
  if (!tree) return nullptr;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  // All Entries stands first, then the nodes in their order.
  for (int i = 0; i < kTasksNode + 1 && item; ++i) {
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
  }
  if (!item || remoteTreeItem(mem, tree, item).value != kTasksNode) return nullptr;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  (void)program;
  return visibleChildWithId(frame, IDC_ENTRYLIST);
}

int remoteRowWhere(RemoteBuffer& mem, HWND list, int column, const std::string& text) {
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < count; ++r) {
    if (remoteCell(mem, list, r, column) == widen(text)) return r;
  }
  return -1;
}

void remoteSetBox(RemoteBuffer& mem, HWND list, int row, int image) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(image);
  mem.put(item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem.address());
}

TEST(RealProgramTasks, ListsSwitchesOffAndOnTheTasksOfTheDouble) {
  const SettingsSetAside settings;  // it keeps its node and layout at the close
  TaskDoubleInstalled tasks;
  tasks.addTask(kUpdater, sampleTask("C:\\Program Files\\Vendor\\update.exe"));
  ProgramCopy copy;
  StartedProgram program(copy.dir.file("velmora.exe"), "", copy.dir.path());
  ASSERT_TRUE(program.started());
  HWND frame = program.dialog(L"Velmora (V 2.0)");
  ASSERT_NE(frame, nullptr);
  RemoteBuffer mem(program.id());
  ASSERT_TRUE(mem.ok());
  HWND list = showTasks(program, mem, frame);
  ASSERT_NE(list, nullptr);
  const int row = remoteRowWhere(mem, list, 3, kUpdater);
  ASSERT_GE(row, 0) << "the double's task is listed";
  EXPECT_EQ(remoteCell(mem, list, row, 0), L"Updater Task");

  remoteSetBox(mem, list, row, kUnchecked);
  EXPECT_FALSE(tasks.taskEnabled(kUpdater)) << "switched off by the scheduler's own switch";
  remoteSetBox(mem, list, row, kChecked);
  EXPECT_TRUE(tasks.taskEnabled(kUpdater));
  EXPECT_FALSE(win32::fileExists(copy.dir.file("config.xml"))) << "nothing of a task goes to config.xml";

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
}

// All Entries, shown at start, lists the double's task among the other
// places' rows once the window is up, and its box is the task's switch
// there too.
TEST(RealProgramTasks, AllEntriesAtStartListsTheTaskBesideARunValueAndSwitchesIt) {
  const SettingsSetAside settings;  // the first start's node, whatever ran before
  TaskDoubleInstalled tasks;
  tasks.addTask(kUpdater, sampleTask("C:\\Program Files\\Vendor\\update.exe"));
  const std::wstring runName = L"Velmora all tasks " + std::to_wstring(GetCurrentProcessId());
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &run, nullptr),
            ERROR_SUCCESS);
  const std::wstring command = L"C:\\E2E\\beside.exe";
  RegSetValueExW(run, runName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  ProgramCopy copy;
  StartedProgram program(copy.dir.file("velmora.exe"), "", copy.dir.path());
  ASSERT_TRUE(program.started());
  HWND frame = program.dialog(L"Velmora (V 2.0)");
  ASSERT_NE(frame, nullptr);
  RemoteBuffer mem(program.id());
  ASSERT_TRUE(mem.ok());
  HWND tree = visibleChildWithId(frame, IDC_CATEGORYTREE);
  ASSERT_NE(tree, nullptr);
  const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  EXPECT_EQ(caret, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
  EXPECT_EQ(remoteTreeItem(mem, tree, caret).value, kAllEntriesNode);
  HWND list = visibleChildWithId(frame, IDC_ENTRYLIST);
  ASSERT_NE(list, nullptr);
  // The tasks come in the listing that follows the window's first.
  int row = -1;
  for (int tries = 0; tries < 100 && row < 0; ++tries) {
    row = remoteRowWhere(mem, list, 3, kUpdater);
    if (row < 0) Sleep(100);
  }
  ASSERT_GE(row, 0) << "the double's task is listed";
  EXPECT_GE(remoteRowWhere(mem, list, 0, win32::narrow(runName)), 0) << "beside the Run value";

  remoteSetBox(mem, list, row, kUnchecked);
  EXPECT_FALSE(tasks.taskEnabled(kUpdater)) << "switched off by the scheduler's own switch";
  remoteSetBox(mem, list, row, kChecked);
  EXPECT_TRUE(tasks.taskEnabled(kUpdater));

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
  RegDeleteValueW(run, runName.c_str());
  RegCloseKey(run);
}

TEST(RealProgramTasks, OverWinesOwnSchedulerTheNodeSaysTheListIsNotAvailable) {
  const SettingsSetAside settings;
  ProgramCopy copy;
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  language.setFile(copy.dir.file("velmora.language"));
  StartedProgram program(copy.dir.file("velmora.exe"), "", copy.dir.path());
  ASSERT_TRUE(program.started());
  HWND frame = program.dialog(L"Velmora (V 2.0)");
  ASSERT_NE(frame, nullptr);
  RemoteBuffer mem(program.id());
  HWND list = showTasks(program, mem, frame);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  HWND status = FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
  ASSERT_NE(status, nullptr);
  // Said while the worker reads, then what it found.
  const std::wstring reading = widen(language.translate("_StatusReadingLater"));
  for (int waited = 0; waited < 15000; waited += 100) {
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(mem.text()));
    if (mem.readText() != reading) break;
    Sleep(100);
  }
  EXPECT_EQ(mem.readText(), widen(language.translate("_TasksUnavailable")));
  EXPECT_EQ(program.dialog(widen(language.translate("_ToolVelmora")), 500), nullptr) << "never a message box";

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exitCode(15000), std::optional<DWORD>(2));
}

}  // namespace
}  // namespace velmora::testing
