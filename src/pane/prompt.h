#pragma once
// What the logic asks of the user: messages, the confirm questions, and
// the entry dialogs. Message boxes carry the translated _ToolVelmora caption.
#include <functional>
#include <optional>
#include <string>

#include "dialogs/entry_dialog_data.h"

namespace velmora {

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // Information message with an OK button (0x40). `text` is already translated.
  virtual void message(const std::string& text) = 0;
  // OK/Cancel question (0x41); true only on OK. `text` is already translated.
  virtual bool confirm(const std::string& text) = 0;
  // OK/Cancel warning (0x131: warning icon, Cancel the default) for a change
  // that can do harm; true only on OK. `text` is already translated.
  virtual bool confirmWarning(const std::string& text) = 0;
  // Shows an entry dialog; true when it closed with OK (Property: always false).
  virtual bool entryDialog(EntryDialogKind kind, EntryDialogData& data) = 0;
  // The file information dialog for a path.
  virtual void fileInformation(const std::string& path) = 0;
};

}  // namespace velmora
