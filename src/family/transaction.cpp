#include "family/transaction.h"

namespace velmora {

Transaction::~Transaction() {
  if (open_) (void)rollBack();
}

Outcome Transaction::commit() {
  open_ = false;
  undo_.clear();
  for (auto& cleanup : cleanups_) cleanup();
  cleanups_.clear();
  return Outcome::Done;
}

bool Transaction::rollBack() {
  open_ = false;
  cleanups_.clear();
  bool worked = true;
  // Every step is tried, even after one has failed: each puts back what it can.
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) worked = (*it)() && worked;
  undo_.clear();
  return worked;
}

Outcome Transaction::fail(const std::function<void()>& explain) {
  if (rollBack()) {
    explain();
  } else {
    support_.tell("_EntryKeptTwice", {entry_});
  }
  return Outcome::Failed;
}

Outcome Transaction::fail(std::string_view key, const std::vector<std::string>& values) {
  return fail([&] { support_.tell(key, values); });
}

}  // namespace velmora
