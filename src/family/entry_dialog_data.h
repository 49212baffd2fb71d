#pragma once
// What the Add, Modify and Property dialogs show and give back. It lives
// below the pane so that the dialogs need nothing of the pane's.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A place an Add may go to: its location as the pane lists it, the type
// line the dialog shows for it and its family's own rules.
struct EntryPlace {
  std::string location;
  std::string typeText;
  EntryCheck check;
  // The family that offered it (its FamilyId): the one an Add there goes to.
  std::string_view family = {};
  // What the place is, translated ("Run — current user"): what the
  // drop-down shows, with the location as its tip. Empty: the location.
  std::string label = {};
  // Where an Add goes unless the user chooses another place, in a view of
  // every family's places: the current user's Run key.
  bool usual = false;
};

// Data in, data out: the caller fills it, the dialog reads its controls
// into name and path (and the chosen place) only on OK.
struct EntryDialogData {
  std::string typeText;
  std::string sectionText;
  std::string name;
  std::string path;
  // Shown below the fields when not empty (what a change keeps).
  std::string note;
  EntryCheck check;
  // Add only: where the entry may go when the pane has several places (the
  // dialog offers them in a drop-down instead of the section line), and the
  // index of the chosen one, at first the default.
  std::vector<EntryPlace> places;
  std::size_t place = 0;
};

// The location an Add goes to: the chosen place, or the section shown when
// there is no choice.
inline const std::string& addPlace(const EntryDialogData& data) {
  return data.place < data.places.size() ? data.places[data.place].location : data.sectionText;
}

// The rules of the place an Add goes to, or of the entry shown.
inline const EntryCheck& checkOf(const EntryDialogData& data) {
  return data.place < data.places.size() ? data.places[data.place].check : data.check;
}

}  // namespace velmora
