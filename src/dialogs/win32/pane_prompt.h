#pragma once
// The user as a pane's logic meets him: message boxes owned by the pane,
// the entry dialogs and the file information dialog owned by the window
// that is active when they open.
#include <windows.h>

#include <functional>

#include "lang/language_table.h"
#include "family/prompt.h"

namespace velmora::win32 {

class PanePrompt : public UserPrompt {
 public:
  // `owner` gives the pane's window when a message is shown (the pane's
  // window is created after its prompt).
  PanePrompt(std::function<HWND()> owner, const Translator& translator)
      : owner_(std::move(owner)), translator_(translator) {}

  void message(const std::string& text) override;
  [[nodiscard]] bool confirm(const std::string& text) override;
  [[nodiscard]] bool confirmWarning(const std::string& text) override;
  [[nodiscard]] bool entryDialog(EntryDialogKind kind, EntryDialogData& data) override;
  void fileInformation(const std::string& path) override;
  void searchOnline(const std::string& term) override;

 private:
  std::function<HWND()> owner_;
  const Translator& translator_;
};

}  // namespace velmora::win32
