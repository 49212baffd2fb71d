#include "dialogs/win32/log_viewer.h"

#include <commctrl.h>

#include <optional>
#include <vector>

#include "core/log_file.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/dialog.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/list_view.h"
#include "platform/win32/placement.h"
#include "platform/win32/wide.h"
#include "log_viewer_res.h"

namespace velmora::win32 {
namespace {



std::vector<std::string> cells(const LogEntry& e) {
  // Stored in a fixed form, shown in the user's.
  return {shownLocalStamp(e.time, userFormats()), e.record.itemType, e.record.content, e.record.type, e.record.category, e.record.source};
}

class LogViewer final : public Dialog {
 public:
  LogViewer(std::string file, const Translator& translator)
      : Dialog(IDD_LOGVIEWER), file_(std::move(file)), translator_(translator) {}

 private:
  [[nodiscard]] bool onInit() override {
    translateDialog(hwnd(), translator_);
    HWND list = item(IDC_LOGVIEWER_LIST);
    HWND close = item(IDCANCEL);

    // Remember the template's margins so that resizing keeps them.
    RECT client{}, listRect{}, closeRect{}, window{};
    GetClientRect(hwnd(), &client);
    GetWindowRect(list, &listRect);
    GetWindowRect(close, &closeRect);
    GetWindowRect(hwnd(), &window);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&listRect), 2);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&closeRect), 2);
    listMargin_ = listRect.left;
    listBottomGap_ = client.bottom - listRect.bottom;
    closeRight_ = client.right - closeRect.left;
    closeBottom_ = client.bottom - closeRect.top;
    closeSize_ = {closeRect.right - closeRect.left, closeRect.bottom - closeRect.top};
    minimum_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};

    // Time, what was done and to what come first; the constant texts last.
    setUpRecordList(list, translator_,
                    {{"_LogColumnTime", 3}, {"_LogColumnItemType", 2}, {"_LogColumnContent", 9},
                     {"_LogColumnType", 2}, {"_LogColumnCategory", 2}, {"_LogColumnSource", 2}});
    fill(list);
    centreWindow(hwnd());
    return true;
  }

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

  // The list holds no rows of its own (it is an owner-data list): it asks
  // for the cells it shows, so a log of any length opens at once, and the
  // log is held once, as its text.
  void fill(HWND list) {
    const auto older = readFileBytes(olderLogFilePath(file_));
    const auto current = readFileBytes(file_);
    index_.emplace(older ? *older : std::string(), current ? *current : std::string());
    SendMessageW(list, LVM_SETITEMCOUNT, index_->size(), 0);
  }

  [[nodiscard]] bool onNotify(const NMHDR& header) override {
    if (header.idFrom != IDC_LOGVIEWER_LIST || header.code != LVN_GETDISPINFOW || !index_) {
      return Dialog::onNotify(header);
    }
    // The list hands us its own structure to fill in.
    auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return true;
    const auto row = static_cast<std::size_t>(item.iItem);
    if (item.iItem < 0 || row >= index_->size()) return true;
    // The list asks cell by cell: decode a record once for all its cells.
    if (row != cachedRow_) {
      cachedCells_ = cells(index_->entry(row));
      cachedRow_ = row;
    }
    const auto column = static_cast<std::size_t>(item.iSubItem);
    const std::wstring text = column < cachedCells_.size() ? widen(singleLine(cachedCells_[column])) : std::wstring();
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
    return true;
  }

  void layout() const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    HWND list = item(IDC_LOGVIEWER_LIST);
    HWND close = item(IDCANCEL);
    if (!list || !close) return;
    MoveWindow(list, listMargin_, listMargin_, client.right - 2 * listMargin_,
               client.bottom - listMargin_ - listBottomGap_, TRUE);
    MoveWindow(close, client.right - closeRight_, client.bottom - closeBottom_, closeSize_.cx, closeSize_.cy, TRUE);
  }

  std::string file_;
  const Translator& translator_;
  std::optional<LogIndex> index_;
  std::size_t cachedRow_ = static_cast<std::size_t>(-1);
  std::vector<std::string> cachedCells_;
  int listMargin_ = 0, listBottomGap_ = 0, closeRight_ = 0, closeBottom_ = 0;
  SIZE closeSize_{};
  POINT minimum_{};
};

}  // namespace

void showLogViewer(HWND owner, const std::string& logFile, const Translator& translator) {
  LogViewer viewer(logFile, translator);
  viewer.runModal(owner);
}

}  // namespace velmora::win32
