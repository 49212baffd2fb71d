// The entry list pane with its real list view, buttons and menu, driven the
// way a user drives it, over a family that records what it is asked.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <array>
#include <map>
#include <set>

#include "core/paths.h"
#include "fakes/fake_registry.h"
#include "fakes/fakes.h"
#include "fakes/real_families.h"
#include "fakes/recording_family.h"
#include "history/change_commit.h"
#include "lang/win32/translate_win32.h"
#include "pane/win32/entry_list_pane.h"
#include "pane/win32/program_icons.h"
#include "platform/win32/dpi.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::EntryListPane;
using win32::narrow;

class PaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    translator.texts = {{"_Name", "Name"},     {"_Type", "Type"},       {"_Data", "Command"},
                        {"_RegPath", "Where"}, {"_Remove", "&Remove"},  {"_Enable", "&Enable"}, {"_KeyDelete", "Del"},
                        {"_ToolVelmora", "Velmora"}, {"_YouMustSelectAnItem", "Select an entry first."}};
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    parent = CreateWindowExW(0, L"Static", L"pane test", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                             900, 600, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    pane.reset();
    DestroyWindow(parent);
    pumpMessages();
  }

  // A pane whose family lists `rows`; `prompt` null gives the pane's own.
  // Shown as the main window shows a pane: made, then refreshed.
  void open(std::vector<Row> rows, std::unique_ptr<UserPrompt> prompt = nullptr, bool refresh = true) {
    auto f = std::make_unique<RecordingFamily>();
    f->rowsToFill = std::move(rows);
    f->typeWidth = typeWidth;
    family = f.get();
    pane = std::make_unique<EntryListPane>(translator, std::move(f), commit, std::move(prompt));
    HWND hwnd = pane->create(GetModuleHandleW(nullptr), parent);
    ASSERT_NE(hwnd, nullptr);
    RECT client;
    GetClientRect(parent, &client);
    MoveWindow(hwnd, 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(hwnd, SW_SHOW);
    pane->shown();  // as the main window tells a pane it shows
    if (refresh) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
    UpdateWindow(hwnd);
    list = pane->rows().handle();
  }

  static std::vector<Row> threeRows() {
    return {{"one", "Registry value", "\"C:\\Program Files\\One\\one.exe\" /tray", "HKEY_CURRENT_USER\\Run", RowState::Live},
            {"two", "Registry value", "C:\\two.exe -q", "HKEY_CURRENT_USER\\Run", RowState::Disabled},
            {"three", "Registry value", "C:\\three.exe", "HKEY_CURRENT_USER\\Run", RowState::Live}};
  }

  POINT pointIn(int row, int code) {
    RECT r{};
    r.left = code;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return {r.left, (r.top + r.bottom) / 2};
  }
  // Where a click lands on the row's box (found by hit testing the row's left end).
  POINT boxOf(int row) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    for (int x = r.left; x < r.left + 40; ++x) {
      LVHITTESTINFO hit{};
      hit.pt = {x, (r.top + r.bottom) / 2};
      SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON)) return hit.pt;
    }
    ADD_FAILURE() << "no check box found on row " << row;
    return {r.left + 8, (r.top + r.bottom) / 2};
  }
  void click(POINT p) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    pumpMessages();
  }
  void select(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  void command(int id) { SendMessageW(pane->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  int image(int row) { return pane->rows().stateImage(row); }

  MapTranslator translator;
  // What the pane commits: every change it made, logged once.
  RecordingLog logged;
  OperationLog log{translator, &logged};
  ChangeCommit commit{log, nullptr, translator};
  int typeWidth = 60;
  HWND parent = nullptr;
  HWND list = nullptr;
  RecordingFamily* family = nullptr;
  std::unique_ptr<EntryListPane> pane;
};

std::wstring buttonText(HWND pane, int id) {
  wchar_t text[64] = {};
  GetDlgItemTextW(pane, id, text, 64);
  return text;
}

TEST_F(PaneTest, CreationBuildsColumnsStyleAndTextsAndFillsOnceWithoutOperations) {
  typeWidth = 80;
  open(threeRows());
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
            LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_LABELTIP | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER)
      << "a cut cell shows its whole text as a tip; columns can be dragged; nothing flickers";
  const wchar_t* titles[] = {L"Name", L"Type", L"Command", L"Where"};
  for (int i = 0; i < 4; ++i) {
    wchar_t title[64] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = title;
    col.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col)));
    EXPECT_STREQ(title, titles[i]);
  }
  // Laid out from the list's width: what says the most first, the Type as
  // wide as the family's labels need.
  std::array<int, 9> order{};
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 9, reinterpret_cast<LPARAM>(order.data()));
  EXPECT_EQ(order, (std::array<int, 9>{0, 5, 2, 6, 7, 8, 3, 4, 1}));
  const auto width = [this](int column) { return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)); };
  EXPECT_EQ(width(1), 80);
  RECT client{};
  GetClientRect(list, &client);
  EXPECT_LE(width(0) + width(5) + width(2) + width(6), client.right);
  EXPECT_EQ(buttonText(pane->hwnd(), IDC_REMOVE), L"&Remove");
  EXPECT_EQ(buttonText(pane->hwnd(), IDC_MODIFY), L"_Modify") << "a key the file lacks shows itself";

  EXPECT_EQ(family->fills, 1);
  ASSERT_EQ(pane->rows().count(), 3);
  EXPECT_EQ(image(0), 2);
  EXPECT_EQ(image(1), 1);
  EXPECT_EQ(pane->rows().row(0), threeRows()[0]);
  EXPECT_TRUE(family->operations().empty()) << "filling checks boxes but starts nothing";
}

