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
// it runs (focus and default button are set by then), after calling `look`.
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
