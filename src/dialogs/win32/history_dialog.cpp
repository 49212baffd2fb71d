#include "dialogs/win32/history_dialog.h"

#include <commctrl.h>

#include <optional>
#include <utility>
#include <vector>

#include "core/text.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "history/change_undo.h"
#include "dialogs/win32/pane_prompt.h"
#include "platform/win32/dialog.h"
#include "platform/win32/list_view.h"
#include "platform/win32/placement.h"
#include "history_dialog_res.h"

namespace velmora::win32 {
namespace {



// A cell shows one line: a command line with a line break would cut it.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return text;
}

class HistoryDialog final : public Dialog {
 public:
  HistoryDialog(const FamilyTable& families, ChangeHistory& history, ChangeCommit& commit,
                const Translator& translator, std::function<void()> undone)
      : Dialog(IDD_HISTORY),
        families_(families),
        history_(history),
        commit_(commit),
        translator_(translator),
        prompt_([this] { return hwnd(); }, translator),
        onUndone_(std::move(undone)) {}

  bool undone() const { return undone_; }

 private:
  [[nodiscard]] bool onInit() override {
    translateDialog(hwnd(), translator_);
    HWND list = item(IDC_HISTORY_LIST);
    RECT client{}, listRect{}, window{};
    GetClientRect(hwnd(), &client);
    GetWindowRect(list, &listRect);
    GetWindowRect(hwnd(), &window);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&listRect), 2);
    margin_ = listRect.left;
    bottomGap_ = client.bottom - listRect.bottom;
    for (const int id : {IDC_HISTORY_UNDO, IDCANCEL}) {
      RECT r{};
      GetWindowRect(item(id), &r);
      MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
      buttons_.push_back({id, client.right - r.left, client.bottom - r.top, {r.right - r.left, r.bottom - r.top}});
    }
    minimum_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};

    setUpRecordList(list, translator_,
                    {{"_HistoryColumnNumber", 1}, {"_HistoryColumnTime", 4}, {"_HistoryColumnChange", 4},
                     {"_HistoryColumnName", 3}, {"_HistoryColumnLocation", 5}, {"_HistoryColumnDetails", 7}});
    if (!fill()) prompt_.message(translator_.translate("_HistoryUnreadable", Escapes::Convert));
    centreWindow(hwnd());
    SetFocus(list);
    return false;
  }

  // Lists every change, newest first, and selects the newest. False when
  // the history cannot be read (the list is then empty).
  bool fill() {
    HWND list = item(IDC_HISTORY_LIST);
    const auto changes = history_.changes();
    shown_.clear();
    {
      RedrawSuspended quiet(list);
      SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
      if (changes) {
        for (const Change& c : *changes) {
          const bool notTrusted = undoVerdict(families_, commit_.trust(), c) != TrustVerdict::Act;
          std::vector<std::string> cells = historyColumns(c, translator_, userFormats(), notTrusted);
          for (std::string& cell : cells) cell = oneLine(std::move(cell));
          if (insertRow(list, static_cast<int>(shown_.size()), cells) >= 0) shown_.push_back(c);
        }
      }
    }
    if (!shown_.empty()) {
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
      SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    EnableWindow(item(IDC_HISTORY_UNDO), !shown_.empty());
    return changes.has_value();
  }

  void undo() {
    const int row = static_cast<int>(SendMessageW(item(IDC_HISTORY_LIST), LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) {
      prompt_.message(translator_.translate("_YouMustSelectAnItem", Escapes::Convert));
      return;
    }
    if (undoSelected(families_, history_, shown_[static_cast<std::size_t>(row)], prompt_, commit_, translator_)) {
      undone_ = true;
      if (onUndone_) onUndone_();
    }
    fill();
  }

  [[nodiscard]] bool onCommand(int id, int code, HWND control) override {
    if (id == IDC_HISTORY_UNDO) {
      undo();
      return true;
    }
    return Dialog::onCommand(id, code, control);
  }

  // Enter closes the dialog only from the Close button; an Undo is never
  // started by a stray Enter.
  void onOk() override {}

  [[nodiscard]] std::optional<INT_PTR> onMessage(UINT msg, WPARAM, LPARAM lp) override {
    switch (msg) {
      case WM_SIZE:
        layout();
        return TRUE;
      case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = minimum_;
        return TRUE;
    }
    return std::nullopt;
  }

  void layout() const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (HWND list = item(IDC_HISTORY_LIST)) {
      MoveWindow(list, margin_, margin_, client.right - 2 * margin_, client.bottom - margin_ - bottomGap_, TRUE);
    }
    for (const Button& b : buttons_) {
      if (HWND button = item(b.id)) {
        MoveWindow(button, client.right - b.right, client.bottom - b.bottom, b.size.cx, b.size.cy, TRUE);
      }
    }
  }

  struct Button {
    int id;
    int right, bottom;  // distance of its top-left corner from the client's bottom-right
    SIZE size;
  };

  const FamilyTable& families_;
  ChangeHistory& history_;
  ChangeCommit& commit_;
  const Translator& translator_;
  PanePrompt prompt_;
  std::function<void()> onUndone_;
  // The changes as the list shows them, row by row.
  std::vector<Change> shown_;
  bool undone_ = false;
  int margin_ = 0, bottomGap_ = 0;
  std::vector<Button> buttons_;
  POINT minimum_{};
};

}  // namespace

bool showHistoryDialog(HWND owner, const FamilyTable& families, ChangeHistory& history, ChangeCommit& commit,
                       const Translator& translator, std::function<void()> undone) {
  HistoryDialog dialog(families, history, commit, translator, std::move(undone));
  dialog.runModal(owner);
  return dialog.undone();
}

}  // namespace velmora::win32
