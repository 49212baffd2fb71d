// The Add, Modify and Property dialogs as real windows, answered through a
// CBT hook: what they show, what OK accepts, Browse, and where they appear.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include <functional>
#include <map>
#include <optional>

#include "dialogs/win32/entry_dialog.h"
#include "fakes/fakes.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;
using win32::windowText;

class EntryDialogTest : public ::testing::Test {
 protected:
  EntryDialogTest() {
    tr.texts = {{"_AddNewProgram", "Add Program"},
                {"_ModifyProgram", "Modify Program"},
                {"_Property", "&Properties"},
                {"_AppPath", "&Command:"},
                {"_ToolVelmora", "Velmora"},
                {"_DisplayName", "&Name:"},
                {"_ApplicationNameInvalid", "Enter a name."},
                {"_ApplicationPathInvalid", "Enter a path."}};
  }

  // Runs a dialog; `onDialog` is called each time the entry dialog becomes
  // active (at its opening, and again after a message box or the open-file
  // dialog closes) and returns the command to send it, or 0.
  bool run(EntryDialogKind kind, EntryDialogData& data, std::function<int(HWND, int)> onDialog,
           HWND owner = nullptr) {
    int activations = 0;
    DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen& seen) -> int {
      if (seen.title == L"Velmora") return IDOK;  // a message box
      // "&Properties" of the menu is the title without its mnemonic.
      if (seen.title == L"Add Program" || seen.title == L"Modify Program" || seen.title == L"Properties") {
        return onDialog(dlg, activations++);
      }
      return otherDialog ? otherDialog(dlg) : IDCANCEL;
    });
    const bool ok = win32::runEntryDialog(owner, kind, data, tr);
    seen = answerer.seen;
    return ok;
  }

  static std::wstring text(HWND dlg, int id) { return windowText(GetDlgItem(dlg, id)); }
  static void set(HWND dlg, int id, const std::wstring& s) { SetDlgItemTextW(dlg, id, s.c_str()); }
  std::vector<std::wstring> messages() const {
    std::vector<std::wstring> out;
    for (const auto& s : seen) {
      if (s.title == L"Velmora") out.push_back(s.text);
    }
    return out;
  }

  MapTranslator tr;
  std::function<int(HWND)> otherDialog;
  std::vector<DialogAnswerer::Seen> seen;
};

