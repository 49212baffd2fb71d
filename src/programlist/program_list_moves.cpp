// Remove, Disable and Enable of one program of a program-list value.
#include "core/store.h"
#include "family/transaction.h"
#include "programlist/program_list.h"
#include "programlist/program_list_family.h"

namespace velmora {

OperationResult ProgramListFamily::remove(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { removeProgram(entry); });
}

OperationResult ProgramListFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return disableProgram(entry); });
}

OperationResult ProgramListFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  return support_.run(prompt, [&] { return enableProgram(entry); });
}

void ProgramListFamily::removeProgram(const EntryRef& entry) {
  const bool disabled = entry.origin == RowOrigin::Record;
  if (!disabled && refusesRemoval(entry)) return;
  // The entry is the program; its name is the value that lists it.
  if (!support_.confirmRemove(entry.data, entry.location, {})) return;

  Outcome outcome = Outcome::Failed;
  ValueChange change;
  if (disabled) {
    outcome = support_.removeRecordOf(entry);
  } else {
    outcome = changeValue(entry.location, entry.data, std::nullopt, change);
  }
  if (outcome != Outcome::Done) return;
  const EntryState removed = programState(entry.name, entry.data, disabled);
  support_.done(disabled ? support_.change(change_kind::kRemove, entry.location, removed, std::nullopt)
                         : valueChange(change_kind::kRemove, entry.location, change, removed, std::nullopt, entry.data));
}

// Disable stores the record first and takes the program out of the value
// only once the record is on disk; a failed write takes the record back.
bool ProgramListFamily::disableProgram(const EntryRef& entry) {
  ValueChange change;
  if (planChange(entry.location, entry.data, std::nullopt, change) != Outcome::Done) return false;

  const DisabledItem record = recordOf(entry);
  if (support_.addRecord(record) != Outcome::Done) return false;
  Transaction tx(support_, entry.data);
  tx.undoWith([this, record] { return support_.takeBackRecord(record); });
  const RegStatus written = writeValue(change.where, change.after);
  if (written != RegStatus::Ok) {
    tx.fail([&] { tellWriteProblem(written, entry.location); });
    return false;
  }
  tx.commit();
  support_.done(valueChange(change_kind::kDisable, entry.location, change, programState(entry.name, entry.data, false),
                            programState(entry.name, entry.data, true), entry.data));
  return true;
}

// Enable writes the value first and removes the records only after that;
// a record that cannot be removed puts everything back as it was.
bool ProgramListFamily::enableProgram(const EntryRef& entry) {
  const auto items = support_.records();
  if (!items) return false;
  const std::vector<StoredItem> matches = findAllItems(*items, recordOf(entry));
  if (matches.empty()) {
    support_.tellRecordGone();
    return false;
  }
  if (!support_.anyTrusted(matches, entry.data)) return false;
  ValueChange change;
  if (changeValue(entry.location, std::nullopt, entry.data, change) != Outcome::Done) return false;
  Transaction tx(support_, entry.data);
  tx.undoWith([this, change] { return writeValue(change.where, change.before) == RegStatus::Ok; });

  // Later records first, so the places of the earlier ones stay valid.
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    const StoreStatus status = support_.store().remove(kProgramListRecords, *it);
    if (status == StoreStatus::Vanished) continue;  // gone already: nothing left to remove
    if (status != StoreStatus::Ok) {
      tx.fail([&] { support_.tellStoreProblem(status); });
      return false;
    }
    tx.undoWith([this, item = it->item] { return support_.store().add(kProgramListRecords, item) == StoreStatus::Ok; });
  }
  tx.commit();
  support_.done(valueChange(change_kind::kEnable, entry.location, change, programState(entry.name, entry.data, true),
                            programState(entry.name, entry.data, false), {}));
  return true;
}

}  // namespace velmora
