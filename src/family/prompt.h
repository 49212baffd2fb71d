#pragma once
// What the logic asks of the user: messages, the confirm questions, and
// the entry dialogs. Message boxes carry the translated _ToolVelmora caption.
#include <functional>
#include <optional>
#include <string>

#include "family/entry_dialog_data.h"

namespace velmora {

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // Information message with an OK button (0x40). `text` is already translated.
  // A family tells every failure this way.
  virtual void message(const std::string& text) = 0;
  // The same box for news that is no failure: the change it follows was
  // made (the change history could not keep it, say).
  virtual void notice(const std::string& text) { message(text); }
  // Yes/No question before a change that can lose something (Remove,
  // replacing an entry): the warning icon with No the default, so Enter
  // changes nothing. True only on Yes. `text` is already translated.
  virtual bool confirm(const std::string& text) = 0;
  // Yes/No warning (warning icon, No the default) for a change that can do
  // harm; true only on Yes. `text` is already translated.
  virtual bool confirmWarning(const std::string& text) = 0;
  // Shows an entry dialog; true when it closed with OK (Property: always false).
  virtual bool entryDialog(EntryDialogKind kind, EntryDialogData& data) = 0;
  // The file information dialog for a path.
  virtual void fileInformation(const std::string& path) = 0;
  // A web search for a term (a program file's name), as File Info's button
  // makes it.
  virtual void searchOnline(const std::string& term) = 0;
};

}  // namespace velmora
