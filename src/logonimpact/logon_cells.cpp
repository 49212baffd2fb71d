#include "logonimpact/logon_cells.h"

#include <cstdio>
#include <utility>

#include "core/format.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "lang/local_formats.h"

namespace velmora {

namespace {

std::string entryKey(std::string_view family, std::string_view location, std::string_view name) {
  std::string key(family);
  key += '\0';
  key += foldedIgnoreCase(location);
  key += '\0';
  key += foldedIgnoreCase(name);
  return key;
}

// "12" after ten seconds, "1.5" below: the first seconds are where the
// order of starts shows.
std::string secondsText(double seconds) { return seconds < 10 ? printed("%.1f", seconds) : printed("%.0f", seconds); }

}  // namespace

void LogonCells::measured(const LogonMeasurement& logon, const std::vector<Change>& history) {
  pending_ = nullptr;
  ++generation_;
  status_ = logon.status;
  madeAt_ = logon.madeAt ? formatUtcStamp(*logon.madeAt) : std::string();
  madeAtOrder_ = utcOrder(madeAt_);
  costs_ = status_ == MeasurementStatus::Read ? ProgramCosts(logon.measurement) : ProgramCosts();
  changed_.clear();
  for (const Change& change : history) {
    if (madeAt_.empty() || change.time <= madeAt_) continue;
    changed(change);
  }
  high_ = translator_.translate("_ImpactHigh");
  medium_ = translator_.translate("_ImpactMedium");
  low_ = translator_.translate("_ImpactLow");
  notMeasured_ = translator_.translate("_ImpactNotMeasured");
  after_ = translator_.translate("_LastLogonAfter");
  didNotStart_ = translator_.translate("_LastLogonDidNotStart");
}

void LogonCells::changedEntry(const std::string& family, const std::string& location, const std::string& name) {
  changed_.insert(entryKey(family, location, name));
}

void LogonCells::changed(const Change& change) {
  // Both the entry it left and the one it made: a rename is another name
  // with the old program, an edit the same name with another.
  if (change.before) changedEntry(change.family, change.location, change.before->name);
  if (change.after) changedEntry(change.family, change.location, change.after->name);
}

void LogonCells::describeLogon(Row& row, std::string_view family) const {
  if (pending_) {
    // Read once, where the first cell is asked for; the object itself is
    // never const (only this look-up is).
    const auto measure = std::exchange(pending_, nullptr);
    measure(const_cast<LogonCells&>(*this));
  }
  row.impact.clear();
  row.lastLogon.clear();
  row.impactLevel = 0;
  row.impactSize = 0;
  row.lastLogonSeconds = -1;
  if (generation_ == 0) return;  // none came yet: the cells fill in when it does
  if (row.origin != RowOrigin::Live || row.state != RowState::Live) return;
  const auto notMeasured = [&row, this] {
    row.impact = notMeasured_;
    row.impactLevel = 1;
  };
  if (status_ != MeasurementStatus::Read || madeAt_.empty()) return notMeasured();
  // Written after the measurement (a key's later time may be another
  // value's), or changed by Velmora since: what was measured may be another
  // program, or none.
  const bool written = row.writtenAt != 0 && row.writtenAt > madeAtOrder_ && !row.writtenAtShared;
  if (written || changed_.count(entryKey(family, row.path, row.name)) != 0) {
    return notMeasured();
  }
  const std::optional<ProgramCost> cost = row.programFile.empty() ? std::nullopt : costs_.of(row.programFile);
  if (!cost) {
    notMeasured();
    // On before the logon, and nothing of it ran: it did not start. Where
    // the place keeps no time, nothing tells that it was on.
    if (row.writtenAt != 0 && row.writtenAt < madeAtOrder_) {
      row.lastLogon = didNotStart_;
      row.lastLogonSeconds = kDidNotStart;
    }
    return;
  }
  switch (impactOf(*cost)) {
    case Impact::High: row.impact = high_, row.impactLevel = 4; break;
    case Impact::Medium: row.impact = medium_, row.impactLevel = 3; break;
    default: row.impact = low_, row.impactLevel = 2; break;
  }
  // Each share of the way to High, summed: the order within a level.
  row.impactSize = static_cast<double>(cost->cpuMicroseconds) / 1e6 +
                   static_cast<double>(cost->diskBytes) / (3.0 * 1024 * 1024);
  if (cost->startedSeconds >= 0) {
    row.lastLogon = safeFormat(after_, {secondsText(cost->startedSeconds)});
    row.lastLogonSeconds = cost->startedSeconds;
  }
}

}  // namespace velmora
