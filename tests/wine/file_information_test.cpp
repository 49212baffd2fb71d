// The file information dialog against real files and version resources.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "core/paths.h"
#include "core/text.h"
#include "dialogs/win32/file_information_dialog.h"
#include "fakes/fakes.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

std::vector<InfoRow> listRows(HWND list) {
  std::vector<InfoRow> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) rows.push_back({narrow(cellText(list, i, 0)), narrow(cellText(list, i, 1))});
  return rows;
}

void setWriteTime(const std::string& path, WORD year, WORD month, WORD day) {
  HANDLE h = CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SYSTEMTIME noon{year, month, 0, day, 12, 0, 0, 0};
  FILETIME ft{};
  SystemTimeToFileTime(&noon, &ft);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

class FileInformation : public ::testing::Test {
 protected:
  void SetUp() override {
    t.texts = {{"_MoreInfoDialog", "File Information"}, {"_AttributeName", "Property"},
               {"_AttributeValue", "Value"},            {"_LanguageCode", "Language"},
               {"_FileIsNotExistInfo", "Not there"},    {"_CreationTime", "Created"},
               {"_LastAccessTime", "Accessed"},         {"_LastWriteTime", "Modified"},
               {"_FileSize", "Size"},                   {"_ProductName", "Product name"},
               {"_FileSizeBytes", "%s (%s bytes)"},
               {"_Comments", "Comments"},               {"_CompanyName", "Company"},
               {"_BrowseIt", "Show in Explorer"}};
  }
  std::string sample() const { return directoryPart(win32::programPath()) + "\\two_translations_sample.exe"; }

  // Opens the dialog, lets `inspect` look at it and answer, and returns the
  // dialog's result.
  INT_PTR run(const std::string& path, const std::function<int(HWND)>& inspect, const std::string& search = {}) {
    DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) { return inspect(dlg); });
    return win32::runFileInformationDialog(nullptr, path, t, search, [this](HWND, const win32::ShellRequest& r) {
      opened.push_back(r);
      return true;
    });
  }

  MapTranslator t;
  TempDir dir;
  std::vector<win32::ShellRequest> opened;
};

// Each group is headed by its language's name as the system gives it
// (Windows adds the country: "German (Germany)").
TEST_F(FileInformation, TwoTranslationsGiveTwoGroupsOrderedByCodeTextAndNamed) {
  const std::vector<InfoRow> rows = win32::fileInformationRows(sample(), t);
  ASSERT_EQ(rows.size(), 2u * 13 + 4);
  EXPECT_EQ(rows[0].name, "Language");
  EXPECT_EQ(rows[0].value.rfind("German", 0), 0u) << rows[0].value;
  EXPECT_EQ(rows[13].name, "Language");
  EXPECT_EQ(rows[13].value.rfind("English", 0), 0u) << rows[13].value;
  const auto value = [&](std::size_t group, const std::string& name) {
    for (std::size_t i = group + 1; i < group + 13; ++i)
      if (rows[i].name == name) return rows[i].value;
    return std::string("<absent>");
  };
  EXPECT_EQ(value(0, "Product name"), "Beispielwerkzeug");
  EXPECT_EQ(value(0, "Comments"), "") << "the German block has no Comments";
  EXPECT_EQ(value(13, "Product name"), "Sample Tool");
  EXPECT_EQ(value(13, "Comments"), "Sample for tests");
  EXPECT_EQ(value(13, "_FileVersion"), "3.1.4.1");
  EXPECT_EQ(rows[26].name, "Accessed");
  EXPECT_EQ(rows[29].name, "Size");
}

TEST_F(FileInformation, FileWithoutVersionResourceShowsOnlyTheFourFileRows) {
  const std::string file = dir.file("notes, old.txt");
  writeFile(file, std::string(1536, 'x'));
  setWriteTime(file, 2021, 6, 15);
  const std::vector<InfoRow> rows = win32::fileInformationRows(file, t);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, "Accessed");
  EXPECT_EQ(rows[1].name, "Created");
  EXPECT_EQ(rows[2].name, "Modified");
  EXPECT_EQ(rows[3], (InfoRow{"Size", "1.50 KB (1,536 bytes)"})) << "as Explorer shows it";
  // Noon UTC is the same day in every time zone; the date is in the user's
  // short format.
  SYSTEMTIME day{2021, 6, 0, 15};
  wchar_t date[64] = {};
  ASSERT_GT(GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, date, 64, nullptr), 0);
  EXPECT_EQ(rows[2].value.rfind(win32::narrow(date) + " ", 0), 0u) << rows[2].value;
}

TEST_F(FileInformation, SizeAboveFourGigabytesCountsTheHighHalf) {
  const std::string file = dir.file("big.bin");
  HANDLE h = CreateFileW(widen(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 5ll * 1024 * 1024 * 1024;  // sparse: no disk is used
  ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);
  const std::vector<InfoRow> rows = win32::fileInformationRows(file, t);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].value, "5.00 GB (5,368,709,120 bytes)");
}

