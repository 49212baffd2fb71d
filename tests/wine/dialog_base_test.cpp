// The shared Win32 pieces on real windows: the dialog base's one procedure
// and exception barrier, the window dispatch's barrier and class
// registration, the handle owners and the list-view helper.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/failure_report.h"
#include "platform/win32/handles.h"
#include "platform/win32/list_view.h"
#include "platform/win32/window_dispatch.h"
#include "resource.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using namespace win32;

// Every report that reaches the user-facing sink while it lives.
class RecordedFailures {
 public:
  RecordedFailures() {
    previous_ = setFailureSink([this](HWND, const std::string& what) { texts.push_back(what); });
  }
  ~RecordedFailures() { setFailureSink(previous_); }
  std::vector<std::string> texts;

 private:
  FailureSink previous_;
};

constexpr int kThrowingCommand = 4242;

// A dialog whose init or command throws, on the Property template (it has
// a Cancel button and nothing else that acts).
class ThrowingDialog final : public Dialog {
 public:
  enum class When { Init, Command };
  explicit ThrowingDialog(When when) : Dialog(IDD_PROPERTYENTRY), when_(when) {}
  int lastCommand = 0;

 private:
  [[nodiscard]] bool onInit() override {
    if (when_ == When::Init) throw std::runtime_error("init failed");
    if (modal()) PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(kThrowingCommand, BN_CLICKED), 0);
    return true;
  }
  [[nodiscard]] bool onCommand(int id, int code, HWND control) override {
    lastCommand = id;
    if (id == kThrowingCommand) throw std::runtime_error("command failed");
    return Dialog::onCommand(id, code, control);
  }
  When when_;
};

TEST(DialogBase, AModalDialogThatThrowsReportsOnceAndEndsWithCancel) {
  for (auto when : {ThrowingDialog::When::Init, ThrowingDialog::When::Command}) {
    RecordedFailures failures;
    // Nothing else may be answered: the dialog must close on its own.
    DialogAnswerer answerer([](HWND, const DialogAnswerer::Seen&) { return 0; });
    ThrowingDialog dialog(when);
    EXPECT_EQ(dialog.runModal(nullptr), IDCANCEL);
    ASSERT_EQ(failures.texts.size(), 1u);
    EXPECT_EQ(failures.texts[0], when == ThrowingDialog::When::Init ? "init failed" : "command failed");
    EXPECT_EQ(dialog.hwnd(), nullptr) << "the window is gone";
  }
}

TEST(DialogBase, AModelessDialogThatThrowsReportsAndStays) {
  RecordedFailures failures;
  HWND window = nullptr;
  {
    ThrowingDialog dialog(ThrowingDialog::When::Command);
    window = dialog.createModeless(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(kThrowingCommand, BN_CLICKED), 0), FALSE);
    ASSERT_EQ(failures.texts, std::vector<std::string>{"command failed"});
    EXPECT_TRUE(IsWindow(window)) << "a modeless window stays as far as it got";
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kThrowingCommand + 1, BN_CLICKED), 0);
    EXPECT_EQ(dialog.lastCommand, kThrowingCommand + 1) << "and keeps working";
  }
  EXPECT_FALSE(IsWindow(window)) << "the object takes its window with it";
}

// A window of our own class whose procedure throws on one message.
class ThrowingWindow {
 public:
  static constexpr const wchar_t* kClass = L"VelmoraThrowingWindowTest";
  static constexpr UINT kThrow = WM_APP + 1;
  HWND hwnd = nullptr;

 private:
  friend struct win32::WindowDispatch;
  void attach(HWND h) { hwnd = h; }
  void detach() { hwnd = nullptr; }
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kThrow) throw std::logic_error("window failed");
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
};

TEST(WindowDispatchBarrier, AThrowingProcedureIsReportedAndAFailedClassRegistrationToo) {
  RecordedFailures failures;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(WindowDispatch::registerClass<ThrowingWindow>(instance, ThrowingWindow::kClass, nullptr));
  ASSERT_TRUE(WindowDispatch::registerClass<ThrowingWindow>(instance, ThrowingWindow::kClass, nullptr))
      << "a class that is there already counts as registered";
  ThrowingWindow object;
  HWND window = CreateWindowExW(0, ThrowingWindow::kClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                                &object);
  ASSERT_NE(window, nullptr);
  SendMessageW(window, ThrowingWindow::kThrow, 0, 0);
  EXPECT_EQ(failures.texts, std::vector<std::string>{"window failed"});
  DestroyWindow(window);
  EXPECT_EQ(object.hwnd, nullptr);

  // A class without a name cannot be registered.
  EXPECT_FALSE(WindowDispatch::registerClass<ThrowingWindow>(instance, L"", nullptr));
  ASSERT_EQ(failures.texts.size(), 2u);
  EXPECT_NE(failures.texts[1].find("RegisterClassExW"), std::string::npos) << failures.texts[1];
}

TEST(HandleOwners, EachKindIsClosedOnceAndMovesWithItsOwner) {
  KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.get();
  KernelHandle moved(std::move(event));
  EXPECT_FALSE(event);
  EXPECT_EQ(moved.get(), raw);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(raw, &flags));
  moved.reset();
  EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "closed by reset";

  EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE)) << "CreateFileW's failure holds nothing";
  EXPECT_FALSE(KernelHandle(nullptr)) << "CreateMutexW's failure holds nothing";
  WIN32_FIND_DATAW data;
  EXPECT_FALSE(FindHandle(FindFirstFileExW(L"C:\\no such folder\\*", FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, 0)));

  HMENU rawMenu = nullptr;
  {
    MenuHandle menu(CreatePopupMenu());
    rawMenu = menu.get();
    EXPECT_TRUE(IsMenu(rawMenu));
  }
  EXPECT_FALSE(IsMenu(rawMenu));

  RegKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_TRUE(key);

  // A font selected for a scope is deselected again before it is deleted.
  const WindowDc dc(nullptr);
  const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_FONT);
  {
    LOGFONTW lf{};
    lf.lfHeight = 20;
    FontHandle font(CreateFontIndirectW(&lf));
    ASSERT_TRUE(font);
    const SelectedObject selected(dc.get(), font.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), font.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
}

TEST(ListViewHelper, ColumnsRowsAndStateImagesGoInAsGiven) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
  addColumns(list, {{"Name", 80}, {"Ł Data", 120}});
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 120);
  {
    const RedrawSuspended redraw(list);
    EXPECT_EQ(insertRow(list, 0, {"one", "1"}, 1), 0);
    EXPECT_EQ(insertRow(list, 1, {"two", "\xC5\x81"}, 2), 1);
    EXPECT_EQ(insertRow(list, 0, {"first"}), 0);
  }
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  wchar_t text[16] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = 16;
  SendMessageW(list, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"\u0141");
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_STATEIMAGEMASK), static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(1)));
  DestroyWindow(list);
}

}  // namespace
}  // namespace velmora::testing