// A translation longer than the template's button is shown whole, and the
// buttons to its right move along instead of being covered.
TEST_F(PaneTest, ButtonsGrowToTheirTranslatedTexts) {
  translator.texts["_Property"] = "&Eigenschaften des ausgew\xC3\xA4hlten Eintrags";
  translator.texts["_AboutFile"] = "Datei&info";
  open(threeRows());
  const auto rectOf = [&](int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(pane->hwnd(), id), &r);
    return r;
  };
  HWND property = GetDlgItem(pane->hwnd(), IDC_PROPERTY);
  HDC dc = GetDC(property);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(property, WM_GETFONT, 0, 0)));
  SIZE text{};
  const std::wstring shown = L"Eigenschaften des ausgew\u00E4hlten Eintrags";
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &text);
  SelectObject(dc, old);
  ReleaseDC(property, dc);
  EXPECT_GT(rectOf(IDC_PROPERTY).right - rectOf(IDC_PROPERTY).left, text.cx);
  int right = rectOf(IDC_ADDNEW).left;
  for (int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE}) {
    EXPECT_GE(rectOf(id).left, right) << "button " << id << " overlaps the one before";
    right = rectOf(id).right;
  }
}

TEST_F(PaneTest, AMadePaneIsEmptyUntilItsFirstRefresh) {
  // The main window makes a pane when its node is first selected and then
  // refreshes it; making it must not list the family a second time.
  open(threeRows(), nullptr, false);
  EXPECT_EQ(family->fills, 0);
  EXPECT_EQ(pane->rows().count(), 0);
  command(IDC_REFRESH);
  EXPECT_EQ(family->fills, 1);
  EXPECT_EQ(pane->rows().count(), 3);
}

TEST_F(PaneTest, RowsReadBackWholeAndInUnicode) {
  Row big{"\xC5\x81ukasz \xE6\x97\xA5", "t", std::string(3000, 'x') + "\xD0\x96", "HKEY_CURRENT_USER\\R", RowState::Live};
  open({big});
  EXPECT_EQ(pane->rows().row(0), big);
}

// The list asks for its texts: what it shows is what was last filled, and
// the costly columns 4 and 5 are completed only for the rows it asks about.
TEST_F(PaneTest, TheListShowsTheLatestRowsAndDescribesOnlyThoseItAsksFor) {
  const auto rows = [](int n, const std::string& prefix) {
    std::vector<Row> out;
    for (int i = 0; i < n; ++i) {
      Row r{prefix + std::to_string(i), "t", "C:\\p" + std::to_string(i) + ".exe", "HKEY_CURRENT_USER\\R",
            i % 2 ? RowState::Disabled : RowState::Live};
      r.program = r.data;
      out.push_back(r);
    }
    return out;
  };
  const auto listText = [&](int row, int column) { return narrow(cellText(list, row, column)); };
  const int lookupsBefore = win32::ProgramIcons::session().lookups();
  open(rows(400, "row"));
  EXPECT_EQ(win32::ProgramIcons::session().lookups(), lookupsBefore) << "the first paint waits for no icon";
  pumpMessages();
  EXPECT_GT(family->describes, 0) << "the rows in view are described when painted";
  EXPECT_LT(family->describes, 200) << "not every row of a long list";
  const int lookups = win32::ProgramIcons::session().lookups() - lookupsBefore;
  EXPECT_GT(lookups, 0) << "the rows in view show their icons";
  EXPECT_LT(lookups, 100) << "the first paint looks up the icons of the rows in view only";
  EXPECT_EQ(listText(350, 0), "row350");
  EXPECT_EQ(listText(350, 4), "Maker of C:\\p350.exe");
  EXPECT_EQ(listText(350, 6), "Signer of C:\\p350.exe");
  EXPECT_EQ(image(351), 1);

  family->rowsToFill = rows(50, "again");
  command(IDC_REFRESH);
  ASSERT_EQ(pane->rows().count(), 50);
  EXPECT_EQ(listText(10, 0), "again10");
  EXPECT_EQ(listText(10, 2), "C:\\p10.exe");
  EXPECT_EQ(image(10), 2);
  EXPECT_EQ(image(11), 1);
  EXPECT_EQ(pane->rows().row(11).name, "again11");
}

// An answer about files paints again the rows in view that were shown
// waiting for it (only those, not a long list whole).
TEST_F(PaneTest, AnswersPaintAgainOnlyTheRowsInViewThatWaitedForThem) {
  std::vector<Row> rows(300, Row{"row", "t", "C:\\p.exe", "HKCU\\R", RowState::Live});
  for (Row& r : rows) r.program = r.data;
  open(rows, nullptr, false);
  family->factsCame = false;
  command(IDC_REFRESH);
  UpdateWindow(list);
  family->factsCame = true;
  pane->factsArrived();
  UpdateWindow(list);
  EXPECT_EQ(narrow(cellText(list, 0, 4)), "Maker of C:\\p.exe");
  EXPECT_FALSE(pane->rows().redrawWaiting()) << "painted again: nothing in view waits";
}

