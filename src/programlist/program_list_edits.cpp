// Add and Modify: a program as the entry dialog gave it, written into a
// program-list value or into its record.
#include <algorithm>

#include "programlist/program_list_family.h"

namespace velmora {

OperationResult ProgramListFamily::add(const EntryDialogData& fields, UserPrompt& prompt) {
  return support_.run(prompt, [&] { addProgram(addPlace(fields), fields.path); });
}

OperationResult ProgramListFamily::modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) {
  return support_.run(prompt, [&] { modifyProgram(entry, fields.path); });
}

// Into the location the dialog chose among those prepareAdd offered.
void ProgramListFamily::addProgram(const std::string& place, const std::string& entered) {
  const auto offered = std::find(locations_.begin(), locations_.end(), place);
  if (offered == locations_.end()) return;
  const std::string& target = *offered;
  const std::string program = programFor(entered);
  if (!support_.acceptMissingProgram(program)) return;

  ValueChange change;
  if (changeValue(target, std::nullopt, program, change) != Outcome::Done) return;
  support_.done(valueChange(change_kind::kAdd, target, change, std::nullopt,
                            programState(change.where.valueName, program, false), {}));
}

void ProgramListFamily::modifyProgram(const EntryRef& entry, const std::string& entered) {
  const std::string program = programFor(entered);

  Outcome outcome = Outcome::Failed;
  const bool disabled = entry.origin == RowOrigin::Record;
  ValueChange change;
  if (disabled) {
    outcome = support_.updateRecordOf(entry, std::nullopt, program);
  } else {
    // Delete and append happen on one text and reach the registry in one
    // write, so the value never holds neither program.
    outcome = changeValue(entry.location, entry.data, program, change);
  }
  if (outcome != Outcome::Done) return;
  const EntryState was = programState(entry.name, entry.data, disabled);
  const EntryState now = programState(entry.name, program, disabled);
  support_.done(disabled ? support_.change(change_kind::kModify, entry.location, was, now)
                         : valueChange(change_kind::kModify, entry.location, change, was, now, entry.data));
}

}  // namespace velmora