TEST_F(FileInformation, MissingFileFolderOrEmptyPathGiveTheNotExistRow) {
  const std::vector<InfoRow> notThere{{"", "Not there"}};
  EXPECT_EQ(win32::fileInformationRows(dir.file("gone.exe"), t), notThere);
  EXPECT_EQ(win32::fileInformationRows(dir.path(), t), notThere) << "a folder is no file";
  EXPECT_EQ(win32::fileInformationRows("", t), notThere);
}

TEST_F(FileInformation, BareProgramNameIsFoundAsTheSystemFindsIt) {
  const std::string resolved = win32::resolveExaminedPath("notepad.exe");
  EXPECT_TRUE(equalsIgnoreCase(fileNamePart(resolved), "notepad.exe"));
  EXPECT_NE(resolved.find('\\'), std::string::npos);
  EXPECT_GE(win32::fileInformationRows("notepad.exe", t).size(), 4u);
  EXPECT_EQ(win32::resolveExaminedPath("no-such-program-here.exe"), "no-such-program-here.exe");
  EXPECT_EQ(win32::resolveExaminedPath("C:\\x\\notepad.exe"), "C:\\x\\notepad.exe") << "a path is kept";
}

TEST_F(FileInformation, DialogListsTheRowsAndOpensSearchAndExplorer) {
  const std::string path = sample();
  const INT_PTR result = run(path, [&](HWND dlg) {
    EXPECT_EQ(win32::windowText(dlg), L"File Information");
    EXPECT_EQ(win32::windowText(GetDlgItem(dlg, IDC_FILEINFO_BROWSE)), L"Show in Explorer");
    EXPECT_EQ(narrow(win32::windowText(GetDlgItem(dlg, IDC_FILEINFO_PATH))), path);
    EXPECT_NE(SendDlgItemMessageW(dlg, IDC_FILEINFO_ICON, STM_GETICON, 0, 0), 0);
    HWND list = GetDlgItem(dlg, IDC_FILEINFO_LIST);
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_FILEINFO_BROWSE)));
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_LABELTIP) << "cut values show as tips";
    EXPECT_EQ(listRows(list), win32::fileInformationRows(path, t));

    RECT client{};
    GetClientRect(list, &client);
    // The widths are set before the rows, so before a vertical scroll bar.
    const bool scrollBar = (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    const int third = (client.right + (scrollBar ? GetSystemMetrics(SM_CXVSCROLL) : 0)) / 3;
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), third);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 2 * third);
    wchar_t heading[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(heading, L"Value");

    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_FILEINFO_SEARCH, BN_CLICKED), 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_FILEINFO_BROWSE, BN_CLICKED), 0);
    return IDOK;
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].file, std::string(kSearchServiceBase) + "/search?q=two_translations_sample.exe");
  EXPECT_EQ(opened[0].parameters, "");
  EXPECT_EQ(opened[1], (win32::ShellRequest{"explorer.exe", "/select,\"" + path + "\""}));
}

TEST_F(FileInformation, MissingFileDisablesListAndExplorerButStillSearches) {
  const std::string path = dir.path() + "\\R&D tools\\setup #2.exe";
  const INT_PTR result = run(path, [&](HWND dlg) {
    HWND list = GetDlgItem(dlg, IDC_FILEINFO_LIST);
    EXPECT_EQ(listRows(list), (std::vector<InfoRow>{{"", "Not there"}}));
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_FILEINFO_BROWSE)));
    EXPECT_NE(SendDlgItemMessageW(dlg, IDC_FILEINFO_ICON, STM_GETICON, 0, 0), 0) << "the information icon";
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_FILEINFO_SEARCH, BN_CLICKED), 0);
    // Escape, as the keyboard gives it, cancels.
    PostMessageW(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  });
  EXPECT_EQ(result, IDCANCEL);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].file, std::string(kSearchServiceBase) + "/search?q=setup%20%232.exe");
}

TEST_F(FileInformation, SearchTextWhenGivenIsSearchedInsteadOfTheName) {
  run(dir.file("a.exe"), [&](HWND dlg) {
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_FILEINFO_SEARCH, BN_CLICKED), 0);
    return IDCANCEL;
  }, "c++ \xC3\xA9");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].file, std::string(kSearchServiceBase) + "/search?q=c%2B%2B%20%C3%A9");
}

TEST_F(FileInformation, DialogIsCentredOnAVisibleOwner) {
  HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 100, 80, 700, 500, nullptr, nullptr,
                               nullptr, nullptr);
  RECT placed{};
  DialogAnswerer answerer([&](HWND dlg, const DialogAnswerer::Seen&) {
    GetWindowRect(dlg, &placed);
    return IDCANCEL;
  });
  win32::runFileInformationDialog(owner, "", t, {}, [](HWND, const win32::ShellRequest&) { return false; });
  DestroyWindow(owner);
  const long width = placed.right - placed.left;
  const long height = placed.bottom - placed.top;
  ASSERT_GT(width, 0);
  EXPECT_EQ(placed.left, (100 + 800) / 2 - width / 2);
  EXPECT_EQ(placed.top, (80 + 580) / 2 - height / 2);
}

}  // namespace
}  // namespace velmora::testing