TEST_F(PaneTest, ClickOnTheBoxOfAnUnselectedRowMovesThatRow) {
  open(threeRows());
  select(0);
  click(boxOf(2));
  EXPECT_EQ(family->operations(), std::vector<std::string>{"disable three"});
  EXPECT_EQ(image(2), 1);
  click(boxOf(1));
  EXPECT_EQ(family->operations(), (std::vector<std::string>{"disable three", "enable two"}));
  EXPECT_EQ(image(1), 2);
  EXPECT_EQ(family->fills, 1) << "a move keeps the rows where they are: no new listing";
  EXPECT_EQ(logged.records.size(), 2u) << "each move is committed once";
}

// Each row keeps where its entry is, through a filter and a shorter refill;
// a box that moved the entry records where it is now.
TEST_F(PaneTest, RowsKeepTheirOriginAndAMoveUpdatesIt) {
  auto rows = threeRows();
  rows[1].origin = RowOrigin::Record;
  Row off{"four", "Registry value", "C:\\four.exe", "HKEY_CURRENT_USER\\Run", RowState::Disabled};
  off.origin = RowOrigin::OffInWindows;
  rows.push_back(off);
  open(rows);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pane->rows().row(i), rows[static_cast<std::size_t>(i)]) << i;

  click(boxOf(3));  // checking a row Windows turned off
  click(boxOf(0));  // unchecking a live one
  EXPECT_EQ(family->originsSeen, (std::vector<RowOrigin>{RowOrigin::OffInWindows, RowOrigin::Live}));
  EXPECT_EQ(pane->rows().row(3).origin, RowOrigin::Live);
  EXPECT_EQ(pane->rows().row(0).origin, RowOrigin::Record);

  pane->setFilter("four");
  ASSERT_EQ(pane->rows().count(), 1);
  EXPECT_EQ(pane->rows().row(0).origin, RowOrigin::Live) << "the move outlives the filter";
  pane->setFilter("");
  EXPECT_EQ(pane->rows().row(0).origin, RowOrigin::Record);
  EXPECT_EQ(pane->rows().row(1).origin, RowOrigin::Record);

  family->rowsToFill = {off};
  command(IDC_REFRESH);
  ASSERT_EQ(pane->rows().count(), 1);
  EXPECT_EQ(pane->rows().row(0).origin, RowOrigin::OffInWindows) << "a new listing says anew";
}

TEST_F(PaneTest, SelectionChangesAndRefreshesStartNoOperation) {
  open(threeRows());
  select(0);
  select(1);
  click(pointIn(2, LVIR_LABEL));
  EXPECT_EQ(pane->rows().selected(), 2);
  // A refresh that turns every box over.
  auto flipped = threeRows();
  for (auto& r : flipped) r.state = r.state == RowState::Live ? RowState::Disabled : RowState::Live;
  family->rowsToFill = flipped;
  command(IDC_REFRESH);
  EXPECT_EQ(family->fills, 2);
  EXPECT_EQ(image(0), 1);
  EXPECT_EQ(image(1), 2);
  EXPECT_TRUE(family->operations().empty());
}

TEST_F(PaneTest, EnableAndDisableButtonsWorkOnlyWhereTheyChangeSomething) {
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDOK; });
  open(threeRows());
  select(0);  // live
  command(IDC_ENABLE);
  select(1);  // disabled
  command(IDC_DISABLE);
  EXPECT_TRUE(family->operations().empty());
  EXPECT_TRUE(answerer.seen.empty()) << "no message either";

  command(IDC_ENABLE);
  EXPECT_EQ(family->operations(), std::vector<std::string>{"enable two"});
  EXPECT_EQ(image(1), 2);
  select(2);
  command(IDC_DISABLE);
  EXPECT_EQ(family->operations(), (std::vector<std::string>{"enable two", "disable three"}));
  EXPECT_EQ(image(2), 1);
  EXPECT_EQ(family->fills, 1);
}

TEST_F(PaneTest, WithoutSelectionThePaneAsksForOneInItsOwnMessageBox) {
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDOK; });
  open(threeRows());
  for (int id : {IDC_ENABLE, IDC_DISABLE, IDC_ABOUTFILE}) command(id);
  ASSERT_EQ(answerer.seen.size(), 3u);
  for (const auto& s : answerer.seen) {
    EXPECT_EQ(s.text, L"Select an entry first.");
    EXPECT_EQ(s.title, L"Velmora");
  }
  EXPECT_TRUE(family->operations().empty());
}

TEST_F(PaneTest, AnEntryThatDidNotMoveShowsItsStateAgain) {
  open(threeRows());
  family->moves = false;
  click(boxOf(0));
  EXPECT_EQ(family->operations(), std::vector<std::string>{"disable one"});
  EXPECT_EQ(image(0), 2) << "the entry is still live";
  click(boxOf(1));
  EXPECT_EQ(family->operations(), (std::vector<std::string>{"disable one", "enable two"}))
      << "showing the state again starts nothing";
  EXPECT_EQ(image(1), 1);
  EXPECT_TRUE(logged.records.empty()) << "nothing moved, nothing logged";
}

TEST_F(PaneTest, DoubleClickShowsTheFileOfTheRow) {
  auto owned = std::make_unique<ScriptedPrompt>();
  ScriptedPrompt* prompt = owned.get();
  open(threeRows(), std::move(owned));
  const POINT p = pointIn(0, LVIR_LABEL);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  pumpMessages();
  ASSERT_EQ(prompt->fileInfoPaths, std::vector<std::string>{"C:\\Program Files\\One\\one.exe"});
  select(1);
  command(IDC_ABOUTFILE);
  EXPECT_EQ(prompt->fileInfoPaths.back(), "C:\\two.exe");
  EXPECT_TRUE(family->operations().empty());
}

