#include "dialogs/win32/pane_prompt.h"

#include "dialogs/win32/entry_dialog.h"
#include "dialogs/file_info_format.h"
#include "dialogs/win32/file_information_dialog.h"
#include "dialogs/win32/shell_open.h"
#include "lang/win32/translate_win32.h"

namespace velmora::win32 {

void PanePrompt::message(const std::string& text) { showMessage(owner_(), translator_, text); }

// Every question Velmora asks comes before a change that can lose something.
bool PanePrompt::confirm(const std::string& text) { return askWarning(owner_(), translator_, text); }

bool PanePrompt::confirmWarning(const std::string& text) { return askWarning(owner_(), translator_, text); }

namespace {
// The active window, or the pane's top-level window when none is active, so
// the dialog is always modal to the main window and no second operation can
// start on a list that the first one is still working on.
HWND dialogOwner(HWND pane) {
  if (HWND active = GetActiveWindow()) return active;
  return pane ? GetAncestor(pane, GA_ROOT) : nullptr;
}
}  // namespace

bool PanePrompt::entryDialog(EntryDialogKind kind, EntryDialogData& data) {
  return runEntryDialog(dialogOwner(owner_()), kind, data, translator_);
}

void PanePrompt::fileInformation(const std::string& path) {
  showFileInformation(dialogOwner(owner_()), path, translator_);
}

void PanePrompt::searchOnline(const std::string& term) {
  // As File Info's button: a browser that does not start says nothing.
  (void)shellOpen(owner_(), ShellRequest{searchAddress(term), {}});
}

}  // namespace velmora::win32
