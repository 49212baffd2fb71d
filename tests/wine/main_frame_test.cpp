// The main window in this process: its tree, its sixteen panes, the
// selection change, command forwarding and the layout, over families that
// record what they are asked.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "app/all_families.h"
#include "app/win32/frame_commands.h"
#include "app/win32/language_menu.h"
#include "app/win32/main_frame.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_history.h"
#include "app/win32/skin_layer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "fakes/recording_family.h"
#include "lang/win32/translate_win32.h"
#include "app/win32/tree_images.h"
#include "app/win32/user_settings_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "entry_dialog_res.h"
#include "history/change_commit.h"
#include "history_dialog_res.h"
#include "pane/pane_layout.h"
#include "resource.h"
#include "startupfolder/folder_location.h"
#include "fakes/fake_packages.h"
#include "fakes/fake_tasks.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::MainFrame;
using win32::widen;

constexpr int kNodeCount = 19;
// All Entries: first in the tree and selected at the first start.
constexpr int kStartNode = 17;
constexpr const char* kAllUsers = "C:\\users\\Public\\Start Menu\\Programs\\Startup";

class FrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override {
    translator.texts = {{"_TreeStartupFolder", "Startup Folders"}, {"_AllUser", "All Users"},
                        {"_RunOnce", "RunOnce"},  {"_File", "&File"},  {"_Exit", "E&xit"},
                        {"_Operation", "&Entry"}, {"_Refresh", "Re&fresh"}};
    registry.put(RootKey::LocalMachine, std::string(kShellFoldersKey), "Common Startup", kAllUsers);
  }
  // The real families' tree and locations (the folder panes read the Shell
  // Folders values), over families that record what they are asked; the
  // frame makes the panes in node order, so the n-th family made is node n's.
  FamilyDescriptor recording(FamilyDescriptor real) {
    real.make = [this](std::vector<std::string> locations) -> std::unique_ptr<EntryFamily> {
      const auto index = made++;
      auto f = std::make_unique<RecordingFamily>();
      f->rowsToFill = {{"r" + std::to_string(index), "t", "d", "p", RowState::Live}};
      // Past the panes: a family made for an Undo.
      if (index >= kNodeCount) return f;
      families[index] = f.get();
      lists[index] = std::move(locations);
      return f;
    };
    return real;
  }
  // Every family the program has, from its own list of them, each recording.
  std::unique_ptr<FamilyTable> recordingTable() {
    made = 0;
    std::vector<FamilyDescriptor> all;
    for (FamilyDescriptor& real : allFamilies({registry, folders, links, noShortPaths(), tasks, packages, "C:\\Velmora"}, context)) {
      all.push_back(recording(std::move(real)));
    }
    return std::make_unique<FamilyTable>(std::move(all));
  }
  void open(const Translator& t) {
    table = recordingTable();
    frame = std::make_unique<MainFrame>(t, *table, commit);
    hwnd = frame->create(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetWindowPos(hwnd, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    pumpMessages();
  }
  void TearDown() override {
    frame.reset();
    pumpMessages();
  }
  void select(int node) { TreeView_SelectItem(frame->tree(), frame->treeItem(node)); }
  bool visible(int node) { return IsWindowVisible(frame->pane(node).hwnd()) != 0; }
  std::vector<int> fills() {
    std::vector<int> out;
    for (auto* f : families) out.push_back(f->fills);
    return out;
  }

  // The frame reads what the user kept: none here, as on the first day.
  SettingsSetAside settings;
  MapTranslator translator;
  FakeRegistry registry;
  std::array<RecordingFamily*, kNodeCount> families{};
  std::array<std::vector<std::string>, kNodeCount> lists;
  FakeStore store;
  OperationLog log{translator};
  ChangeCommit commit{log, nullptr, translator};
  FamilyContext context{store, translator};
  FakeFolders folders;
  FakeShellLinks links{folders};
  FakeTaskPort tasks;
  FakePackagePort packages;
  std::size_t made = 0;
  std::unique_ptr<FamilyTable> table;
  std::unique_ptr<MainFrame> frame;
  HWND hwnd = nullptr;
};

std::wstring itemText(HWND tree, HTREEITEM item, TVITEMW& info) {
  static wchar_t text[128];
  info = {};
  info.hItem = item;
  info.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
  info.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
  info.pszText = text;
  info.cchTextMax = 128;
  TreeView_GetItem(tree, &info);
  return text;
}

TEST_F(FrameTest, TreeHoldsEveryNodeExpandedWithAllEntriesFirstAndSelected) {
  open(translator);
  HWND tree = frame->tree();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(GetDlgCtrlID(tree), IDC_CATEGORYTREE);
  EXPECT_EQ(TreeView_GetCount(tree), static_cast<UINT>(kNodeCount));
  const LONG style = GetWindowLongW(tree, GWL_STYLE);
  EXPECT_TRUE(style & TVS_HASBUTTONS);
  EXPECT_TRUE(style & TVS_LINESATROOT);
  EXPECT_FALSE(style & TVS_HASLINES);
  // Background and text both the system's (-1) in the light look: a
  // background forced white under the system's text colour could be white
  // on white.
  EXPECT_EQ(TreeView_GetBkColor(tree), static_cast<COLORREF>(-1));
  EXPECT_EQ(TreeView_GetTextColor(tree), static_cast<COLORREF>(-1));
  HIMAGELIST images = TreeView_GetImageList(tree, TVSIL_NORMAL);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 11);

  // Walk the tree in display order; it must be node order, All Entries
  // first.
  int expectedIndex = 0;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextVisible(tree, item), ++expectedIndex) {
    TVITEMW info;
    const std::wstring text = itemText(tree, item, info);
    ASSERT_LT(expectedIndex, kNodeCount);
    // The nodes before All Entries, then those added after it.
    const int shown = expectedIndex == 0 ? kStartNode : expectedIndex <= kStartNode ? expectedIndex - 1 : expectedIndex;
    const CategoryNode& node = table->nodes()[static_cast<std::size_t>(shown)];
    EXPECT_EQ(info.lParam, node.index);
    EXPECT_EQ(text, widen(translator.translate(node.labelKey))) << node.index;
    EXPECT_EQ(info.iImage, node.image);
    EXPECT_EQ(info.iSelectedImage, node.image);
    HTREEITEM parent = TreeView_GetParent(tree, item);
    EXPECT_EQ(parent, node.parent < 0 ? nullptr : frame->treeItem(node.parent));
    if (TreeView_GetChild(tree, item)) {
      EXPECT_TRUE(info.state & TVIS_EXPANDED) << node.index;
    }
  }
  EXPECT_EQ(expectedIndex, kNodeCount) << "every node is shown";
  EXPECT_EQ(TreeView_GetSelection(tree), frame->treeItem(kStartNode));
}