struct MenuItem {
  bool enabled;
  std::wstring text;
};
MenuItem item(HMENU menu, int id) {
  wchar_t text[64] = {};
  GetMenuStringW(menu, static_cast<UINT>(id), text, 64, MF_BYCOMMAND);
  const UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return {!(state & (MF_GRAYED | MF_DISABLED)), text};
}

TEST_F(PaneTest, ContextMenuIsTheTranslatedOperationMenuGreyedForTheRow) {
  open(threeRows());
  const int all[] = {IDC_ADDNEW,   IDC_REMOVE,   IDC_MODIFY,    IDC_ENABLE,       IDC_DISABLE,     IDC_REFRESH,
                     IDC_PROPERTY, IDC_ABOUTFILE, IDC_OPENLOCATION, IDC_SEARCHONLINE, IDC_OPENSTARTUPSETTINGS};
  auto enabledIds = [&](const win32::MenuHandle& menu) {
    std::vector<int> ids;
    for (int id : all)
      if (item(menu.get(), id).enabled) ids.push_back(id);
    return ids;
  };
  const win32::MenuHandle menu = pane->buildContextMenu();
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemCount(menu.get()), 14);
  EXPECT_EQ(item(menu.get(), IDC_REMOVE).text, L"&Remove\tDel") << "with its key";
  EXPECT_EQ(item(menu.get(), IDC_REFRESH).text, L"_Refresh\tF5");
  EXPECT_EQ(enabledIds(menu), (std::vector<int>{IDC_ADDNEW, IDC_REFRESH}));

  select(0);  // live
  EXPECT_EQ(enabledIds(pane->buildContextMenu()),
            (std::vector<int>{IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE,
                              IDC_OPENLOCATION, IDC_SEARCHONLINE}));
  select(1);  // disabled
  EXPECT_EQ(enabledIds(pane->buildContextMenu()),
            (std::vector<int>{IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE,
                              IDC_OPENLOCATION, IDC_SEARCHONLINE}));
}

TEST_F(PaneTest, F5RefreshesAndDeleteRemovesOnlyInTheList) {
  open(threeRows());
  MSG f5{list, WM_KEYDOWN, VK_F5, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(f5));
  EXPECT_EQ(family->fills, 2);
  pane->rows().select(1);  // Remove needs a row
  MSG del{list, WM_KEYDOWN, VK_DELETE, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(del));
  MSG delElsewhere{GetDlgItem(pane->hwnd(), IDC_ADDNEW), WM_KEYDOWN, VK_DELETE, 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(delElsewhere));
  MSG letter{list, WM_KEYDOWN, 'A', 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(letter));
  EXPECT_EQ(family->operations(), std::vector<std::string>{"remove two"});
  EXPECT_EQ(family->fills, 3) << "a Remove lists the family again";
}

// The menu a key opens, seen as the system shows it: the items' states at
// WM_INITMENUPOPUP, then the menu is closed.
class PopupWatcher {
 public:
  PopupWatcher() {
    self = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, hook, nullptr, GetCurrentThreadId());
  }
  ~PopupWatcher() {
    UnhookWindowsHookEx(hook_);
    self = nullptr;
  }
  int shown = 0;
  std::vector<int> enabled;
  POINT cursorAtOpen{};

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && self && m->message == WM_INITMENUPOPUP) {
      ++self->shown;
      self->enabled.clear();
      HMENU menu = reinterpret_cast<HMENU>(m->wParam);
      for (int id : {IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH, IDC_PROPERTY,
                     IDC_ABOUTFILE, IDC_OPENLOCATION}) {
        if (!(GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) {
          self->enabled.push_back(id);
        }
      }
      // The menu's own loop runs this timer, which closes it.
      SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        EndMenu();
      });
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline PopupWatcher* self = nullptr;
  HHOOK hook_ = nullptr;
};

void setShift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST_F(PaneTest, ShiftF10AndTheMenuKeyOpenTheContextMenuOfTheSelectedRow) {
  open(threeRows());
  PopupWatcher watcher;
  MSG apps{list, WM_KEYDOWN, VK_APPS, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(apps));
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(watcher.enabled, (std::vector<int>{IDC_ADDNEW, IDC_REFRESH})) << "no row: as a right click on nothing";
  POINT corner{0, 0};
  ClientToScreen(list, &corner);
  EXPECT_EQ(pane->keyboardMenuPoint().x, corner.x);
  EXPECT_EQ(pane->keyboardMenuPoint().y, corner.y);

  select(1);  // disabled
  setShift(true);
  MSG shiftF10{list, WM_SYSKEYDOWN, VK_F10, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(shiftF10));
  setShift(false);
  EXPECT_EQ(watcher.shown, 2);
  EXPECT_EQ(watcher.enabled,
            (std::vector<int>{IDC_ADDNEW, IDC_REMOVE, IDC_MODIFY, IDC_ENABLE, IDC_REFRESH, IDC_PROPERTY, IDC_ABOUTFILE,
                              IDC_OPENLOCATION}));
  RECT row{};
  row.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  POINT below{row.left, row.bottom};
  ClientToScreen(list, &below);
  EXPECT_EQ(pane->keyboardMenuPoint().x, below.x) << "at the selected row";
  EXPECT_EQ(pane->keyboardMenuPoint().y, below.y);

  MSG plainF10{list, WM_SYSKEYDOWN, VK_F10, 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(plainF10)) << "F10 alone is the menu bar's";
  EXPECT_EQ(watcher.shown, 2);
  EXPECT_TRUE(family->operations().empty());
}

