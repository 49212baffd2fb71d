// Packaged apps through the whole program, over packages seeded in the test
// prefix as Windows records them (Wine has no package functions), through
// the real main window: the list, the box and Undo. The
// listing, the export and All Entries are tested natively.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/all_families.h"
#include "app/win32/main_frame.h"
#include "core/paths.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/frame_dialogs.h"
#include "wine/support/seeded_packages.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

constexpr int kUnchecked = 1;
constexpr int kChecked = 2;
const std::string kChatTask = kChat.family + "\\ChatStartup";
const std::string kGoneTask = kGone.family + "\\ClockStart";

std::string builtFile(const std::string& name) { return directoryPart(win32::programPath()) + "\\" + name; }

// Chat (on, its tray program signed), the Terminal (never run, named by
// resources), Notes (its sync off by policy), and a package whose folder is
// gone.
void seed(SeededPackages& seeded) {
  seeded.install(kChat);
  seeded.install(kTerminal, true, /*utf16=*/true);
  seeded.install(kNotes);
  seeded.install(kGone, /*withFolder=*/false);
  seeded.addFile(kChat, "bin\\ChatTray.exe", readFile(builtFile("signed_sample.exe")));
  seeded.setState(kChat, "ChatStartup", 2);
  seeded.setState(kNotes, "NotesSync", 3);
  seeded.setState(kGone, "ClockStart", 2);
}

class PackagedAppsInTheWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    language.setFile(builtFile("velmora.language"));
    seed(seeded);
    frame = std::make_unique<win32::MainFrame>(files, language, nullptr);
    ASSERT_NE(frame->create(GetModuleHandleW(nullptr), nullptr), nullptr);
    ShowWindow(frame->hwnd(), SW_SHOW);
    pumpMessages();
  }
  void TearDown() override {
    frame.reset();
    pumpMessages();
  }
  HWND select(int node) {
    SendMessageW(frame->tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(frame->treeItem(node)));
    pumpMessages();
    return GetDlgItem(frame->pane(node).hwnd(), IDC_ENTRYLIST);
  }
  static void selectRow(HWND list, int row) {
    LVITEMW selected{};
    selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selected));
    pumpMessages();
  }
  // Whether the Entry menu, as the frame greys it for the selected row,
  // offers `id`.
  bool offered(int node, int id) {
    const win32::MenuHandle menu = frame->pane(node).buildContextMenu();
    return menu && !(GetMenuState(menu.get(), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED);
  }
  std::wstring text(const char* key) { return widen(language.translate(key)); }

  win32::ComScope com;
  SettingsSetAside settings;
  SeededPackages seeded;
  TempDir dir;
  ProgramFiles files{dir.path(), "velmora"};
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  FrameDialogs dialogs{[this] { return frame ? frame->hwnd() : nullptr; }};
  std::unique_ptr<win32::MainFrame> frame;
};

TEST_F(PackagedAppsInTheWindow, TheBoxIsTheTasksStateAndOnlyTheirRowsOfferWindowsSettings) {
  HWND list = select(kPackagedAppsNode);
  const int chat = rowWhere(list, 3, kChatTask);
  ASSERT_GE(chat, 0);
  EXPECT_EQ(cellText(list, chat, 0), L"Contoso Chat tray");
  EXPECT_EQ(cellText(list, chat, 1), text("_PackagedStartupTask"));
  EXPECT_EQ(cellText(list, chat, 2), widen(seeded.folderOf(kChat) + "\\bin\\ChatTray.exe"));
  EXPECT_EQ(cellText(list, chat, 4), L"Contoso Ltd.") << "the manifest's publisher";
  EXPECT_EQ(cellText(list, chat, 5), text("_PackagedStateOn"));
  // The program files are looked up by a worker: their cells fill in.
  for (int waited = 0; waited < 10000 && cellText(list, chat, 6).empty(); waited += 50) {
    Sleep(50);
    pumpMessages();
  }
  EXPECT_EQ(cellText(list, chat, 6), L"Velmora Test Signer") << "signed by, as for any file";
  const int gone = rowWhere(list, 3, kGoneTask);
  ASSERT_GE(gone, 0) << "a package whose folder is gone is listed";
  EXPECT_EQ(cellText(list, gone, 5), text("_PackagedStateOn") + L"; " + text("_PackagedFolderMissing"));
  const int terminal = rowWhere(list, 3, kTerminal.family + "\\StartTerminalOnLoginTask");
  ASSERT_GE(terminal, 0);
  EXPECT_EQ(cellText(list, terminal, 0), L"Fabrikam.Terminal") << "Wine has no PRI: the package's plain name";
  EXPECT_EQ(cellText(list, terminal, 5), text("_PackagedStateOff") + L"; " + text("_StatusFileMissing"))
      << "its program is looked up as any other";

  setBox(list, chat, kUnchecked);
  EXPECT_EQ(seeded.state(kChat, "ChatStartup"), 1u);
  EXPECT_EQ(boxImage(list, chat), kUnchecked);
  EXPECT_EQ(cellText(list, chat, 5), text("_PackagedStateOffByUser"));
  setBox(list, chat, kChecked);
  EXPECT_EQ(seeded.state(kChat, "ChatStartup"), 2u);
  EXPECT_EQ(seeded.value(kChat, "ChatStartup", L"UserEnabledStartupOnce"), 1u);
  EXPECT_TRUE(dialogs.shown.empty());

  selectRow(list, chat);
  EXPECT_TRUE(offered(kPackagedAppsNode, IDC_OPENSTARTUPSETTINGS));
  EXPECT_TRUE(offered(kPackagedAppsNode, IDC_ABOUTFILE));
  EXPECT_FALSE(offered(kPackagedAppsNode, IDC_REMOVE));
  EXPECT_FALSE(offered(kPackagedAppsNode, IDC_MODIFY));
  EXPECT_FALSE(offered(kPackagedAppsNode, IDC_ADDNEW));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame->pane(kPackagedAppsNode).hwnd(), IDC_REMOVE)));

  EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace velmora::testing
