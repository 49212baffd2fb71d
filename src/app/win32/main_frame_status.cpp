// What the main window's panes show and its status bar says: the filter and
// the check boxes over every pane, the workers' results for the visible one
// (the slow places' rows, program files' answers), the export, and the
// counts and outcome of the last change.
#include "app/all_families.h"
#include "app/win32/composition.h"
#include "app/win32/export_command.h"
#include "app/win32/main_frame.h"
#include "core/format.h"
#include "lang/win32/local_formats_win32.h"
#include "lang/win32/translate_win32.h"
#include "platform/win32/wide.h"
#include "main_frame_res.h"

namespace velmora::win32 {

namespace {
// A count as the user's locale groups its digits.
std::string number(int value) { return userFormats().number(static_cast<std::uint64_t>(value < 0 ? 0 : value)); }
}  // namespace

void MainFrame::slowPlacesArrived() {
  showLogonMeasured();
  const int visible = host_.visibleIndex();
  if (visible < 0 || !host_.visiblePane()) return;
  EntryListPane& shown = pane(visible);
  // A command waiting in a question keeps its rows; they come after it.
  if (shown.busy()) {
    arrivedWhileBusy_ = true;
    return;
  }
  if (!shown.family().placesPending()) return;
  const int added = shown.addDeferredRows();
  if (!shown.family().placesPending() && shown.family().listingProblem().empty()) {
    lastOutcome_ = countedText(translator_, "_StatusTasksRead", static_cast<std::uint64_t>(added), {number(added)});
  }
  updateStatus();
}

void MainFrame::showLogonMeasured() {
  if (!root_ || root_->logonCells().generation() == logonShown_) return;
  for (const auto& pane : panes_) {
    if (pane->busy()) {
      arrivedWhileBusy_ = true;
      return;
    }
  }
  logonShown_ = root_->logonCells().generation();
  for (auto& pane : panes_) pane->logonMeasured();
}

void MainFrame::factsArrived() {
  const int visible = host_.visibleIndex();
  if (visible < 0 || !host_.visiblePane()) return;
  if (pane(visible).busy()) {
    arrivedWhileBusy_ = true;
    return;
  }
  pane(visible).factsArrived();
}

void MainFrame::exportEntries() {
  if (Workers* workers = root_ ? root_->workers() : nullptr) {
    exportInBackground(hwnd(), files_, translator_, *workers, [this](const std::string& file) {
      lastOutcome_ = safeFormat(translator_.translate("_StatusExporting"), {file});
      updateStatus();
    });
  } else if (families_) {
    exportFromMenu(hwnd(), *families_, translator_);
  }
}

void MainFrame::paneChanged() {
  // What came while a command waited is shown now that it ended.
  const int visible = host_.visibleIndex();
  if (arrivedWhileBusy_ && visible >= 0 && !pane(visible).busy()) {
    arrivedWhileBusy_ = false;
    slowPlacesArrived();
    factsArrived();
  }
  updateStatus();
}

void MainFrame::filterChanged() {
  const std::string text = narrow(windowText(item(IDC_FILTER)));
  // Every pane, shown or not: the filter holds across selections.
  for (auto& pane : panes_) pane->setFilter(text);
  updateStatus();
}

void MainFrame::hideWindowsChanged() {
  const bool hide = IsDlgButtonChecked(hwnd(), IDC_HIDEWINDOWS) == BST_CHECKED;
  for (auto& pane : panes_) pane->hideMicrosoft(hide);
  keepHideWindows(hide);
  updateStatus();
}

void MainFrame::showNewChanged() {
  const bool only = IsDlgButtonChecked(hwnd(), IDC_SHOWNEW) == BST_CHECKED;
  for (auto& pane : panes_) pane->showOnlyNew(only);
  updateStatus();
}

void MainFrame::updateStatus() {
  if (!status_) return;
  const int visible = host_.visibleIndex();
  std::string text;
  if (visible >= 0) {
    const RowCounts c = pane(visible).counts();
    // A list that could not be read is not an empty one; a pane of several
    // families shows the others' rows and says what it could not read.
    const std::string problem = pane(visible).family().listingProblem();
    text = !problem.empty() && c.total == 0 ? problem
           : c.shown != c.total
               ? countedText(translator_, "_StatusFiltered", static_cast<std::uint64_t>(c.total), {number(c.shown), number(c.total)})
               : countedText(translator_, "_StatusEntries", static_cast<std::uint64_t>(c.total), {number(c.total), number(c.disabled)});
    if (c.fresh > 0) text += "; " + countedText(translator_, "_StatusNewCount", static_cast<std::uint64_t>(c.fresh), {number(c.fresh)});
    if (c.hidden > 0) text += "; " + countedText(translator_, "_StatusHiddenMicrosoft", static_cast<std::uint64_t>(c.hidden), {number(c.hidden)});
    // The filter, sort or Microsoft box wait for these before they are
    // applied in full.
    if (c.waiting > 0) text += "; " + countedText(translator_, "_StatusWaitingForFiles", static_cast<std::uint64_t>(c.waiting), {number(c.waiting)});
    if (!problem.empty() && c.total > 0) text += "; " + problem;
    if (const std::string why = pane(visible).whyNot(); !why.empty()) text += "; " + why;
    // All Entries says what Windows measured of the last logon.
    if (visible == kAllEntriesNode && root_ && root_->logonMeasurement()) {
      const std::string logon = measurementStatus(*root_->logonMeasurement(), translator_, UserFormats());
      if (!logon.empty()) text += "; " + logon;
    }
  }
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
  RECT bar{};
  GetClientRect(status_, &bar);
  fitStatusParts(bar.right);
  if (visible >= 0) {
    if (std::string outcome = pane(visible).takeOutcome(); !outcome.empty()) lastOutcome_ = std::move(outcome);
  }
  SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(widen(lastOutcome_).c_str()));
}

}  // namespace velmora::win32