TEST_F(FrameTest, PanesGetTheirNodesLocations) {
  open(translator);
  EXPECT_EQ(lists[0], (std::vector<std::string>{kAllUsers, ""}));
  EXPECT_EQ(lists[1], std::vector<std::string>{kAllUsers});
  EXPECT_EQ(lists[15], (std::vector<std::string>{
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit",
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell",
                           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell"}));
  EXPECT_EQ(frame->host().count(), kNodeCount);
  for (int i = 0; i < kNodeCount; ++i) {
    select(i);
    EXPECT_EQ(frame->host().pane(i), frame->pane(i).hwnd());
    EXPECT_EQ(GetParent(frame->pane(i).hwnd()), frame->host().hwnd());
  }
}

TEST_F(FrameTest, AtStartOnlyAllEntriesPaneIsMadeShownAndFilledOnce) {
  open(translator);
  std::vector<int> expected(kNodeCount, 0);
  expected[kStartNode] = 1;
  EXPECT_EQ(fills(), expected);
  EXPECT_EQ(frame->host().visibleIndex(), kStartNode);
  EXPECT_EQ(frame->pane(kStartNode).rows().count(), 1) << "its entries are listed";
  for (int i = 0; i < kNodeCount; ++i) {
    EXPECT_EQ(visible(i), i == kStartNode) << i;
    EXPECT_EQ(frame->host().pane(i) != nullptr, i == kStartNode) << "no window for a pane nobody looked at: " << i;
  }
}

TEST_F(FrameTest, APaneMadeOnceIsKeptAndRefreshedAtEverySelection) {
  open(translator);
  select(7);
  HWND first = frame->pane(7).hwnd();
  select(0);
  select(7);
  EXPECT_EQ(frame->pane(7).hwnd(), first) << "the same window, with its state";
  EXPECT_EQ(families[7]->fills, 2);
  EXPECT_EQ(families[0]->fills, 1);
}

TEST_F(FrameTest, SelectingANodeShowsItsPaneAndRefreshesOnlyIt) {
  open(translator);
  select(11);
  EXPECT_FALSE(visible(kStartNode));
  EXPECT_TRUE(visible(11));
  EXPECT_EQ(frame->host().visibleIndex(), 11);
  std::vector<int> expected(kNodeCount, 0);
  expected[kStartNode] = 1;
  expected[11] = 1;
  EXPECT_EQ(fills(), expected);

  RECT host, pane;
  GetClientRect(frame->host().hwnd(), &host);
  GetWindowRect(frame->pane(11).hwnd(), &pane);
  EXPECT_EQ(pane.right - pane.left, host.right);
  EXPECT_EQ(pane.bottom - pane.top, host.bottom);
  for (auto* f : families) EXPECT_TRUE(f->operations().empty()) << "showing a pane moves no entry";
}

TEST_F(FrameTest, OperationMenuCommandsReachOnlyTheVisiblePane) {
  open(translator);
  select(5);
  // The pane's entry dialogs, by title: Add filled in, Modify and Property
  // as they open, each closed with OK.
  std::vector<std::wstring> dialogs;
  int messages = 0;
  DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen& seen) {
    if (!GetDlgItem(dialog, IDC_ENTRY_NAME)) {
      // A message box; the main window, a dialog too, active again is left alone.
      if (!GetDlgItem(dialog, 0xFFFF)) return 0;
      ++messages;
      return IDOK;
    }
    dialogs.push_back(seen.title);
    answerFromLoop(dialog, IDOK, [](HWND d) {
      if (GetWindowTextLengthW(GetDlgItem(d, IDC_ENTRY_NAME)) > 0) return;
      SetDlgItemTextW(d, IDC_ENTRY_NAME, L"n");
      SetDlgItemTextW(d, IDC_ENTRY_PATH, L"C:\\n.exe");
    });
    return 0;
  });
  for (int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_PROPERTY, IDC_REFRESH}) {
    // Remove, Modify and Property need a row; a new listing selects none.
    frame->pane(5).rows().select(0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  }
  EXPECT_EQ(families[5]->operations(), (std::vector<std::string>{"add n", "remove r5", "modify r5->r5"}));
  EXPECT_EQ(dialogs, (std::vector<std::wstring>{L"_AddNewProgram", L"_ModifyProgram", L"_Property"}));
  EXPECT_EQ(messages, 0);
  EXPECT_EQ(families[5]->fills, 5) << "shown, then listed again after Add, Remove, Modify and Refresh";
  for (int i = 0; i < kNodeCount; ++i) {
    if (i != 5) {
      EXPECT_TRUE(families[static_cast<std::size_t>(i)]->operations().empty()) << i;
    }
  }
  EXPECT_EQ(families[kStartNode]->fills, 1);
}

TEST_F(FrameTest, MenuIsTranslatedAndTitleIsTheProductName) {
  open(translator);
  HMENU menu = GetMenu(hwnd);
  ASSERT_NE(menu, nullptr);
  wchar_t text[64];
  GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&File");
  GetMenuStringW(menu, ID_APP_EXIT_CMD, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"E&xit");
  GetMenuStringW(menu, IDC_REFRESH, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Re&fresh\tF5") << "an item shows its key";
  GetMenuStringW(menu, 2, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"_View");
  GetMenuStringW(menu, 3, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"_Tools");

  const auto info = win32::productInfo();
  EXPECT_EQ(win32::windowText(hwnd), widen(info.name + " (" + info.version + ")"));
}

// View › Language lists the language files beside the program (here the
// tests' own folder, which holds them as the zip does) by their own names;
// a choice is kept for the next start, and No to starting again keeps the
// window. The Entry menu stays second: the list's context menu is it.
TEST_F(FrameTest, ViewLanguageOffersTheLanguagesBesideTheProgramAndKeepsTheChoice) {
  // This program's own language file (velmora.exe's is velmora.language).
  const ProgramFiles files = win32::programFiles();
  ASSERT_TRUE(CopyFileW(widen(files.directory + "\\velmora.language").c_str(), widen(files.languageFile()).c_str(), FALSE));
  struct Remove {
    std::wstring path;
    ~Remove() { DeleteFileW(path.c_str()); }
  } beside{widen(files.languageFile())};
  open(translator);
  HMENU bar = GetMenu(hwnd);
  wchar_t text[64];
  GetMenuStringW(bar, 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Entry");
  // View: Reset Columns, a separator, then Language.
  HMENU view = GetSubMenu(bar, 2);
  EXPECT_EQ(GetMenuItemID(view, 0), static_cast<UINT>(ID_RESET_COLUMNS));
  HMENU languages = GetSubMenu(view, 2);
  ASSERT_NE(languages, nullptr);
  std::vector<std::wstring> offered;
  for (int i = 0; i < GetMenuItemCount(languages); ++i) {
    GetMenuStringW(languages, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    offered.push_back(text);
  }
  EXPECT_EQ(offered, (std::vector<std::wstring>{L"&English", L"&Deutsch"}));

  std::vector<std::wstring> asked;
  {
    DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen& seen) {
      if (dialog == hwnd) return 0;  // the main window, active again after the box
      asked.push_back(seen.text);
      return IDNO;
    });
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(ID_LANGUAGE_FIRST + 1, 0), 0);
  }
  EXPECT_EQ(asked.size(), 1u) << "whether to start again in German now";
  EXPECT_EQ(win32::readText(L"Language"), std::optional<std::string>("de"));
  EXPECT_TRUE(GetMenuState(languages, ID_LANGUAGE_FIRST + 1, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(IsWindowVisible(hwnd)) << "No keeps this window";
  const std::string chosen = win32::startupLanguageFile(files);
  EXPECT_EQ(chosen.substr(chosen.size() - std::string("languages\\german.language").size()), "languages\\german.language");
}

// The pane commands of a menu that are not greyed.
std::vector<int> enabledCommands(HMENU menu) {
  std::vector<int> ids;
  for (int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE,
                 IDC_OPENLOCATION}) {
    if (!(GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) ids.push_back(id);
  }
  return ids;
}

TEST_F(FrameTest, TheEntryMenuGreysWhatTheSelectedRowCannotHaveAsItOpens) {
  open(translator);
  select(1);
  families[1]->rowsToFill = {{"on", "t", "d", "p", RowState::Live}, {"off", "t", "d", "p", RowState::Disabled}};
  SendMessageW(hwnd, WM_COMMAND, IDC_REFRESH, 0);
  HMENU entry = GetSubMenu(GetMenu(hwnd), 1);
  ASSERT_NE(entry, nullptr);
  // As the system opens it: WM_INITMENUPOPUP, then the menu is drawn.
  auto opened = [&] {
    SendMessageW(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(entry), MAKELPARAM(1, FALSE));
    return enabledCommands(entry);
  };
  EXPECT_EQ(opened(), (std::vector<int>{IDC_ADDNEW, IDC_REFRESH})) << "no row selected";
  frame->pane(1).rows().select(0);
  EXPECT_EQ(opened(), (std::vector<int>{IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY,
                                        IDC_ABOUTFILE, IDC_OPENLOCATION}));
  frame->pane(1).rows().select(1);
  const std::vector<int> forDisabled{IDC_ADDNEW,  IDC_REMOVE,   IDC_MODIFY,    IDC_ENABLE,
                                     IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE, IDC_OPENLOCATION};
  EXPECT_EQ(opened(), forDisabled);
  // The same rule as the pane's own menu.
  EXPECT_EQ(enabledCommands(frame->pane(1).buildContextMenu().get()), forDisabled);
  // Another node's pane has no row selected.
  select(2);
  EXPECT_EQ(opened(), (std::vector<int>{IDC_ADDNEW, IDC_REFRESH}));
  for (auto* f : families) EXPECT_TRUE(f->operations().empty()) << "opening a menu changes nothing";
}

TEST_F(FrameTest, F1AnywhereInTheWindowIsHelpAndTheLastMenuIsTitledHelp) {
  translator.texts["_HelpMenu"] = "&Help";
  translator.texts["_Help"] = "&Help";
  open(translator);
  select(1);
  for (HWND focus : {frame->tree(), frame->pane(1).rows().handle(), frame->filterBox()}) {
    SetFocus(focus);
    MSG f1{focus, WM_KEYDOWN, VK_F1, 0, 0, {}};
    EXPECT_TRUE(frame->preTranslate(f1));
    // What Help > Help sends: taken off the queue here, so no browser opens.
    MSG posted{};
    ASSERT_TRUE(PeekMessageW(&posted, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(posted.wParam), ID_HELP_PAGE);
    EXPECT_EQ(posted.lParam, 0);
  }
  HMENU bar = GetMenu(hwnd);
  const int last = GetMenuItemCount(bar) - 1;
  wchar_t text[64] = {};
  GetMenuStringW(bar, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Help");
  HMENU help = GetSubMenu(bar, last);
  GetMenuStringW(help, ID_HELP_PAGE, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"&Help\tF1") << "the item shows its key";
  for (UINT id : {ID_WEBSITE, ID_SUPPORT, ID_APP_ABOUT_CMD}) {
    EXPECT_NE(GetMenuState(help, id, MF_BYCOMMAND), static_cast<UINT>(-1)) << id << " stays in it";
  }
}

// What folder a file dialog shows, asked of the dialog from its own loop;
// then it is cancelled.
std::wstring folderOfFileDialog(HWND dialog) {
  std::wstring folder(MAX_PATH * 4, L'\0');
  if (SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data())) <= 0) return {};
  folder.resize(wcslen(folder.c_str()));
  return folder;
}

TEST_F(FrameTest, ExportStartsInTheUsersDocuments) {
  translator.texts["_Export"] = "&Export...";
  open(translator);
  const std::wstring documents = win32::documentsFolder();
  ASSERT_FALSE(documents.empty());
  std::wstring shown;
  int dialogs = 0;
  {
    DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen& seen) {
      if (seen.title != L"Export" || dialogs++) return IDCANCEL;
      answerFromLoop(dialog, IDCANCEL, [&](HWND d) { shown = folderOfFileDialog(d); });
      return 0;
    });
    // Started from the program's folder, as a shortcut starts it.
    SetCurrentDirectoryW(widen(programDirectory(win32::programPath())).c_str());
    SendMessageW(hwnd, WM_COMMAND, ID_EXPORT, 0);
  }
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(lstrcmpiW(shown.c_str(), documents.c_str()), 0) << win32::narrow(shown) << " is not " << win32::narrow(documents);
}

TEST_F(FrameTest, TreeKeepsItsWidthWhenTheFrameGrowsAndThePaneTakesTheRest) {
  open(translator);
  RECT tree, host;
  GetWindowRect(frame->tree(), &tree);
  EXPECT_EQ(tree.right - tree.left, MainFrame::kSplitterStart);
  GetWindowRect(frame->host().hwnd(), &host);
  const int hostWidth = host.right - host.left;
  RECT list0;
  GetWindowRect(frame->pane(kStartNode).rows().handle(), &list0);

  SetWindowPos(hwnd, nullptr, 0, 0, 1300, 800, SWP_NOZORDER | SWP_NOMOVE);
  GetWindowRect(frame->tree(), &tree);
  EXPECT_EQ(tree.right - tree.left, MainFrame::kSplitterStart);
  GetWindowRect(frame->host().hwnd(), &host);
  EXPECT_EQ(host.right - host.left, hostWidth + 300);
  RECT list1;
  GetWindowRect(frame->pane(kStartNode).rows().handle(), &list1);
  EXPECT_EQ(list1.right - list1.left, list0.right - list0.left + 300);
  EXPECT_EQ(list1.bottom - list1.top, list0.bottom - list0.top + 100);
}

TEST_F(FrameTest, SplitterBarCanBeDragged) {
  open(translator);
  HWND splitter = frame->splitter().hwnd();
  wchar_t cls[64];
  GetClassNameW(splitter, cls, 64);
  EXPECT_STREQ(cls, L"WTL_SplitterWindow");
  const int y = 100;
  SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(MainFrame::kSplitterStart + 2, y));
  SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(MainFrame::kSplitterStart + 82, y));
  SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(MainFrame::kSplitterStart + 82, y));
  RECT tree;
  GetWindowRect(frame->tree(), &tree);
  EXPECT_EQ(tree.right - tree.left, MainFrame::kSplitterStart + 80);
  // The dragged width is kept on resize too.
  SetWindowPos(hwnd, nullptr, 0, 0, 1200, 700, SWP_NOZORDER | SWP_NOMOVE);
  GetWindowRect(frame->tree(), &tree);
  EXPECT_EQ(tree.right - tree.left, MainFrame::kSplitterStart + 80);
}

