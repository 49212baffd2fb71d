#pragma once
// What the logic asks of the user: messages, the one confirm question, and
// the entry dialogs. Message boxes carry the translated _ToolVelmora caption.
#include <functional>
#include <optional>
#include <string>

namespace velmora {

enum class EntryDialogKind { Add, Modify, Property };

// A field of the entry dialog that the user has to correct.
enum class EntryField { Name, Path };
struct FieldProblem {
  EntryField field;
  std::string message;  // translated
};
// The caller's own rules for a name and a command, run while the dialog is
// still open, so a refused text stays for the user to correct.
using EntryCheck = std::function<std::optional<FieldProblem>(const std::string& name, const std::string& path)>;

// Data in, data out: the caller fills it, the dialog reads its controls
// into name and path only on OK.
struct EntryDialogData {
  std::string typeText;
  std::string sectionText;
  std::string name;
  std::string path;
  // Shown below the fields when not empty (what a change keeps).
  std::string note;
  EntryCheck check;
};

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
