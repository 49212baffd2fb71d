#pragma once
// The built velmora.exe as a user runs it, driven from outside: its window,
// tree, list and header, for the tests that start the real program.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main_frame_res.h"
#include "resource.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {

// Values put into the current user's Run key, gone again at the end.
inline constexpr wchar_t kSeededRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
class SeededRun {
 public:
  void add(const std::wstring& name, const std::wstring& data) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSeededRunKey, name.c_str(), REG_SZ, data.c_str(),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    names_.push_back(name);
  }
  bool has(const std::wstring& name) const {
    return RegGetValueW(HKEY_CURRENT_USER, kSeededRunKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }
  ~SeededRun() {
    for (const auto& name : names_) RegDeleteKeyValueW(HKEY_CURRENT_USER, kSeededRunKey, name.c_str());
  }

 private:
  std::vector<std::wstring> names_;
};

// Polls `done` for up to `ms`.
inline bool within(DWORD ms, const std::function<bool()>& done) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

// The text of the message box `program` shows next, answered OK; none
// when it shows none within the time.
inline std::optional<std::wstring> nextMessage(StartedProgram& program, DWORD ms = 20000) {
  HWND box = program.dialog(L"Velmora", ms);
  if (!box) return std::nullopt;
  wchar_t text[4096] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 4096);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return std::wstring(text);
}

// One run of the built velmora.exe copied to `dir`, with what a test needs
// of its window; closed at the end if still running.
struct RunningProgram {
  static constexpr int kColumns = 9;

  // `atStart` sees the program before its window is waited for (a question
  // it asks first).
  explicit RunningProgram(const TempDir& dir, const std::function<void(StartedProgram&)>& atStart = {})
      : program(dir.file("velmora.exe"), "", dir.path()) {
    if (atStart) atStart(program);
    frame = program.dialog(L"Velmora (V 2.0)");
    if (!frame) return;
    mem.emplace(program.id());
    tree = visibleChildWithId(frame, IDC_CATEGORYTREE);
  }
  ~RunningProgram() {
    if (frame && program.running()) {
      PostMessageW(frame, WM_CLOSE, 0, 0);
      (void)program.exitCode(15000);
    }
  }
  // Closes as the user does (the close box); true when it ended with 2.
  bool close() {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    return program.exitCode(15000) == std::optional<DWORD>(2);
  }
  HWND list() const { return visibleChildWithId(frame, IDC_ENTRYLIST); }
  HWND header() const { return reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0)); }
  void selectNode(int node) {
    // Every node is expanded; the tree's order is not the nodes' (All
    // Entries, the last node, is at the top), so the node is looked for.
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item && remoteTreeItem(*mem, tree, item).value != node) {
      item = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)));
    }
    ASSERT_NE(item, nullptr) << "no node " << node;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
  LPARAM selectedNode() {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item ? remoteTreeItem(*mem, tree, item).value : -1;
  }
  // The mouse's click on a column's header: pressed and let go in its
  // middle, as the header sees a click.
  void clickHeader(int column) {
    HWND h = header();
    RECT r{};
    mem->put(r);
    const int index = static_cast<int>(SendMessageW(h, HDM_ORDERTOINDEX, static_cast<WPARAM>(displayedAt(column)), 0));
    ASSERT_EQ(index, column);
    ASSERT_TRUE(SendMessageW(h, HDM_GETITEMRECT, static_cast<WPARAM>(column), mem->address()));
    r = mem->get<RECT>();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
  }
  // Where column `column` is shown, left to right.
  int displayedAt(int column) {
    const auto order = columnOrder();
    for (int i = 0; i < kColumns; ++i) {
      if (order[static_cast<std::size_t>(i)] == column) return i;
    }
    return -1;
  }
  // The header's sort arrow on a column: HDF_SORTUP, HDF_SORTDOWN or 0.
  int arrow(int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    mem->put(item);
    SendMessageW(header(), HDM_GETITEMW, static_cast<WPARAM>(column), mem->address());
    return mem->get<HDITEMW>().fmt & (HDF_SORTUP | HDF_SORTDOWN);
  }
  std::array<int, kColumns> columnOrder() {
    std::array<int, kColumns> order{};
    mem->put(order);
    SendMessageW(list(), LVM_GETCOLUMNORDERARRAY, kColumns, mem->address());
    return mem->get<std::array<int, kColumns>>();
  }
  void setColumnOrder(const std::array<int, kColumns>& order) {
    mem->put(order);
    SendMessageW(list(), LVM_SETCOLUMNORDERARRAY, kColumns, mem->address());
  }
  // Every cell of column `c` of `in` (the visible list when none).
  std::vector<std::wstring> column(int c, HWND in = nullptr) {
    if (!in) in = list();
    std::vector<std::wstring> out;
    const int rows = static_cast<int>(SendMessageW(in, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; ++r) out.push_back(remoteCell(*mem, in, r, c));
    return out;
  }
  std::wstring cell(int row, int c, HWND in = nullptr) { return remoteCell(*mem, in ? in : list(), row, c); }
  // The first row whose column `c` reads `text`; -1 for none.
  int rowWhere(int c, const std::wstring& text, HWND in = nullptr) {
    const auto cells = column(c, in);
    for (std::size_t r = 0; r < cells.size(); ++r) {
      if (cells[r] == text) return static_cast<int>(r);
    }
    return -1;
  }
  int rowOf(const std::wstring& name) { return rowWhere(0, name); }
  // A click on a row's box; posted when what it starts may ask first.
  void setBox(int row, int image, bool posted = false) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    mem->put(item);
    if (posted) {
      PostMessageW(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem->address());
    } else {
      SendMessageW(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem->address());
    }
  }
  void select(int row, HWND in = nullptr) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    mem->put(item);
    SendMessageW(in ? in : list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), mem->address());
  }
  // The status bar's first part.
  std::wstring status() {
    HWND bar = FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
    if (!bar) return {};
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(mem->text()));
    return mem->readText();
  }
  // The window answers when a message sent to it comes back: a thread busy
  // reading would hold it.
  bool answersWithin(UINT ms) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, ms, &result) != 0;
  }
  std::optional<std::wstring> message(DWORD ms = 20000) { return nextMessage(program, ms); }
  int treeWidth() {
    RECT r{};
    GetWindowRect(tree, &r);
    return r.right - r.left;
  }

  StartedProgram program;
  HWND frame = nullptr;
  HWND tree = nullptr;
  std::optional<RemoteBuffer> mem;
};

}  // namespace velmora::testing
