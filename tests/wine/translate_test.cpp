// Translation of real windows and menus, and language files on real disk.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

std::string utf16le(const std::wstring& s) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : s) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return out;
}

class Translation : public ::testing::Test {
 protected:
  void SetUp() override {
    table.setFile(dir.file("velmora.language"));
    writeFile(table.file(),
              utf16le(L"[String]\r\n_AddNewProgram=Add Program\r\n_OK=O&K\r\n_Cancel=Cancel\r\n"
                      L"_DisplayName=Two\\nLines\r\n_File=&File\r\n_Exit=E&xit\r\n_Operation=Entr\u00E9e\r\n"
                      L"_Refresh=Re\\nfresh\r\n_ToolVelmora=Velmora\r\n_Deep=Deep \u65E5\r\n"));
  }
  TempDir dir;
  LanguageTable table{win32::readFileBytes, win32::decodeLegacy};
};

TEST_F(Translation, FileEncodingsAllReadOnRealFiles) {
  EXPECT_EQ(table.translate("_Operation"), "Entr\xC3\xA9" "e");
  writeFile(table.file(), "\xEF\xBB\xBF[String]\n_Operation=\xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C\n");
  EXPECT_EQ(table.translate("_Operation"), "\xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C");
  writeFile(table.file(), "[String]\n_Operation=Entr\xE9" "e\n");  // the legacy code page
  EXPECT_EQ(table.translate("_Operation"), "Entr\xC3\xA9" "e");
}

TEST_F(Translation, DialogTitleAndEveryDescendantAreTranslated) {
  HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADDENTRY), nullptr, nullptr, 0);
  ASSERT_NE(dlg, nullptr);
  // A grandchild: windows below a child are reached too.
  HWND group = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, dlg, nullptr, nullptr, nullptr);
  HWND deep = CreateWindowExW(0, L"Static", L"_Deep", WS_CHILD, 0, 0, 10, 10, group, nullptr, nullptr, nullptr);
  HWND plain = CreateWindowExW(0, L"Static", L"Plain words", WS_CHILD, 0, 0, 10, 10, dlg, nullptr, nullptr, nullptr);

  win32::translateDialog(dlg, table);

  EXPECT_EQ(win32::windowText(dlg), L"Add Program");
  EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDOK)), L"O&K") << "ampersands pass through";
  EXPECT_EQ(win32::windowText(deep), L"Deep \u65E5");
  EXPECT_EQ(win32::windowText(plain), L"Plain words") << "a text that is no key stays";
  EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDC_ENTRY_NAME)), L"") << "an empty edit stays empty";
  EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDC_ENTRY_BROWSE)), L"_Browse") << "a missing key shows itself";
  DestroyWindow(dlg);
}

TEST_F(Translation, WindowTextsConvertEscapesButMenusDoNot) {
  HWND label = CreateWindowExW(0, L"Static", L"_DisplayName", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  win32::translateWindowText(label, table);
  EXPECT_EQ(win32::windowText(label), L"Two\nLines");
  DestroyWindow(label);

  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
  ASSERT_NE(menu, nullptr);
  win32::translateMenu(menu, table);
  wchar_t text[256];
  GetMenuStringW(menu, 0, text, 256, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&File");
  GetMenuStringW(menu, 1, text, 256, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Entr\u00E9e");
  HMENU operation = GetSubMenu(menu, 1);
  GetMenuStringW(operation, IDC_REFRESH, text, 256, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Re\\nfresh\tF5") << "menu items keep escapes as they stand, and show their keys";
  GetMenuStringW(operation, IDC_REMOVE, text, 256, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"_Remove\t_KeyDelete") << "keys the file lacks stay as they are";
  MENUITEMINFOW info{sizeof info, MIIM_FTYPE};
  GetMenuItemInfoW(operation, 3, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "separators are left alone";
  DestroyMenu(menu);
}

TEST_F(Translation, MenusAreTranslatedAtAnyDepth) {
  HMENU top = CreateMenu();
  HMENU mid = CreatePopupMenu();
  HMENU low = CreatePopupMenu();
  AppendMenuW(low, MF_STRING, 7, L"_Exit");
  AppendMenuW(mid, MF_POPUP, reinterpret_cast<UINT_PTR>(low), L"_Operation");
  AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(mid), L"_File");
  win32::translateMenu(top, table);
  wchar_t text[64];
  GetMenuStringW(low, 7, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"E&xit");
  GetMenuStringW(mid, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Entr\u00E9e");
  win32::translateMenu(reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x1234)), table);  // not a menu: nothing
  DestroyMenu(top);

  // An item's key after a tab: kept, and translated when it is a key itself.
  HMENU keys = CreatePopupMenu();
  AppendMenuW(keys, MF_STRING, 1, L"_Exit\tF5");
  AppendMenuW(keys, MF_STRING, 2, L"_Exit\t_Exit");
  win32::translateMenu(keys, table);
  GetMenuStringW(keys, 1, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"E&xit\tF5");
  GetMenuStringW(keys, 2, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"E&xit\tE&xit");
  DestroyMenu(keys);
}

// A question has Yes and No, never OK and Cancel: its answers say what they do.
TEST_F(Translation, MessagesCarryTheCaptionAndTheQuestionGoesOnOnlyOnYes) {
  std::vector<int> answers = {IDOK, IDYES, IDNO};
  std::size_t next = 0;
  std::vector<int> defaults;
  std::vector<std::vector<int>> buttons;
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
    answerFromLoop(dlg, answers[next++], [&](HWND d) {
      defaults.push_back(defaultButton(d));
      std::vector<int> ids;
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if (GetDlgItem(d, id)) ids.push_back(id);
      }
      buttons.push_back(ids);
    });
    return 0;
  });
  win32::showMessage(nullptr, table, "Select an entry first.");
  EXPECT_TRUE(win32::askWarning(nullptr, table, "Remove a.exe?"));
  EXPECT_FALSE(win32::askWarning(nullptr, table, "Remove a.exe?"));
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0], std::vector<int>{IDOK});
  EXPECT_EQ(buttons[1], (std::vector<int>{IDYES, IDNO}));
  ASSERT_EQ(answerer.seen.size(), 3u);
  EXPECT_EQ(answerer.seen[0].title, L"Velmora");
  EXPECT_EQ(answerer.seen[0].text, L"Select an entry first.");
  EXPECT_EQ(answerer.seen[2].text, L"Remove a.exe?");
  // The program's own messages carry the information icon; its warnings the
  // warning icon, with No as the default so Enter changes nothing.
  const HICON information = LoadIconW(nullptr, IDI_INFORMATION);
  const HICON warning = LoadIconW(nullptr, IDI_WARNING);
  ASSERT_NE(information, warning);
  EXPECT_EQ(answerer.seen[0].icon, information);
  ASSERT_EQ(defaults.size(), 3u);
  EXPECT_EQ(answerer.seen[1].title, L"Velmora");
  EXPECT_EQ(answerer.seen[1].icon, warning);
  EXPECT_EQ(defaults[1], IDNO) << "Enter changes nothing";
}

}  // namespace
}  // namespace velmora::testing
