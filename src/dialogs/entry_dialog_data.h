#pragma once
// What the Add, Modify and Property dialogs show and give back. It lives
// below the pane so that the dialogs need nothing of the pane's.
#include <string>

namespace velmora {

enum class EntryDialogKind { Add, Modify, Property };

// Data in, data out: the caller fills it, the dialog reads its controls
// into name and path only on OK.
struct EntryDialogData {
  std::string typeText;
  std::string sectionText;
  std::string name;
  std::string path;
};

}  // namespace velmora
