// The built velmora.exe, driven from outside as a user drives it: rows
// sorted by a click on each column's header (the header's own click, as the
// mouse gives it), a box that acts on the entry of its row after sorting,
// and what the program keeps per user surviving a restart.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/natural_order.h"
#include "core/paths.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "main_frame_res.h"
#include "resource.h"
#include "wine/support/remote_process.h"
#include "wine/support/running_program.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::narrow;
using win32::widen;

constexpr int kCurrentUserRunNode = 10;
constexpr int kAllEntriesNode = 17;
constexpr int kUnchecked = 1;
constexpr int kChecked = 2;

// The program and its language file in a folder of their own (config.xml
// and the log go there too).
class RealProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string built = directoryPart(win32::programPath());
    for (const char* file : {"velmora.exe", "velmora.language"}) {
      ASSERT_TRUE(CopyFileW(widen(built + "\\" + file).c_str(), widen(dir.file(file)).c_str(), FALSE))
          << file << " must be built beside the tests";
    }
  }

  const SettingsSetAside settings;
  TempDir dir;
};

// In the order of `order`, each non-empty cell after the one before (or
// equal, and then the two in the order of `listed`), the empty cells last.
void expectSorted(const std::vector<std::wstring>& cells, const std::vector<std::wstring>& names,
                  const std::vector<std::wstring>& listed, bool descending) {
  for (std::size_t i = 1; i < cells.size(); ++i) {
    SCOPED_TRACE(narrow(names[i - 1] + L" / " + names[i]));
    const bool emptyBefore = cells[i - 1].empty(), empty = cells[i].empty();
    EXPECT_FALSE(emptyBefore && !empty) << "an empty cell before a filled one";
    if (emptyBefore != empty) continue;  // the first empty cell
    int c = emptyBefore ? 0 : compareNatural(narrow(cells[i - 1]), narrow(cells[i]));
    if (descending) c = -c;
    EXPECT_LE(c, 0);
    if (c == 0) {
      const auto at = [&listed](const std::wstring& n) { return std::find(listed.begin(), listed.end(), n); };
      EXPECT_LT(at(names[i - 1]), at(names[i])) << "equal cells keep the listing's order";
    }
  }
}

