#pragma once
// One change of an entry that takes several writes. After each write that
// worked the family records how to take it back; at the end the change
// either commits (the undo steps are dropped and the clean-ups run) or fails
// once: every recorded write is taken back, the latest first, and the user
// hears why the change failed, or, when taking it back did not work either,
// that the entry may now be listed twice. A transaction left open (an early
// return, an exception) is taken back quietly.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "family/family_support.h"

namespace velmora {

class Transaction {
 public:
  // `entry` names the entry in the "kept twice" message.
  Transaction(const FamilySupport& support, std::string entry) : support_(support), entry_(std::move(entry)) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();

  // Records how to take back a write that has just worked; the step returns
  // false when it could not.
  void undoWith(std::function<bool()> undo) { undo_.push_back(std::move(undo)); }
  // Runs once the change has committed: tidying that must not happen before
  // (dropping a kept copy of a replaced file, say). Its failures are quiet.
  void onCommit(std::function<void()> cleanup) { cleanups_.push_back(std::move(cleanup)); }

  // The change stands.
  Outcome commit();
  // Takes the change back, then tells `key` (filled with `values`) or, when
  // the change could not be taken back, _EntryKeptTwice. Always Failed.
  Outcome fail(std::string_view key, const std::vector<std::string>& values = {});
  // The same with the family's own explanation.
  Outcome fail(const std::function<void()>& explain);
  // Takes the change back without a word; true when every step worked.
  bool rollBack();

 private:
  const FamilySupport& support_;
  std::string entry_;
  std::vector<std::function<bool()>> undo_;
  std::vector<std::function<void()>> cleanups_;
  bool open_ = true;
};

}  // namespace velmora