// The bar takes the colour of the frame's own skin (not of the process-wide
// one, which stays empty here).
TEST_F(FrameTest, SplitterBarIsPaintedInTheFramesSkinColour) {
  TempDir dir;
  writeFile(dir.file("frame.smf"), "[Skin]\r\nName=Test\r\n[MainFrame]\r\nSplitter=#102030\r\n");
  win32::SkinLayer skin;
  skin.init(GetModuleHandleW(nullptr), "Test");
  skin.load(dir.file("frame.smf"));
  table = recordingTable();
  frame = std::make_unique<MainFrame>(translator, *table, commit, skin);
  hwnd = frame->create(GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(hwnd, nullptr);
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
  pumpMessages();
  HWND splitter = frame->splitter().hwnd();
  UpdateWindow(splitter);
  const RECT bar = frame->splitter().barRect();
  POINT middle{(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
  HDC dc = GetDC(splitter);
  const COLORREF seen = GetPixel(dc, middle.x, middle.y);
  ReleaseDC(splitter, dc);
  EXPECT_EQ(seen, RGB(0x10, 0x20, 0x30));
  frame.reset();
}

TEST_F(FrameTest, WithoutLanguageFileEveryTextIsItsKey) {
  TempDir dir;
  LanguageTable language(win32::readFileBytes, win32::decodeLegacy);
  language.setFile(dir.file("missing.language"));
  open(language);
  HWND tree = frame->tree();
  int index = 0;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextVisible(tree, item), ++index) {
    TVITEMW info;
    // All Entries first, then the nodes before it and those added after it.
    const int node = index == 0 ? kStartNode : index <= kStartNode ? index - 1 : index;
    EXPECT_EQ(itemText(tree, item, info), widen(table->nodes()[static_cast<std::size_t>(node)].labelKey));
  }
  wchar_t text[64];
  GetMenuStringW(GetMenu(hwnd), 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"_Operation");
  GetMenuStringW(GetMenu(hwnd), ID_APP_ABOUT_CMD, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"_About");
  select(3);
  HWND pane = frame->pane(3).hwnd();
  GetDlgItemTextW(pane, IDC_ADDNEW, text, 64);
  EXPECT_STREQ(text, L"_AddNew");
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = text;
  col.cchTextMax = 64;
  SendMessageW(frame->pane(3).rows().handle(), LVM_GETCOLUMNW, 3, reinterpret_cast<LPARAM>(&col));
  EXPECT_STREQ(text, L"_RegPath");
}

TEST_F(FrameTest, F5InTheTreeRefreshesTheVisiblePane) {
  open(translator);
  select(9);
  MSG f5{frame->tree(), WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_TRUE(frame->preTranslate(f5));
  EXPECT_EQ(families[9]->fills, 2);
  EXPECT_EQ(families[kStartNode]->fills, 1);
}

std::wstring statusText(HWND status, int part = 0) {
  wchar_t text[256] = {};
  SendMessageW(status, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

void setKey(int key, bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[key] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST_F(FrameTest, TheFilterHoldsAcrossSelectionsAndRefreshesAndEscapeInItOnlyClearsIt) {
  translator.texts["_StatusEntries"] = "%s entries, %s disabled";
  translator.texts["_StatusFiltered"] = "%s of %s entries";
  open(translator);
  HWND box = frame->filterBox();
  ASSERT_NE(box, nullptr);
  select(1);
  EXPECT_EQ(statusText(frame->statusBar()), L"1 entries, 0 disabled");

  // Ctrl+F from the list moves to the filter box.
  setKey(VK_CONTROL, true);
  MSG ctrlF{frame->pane(1).rows().handle(), WM_KEYDOWN, 'F', 0, 0, {}};
  EXPECT_TRUE(frame->preTranslate(ctrlF));
  setKey(VK_CONTROL, false);
  EXPECT_EQ(GetFocus(), box);

  SetWindowTextW(box, L"R1");  // as typed: EN_CHANGE
  EXPECT_EQ(frame->pane(1).rows().count(), 1) << "r1 matches, ignoring case";
  SetWindowTextW(box, L"r2");
  EXPECT_EQ(frame->pane(1).rows().count(), 0);
  EXPECT_EQ(statusText(frame->statusBar()), L"0 of 1 entries");
  select(2);  // another pane, refreshed by the selection: still filtered
  EXPECT_EQ(frame->pane(2).rows().count(), 1);
  EXPECT_EQ(frame->pane(2).rows().text(0, 0), "r2");
  SendMessageW(hwnd, WM_COMMAND, IDC_REFRESH, 0);
  EXPECT_EQ(frame->pane(2).rows().count(), 1);
  select(1);
  EXPECT_EQ(frame->pane(1).rows().count(), 0);

  MSG escape{box, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(frame->preTranslate(escape));
  pumpMessages();
  EXPECT_TRUE(IsWindow(hwnd)) << "Escape in the filter box does not quit";
  EXPECT_EQ(win32::windowText(box), L"");
  EXPECT_EQ(frame->pane(1).rows().count(), 1);
  EXPECT_EQ(statusText(frame->statusBar()), L"1 entries, 0 disabled");
}

// The main window is a dialog, where Escape would be Cancel and so Exit.
// (That the close box still ends the program is seen end to end.)
TEST_F(FrameTest, EscapeNeverClosesTheWindowAndClearsAFilterFromAnywhere) {
  open(translator);
  select(1);
  HWND list = frame->pane(1).rows().handle();
  for (HWND focus : {frame->tree(), list}) {
    SetFocus(focus);
    MSG escape{focus, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    if (!frame->preTranslate(escape)) {
      TranslateMessage(&escape);
      DispatchMessageW(&escape);
    }
    pumpMessages();
    ASSERT_TRUE(IsWindow(hwnd)) << "Escape closed Velmora";
  }
  // With text in the filter, Escape from the list clears it.
  SetWindowTextW(frame->filterBox(), L"zzz");
  EXPECT_EQ(frame->pane(1).rows().count(), 0);
  MSG escape{list, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(frame->preTranslate(escape));
  EXPECT_EQ(win32::windowText(frame->filterBox()), L"");
  EXPECT_EQ(frame->pane(1).rows().count(), 1);

}

// The check box beside the filter hides the rows Microsoft signed in every
// pane, says how many in the status bar, and is kept for the next start
// under HKEY_CURRENT_USER\Software\Velmora (of this throwaway prefix).
TEST_F(FrameTest, HideWindowsEntriesHidesMicrosoftsRowsCountsThemAndIsKept) {
  translator.texts["_StatusFiltered"] = "%s of %s entries";
  translator.texts["_StatusHiddenMicrosoft"] = "%s hidden (signed by Microsoft)";
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora", L"HideWindowsEntries");
  open(translator);
  HWND hide = GetDlgItem(hwnd, IDC_HIDEWINDOWS);
  ASSERT_NE(hide, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_HIDEWINDOWS), BST_UNCHECKED) << "off by default";
  Row windows{"Explorer", "t", "d", "p", RowState::Live};
  windows.signedByMicrosoft = true;
  families[1]->rowsToFill = {windows, Row{"Tool", "t", "d", "p", RowState::Live}};
  select(1);
  ASSERT_EQ(frame->pane(1).rows().count(), 2);

  SendMessageW(hide, BM_CLICK, 0, 0);
  ASSERT_EQ(frame->pane(1).rows().count(), 1);
  EXPECT_EQ(frame->pane(1).rows().text(0, 0), "Tool");
  EXPECT_EQ(statusText(frame->statusBar()), L"1 of 2 entries; 1 hidden (signed by Microsoft)");
  // The box sits right of the filter box, whole, on the same line.
  RECT box{}, check{}, client{};
  GetWindowRect(frame->filterBox(), &box);
  GetWindowRect(hide, &check);
  GetClientRect(hwnd, &client);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&box), 2);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&check), 2);
  EXPECT_LE(box.right, check.left);
  EXPECT_LE(check.right, client.right);
  EXPECT_EQ(check.top, box.top);

  // The next start remembers it and hides from the first fill.
  frame.reset();
  open(translator);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_HIDEWINDOWS), BST_CHECKED);
  families[1]->rowsToFill = {windows};
  select(1);
  EXPECT_EQ(frame->pane(1).rows().count(), 0);
  SendMessageW(GetDlgItem(hwnd, IDC_HIDEWINDOWS), BM_CLICK, 0, 0);
  EXPECT_EQ(frame->pane(1).rows().count(), 1);
  EXPECT_FALSE(win32::readChoice(L"HideWindowsEntries", true));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora", L"HideWindowsEntries");
}

// "Show only new entries" shows only the rows new since Velmora last
// closed, in every pane; the status bar counts them whatever is shown. Its
// box sits between the filter box and the other check box.
TEST_F(FrameTest, ShowOnlyNewShowsTheNewRowsAndTheStatusBarCountsThem) {
  translator.texts["_StatusEntries"] = "%s entries, %s disabled";
  translator.texts["_StatusFiltered"] = "%s of %s entries";
  translator.texts["_StatusNewCount"] = "%s new";
  open(translator);
  HWND onlyNew = GetDlgItem(hwnd, IDC_SHOWNEW);
  ASSERT_NE(onlyNew, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_SHOWNEW), BST_UNCHECKED);
  Row fresh{"Fresh", "t", "d", "p", RowState::Live};
  fresh.isNew = true;
  families[1]->rowsToFill = {Row{"Old", "t", "d", "p", RowState::Live}, fresh};
  select(1);
  EXPECT_EQ(statusText(frame->statusBar()), L"2 entries, 0 disabled; 1 new");

  SendMessageW(onlyNew, BM_CLICK, 0, 0);
  ASSERT_EQ(frame->pane(1).rows().count(), 1);
  EXPECT_EQ(frame->pane(1).rows().text(0, 0), "Fresh");
  EXPECT_EQ(statusText(frame->statusBar()), L"1 of 2 entries; 1 new");
  select(2);
  EXPECT_EQ(frame->pane(2).rows().count(), 0) << "every pane follows the box";
  select(1);
  SendMessageW(onlyNew, BM_CLICK, 0, 0);
  EXPECT_EQ(frame->pane(1).rows().count(), 2);

  RECT box{}, check{}, hide{};
  GetWindowRect(frame->filterBox(), &box);
  GetWindowRect(onlyNew, &check);
  GetWindowRect(GetDlgItem(hwnd, IDC_HIDEWINDOWS), &hide);
  EXPECT_LE(box.right, check.left);
  EXPECT_LE(check.right, hide.left);
  EXPECT_EQ(check.top, box.top);
}

TEST_F(FrameTest, FilterAboveTheSplitterAndStatusBarBelowIt) {
  open(translator);
  RECT client{}, box{}, splitter{}, status{};
  GetClientRect(hwnd, &client);
  GetWindowRect(frame->filterBox(), &box);
  GetWindowRect(frame->splitter().hwnd(), &splitter);
  GetWindowRect(frame->statusBar(), &status);
  EXPECT_LE(box.bottom, splitter.top);
  EXPECT_EQ(splitter.bottom, status.top);
  EXPECT_GT(box.right - box.left, (client.right - client.left) / 2) << "the box takes the width";
  EXPECT_TRUE(IsWindowVisible(frame->statusBar()));
}

TEST_F(FrameTest, TheStatusBarSaysWhatTheLastChangeDidUntilTheNext) {
  translator.texts["_StatusEntries"] = "%s entries, %s disabled";
  translator.texts["_StatusDisabled"] = "Disabled %s";
  translator.texts["_StatusEnabled"] = "Enabled %s";
  open(translator);
  select(1);
  EXPECT_EQ(statusText(frame->statusBar(), 1), L"");
  HWND list = frame->pane(1).rows().handle();
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(1);  // the user clears the box (Space, or a click)
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(families[1]->operations(), std::vector<std::string>{"disable r1"});
  EXPECT_EQ(statusText(frame->statusBar(), 1), L"Disabled r1");
  EXPECT_EQ(statusText(frame->statusBar(), 0), L"1 entries, 1 disabled");
  select(2);  // another place: the last change is still what it was
  EXPECT_EQ(statusText(frame->statusBar(), 1), L"Disabled r1");
  SendMessageW(hwnd, WM_COMMAND, IDC_REFRESH, 0);
  EXPECT_EQ(statusText(frame->statusBar(), 1), L"Disabled r1") << "a refresh is no change";
}

// The main list and status bar show what an Undo did as soon as it is done,
// not only once the Change History is closed.
TEST_F(FrameTest, AnUndoInTheChangeHistoryRefreshesTheVisiblePaneWhileTheDialogIsOpen) {
  translator.texts["_StatusEntries"] = "%s entries, %s disabled";
  FakeHistoryFile file;
  ChangeHistory history(file, "C:\\Velmora\\History");
  Change removed;
  removed.family = "registry";
  removed.kind = "remove";
  removed.location = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  removed.before = EntryState{"back", "C:\\back.exe", "REG_SZ", false};
  ASSERT_TRUE(history.record(removed));
  open(translator);
  frame->setHistory(&history);
  select(1);
  ASSERT_EQ(statusText(frame->statusBar()), L"1 entries, 0 disabled");
  families[1]->rowsToFill.push_back({"back", "t", "C:\\back.exe", "p", RowState::Live});  // what the Undo put back
  const int fills = families[1]->fills;

  bool dialogOpen = false;
  int fillsAfterUndo = -1, rowsAfterUndo = -1;
  std::wstring statusAfterUndo;
  DialogAnswerer answerer([&](HWND dialog, const DialogAnswerer::Seen&) {
    if (!GetDlgItem(dialog, IDC_HISTORY_LIST)) return IDOK;  // a message box
    answerFromLoop(dialog, IDCANCEL, [&](HWND d) {
      SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_UNDO, BN_CLICKED), 0);
      dialogOpen = IsWindow(d) != 0;
      fillsAfterUndo = families[1]->fills;
      rowsAfterUndo = frame->pane(1).rows().count();
      statusAfterUndo = statusText(frame->statusBar());
    });
    return 0;
  });
  SendMessageW(hwnd, WM_COMMAND, ID_HISTORY, 0);
  EXPECT_TRUE(dialogOpen);
  EXPECT_EQ(fillsAfterUndo, fills + 1);
  EXPECT_EQ(rowsAfterUndo, 2);
  EXPECT_EQ(statusAfterUndo, L"2 entries, 0 disabled");
}

