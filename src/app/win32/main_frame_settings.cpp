// What the main window keeps for the next start under the user's settings
// key, and takes back as input: the window's place (on a screen that still
// exists), the splitter, the node, the Microsoft check box and each pane's
// columns. Every value is checked before it is used and saved only as the
// window took it.
#include <algorithm>

#include "app/stored_layout.h"
#include "app/win32/main_frame.h"
#include "app/win32/user_settings_win32.h"
#include "core/window_placement.h"
#include "platform/win32/dpi.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {
// The check box's choice under the user's settings key; off until set.
constexpr const wchar_t* kHideWindowsChoice = L"HideWindowsEntries";
// What else is kept there: the restored window ("left,top,right,bottom,
// maximised", screen pixels), the tree's width at 96 DPI, the node selected.
constexpr const wchar_t* kPlacementValue = L"WindowPlacement";
constexpr const wchar_t* kSplitterValue = L"Splitter";
constexpr const wchar_t* kNodeValue = L"TreeNode";

Box boxOf(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<Box>*>(areas)->push_back(boxOf(info.rcWork));
  return TRUE;
}

std::vector<Box> workAreas() {
  std::vector<Box> areas;
  EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

// A restored rectangle is in workspace coordinates (those of its monitor's
// work area); what is kept is in screen coordinates, which the screens'
// work areas are checked in.
POINT workspaceOffset(const RECT& rect) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return POINT{0, 0};
  return POINT{info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}
}  // namespace

std::optional<int> MainFrame::storedStartNode() const {
  return storedNode(readNumber(kNodeValue), static_cast<int>(items_.size()));
}

std::optional<int> MainFrame::storedSplitterPosition() const { return storedSplitter(readNumber(kSplitterValue)); }

bool MainFrame::storedHideWindows() const { return readChoice(kHideWindowsChoice, false); }

void MainFrame::keepHideWindows(bool hide) const {
  // Not kept is still done: the list shows what the box says.
  (void)writeChoice(kHideWindowsChoice, hide);
}

void MainFrame::restorePlacement() {
  const auto kept = parsePlacement(readText(kPlacementValue).value_or(""), workAreas());
  if (!kept) return;  // the first start, or a place no screen has now: maximised
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(hwnd(), &placement)) return;
  RECT normal{kept->normal.left, kept->normal.top, kept->normal.right, kept->normal.bottom};
  const POINT offset = workspaceOffset(normal);
  OffsetRect(&normal, -offset.x, -offset.y);
  placement.rcNormalPosition = normal;
  placement.flags = 0;
  // Only the rectangle changes: the window is shown later, as it was left.
  placement.showCmd = SW_HIDE;
  SetWindowPlacement(hwnd(), &placement);
  showCommand_ = kept->maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

void MainFrame::restorePanes() {
  for (std::size_t index = 0; index < panes_.size(); ++index) {
    if (const auto text = readText(std::to_wstring(index).c_str(), kPaneSettingsKey)) {
      panes_[index]->setColumnLayout(parsePaneLayout(*text, kRowColumns));
    }
  }
}

void MainFrame::saveSettings() {
  // Not kept is no reason to stay open: the next start is then as this one was.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd(), &placement)) {
    RECT normal = placement.rcNormalPosition;
    const POINT offset = workspaceOffset(normal);
    OffsetRect(&normal, offset.x, offset.y);
    // A minimised window opens as it was before: maximised or restored.
    const bool maximised = placement.showCmd == SW_SHOWMAXIMIZED ||
                           (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
    (void)writeText(kPlacementValue, formatPlacement(StoredPlacement{boxOf(normal), maximised}));
  }
  // Where the bar stands, as the window allowed it: what is read back next
  // time was checked once already.
  (void)writeNumber(kSplitterValue, static_cast<std::uint32_t>(std::clamp(rescale(splitter_.position(), dpi_, kBaseDpi), 0, kWidestTree)));
  if (const int node = host_.visibleIndex(); node >= 0) (void)writeNumber(kNodeValue, static_cast<std::uint32_t>(node));
  (void)writeChoice(kHideWindowsChoice, IsDlgButtonChecked(hwnd(), IDC_HIDEWINDOWS) == BST_CHECKED);
  for (std::size_t index = 0; index < panes_.size(); ++index) {
    const std::string layout = formatPaneLayout(panes_[index]->columnLayout());
    if (!layout.empty()) (void)writeText(std::to_wstring(index).c_str(), layout, kPaneSettingsKey);
  }
}

}  // namespace velmora::win32