TEST_F(PaneTest, EnterOnARowShowsItsFileAsADoubleClickDoes) {
  auto owned = std::make_unique<ScriptedPrompt>();
  ScriptedPrompt* prompt = owned.get();
  open(threeRows(), std::move(owned));
  MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(enter));
  EXPECT_TRUE(prompt->fileInfoPaths.empty()) << "no row, nothing, as a double click";
  EXPECT_TRUE(prompt->messages.empty());
  select(2);
  EXPECT_TRUE(pane->translateKeys(enter));
  EXPECT_EQ(prompt->fileInfoPaths, std::vector<std::string>{"C:\\three.exe"});
  MSG space{list, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(space)) << "Space stays the list's: it toggles the box";
}

// The list holds no texts: typing a name is answered from the rows, and the
// boxes it shows are theirs, whoever sets them.
TEST_F(PaneTest, TypingANameSelectsItsRowAndTheListShowsTheRowsBoxes) {
  open(threeRows());
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA);
  SendMessageW(list, WM_CHAR, L't', 1);  // a key's repeat count of one
  SendMessageW(list, WM_CHAR, L'H', 1);
  EXPECT_EQ(pane->rows().selected(), 2) << "three: the first row whose name begins so, case ignored";
  const auto box = [this](int row) {
    return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >> 12) & 0xF;
  };
  EXPECT_EQ(box(0), 2u);
  EXPECT_EQ(box(1), 1u);
  pane->rows().showState(0, RowState::Disabled);
  EXPECT_EQ(box(0), 1u) << "read back from the row";
  EXPECT_TRUE(family->operations().empty()) << "a box the program shows is no user's change";
}