std::vector<int> columnWidths(HWND list) {
  std::vector<int> out;
  for (int c = 0; c < 7; ++c) out.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0)));
  return out;
}

std::vector<int> scaled(std::vector<int> widths, int to, int from) {
  for (int& w : widths) w = MulDiv(w, to, from);
  return widths;
}

// Laid out from the list's own width as at the first start, give or take
// rounding; the Type column's width is each family's own.
void expectLaidOutFromItsWidth(HWND list, int dpi) {
  RECT client{};
  GetClientRect(list, &client);
  const PaneLayout layout = defaultPaneLayout(MulDiv(client.right, 96, dpi), kRowColumns, 0);
  const std::vector<int> widths = columnWidths(list);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c != 1) {
      EXPECT_NEAR(widths[c], MulDiv(layout.widths[c], dpi, 96), 2) << "column " << c;
    }
  }
}

int width(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.right - r.left;
}

SIZE imageSize(HWND tree) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_NORMAL), &cx, &cy);
  return {cx, cy};
}

// Moved to a screen of 144 DPI, the window takes the rectangle the system
// suggests and every pixel figure follows: the tree and the splitter bar,
// the tree's images, the filter row, and the columns of the panes made
// before the move and after it. Back at 96, everything is as it was.
TEST_F(FrameTest, AChangeOfDpiTakesTheSuggestedRectangleAndScalesTheLayout) {
  open(translator);
  ASSERT_EQ(frame->dpi(), 96) << "the test prefix runs at 96 DPI";
  HWND tree = frame->tree();
  EXPECT_EQ(width(tree), 250);
  EXPECT_EQ(imageSize(tree).cx, 32);
  EXPECT_EQ(frame->splitter().barWidth(), 5);
  // Laid out from the list's width at the first start.
  const std::vector<int> at96 = columnWidths(frame->pane(kStartNode).rows().handle());
  expectLaidOutFromItsWidth(frame->pane(kStartNode).rows().handle(), 96);
  RECT box96{};
  GetWindowRect(frame->filterBox(), &box96);

  RECT suggested{40, 30, 40 + 1400, 30 + 950};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(frame->dpi(), 144);
  RECT now{};
  GetWindowRect(hwnd, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested)) << now.left << "," << now.top << " " << now.right << "," << now.bottom;
  EXPECT_EQ(width(tree), 375);
  EXPECT_EQ(frame->splitter().barWidth(), 8);
  EXPECT_EQ(imageSize(tree).cx, 48);
  EXPECT_EQ(imageSize(tree).cy, 48);
  EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree, TVSIL_NORMAL)), 11);
  EXPECT_GE(TreeView_GetItemHeight(tree), 48) << "a row is as high as its image";
  const std::vector<int> at144 = scaled(at96, 144, 96);
  EXPECT_EQ(columnWidths(frame->pane(kStartNode).rows().handle()), at144);
  RECT box144{};
  GetWindowRect(frame->filterBox(), &box144);
  EXPECT_GE(box144.bottom - box144.top, (box96.bottom - box96.top) * 4 / 3) << "the filter box grew with its font";
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(frame->filterBox(), WM_GETFONT, 0, 0)),
            reinterpret_cast<HFONT>(SendMessageW(frame->pane(kStartNode).rows().handle(), WM_GETFONT, 0, 0)));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hwnd, IDC_HIDEWINDOWS), WM_GETFONT, 0, 0)),
            reinterpret_cast<HFONT>(SendMessageW(frame->filterBox(), WM_GETFONT, 0, 0)))
      << "the check box beside it too";

  // A pane first shown after the move is made for 144 DPI at once.
  select(5);
  ASSERT_TRUE(visible(5));
  EXPECT_EQ(frame->pane(5).dpi(), 144);
  expectLaidOutFromItsWidth(frame->pane(5).rows().handle(), 144);
  const std::vector<int> pane5At144 = columnWidths(frame->pane(5).rows().handle());

  RECT back{0, 0, 1000, 700};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
  GetWindowRect(hwnd, &now);
  EXPECT_TRUE(EqualRect(&now, &back));
  EXPECT_EQ(width(tree), 250);
  EXPECT_EQ(frame->splitter().barWidth(), 5);
  EXPECT_EQ(imageSize(tree).cx, 32);
  EXPECT_EQ(columnWidths(frame->pane(kStartNode).rows().handle()), at96);
  EXPECT_EQ(columnWidths(frame->pane(5).rows().handle()), scaled(pane5At144, 96, 144));
  RECT box{};
  GetWindowRect(frame->filterBox(), &box);
  EXPECT_EQ(box.bottom - box.top, box96.bottom - box96.top);
}

// The tree's images scaled from the 32-pixel strip keep their see-through
// background: drawn on white, a corner of the first image stays white and
// its middle is no green.
TEST(TreeImages, ScaledImagesKeepTheirMaskAndTheirColours) {
  for (int size : {32, 48, 64}) {
    SCOPED_TRACE(size);
    const win32::ImageListHandle images = win32::makeTreeImages(GetModuleHandleW(nullptr), size);
    ASSERT_TRUE(images);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images.get(), &cx, &cy);
    EXPECT_EQ(cx, size);
    EXPECT_EQ(cy, size);
    EXPECT_EQ(ImageList_GetImageCount(images.get()), 11);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images.get(), 0, dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(GetPixel(dc, 0, size - 1), RGB(255, 255, 255)) << "the background shows through";
    int green = 0, drawn = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        if (c != RGB(255, 255, 255)) ++drawn;
        if (GetGValue(c) > 200 && GetRValue(c) < 80 && GetBValue(c) < 80) ++green;
      }
    }
    EXPECT_EQ(green, 0) << "no key colour left in the picture";
    EXPECT_GT(drawn, size * size / 3) << "the picture itself is drawn";
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
  }
}

}  // namespace
}  // namespace velmora::testing
