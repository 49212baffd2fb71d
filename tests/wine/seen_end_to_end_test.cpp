// "New since last time" through the built velmora.exe, started as a user
// starts it, again and again in the throwaway prefix: the first run marks
// nothing and leaves seen.xml at close; a Run value added behind its back is
// new at the next start (its status, the status bar, the check box); an
// entry Velmora itself disabled and enabled again is not new the time after.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "core/format.h"
#include "core/paths.h"
#include "family/seen_entries.h"
#include "family/win32/seen_file_win32.h"
#include "lang/language_table.h"
#include "main_frame_res.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

constexpr int kCurrentUserRunNode = 10;
constexpr int kUnchecked = 1;
constexpr int kChecked = 2;
constexpr int kStatusColumn = 5;
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The prefix user's seen.xml, gone before and after the test.
struct SeenFileOfTheUser {
  std::string folder = narrow(win32::localAppDataFolder()) + "\\Velmora";
  std::string path = folder + "\\seen.xml";
  SeenFileOfTheUser() { remove(); }
  ~SeenFileOfTheUser() { remove(); }
  void remove() const { DeleteFileW(widen(path).c_str()); }
};

// A Run value of the current user, put there behind Velmora's back.
struct RunValue {
  std::wstring name;
  explicit RunValue(std::wstring n, const std::wstring& data) : name(std::move(n)) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  ~RunValue() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey.c_str(), name.c_str()); }
};

// One start of the copied program, showing the current user's Run key.
class Start {
 public:
  explicit Start(const TempDir& dir) : program_(dir.file("velmora.exe"), "", dir.path()) {}

  // The Run key's list, once the window is up; null when it is not.
  HWND showRunKey() {
    if (!program_.started()) return nullptr;
    frame_ = program_.dialog(L"Velmora (V 2.0)");
    if (!frame_) return nullptr;
    mem_ = std::make_unique<RemoteBuffer>(program_.id());
    HWND tree = visibleChildWithId(frame_, IDC_CATEGORYTREE);
    if (!tree || !mem_->ok()) return nullptr;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    // All Entries, the last node, is at the top: the node is looked for.
    while (item && remoteTreeItem(*mem_, tree, item).value != kCurrentUserRunNode) {
      item = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
    }
    if (!item) return nullptr;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    list_ = visibleChildWithId(frame_, IDC_ENTRYLIST);
    return list_;
  }
  int rows() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int rowOf(const std::wstring& name) const {
    for (int r = 0; r < rows(); ++r) {
      if (remoteCell(*mem_, list_, r, 0) == name) return r;
    }
    return -1;
  }
  std::wstring cell(int row, int column) const { return remoteCell(*mem_, list_, row, column); }
  // Every status of the list, a line a row.
  std::wstring allStatuses() const {
    std::wstring all;
    for (int r = 0; r < rows(); ++r) all += cell(r, kStatusColumn) + L"\n";
    return all;
  }
  std::wstring statusBar() const {
    HWND bar = FindWindowExW(frame_, nullptr, STATUSCLASSNAMEW, nullptr);
    if (!bar) return L"<no status bar>";
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(mem_->text()));
    return mem_->readText();
  }
  // A click on a row's box, as the user's.
  void setBox(int row, int image) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    mem_->put(item);
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem_->address());
  }
  void clickShowOnlyNew() { SendMessageW(GetDlgItem(frame_, IDC_SHOWNEW), BM_CLICK, 0, 0); }
  // Closed with the close box: the normal way out, exit code 2.
  std::optional<DWORD> close() {
    PostMessageW(frame_, WM_CLOSE, 0, 0);
    return program_.exitCode(15000);
  }

 private:
  StartedProgram program_;
  HWND frame_ = nullptr;
  HWND list_ = nullptr;
  std::unique_ptr<RemoteBuffer> mem_;
};

TEST(RealProgramSeen, AValueAddedBehindItsBackIsNewAtTheNextStartAndWhatItSwitchedItselfIsNot) {
  // Each start keeps its node and layout at the close: not for the next test.
  const SettingsSetAside settings;
  win32::ComScope com;
  TempDir dir;
  const std::string built = directoryPart(win32::programPath());
  for (const char* file : {"velmora.exe", "velmora.language"}) {
    ASSERT_TRUE(CopyFileW(widen(built + "\\" + file).c_str(), widen(dir.file(file)).c_str(), FALSE)) << file;
  }
  LanguageTable language{win32::readFileBytes, win32::decodeLegacy};
  language.setFile(dir.file("velmora.language"));
  // "New since ": what every new row's status begins with.
  const std::string newText = language.translate("_StatusNew");
  const std::wstring newWord = widen(newText.substr(0, newText.find("%s")));
  const std::wstring oneNew = L"; " + widen(safeFormat(language.translate("_StatusNewCount"), {"1"}));
  SeenFileOfTheUser seenFile;

  {
    Start first(dir);
    ASSERT_NE(first.showRunKey(), nullptr);
    EXPECT_EQ(first.allStatuses().find(newWord), std::wstring::npos) << "the first run marks nothing";
    EXPECT_EQ(first.close(), std::optional<DWORD>(2));
  }
  ASSERT_TRUE(win32::fileExists(seenFile.path)) << "written at close";

  const std::wstring name = L"Velmora seen e2e " + std::to_wstring(GetCurrentProcessId());
  RunValue added(name, L"\"C:\\Program Files\\Seen\\agent.exe\" /tray");
  {
    Start second(dir);
    ASSERT_NE(second.showRunKey(), nullptr);
    const int row = second.rowOf(name);
    ASSERT_GE(row, 0);
    win32::Win32SeenFile file(seenFile.path);
    SeenList last;
    ASSERT_EQ(file.read(last), SeenStatus::Ok);
    // Its program is nowhere: "File not found" follows, once the program
    // files' worker answered.
    for (int waited = 0; waited < 10000 && second.cell(row, kStatusColumn).find(L';') == std::wstring::npos;
         waited += 100) {
      Sleep(100);
    }
    EXPECT_EQ(second.cell(row, kStatusColumn).rfind(widen(safeFormat(newText, {file.localDate(last.closed)})) + L";", 0), 0u)
        << "the day it last closed, as the user writes dates: " << second.cell(row, kStatusColumn);
    EXPECT_NE(second.statusBar().find(oneNew), std::wstring::npos) << second.statusBar();
    EXPECT_EQ(second.allStatuses().find(newWord), second.allStatuses().rfind(newWord)) << "one row is new";

    second.clickShowOnlyNew();
    ASSERT_EQ(second.rows(), 1) << "only the new entry is shown";
    EXPECT_EQ(second.cell(0, 0), name);

    // The user deals with it in Velmora: disabled, then enabled again.
    second.setBox(0, kUnchecked);
    second.setBox(0, kChecked);
    EXPECT_EQ(second.cell(0, kStatusColumn).find(newWord), std::wstring::npos) << second.cell(0, kStatusColumn);
    EXPECT_EQ(second.statusBar().find(oneNew), std::wstring::npos) << second.statusBar();
    EXPECT_EQ(second.close(), std::optional<DWORD>(2));
  }
  {
    Start third(dir);
    ASSERT_NE(third.showRunKey(), nullptr);
    ASSERT_GE(third.rowOf(name), 0);
    EXPECT_EQ(third.allStatuses().find(newWord), std::wstring::npos)
        << "what Velmora itself disabled and enabled is not new: " << third.allStatuses();
    EXPECT_EQ(third.close(), std::optional<DWORD>(2));
  }
}

}  // namespace
}  // namespace velmora::testing