TEST_F(EntryDialogTest, ModifyShowsTheCallersTextsTranslatedAroundThem) {
  EntryDialogData data{"Registry value", "HKEY_CURRENT_USER\\Run", "_Name \xC5\x81ukasz", "C:\\\xE6\x97\xA5.exe"};
  std::wstring type, section, name, path, label;
  const bool ok = run(EntryDialogKind::Modify, data, [&](HWND dlg, int) {
    type = text(dlg, IDC_ENTRY_TYPE);
    section = text(dlg, IDC_ENTRY_SECTION);
    name = text(dlg, IDC_ENTRY_NAME);
    path = text(dlg, IDC_ENTRY_PATH);
    label = text(dlg, IDOK);
    return IDCANCEL;
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(type, L"Registry value");
  EXPECT_EQ(section, L"HKEY_CURRENT_USER\\Run");
  EXPECT_EQ(name, L"_Name \u0141ukasz") << "the entry's texts are not translated";
  EXPECT_EQ(path, L"C:\\\u65E5.exe");
  EXPECT_EQ(label, L"_OK") << "a key the file lacks stays as it is";
  EXPECT_EQ(data.name, "_Name \xC5\x81ukasz") << "cancel leaves the data alone";
}

TEST_F(EntryDialogTest, OkRefusesAnEmptyNameThenAnEmptyPath) {
  EntryDialogData data{"t", "s", "", ""};
  const bool ok = run(EntryDialogKind::Add, data, [&](HWND dlg, int n) {
    if (n == 1) set(dlg, IDC_ENTRY_NAME, L" ");  // blanks are a name
    if (n == 2) set(dlg, IDC_ENTRY_PATH, L"C:\\a.exe");
    return IDOK;
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(messages(), (std::vector<std::wstring>{L"Enter a name.", L"Enter a path."}));
  EXPECT_EQ(data.name, " ");
  EXPECT_EQ(data.path, "C:\\a.exe");
}

TEST_F(EntryDialogTest, TypedTextIsCutTo259CharactersButAnUntouchedFieldIsKeptWhole) {
  const std::wstring longPath(300, L'p');
  // 258 units and a character outside the BMP: the cut does not split it.
  const std::wstring longName = std::wstring(258, L'n') + L"\U0001F680";
  EntryDialogData data{"t", "s", "", ""};
  ASSERT_TRUE(run(EntryDialogKind::Add, data, [&](HWND dlg, int) {
    set(dlg, IDC_ENTRY_NAME, longName);
    set(dlg, IDC_ENTRY_PATH, longPath);
    return IDOK;
  }));
  EXPECT_EQ(data.path, std::string(259, 'p'));
  EXPECT_EQ(data.name, std::string(258, 'n'));

  const std::string longCommand = "\"C:\\Program Files\\Tool\\tool.exe\" " + std::string(400, 'x');
  EntryDialogData modify{"t", "s", "Tool", longCommand};
  ASSERT_TRUE(run(EntryDialogKind::Modify, modify, [&](HWND dlg, int) {
    set(dlg, IDC_ENTRY_NAME, L"Renamed");
    return IDOK;
  }));
  EXPECT_EQ(modify.name, "Renamed");
  EXPECT_EQ(modify.path, longCommand) << "a command line the user did not touch is not cut";
}

// Browse without a command that names a folder starts among the installed
// programs, wherever Velmora was started from.
TEST_F(EntryDialogTest, BrowseStartsInProgramFilesOrInTheCommandsOwnFolder) {
  const std::wstring programFiles = win32::programFilesFolder();
  ASSERT_FALSE(programFiles.empty());
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  SetCurrentDirectoryW(system);  // as if Velmora were started from another folder
  std::vector<std::wstring> folders;
  otherDialog = [&](HWND dialog) {
    answerFromLoop(dialog, IDCANCEL, [&](HWND d) {
      std::wstring folder(MAX_PATH * 4, L'\0');
      SendMessageW(d, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
      folder.resize(wcslen(folder.c_str()));
      folders.push_back(folder);
    });
    return 0;
  };
  const auto browseOnce = [](HWND, int n) { return n == 0 ? IDC_ENTRY_BROWSE : IDCANCEL; };
  EntryDialogData add{"t", "s", "", ""};
  run(EntryDialogKind::Add, add, browseOnce);
  EntryDialogData missing{"t", "s", "Tool", "C:\\no such folder\\tool.exe"};
  run(EntryDialogKind::Modify, missing, browseOnce);
  EntryDialogData here{"t", "s", "Tool", narrow(system) + "\\cmd.exe /c"};
  run(EntryDialogKind::Modify, here, browseOnce);
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(lstrcmpiW(folders[0].c_str(), programFiles.c_str()), 0) << narrow(folders[0]);
  EXPECT_EQ(lstrcmpiW(folders[1].c_str(), programFiles.c_str()), 0) << narrow(folders[1]);
  EXPECT_EQ(lstrcmpiW(folders[2].c_str(), system), 0) << "a command's folder that exists: " << narrow(folders[2]);
}

TEST_F(EntryDialogTest, BrowseCancelledChangesNothing) {
  bool openDialogSeen = false;
  otherDialog = [&](HWND) {
    openDialogSeen = true;
    return IDCANCEL;
  };
  std::wstring nameAfter, pathAfter;
  EntryDialogData data{"t", "s", "Tool", "C:\\old.exe"};
  const bool ok = run(EntryDialogKind::Modify, data, [&](HWND dlg, int n) {
    if (n == 0) {
      set(dlg, IDC_ENTRY_NAME, L"Typed");
      return IDC_ENTRY_BROWSE;
    }
    nameAfter = text(dlg, IDC_ENTRY_NAME);
    pathAfter = text(dlg, IDC_ENTRY_PATH);
    return IDCANCEL;
  });
  EXPECT_FALSE(ok);
  EXPECT_TRUE(openDialogSeen) << "the system's open-file dialog was shown";
  EXPECT_EQ(nameAfter, L"Typed");
  EXPECT_EQ(pathAfter, L"C:\\old.exe");
}

TEST_F(EntryDialogTest, PropertyIsReadOnlyAndClosesWithEscape) {
  EntryDialogData data{"t", "s", "Tool", "C:\\tool.exe"};
  bool hasOk = true, hasBrowse = true, nameReadOnly = false, pathReadOnly = false;
  const bool ok = run(EntryDialogKind::Property, data, [&](HWND dlg, int n) {
    if (n > 0) return IDCANCEL;  // Escape did not close it
    hasOk = GetDlgItem(dlg, IDOK) != nullptr;
    hasBrowse = GetDlgItem(dlg, IDC_ENTRY_BROWSE) != nullptr;
    nameReadOnly = (GetWindowLongW(GetDlgItem(dlg, IDC_ENTRY_NAME), GWL_STYLE) & ES_READONLY) != 0;
    pathReadOnly = (GetWindowLongW(GetDlgItem(dlg, IDC_ENTRY_PATH), GWL_STYLE) & ES_READONLY) != 0;
    PostMessageW(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  });
  EXPECT_FALSE(ok);
  EXPECT_FALSE(hasOk);
  EXPECT_FALSE(hasBrowse);
  EXPECT_TRUE(nameReadOnly);
  EXPECT_TRUE(pathReadOnly);
  EXPECT_EQ(data.name, "Tool");
}

TEST_F(EntryDialogTest, CloseBoxCancels) {
  EntryDialogData data{"t", "s", "", ""};
  EXPECT_FALSE(run(EntryDialogKind::Add, data, [&](HWND dlg, int n) {
    if (n > 0) return IDCANCEL;
    set(dlg, IDC_ENTRY_NAME, L"x");
    PostMessageW(dlg, WM_CLOSE, 0, 0);
    return 0;
  }));
  EXPECT_EQ(data.name, "");
}

TEST_F(EntryDialogTest, TabGoesInReadingOrderAndEachMnemonicReachesItsOwnField) {
  for (EntryDialogKind kind : {EntryDialogKind::Add, EntryDialogKind::Modify}) {
    EntryDialogData data{"t", "s", "Tool", "C:\\tool.exe"};
    std::vector<int> order;
    static HWND focusedAtStart;
    focusedAtStart = nullptr;
    HWND nameField = nullptr;
    std::map<std::wstring, int> labelTargets;
    run(kind, data, [&](HWND dlg, int) {
      focusedAtStart = GetFocus();
      nameField = GetDlgItem(dlg, IDC_ENTRY_NAME);
      HWND first = GetDlgItem(dlg, IDC_ENTRY_TYPE);
      HWND at = first;
      do {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dlg, at, FALSE);
      } while (at && at != first && order.size() < 20);
      // A label's mnemonic goes to the next control in tab order after it.
      for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring label = windowText(child);
        if (label.find(L'&') == std::wstring::npos || static_cast<WORD>(GetDlgCtrlID(child)) != 0xFFFF) continue;
        HWND next = GetWindow(child, GW_HWNDNEXT);
        while (next && !(GetWindowLongW(next, GWL_STYLE) & WS_TABSTOP)) next = GetWindow(next, GW_HWNDNEXT);
        labelTargets[label] = next ? GetDlgCtrlID(next) : 0;
      }
      // The focus is set once the dialog runs: look from its own loop.
      SetTimer(dlg, 1, 10, [](HWND d, UINT, UINT_PTR id, DWORD) {
        KillTimer(d, id);
        focusedAtStart = GetFocus();
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      });
      return 0;
    });
    EXPECT_EQ(order, (std::vector<int>{IDC_ENTRY_TYPE, IDC_ENTRY_NAME, IDC_ENTRY_PATH, IDC_ENTRY_BROWSE,
                                       IDC_ENTRY_SECTION, IDOK, IDCANCEL}));
    EXPECT_EQ(labelTargets[L"&Name:"], IDC_ENTRY_NAME);
    EXPECT_EQ(labelTargets[L"&Command:"], IDC_ENTRY_PATH);
    EXPECT_EQ(focusedAtStart, nameField) << "typing starts in the name";
  }
}

TEST_F(EntryDialogTest, ARefusedNameKeepsTheDialogOpenWithTheTextAndTheFocusOnTheName) {
  EntryDialogData data{"t", "s", "", ""};
  int checked = 0;
  data.check = [&](const std::string& name, const std::string& path) -> std::optional<FieldProblem> {
    ++checked;
    EXPECT_EQ(path, "C:\\typed.exe");
    if (name == "CON") return FieldProblem{EntryField::Name, "CON is a device."};
    if (path.find("typed") != std::string::npos && name == "Good") return std::nullopt;
    return FieldProblem{EntryField::Path, "no"};
  };
  std::wstring nameAfter, pathAfter;
  bool focusOnName = false;
  const bool ok = run(EntryDialogKind::Add, data, [&](HWND dlg, int n) {
    if (n == 0) {
      set(dlg, IDC_ENTRY_NAME, L"CON");
      set(dlg, IDC_ENTRY_PATH, L"C:\\typed.exe");
      return IDOK;
    }
    if (n > 1) return IDCANCEL;
    answerFromLoop(dlg, IDOK, [&](HWND d) {
      nameAfter = text(d, IDC_ENTRY_NAME);
      pathAfter = text(d, IDC_ENTRY_PATH);
      focusOnName = GetFocus() == GetDlgItem(d, IDC_ENTRY_NAME);
      set(d, IDC_ENTRY_NAME, L"Good");
    });
    return 0;
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(messages(), (std::vector<std::wstring>{L"CON is a device."}));
  EXPECT_EQ(nameAfter, L"CON") << "the dialog came back with what was typed";
  EXPECT_EQ(pathAfter, L"C:\\typed.exe");
  EXPECT_TRUE(focusOnName);
  EXPECT_EQ(checked, 2);
  EXPECT_EQ(data.name, "Good");
}

TEST_F(EntryDialogTest, ModifyShowsWhatTheChangeKeepsOnlyWhenThereIsSomething) {
  for (const std::string note : {std::string("The shortcut keeps: /min"), std::string()}) {
    EntryDialogData data{"t", "s", "Tool", "C:\\tool.exe"};
    data.note = note;
    std::wstring shown;
    bool visible = false;
    run(EntryDialogKind::Modify, data, [&](HWND dlg, int) {
      shown = text(dlg, IDC_ENTRY_NOTE);
      visible = (GetWindowLongW(GetDlgItem(dlg, IDC_ENTRY_NOTE), GWL_STYLE) & WS_VISIBLE) != 0;
      return IDCANCEL;
    });
    EXPECT_EQ(narrow(shown), note);
    EXPECT_EQ(visible, !note.empty());
  }
}

// What a dialog shows of an entry: each visible field with its label, and
// the note, in reading order.
std::vector<std::wstring> shownFields(HWND dlg) {
  std::vector<std::wstring> out;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) continue;
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    const int id = GetDlgCtrlID(c);
    if (id == IDC_ENTRY_NOTE) out.push_back(L"note " + windowText(c));
    if (_wcsicmp(cls, L"Edit") != 0 && _wcsicmp(cls, L"ComboBox") != 0) continue;
    HWND label = GetWindow(c, GW_HWNDPREV);
    out.push_back(windowText(label) + L" " + windowText(c));
  }
  return out;
}

// Properties shows whatever Modify shows of the entry, under the same
// labels, and every label ends as the others do.
TEST_F(EntryDialogTest, PropertiesShowsEveryFieldModifyShowsWithTheSameLabels) {
  tr.texts.insert({{"_AddNewType", "Type:"}, {"_Section", "Location:"}});
  std::map<EntryDialogKind, std::vector<std::wstring>> shown;
  for (const EntryDialogKind kind : {EntryDialogKind::Modify, EntryDialogKind::Property}) {
    EntryDialogData data{"Startup folder", "C:\\Startup", "Tool.lnk", "C:\\tool.exe"};
    data.note = "The shortcut also passes: /min";
    run(kind, data, [&](HWND dlg, int) {
      shown[kind] = shownFields(dlg);
      return IDCANCEL;
    });
  }
  const std::vector<std::wstring> expected = {L"Type: Startup folder", L"&Name: Tool.lnk", L"&Command: C:\\tool.exe",
                                              L"Location: C:\\Startup", L"note The shortcut also passes: /min"};
  EXPECT_EQ(shown[EntryDialogKind::Modify], expected);
  EXPECT_EQ(shown[EntryDialogKind::Property], expected);
}

// Add's place drop-down: each place under its name, the list as wide as
// the longest name, the chosen place's full key as the box's tip, following
// the choice.
TEST_F(EntryDialogTest, AddNamesEachPlaceWideEnoughWithItsKeyAsTheTip) {
  const std::string userRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string machineOnce = "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  EntryDialogData data{"Registry value", userRun, "", ""};
  data.places = {EntryPlace{machineOnce, "Registry value", {}, "registry", "RunOnce \xE2\x80\x94 all users, 32-bit programs (once), a name longer than the box"},
                 EntryPlace{userRun, "Registry value", {}, "registry", "Run \xE2\x80\x94 current user"}};
  data.place = 1;
  std::vector<std::wstring> items;
  int dropped = 0, needed = 0, boxWidth = 0;
  std::wstring tipBefore, tipAfter;
  const auto tipOf = [](HWND dlg) {
    HWND box = GetDlgItem(dlg, IDC_ENTRY_PLACE);
    // The tip window the dialog owns.
    HWND tip = nullptr;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      wchar_t cls[64] = {};
      GetClassNameW(w, cls, 64);
      if (GetWindow(w, GW_OWNER) == dlg && _wcsicmp(cls, TOOLTIPS_CLASSW) == 0) tip = w;
    }
    if (!tip) return std::wstring(L"(no tip)");
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = dlg;
    tool.uId = reinterpret_cast<UINT_PTR>(box);
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return std::wstring(text);
  };
  run(EntryDialogKind::Add, data, [&](HWND dlg, int) {
    HWND box = GetDlgItem(dlg, IDC_ENTRY_PLACE);
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
      SIZE size{};
      GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
      needed = std::max(needed, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    RECT r{};
    GetWindowRect(box, &r);
    boxWidth = r.right - r.left;
    dropped = static_cast<int>(SendMessageW(box, CB_GETDROPPEDWIDTH, 0, 0));
    tipBefore = tipOf(dlg);
    SendMessageW(box, CB_SETCURSEL, 0, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_PLACE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    tipAfter = tipOf(dlg);
    return IDCANCEL;
  });
  EXPECT_EQ(items, (std::vector<std::wstring>{L"RunOnce \u2014 all users, 32-bit programs (once), a name longer than the box", L"Run \u2014 current user"}));
  EXPECT_GT(dropped, needed) << "the list shows its longest name whole";
  EXPECT_GT(needed, boxWidth) << "the sample is longer than the box, or the test shows nothing";
  EXPECT_EQ(tipBefore, widen(userRun)) << "the chosen place's full key";
  EXPECT_EQ(tipAfter, widen(machineOnce)) << "the tip follows the choice";
}

RECT rectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

TEST_F(EntryDialogTest, CentresOverAVisibleOwnerAndStaysInsideTheWorkArea) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP, area.left + 100, area.top + 80, 700, 500, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  EntryDialogData data{"t", "s", "", ""};
  RECT placed{};
  auto measure = [&](HWND dlg, int) {
    placed = rectOf(dlg);
    return IDCANCEL;
  };

  ShowWindow(owner, SW_SHOWNOACTIVATE);
  run(EntryDialogKind::Add, data, measure, owner);
  EXPECT_NEAR((placed.left + placed.right) / 2, area.left + 100 + 350, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, area.top + 80 + 250, 1);

  // Hanging over the right and bottom edges: pulled back inside.
  SetWindowPos(owner, nullptr, area.right - 100, area.bottom - 60, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE);
  run(EntryDialogKind::Add, data, measure, owner);
  EXPECT_EQ(placed.right, area.right);
  EXPECT_EQ(placed.bottom, area.bottom);

  // A hidden owner does not count: the work area's centre.
  ShowWindow(owner, SW_HIDE);
  run(EntryDialogKind::Add, data, measure, owner);
  EXPECT_NEAR((placed.left + placed.right) / 2, (area.left + area.right) / 2, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, (area.top + area.bottom) / 2, 1);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace velmora::testing