TEST_F(PaneTest, AltEnterShowsThePropertiesOfTheSelectedRowAsExplorerDoes) {
  auto owned = std::make_unique<ScriptedPrompt>();
  ScriptedPrompt* prompt = owned.get();
  open(threeRows(), std::move(owned));
  // The keyboard sends Enter with Alt down as a system key.
  MSG altEnter{list, WM_SYSKEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(pane->translateKeys(altEnter));
  EXPECT_TRUE(prompt->dialogs.empty()) << "no row: asked for one instead";
  EXPECT_EQ(prompt->messages.size(), 1u);
  select(1);
  EXPECT_TRUE(pane->translateKeys(altEnter));
  ASSERT_EQ(prompt->dialogs.size(), 1u);
  EXPECT_EQ(prompt->dialogs[0].kind, EntryDialogKind::Property);
  EXPECT_EQ(prompt->dialogs[0].in.name, "two");
  EXPECT_EQ(prompt->dialogs[0].in.path, "C:\\two.exe -q");
  EXPECT_TRUE(family->operations().empty()) << "Property changes nothing";
  EXPECT_TRUE(prompt->fileInfoPaths.empty()) << "not the File Info of Enter alone";
  MSG elsewhere{GetDlgItem(pane->hwnd(), IDC_ADDNEW), WM_SYSKEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(elsewhere));
}

void setControl(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// The clipboard's text, as another program pastes it.
std::wstring clipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<clipboard not opened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void setClipboardText(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

TEST_F(PaneTest, CtrlCInTheListCopiesTheSelectedRowsUnderTheVisibleColumnTitles) {
  translator.texts["_Publisher"] = "Publisher";
  translator.texts["_Status"] = "Status";
  translator.texts["_SignedBy"] = "Signed by";
  translator.texts["_Impact"] = "Impact";
  translator.texts["_LastLogon"] = "Last logon";
  auto rows = threeRows();
  rows[1].name = "t\xC5\x82o\tabs";  // a tab of its own, and a letter beyond ASCII
  rows[1].program = "two.exe";       // described when shown: "Maker of two.exe"
  open(rows);
  setClipboardText(parent, L"before");
  MSG ctrlC{list, WM_KEYDOWN, 'C', 0, 0, {}};
  setControl(true);
  EXPECT_TRUE(pane->translateKeys(ctrlC));
  EXPECT_EQ(clipboardText(parent), L"before") << "no row selected: the clipboard keeps its text";

  select(1);
  EXPECT_TRUE(pane->translateKeys(ctrlC));
  EXPECT_EQ(clipboardText(parent),
            L"Name\tStatus\tCommand\tSigned by\tImpact\tLast logon\tWhere\tPublisher\tType\r\n"
            L"t\u0142o abs\t\tC:\\two.exe -q\tSigner of two.exe\t\t\tHKEY_CURRENT_USER\\Run\tMaker of two.exe\t"
            L"Registry value\r\n");

  // A column the user dragged to nothing is left out.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, 0);
  EXPECT_TRUE(pane->translateKeys(ctrlC));
  EXPECT_EQ(clipboardText(parent),
            L"Name\tStatus\tCommand\tSigned by\tImpact\tLast logon\tPublisher\tType\r\n"
            L"t\u0142o abs\t\tC:\\two.exe -q\tSigner of two.exe\t\t\tMaker of two.exe\tRegistry value\r\n");

  // Outside the list Ctrl+C is the control's own.
  setClipboardText(parent, L"kept");
  MSG elsewhere{GetDlgItem(pane->hwnd(), IDC_ADDNEW), WM_KEYDOWN, 'C', 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(elsewhere));
  setControl(false);
  MSG plainC{list, WM_KEYDOWN, 'C', 0, 0, {}};
  EXPECT_FALSE(pane->translateKeys(plainC)) << "C alone finds a row by its name, as the list does";
  EXPECT_EQ(clipboardText(parent), L"kept");
  EXPECT_TRUE(family->operations().empty());
}

RECT childRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(PaneTest, ListFollowsThePaneSizeAndButtonsStay) {
  open(threeRows());
  const RECT list0 = childRect(pane->hwnd(), list);
  const RECT button0 = childRect(pane->hwnd(), GetDlgItem(pane->hwnd(), IDC_ABOUTFILE));
  RECT pane0;
  GetClientRect(pane->hwnd(), &pane0);

  MoveWindow(pane->hwnd(), 0, 0, pane0.right + 120, pane0.bottom + 70, TRUE);
  const RECT list1 = childRect(pane->hwnd(), list);
  EXPECT_EQ(list1.left, list0.left);
  EXPECT_EQ(list1.top, list0.top);
  EXPECT_EQ(list1.right, list0.right + 120);
  EXPECT_EQ(list1.bottom, list0.bottom + 70);
  const RECT button1 = childRect(pane->hwnd(), GetDlgItem(pane->hwnd(), IDC_ABOUTFILE));
  EXPECT_TRUE(EqualRect(&button0, &button1));

  // And back: the list shrinks with the pane.
  MoveWindow(pane->hwnd(), 0, 0, pane0.right, pane0.bottom, TRUE);
  const RECT list2 = childRect(pane->hwnd(), list);
  EXPECT_TRUE(EqualRect(&list0, &list2));
}

int columnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

// What the list itself needs to show its column whole.
int neededWidth(HWND list, int column) {
  const int kept = columnWidth(list, column);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE);
  const int needed = columnWidth(list, column);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(kept, 0));
  return needed;
}

// No type text of a shipped language is cut in the Type column of any
// family, in the list's own font, at 96 DPI and at 144. The registry panes'
// 60 pixels used to cut "Registry value" even at 96.
TEST_F(PaneTest, EveryShippedTypeTextFitsTheTypeColumnOfEveryFamily) {
  const std::string folder = directoryPart(win32::programPath());
  struct Family {
    const char* id;
    std::vector<const char*> typeKeys;
  };
  const Family families[] = {{"registry", {"_RegString", "_RegExpandString"}},
                             {"programlist", {"_TreeWininiType"}},
                             {"startupfolder", {"_StartupFolderType"}},
                             {"packagedapps", {"_PackagedStartupTask"}}};
  FakeRegistry registry;
  RealFamilies real(registry);
  for (const Family& family : families) {
    SCOPED_TRACE(family.id);
    std::vector<Row> rows;
    for (const std::string& file : {folder + "\\velmora.language", folder + "\\languages\\german.language"}) {
      LanguageTable table{win32::readFileBytes, win32::decodeLegacy};
      table.setFile(file);
      for (const char* key : family.typeKeys) {
        const std::string text = table.translate(key);
        ASSERT_NE(text, key) << file << " must be built beside the tests and have " << key;
        rows.push_back({"n", text, "d", "p", RowState::Live});
      }
    }
    typeWidth = real.table.family(family.id).make({})->typeColumnWidth();
    open(rows);
    const int at96 = columnWidth(list, 1);
    EXPECT_EQ(at96, typeWidth);
    EXPECT_GE(at96, neededWidth(list, 1));

    const win32::FontHandle font =
        win32::rescaledFont(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), 96, 144);
    pane->changeDpi(144, font.get());
    EXPECT_EQ(columnWidth(list, 1), win32::scaleToDpi(typeWidth, 144));
    EXPECT_GE(columnWidth(list, 1), neededWidth(list, 1)) << "with the font of 144 DPI";
    pane.reset();
  }
}

// A pane moved to another DPI keeps its layout in proportion: buttons,
// the list's margins, and every column as the user left it.
TEST_F(PaneTest, ChangeOfDpiScalesControlsMarginsAndColumnsAndBack) {
  open(threeRows());
  ASSERT_EQ(pane->dpi(), 96) << "the test prefix runs at 96 DPI";
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(101, 0));  // as a user drags it
  int before[7] = {};
  for (int c = 0; c < 7; ++c) before[c] = columnWidth(list, c);
  ASSERT_EQ(before[2], 101);
  const RECT button0 = childRect(pane->hwnd(), GetDlgItem(pane->hwnd(), IDC_MODIFY));
  const RECT list0 = childRect(pane->hwnd(), list);
  RECT client;
  GetClientRect(pane->hwnd(), &client);

  const win32::FontHandle font =
      win32::rescaledFont(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), 96, 192);
  pane->changeDpi(192, font.get());
  EXPECT_EQ(pane->dpi(), 192);
  for (int c = 0; c < 7; ++c) EXPECT_EQ(columnWidth(list, c), before[c] * 2) << c;
  const RECT button1 = childRect(pane->hwnd(), GetDlgItem(pane->hwnd(), IDC_MODIFY));
  EXPECT_EQ(button1.left, button0.left * 2);
  EXPECT_EQ(button1.bottom, button0.bottom * 2);
  const RECT list1 = childRect(pane->hwnd(), list);
  EXPECT_EQ(list1.left, list0.left * 2);
  EXPECT_EQ(list1.top, list0.top * 2);
  EXPECT_EQ(client.right - list1.right, (client.right - list0.right) * 2) << "the right margin, in the same pane";
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), font.get());
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(pane->hwnd(), IDC_MODIFY), WM_GETFONT, 0, 0)), font.get());

  // And back to 96, in the template's own font again.
  const HFONT templateFont = reinterpret_cast<HFONT>(SendMessageW(pane->hwnd(), WM_GETFONT, 0, 0));
  pane->changeDpi(96, templateFont);
  for (int c = 0; c < 7; ++c) EXPECT_EQ(columnWidth(list, c), before[c]) << c;
  const RECT list2 = childRect(pane->hwnd(), list);
  EXPECT_TRUE(EqualRect(&list0, &list2));
  pane.reset();
}