TEST_F(RealProgramTest, SortsByEveryColumnBothWaysAndTheBoxActsOnItsRowsEntry) {
  const std::wstring tag = widen("Sort" + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(GetTickCount64()));
  SeededRun seeded;
  seeded.add(tag + L" Item 10", L"C:\\Sorted\\b 2.exe");
  seeded.add(tag + L" item 9", L"C:\\Sorted\\B 10.exe");
  seeded.add(tag + L" Item 1", L"C:\\Sorted\\a.exe /min");
  seeded.add(tag + L" alpha", L"");
  RunningProgram run(dir);
  ASSERT_NE(run.frame, nullptr);
  run.selectNode(kCurrentUserRunNode);
  // Only the seeded rows: the filter holds through every sort.
  SendMessageW(visibleChildWithId(run.frame, IDC_FILTER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tag.c_str()));
  const std::vector<std::wstring> listed = run.column(0);
  ASSERT_EQ(listed.size(), 4u);
  for (int c = 0; c < RunningProgram::kColumns; ++c) {
    EXPECT_EQ(run.arrow(c), 0) << "unsorted at the first start";
    // Every header within the list's width, where the mouse can reach it.
    SendMessageW(run.list(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MAKELPARAM(120, 0));
  }

  for (int c = 0; c < RunningProgram::kColumns; ++c) {
    SCOPED_TRACE(c);
    run.clickHeader(c);
    EXPECT_EQ(run.arrow(c), HDF_SORTUP);
    expectSorted(run.column(c), run.column(0), listed, false);
    run.clickHeader(c);
    EXPECT_EQ(run.arrow(c), HDF_SORTDOWN);
    expectSorted(run.column(c), run.column(0), listed, true);
    for (int other = 0; other < RunningProgram::kColumns; ++other) {
      if (other != c) {
        EXPECT_EQ(run.arrow(other), 0) << "one arrow, on " << c << " not " << other;
      }
    }
  }
  // The names and commands in words: numbers by value, case ignored.
  run.clickHeader(0);
  EXPECT_EQ(run.column(0), (std::vector<std::wstring>{tag + L" alpha", tag + L" Item 1", tag + L" item 9", tag + L" Item 10"}));
  run.clickHeader(2);
  run.clickHeader(2);
  EXPECT_EQ(run.column(0), (std::vector<std::wstring>{tag + L" item 9", tag + L" Item 10", tag + L" Item 1", tag + L" alpha"}))
      << "B 10 before b 2 before a, the empty command last";

  // The box of the second row shown is the entry of that row.
  const std::wstring second = run.column(0)[1];
  run.setBox(1, kUnchecked);
  EXPECT_FALSE(seeded.has(second)) << "disabled: the value left the key";
  for (const std::wstring& name : listed) {
    if (name != second) {
      EXPECT_TRUE(seeded.has(name)) << narrow(name);
    }
  }
  EXPECT_EQ(run.rowOf(second), 1) << "the row keeps its place until the next listing";
  run.setBox(1, kChecked);
  EXPECT_TRUE(seeded.has(second)) << "enabled again";
  EXPECT_TRUE(run.close());
}

TEST_F(RealProgramTest, WhatTheUserLeftIsThereAtTheNextStartAndAtAnotherDpi) {
  const std::array<int, RunningProgram::kColumns> order = {2, 0, 1, 3, 5, 4, 6, 8, 7};
  RECT placed{60, 50, 60 + 820, 50 + 560};
  int columnWidth = 0, treeWidth = 0;
  {
    RunningProgram first(dir);
    ASSERT_NE(first.frame, nullptr);
    EXPECT_TRUE(IsZoomed(first.frame)) << "maximised at the first start";
    EXPECT_EQ(first.selectedNode(), kAllEntriesNode) << "All Entries, at the top";
    first.selectNode(kCurrentUserRunNode);
    ASSERT_NE(first.list(), nullptr);
    SendMessageW(first.list(), LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(123, 0));
    SendMessageW(first.list(), LVM_SETCOLUMNWIDTH, 5, MAKELPARAM(0, 0));  // dragged shut
    first.setColumnOrder(order);
    first.clickHeader(3);
    first.clickHeader(3);
    // The splitter's bar dragged 80 pixels right.
    HWND splitter = FindWindowExW(first.frame, nullptr, L"WTL_SplitterWindow", nullptr);
    ASSERT_NE(splitter, nullptr);
    const int bar = first.treeWidth() + 2;
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar, 100));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar + 80, 100));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(bar + 80, 100));
    treeWidth = first.treeWidth();
    EXPECT_EQ(treeWidth, 330);
    SendMessageW(visibleChildWithId(first.frame, IDC_HIDEWINDOWS), BM_CLICK, 0, 0);
    SendMessageW(first.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetWindowPos(first.frame, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 SWP_NOZORDER);
    GetWindowRect(first.frame, &placed);
    columnWidth = static_cast<int>(SendMessageW(first.list(), LVM_GETCOLUMNWIDTH, 0, 0));
    ASSERT_TRUE(first.close());
  }
  RECT normal{};
  {
    RunningProgram second(dir);
    ASSERT_NE(second.frame, nullptr);
    EXPECT_FALSE(IsZoomed(second.frame)) << "left restored, it opens restored";
    RECT now{};
    GetWindowRect(second.frame, &now);
    EXPECT_TRUE(EqualRect(&now, &placed)) << now.left << "," << now.top << "," << now.right << "," << now.bottom;
    EXPECT_EQ(second.selectedNode(), kCurrentUserRunNode);
    ASSERT_NE(second.list(), nullptr);
    EXPECT_EQ(SendMessageW(second.list(), LVM_GETCOLUMNWIDTH, 2, 0), 123);
    EXPECT_EQ(SendMessageW(second.list(), LVM_GETCOLUMNWIDTH, 5, 0), 30) << "dragged shut, back readable";
    EXPECT_EQ(SendMessageW(second.list(), LVM_GETCOLUMNWIDTH, 0, 0), columnWidth);
    EXPECT_EQ(second.columnOrder(), order);
    EXPECT_EQ(second.arrow(3), HDF_SORTDOWN);
    EXPECT_EQ(second.treeWidth(), treeWidth);
    EXPECT_EQ(SendMessageW(visibleChildWithId(second.frame, IDC_HIDEWINDOWS), BM_GETCHECK, 0, 0), BST_CHECKED);
    // Maximised this time; its restored place stays what it was.
    SendMessageW(second.frame, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(second.frame));
    normal = placed;
    ASSERT_TRUE(second.close());
  }
  {
    const ScreenDpi screen(144);
    ASSERT_TRUE(screen.set());
    RunningProgram third(dir);
    ASSERT_NE(third.frame, nullptr);
    EXPECT_TRUE(IsZoomed(third.frame)) << "left maximised, it opens maximised";
    ASSERT_NE(third.list(), nullptr);
    // Sizes kept at 96 DPI come back in proportion.
    EXPECT_EQ(SendMessageW(third.list(), LVM_GETCOLUMNWIDTH, 2, 0), MulDiv(123, 144, 96));
    EXPECT_EQ(SendMessageW(third.list(), LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(columnWidth, 144, 96));
    EXPECT_EQ(third.treeWidth(), MulDiv(treeWidth, 144, 96));
    EXPECT_EQ(third.columnOrder(), order);
    SendMessageW(third.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
    RECT now{};
    GetWindowRect(third.frame, &now);
    EXPECT_TRUE(EqualRect(&now, &normal)) << "restored, it takes the place it was left in";
    ASSERT_TRUE(third.close());
  }
}

// A place no screen has, or a value that is no place, starts the window as
// on the first day; so does a node this version does not have.
TEST_F(RealProgramTest, AKeptPlaceOffEveryScreenOrANodeGoneStartsAsOnTheFirstDay) {
  const std::wstring key = L"Software\\Velmora";
  const std::wstring offScreen = L"30000,30000,31000,31000,0";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"WindowPlacement", REG_SZ, offScreen.c_str(),
                            static_cast<DWORD>((offScreen.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const DWORD node = 999, splitter = 0xFFFFFFFF;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"TreeNode", REG_DWORD, &node, sizeof node), ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Splitter", REG_DWORD, &splitter, sizeof splitter),
            ERROR_SUCCESS);
  RunningProgram run(dir);
  ASSERT_NE(run.frame, nullptr);
  EXPECT_TRUE(IsZoomed(run.frame));
  EXPECT_EQ(run.selectedNode(), kAllEntriesNode);
  EXPECT_EQ(run.treeWidth(), 250);
  EXPECT_TRUE(run.close());
}

}  // namespace
}  // namespace velmora::testing
