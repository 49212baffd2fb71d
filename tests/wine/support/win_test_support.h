#pragma once
// Helpers for the tests that run under Wine: a throwaway registry key, a
// throwaway folder, and an answerer for message boxes and modal dialogs.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velmora::testing {

// A fresh key below HKEY_CURRENT_USER\Software\VelmoraTest, deleted with
// everything below it at the end.
class TestKey {
 public:
  TestKey();
  ~TestKey();
  const std::string& subkey() const { return subkey_; }
  std::string path() const { return "HKEY_CURRENT_USER\\" + subkey_; }

 private:
  std::string subkey_;
};

// Velmora's per-user settings (HKEY_CURRENT_USER\Software\Velmora) set
// aside while it lives, so the programs and windows a test opens start as
// on the first day, and put back as they were at the end: the tests of a
// run share one prefix, and what one test's program keeps at its close
// must not reach the next.
class SettingsSetAside {
 public:
  SettingsSetAside();
  ~SettingsSetAside();
  SettingsSetAside(const SettingsSetAside&) = delete;
  SettingsSetAside& operator=(const SettingsSetAside&) = delete;

 private:
  TestKey saved_;
  bool had_ = false;
};

// The prefix's screen DPI (LogPixels, which Wine reads when a program
// starts, as Windows reads a display's scale) for the programs started while
// it lives; the prefix's own setting comes back after.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &old_, &size) == ERROR_SUCCESS;
    set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
  }
  ~ScreenDpi() {
    if (had_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &old_, sizeof old_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;
  bool set() const { return set_; }

 private:
  static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
  static constexpr const wchar_t* kValue = L"LogPixels";
  DWORD old_ = 0;
  bool had_ = false;
  bool set_ = false;
};

// A fresh folder in the temporary folder, deleted with its content at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Answers every message box and modal dialog that this thread activates
// while it lives. The callback sees the dialog and the text of its message
// (empty for dialogs that are not message boxes) and returns the command to
// send it (IDOK, IDCANCEL, ...), or 0 to leave it open.
class DialogAnswerer {
 public:
  struct Seen {
    std::wstring title;
    std::wstring text;
    // A message box's icon (compare with LoadIconW(nullptr, IDI_WARNING)).
    HICON icon = nullptr;
  };
  using Answer = std::function<int(HWND dialog, const Seen& seen)>;

  explicit DialogAnswerer(Answer answer);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  std::vector<Seen> seen;

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
  Answer answer_;
  HHOOK hook_ = nullptr;
};

// The id of the button a dialog shows as its default (0 for none).
int defaultButton(HWND dialog);
// Sends `dialog` the command `id` from the dialog's own message loop, once
// it runs and has shown the dialog (focus and default button are set by
// then), after calling `look`.
// For a DialogAnswerer callback, which then returns 0.
void answerFromLoop(HWND dialog, int id, std::function<void(HWND)> look);

// Runs the thread's messages until the queue is empty.
void pumpMessages();

// A list view's cell as the user sees it: asked of the list, which asks its
// owner for a callback text as a repaint does.
std::wstring cellText(HWND list, int row, int column);

// The first row of a list view in this process whose cell in `column` is
// `text`; -1 when none is.
int rowWhere(HWND list, int column, const std::string& text);
// A row's check box: its state image (1 unchecked, 2 checked).
int boxImage(HWND list, int row);
// What a click on the box does to the list: the state image changes, and
// the list tells its owner at once.
void setBox(HWND list, int row, int image);

}  // namespace velmora::testing
