#pragma once
// The one place where what an operation did becomes the operation log's
// records (built from the translations and handed to the log's sink), the
// change history's entries and the status bar's words. No family logs or
// keeps a change itself.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "family/entry_family.h"
#include "family/families.h"
#include "core/operation_log.h"

namespace velmora {

class ChangeHistory;
class SeenEntries;
class Translator;

LogRecord buildLogRecord(const Translator& translator, LogOperation op, LogKeys keys,
                         const std::vector<std::string>& values);

// The process-wide connection. Without a sink nothing is logged and
// everything else works.
class OperationLog {
 public:
  explicit OperationLog(const Translator& translator, LogSink* sink = nullptr)
      : translator_(translator), sink_(sink) {}
  OperationLog(const OperationLog&) = delete;
  OperationLog& operator=(const OperationLog&) = delete;

  void connect(LogSink* sink) { sink_ = sink; }
  bool connected() const { return sink_ != nullptr; }

  // Builds and passes on one record; call it only after the change is made.
  // Whether the record was kept (false without a sink); a sink that fails
  // has reported it, so callers may carry on regardless.
  bool record(LogOperation op, LogKeys keys, const std::vector<std::string>& values);

 private:
  const Translator& translator_;
  LogSink* sink_;
};

enum class ChangeKind { Remove, Add, Modify, Enable, Disable };

// A change in words, for the status bar: what was done to `name`, or that
// it could not be done and why (the first line of the message that said so).
std::string changeReport(const Translator& translator, ChangeKind kind, const std::string& name, bool done,
                         const std::string& problem);

class ChangeCommit {
 public:
  // Without a history nothing is kept; everything else works. `seen`, when
  // given, learns every entry a change left or took away: what Velmora
  // itself made is never "new".
  ChangeCommit(OperationLog& log, ChangeHistory* history, const Translator& translator,
               SeenEntries* seen = nullptr)
      : log_(log), history_(history), translator_(translator), seen_(seen) {}

  // Logs every change of `result` made by the family with `traits`, in the
  // order they were made, and keeps each in the history, as the Undo of
  // change `undoing` when given; then tells the user the result's messages
  // and, once a run, that the history could not keep a change (which
  // stands all the same).
  void commit(const FamilyTraits& traits, const OperationResult& result, UserPrompt& prompt,
              std::optional<std::uint64_t> undoing = std::nullopt);

  // Whom to believe (core/trust.h): where each change is kept, and whether
  // a kept change may be undone. None: every change is the user's and
  // every Undo is believed (tests of other rules).
  void setTrust(const Trust* trust) { trust_ = trust; }
  const Trust* trust() const { return trust_; }
  // Also told every change committed, named by its family: what was
  // measured before it no longer tells of its entry.
  void tellChanges(std::function<void(const Change&)> told) { told_ = std::move(told); }

  // The status bar's words for `result` of an operation of `kind` on the
  // entry `name`; empty when nothing was tried (the user said no). An
  // Enable or Disable that moved the entry is done whatever was said on
  // the way; any other change is done only when nothing went wrong.
  std::string report(ChangeKind kind, const std::string& name, const OperationResult& result) const;

 private:
  void log(const FamilyTraits& traits, const Change& change);
  void see(const FamilyTraits& traits, const Change& change);

  OperationLog& log_;
  ChangeHistory* history_;
  const Translator& translator_;
  SeenEntries* seen_;
  const Trust* trust_ = nullptr;
  std::function<void(const Change&)> told_;
};

}  // namespace velmora