// The four machine Run keys, which differ only at their ends.
std::vector<Row> runKeyRows() {
  const std::string base = "HKEY_LOCAL_MACHINE\\Software\\";
  const std::string cv = "Microsoft\\Windows\\CurrentVersion\\";
  return {{"a", "t", "a.exe", base + cv + "Run", RowState::Live},
          {"b", "t", "b.exe", base + cv + "RunOnce", RowState::Live},
          {"c", "t", "c.exe", base + "WOW6432Node\\" + cv + "Run", RowState::Live},
          {"d", "t", "d.exe", base + cv + "Policies\\Explorer\\Run", RowState::Live}};
}

// What the list was given for column 3 while it painted: seen from beside
// the pane, after the pane answered.
struct PaintedLocations {
  explicit PaintedLocations(HWND pane) : pane_(pane) { SetWindowSubclass(pane_, proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
  ~PaintedLocations() { RemoveWindowSubclass(pane_, proc, 1); }
  PaintedLocations(const PaintedLocations&) = delete;
  PaintedLocations& operator=(const PaintedLocations&) = delete;
  static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(w, msg, wp, lp);
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_GETDISPINFOW) {
      const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lp)->item;
      auto* me = reinterpret_cast<PaintedLocations*>(self);
      if (item.iSubItem == 3 && (item.mask & LVIF_TEXT) && item.pszText && !me->reading) {
        me->seen[item.iItem] = narrow(item.pszText);
        // What another program reading the cell gets, let in mid-paint.
        me->reading = true;
        me->readMidPaint[item.iItem] = narrow(cellText(reinterpret_cast<NMHDR*>(lp)->hwndFrom, item.iItem, 3));
        me->reading = false;
      }
    }
    return result;
  }
  HWND pane_;
  std::map<int, std::string> seen;
  std::map<int, std::string> readMidPaint;
  bool reading = false;
};

TEST_F(PaneTest, ANarrowLocationIsPaintedWithAMiddleEllipsisAndReadWhole) {
  const std::vector<Row> rows = runKeyRows();
  open(rows);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(240, 0));
  PaintedLocations painted(pane->hwnd());
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  // Kept before anything else asks the list for its cells.
  std::map<int, std::string> seen = painted.seen;
  std::map<int, std::string> readMidPaint = painted.readMidPaint;
  ASSERT_EQ(seen.size(), rows.size()) << "every row is in view";
  std::set<std::string> distinct;
  for (int i = 0; i < 4; ++i) {
    const std::string& path = rows[static_cast<std::size_t>(i)].path;
    const std::string& shown = seen[i];
    EXPECT_NE(shown.find("\xE2\x80\xA6"), std::string::npos) << shown;
    EXPECT_TRUE(shown.rfind("HKEY_LOCAL_MACHINE\\", 0) == 0 || shown.rfind("HKLM\\", 0) == 0) << shown;
    EXPECT_EQ(shown, pane->locationColumn().painted(path));
    distinct.insert(shown);
    EXPECT_EQ(readMidPaint[i], path) << "another program reading the cell while the list paints gets the path";
    // As do the copy and the rows, at any time.
    EXPECT_EQ(narrow(cellText(list, i, 3)), path);
    EXPECT_EQ(pane->rows().row(i).path, path);
  }
  EXPECT_EQ(distinct.size(), 4u) << "the four keys still read apart";
  select(3);
  EXPECT_NE(pane->selectionText().find(rows[3].path), std::string::npos) << "Ctrl+C copies the whole path";

  // Made wide, as by dragging its edge, the column paints the paths whole:
  // the change of width alone paints it again.
  painted.seen.clear();
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(700, 0));
  UpdateWindow(list);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(painted.seen[i], rows[static_cast<std::size_t>(i)].path);

  // A larger font (a new DPI) shortens again at the same width.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(400, 0));
  const std::string before = pane->locationColumn().painted(rows[3].path);
  const win32::FontHandle font =
      win32::rescaledFont(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), 96, 192);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  const std::string after = pane->locationColumn().painted(rows[3].path);
  EXPECT_LT(win32::widen(after).size(), win32::widen(before).size()) << before << " / " << after;
  pane.reset();
}

