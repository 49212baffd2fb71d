#pragma once
// For tests that drive the whole main window: every message box or dialog
// other than the main window (which is a dialog too, activated again
// whenever a box closes) is recorded and answered OK (Yes to a question),
// so a success path shows none; the change history's dialog is driven by `historyDialog`, or
// closed when there is none.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "entry_dialog_res.h"
#include "history_dialog_res.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {

struct FrameDialogs {
  // `frame`: the main window, or null while there is none.
  explicit FrameDialogs(std::function<HWND()> frame) : frame_(std::move(frame)) {}

  std::vector<DialogAnswerer::Seen> shown;
  std::function<void(HWND)> historyDialog;
  // Fills an Add, Modify or Property dialog, which is then closed with OK;
  // none: answered OK as it opens, like any other.
  std::function<void(HWND)> entryDialog;

 private:
  std::function<HWND()> frame_;

 public:
  DialogAnswerer answerer{[this](HWND dialog, const DialogAnswerer::Seen& seen) {
    if (HWND frame = frame_(); frame && dialog == frame) return 0;
    if (GetDlgItem(dialog, IDC_HISTORY_LIST)) {
      answerFromLoop(dialog, IDCANCEL, historyDialog ? historyDialog : [](HWND) {});
      return 0;
    }
    if (entryDialog && GetDlgItem(dialog, IDC_ENTRY_NAME)) {
      shown.push_back(seen);
      answerFromLoop(dialog, IDOK, entryDialog);
      return 0;
    }
    shown.push_back(seen);
    // A message box's one button, or Yes to a question.
    return GetDlgItem(dialog, IDYES) ? IDYES : IDOK;
  }};
};

}  // namespace velmora::testing
