#include "pane/win32/pane_prompt.h"

#include "dialogs/win32/entry_dialog.h"
#include "dialogs/win32/file_information_dialog.h"
#include "lang/win32/translate_win32.h"

namespace velmora::win32 {

void PanePrompt::message(const std::string& text) { showMessage(owner_(), translator_, text); }

bool PanePrompt::confirm(const std::string& text) { return askConfirm(owner_(), translator_, text); }

bool PanePrompt::entryDialog(EntryDialogKind kind, EntryDialogData& data) {
  return runEntryDialog(GetActiveWindow(), kind, data, translator_);
}

void PanePrompt::fileInformation(const std::string& path) {
  showFileInformation(GetActiveWindow(), path, translator_);
}

}  // namespace velmora::win32