TEST_F(PaneTest, AShortenedLocationShowsItsWholePathAsATip) {
  const std::vector<Row> rows = runKeyRows();
  open(rows);
  const auto cellPoint = [this](int row, int column) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    r.top = column;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return POINT{r.left + 20, (r.top + r.bottom) / 2};
  };
  win32::LocationColumn& column = pane->locationColumn();
  EXPECT_EQ(column.tipAt(cellPoint(2, 3)), rows[2].path);
  EXPECT_EQ(column.tipAt(cellPoint(2, 0)), "") << "other columns have no such tip";

  // The mouse resting on the cell: the tip window shows the path.
  HWND tip = column.tipWindow();
  ASSERT_NE(tip, nullptr);
  POINT at = cellPoint(1, 3);
  const LPARAM where = MAKELPARAM(at.x, at.y);
  ClientToScreen(list, &at);
  SetCursorPos(at.x, at.y);
  SendMessageW(list, WM_MOUSEMOVE, 0, where);
  SendMessageW(list, WM_MOUSEMOVE, 0, where);
  ASSERT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[512] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(narrow(text), rows[1].path);
  for (DWORD start = GetTickCount(); !IsWindowVisible(tip) && GetTickCount() - start < 3000;) {
    pumpMessages();
    Sleep(20);
  }
  EXPECT_TRUE(IsWindowVisible(tip)) << "the tip shows once the mouse rests";

  // On a cell shown whole there is none.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(700, 0));
  EXPECT_EQ(column.tipAt(cellPoint(1, 3)), "");
  pane.reset();
}

// The columns of the last logon explain themselves on their headers, where
// the user dragged them; other headers have no tip.
TEST_F(PaneTest, TheLastLogonHeadersShowWhatTheyMeanAsTips) {
  open(threeRows());
  std::vector<int> order = {8, 0, 7, 1, 2, 3, 4, 5, 6};
  SendMessageW(list, LVM_SETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(pane->headerTips().tipWindow(), nullptr) << "made only when the mouse comes";
  const auto hover = [&](int column) {
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    HWND tip = pane->headerTips().tipWindow();
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    if (SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) != 1 || !SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) {
      return std::string("(none)");
    }
    return narrow(text);
  };
  EXPECT_EQ(hover(8), "_LastLogonTip") << "dragged first";
  EXPECT_EQ(hover(0), "(none)");
  EXPECT_EQ(hover(7), "_ImpactTip");
  pane.reset();
}

TEST_F(PaneTest, EachRowShowsItsProgramsIconAndTheBoxesStayAsTheyWere) {
  const std::string velmora = directoryPart(win32::programPath()) + "\\velmora.exe";
  std::vector<Row> rows = {{"own", "t", velmora, "HKEY_CURRENT_USER\\Run", RowState::Live},
                           {"same", "t", velmora, "HKEY_CURRENT_USER\\Run", RowState::Disabled},
                           {"gone", "t", "C:\\nowhere\\missing.exe", "HKEY_CURRENT_USER\\Run", RowState::Live},
                           {"none", "t", "", "HKEY_CURRENT_USER\\Run", RowState::Live}};
  rows[0].program = velmora;
  // The same file spelt otherwise is looked up once.
  std::string upper = velmora;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  rows[1].program = upper;
  rows[2].program = rows[2].data;
  const int lookupsBefore = win32::ProgramIcons::session().lookups();
  DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return IDCANCEL; });
  open(rows);
  pumpMessages();
  // A row is described when its Publisher cell is shown, which asks for its
  // icon; the icons are read after that paint.
  for (int row = 0; row < 4; ++row) {
    wchar_t text[256] = {};
    LVITEMW cell{};
    cell.iSubItem = 4;
    cell.pszText = text;
    cell.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  }
  pumpMessages();

  EXPECT_NE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_SHAREIMAGELISTS, 0) << "the panes' shared list outlives each";
  const auto icons = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(icons, nullptr);
  const auto iconOf = [this](int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  };
  const int own = iconOf(0);
  EXPECT_GE(own, 0);
  EXPECT_LT(own, ImageList_GetImageCount(icons)) << "the index is one of the list's";
  EXPECT_EQ(iconOf(1), own);
  const int gone = iconOf(2);
  EXPECT_GE(gone, 0) << "a missing program gets the generic application icon";
  EXPECT_LT(gone, ImageList_GetImageCount(icons));
  EXPECT_NE(gone, own) << "the generic icon, not another program's";
  EXPECT_EQ(iconOf(3), I_IMAGENONE) << "no program, no icon";
  EXPECT_EQ(win32::ProgramIcons::session().lookups() - lookupsBefore, 2) << "one look-up a file, whatever its case";
  EXPECT_TRUE(answerer.seen.empty()) << "no window told of the missing file";

  // The boxes are the state images, as before.
  EXPECT_NE(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_STATE, 0), 0);
  EXPECT_EQ(boxImage(list, 0), 2);
  EXPECT_EQ(boxImage(list, 1), 1);
  setBox(list, 0, 1);
  EXPECT_EQ(boxImage(list, 0), 1);
  EXPECT_EQ(family->operations(), std::vector<std::string>{"disable own"});

  // On a monitor of another scale, the small icons of that scale.
  for (const auto& [dpi, side] : {std::pair{144, 24}, std::pair{192, 32}, std::pair{96, 16}}) {
    const win32::FontHandle font =
        win32::rescaledFont(reinterpret_cast<HFONT>(SendMessageW(pane->hwnd(), WM_GETFONT, 0, 0)), 96, dpi);
    pane->changeDpi(dpi, font.get());
    pumpMessages();
    const auto shown = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(shown, &cx, &cy));
    EXPECT_EQ(cx, side) << dpi;
    EXPECT_GE(iconOf(0), 0) << dpi;
    EXPECT_LT(iconOf(0), ImageList_GetImageCount(shown)) << dpi;
  }
  EXPECT_EQ(boxImage(list, 1), 1) << "the boxes kept through it all";
  pane.reset();
}

}  // namespace
}  // namespace velmora::testing
