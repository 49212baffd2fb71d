#include "dialogs/win32/log_viewer.h"

#include <commctrl.h>

#include <vector>

#include "core/log_file.h"
#include "dialogs/win32/centre_dialog.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "resource.h"

namespace velmora::win32 {
namespace {

struct Column {
  const char* key;
  int share;  // of the list's width, in twentieths
};
// Time, what was done and to what come first; the constant texts last.
constexpr Column kColumns[] = {{"_LogColumnTime", 3},  {"_LogColumnItemType", 2}, {"_LogColumnContent", 9},
                               {"_LogColumnType", 2},  {"_LogColumnCategory", 2}, {"_LogColumnSource", 2}};

std::vector<std::string> cells(const LogEntry& e) {
  return {e.time, e.record.itemType, e.record.content, e.record.type, e.record.category, e.record.source};
}

class LogViewer {
 public:
  LogViewer(std::string file, const Translator& translator) : file_(std::move(file)), translator_(translator) {}

  static INT_PTR CALLBACK proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(dlg, DWLP_USER, lp);
    auto* self = reinterpret_cast<LogViewer*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!self) return FALSE;
    try {
      return self->handle(dlg, msg, wp, lp);
    } catch (...) {
      // Nothing may cross the dialog procedure; the viewer simply closes.
      EndDialog(dlg, IDCANCEL);
      return TRUE;
    }
  }

 private:
  INT_PTR handle(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_INITDIALOG:
        initialise(dlg);
        return TRUE;
      case WM_SIZE:
        layout(dlg);
        return TRUE;
      case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = minimum_;
        return TRUE;
      }
      case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
          EndDialog(dlg, LOWORD(wp));
          return TRUE;
        }
        break;
    }
    return FALSE;
  }

  void initialise(HWND dlg) {
    translateDialog(dlg, translator_);
    HWND list = GetDlgItem(dlg, IDC_LOGVIEWER_LIST);
    HWND close = GetDlgItem(dlg, IDCANCEL);

    // Remember the template's margins so that resizing keeps them.
    RECT client{}, listRect{}, closeRect{}, window{};
    GetClientRect(dlg, &client);
    GetWindowRect(list, &listRect);
    GetWindowRect(close, &closeRect);
    GetWindowRect(dlg, &window);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&listRect), 2);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&closeRect), 2);
    listMargin_ = listRect.left;
    listBottomGap_ = client.bottom - listRect.bottom;
    closeRight_ = client.right - closeRect.left;
    closeBottom_ = client.bottom - closeRect.top;
    closeSize_ = {closeRect.right - closeRect.left, closeRect.bottom - closeRect.top};
    minimum_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};

    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const int width = listRect.right - listRect.left - GetSystemMetrics(SM_CXVSCROLL) - 4;
    int index = 0;
    for (const Column& c : kColumns) {
      std::wstring header = widen(translator_.translate(c.key));
      LVCOLUMNW col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      col.pszText = header.data();
      col.cx = width * c.share / 20;
      col.iSubItem = index;
      SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&col));
    }
    fill(list);
    centreDialog(dlg);
  }

  void fill(HWND list) {
    const auto bytes = readFileBytes(file_);
    const std::vector<LogEntry> entries = bytes ? readLogNewestFirst(*bytes) : std::vector<LogEntry>{};
    // One repaint for the whole fill, not one a row.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, entries.size(), 0);
    int row = 0;
    for (const LogEntry& e : entries) {
      int sub = 0;
      for (const std::string& cell : cells(e)) {
        std::wstring w = widen(singleLine(cell));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = sub;
        item.pszText = w.data();
        SendMessageW(list, sub == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        ++sub;
      }
      ++row;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }

  void layout(HWND dlg) const {
    RECT client{};
    GetClientRect(dlg, &client);
    HWND list = GetDlgItem(dlg, IDC_LOGVIEWER_LIST);
    HWND close = GetDlgItem(dlg, IDCANCEL);
    if (!list || !close) return;
    MoveWindow(list, listMargin_, listMargin_, client.right - 2 * listMargin_,
               client.bottom - listMargin_ - listBottomGap_, TRUE);
    MoveWindow(close, client.right - closeRight_, client.bottom - closeBottom_, closeSize_.cx, closeSize_.cy, TRUE);
  }

  std::string file_;
  const Translator& translator_;
  int listMargin_ = 0, listBottomGap_ = 0, closeRight_ = 0, closeBottom_ = 0;
  SIZE closeSize_{};
  POINT minimum_{};
};

}  // namespace

void showLogViewer(HWND owner, const std::string& logFile, const Translator& translator) {
  LogViewer viewer(logFile, translator);
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LOGVIEWER), owner, LogViewer::proc,
                  reinterpret_cast<LPARAM>(&viewer));
}

}  // namespace velmora::win32
