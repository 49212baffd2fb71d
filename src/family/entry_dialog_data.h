#pragma once
// What the Add, Modify and Property dialogs show and give back. It lives
// below the pane so that the dialogs need nothing of the pane's.
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

}  // namespace velmora
