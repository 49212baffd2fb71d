#pragma once
// The Impact and Last logon cells of the rows: what Windows measured of the
// user's last logon (logon_measurement.h) for the entry's program, unless
// the entry changed since, and whether an entry that was on then did not
// start. The rules are here, with no Windows call; the window hands in the
// measurement when its worker read it, the export when a cell is first
// asked for.
#include <functional>
#include <set>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "family/change.h"
#include "family/logon_facts.h"
#include "logonimpact/logon_measurement.h"

namespace velmora {

class Translator;

class LogonCells : public LogonFacts {
 public:
  explicit LogonCells(const Translator& translator) : translator_(translator) {}

  // A measurement came, with the changes the history holds: the cells say
  // what it says from now on (the texts are looked up here, once).
  void measured(const LogonMeasurement& logon, const std::vector<Change>& history);
  // `measure` calls measured() when a cell is first asked for: a listing
  // that never shows the columns never reads the measurement.
  void measureWhenAsked(std::function<void(LogonCells&)> measure) { pending_ = std::move(measure); }
  // A change Velmora made now: its entry is newer than the measurement.
  void changed(const Change& change);
  // Counts up with every measured(): a pane's cells and order are due again.
  [[nodiscard]] unsigned generation() const { return generation_; }

  // Off (a record, or turned off in Windows): both empty. No measurement
  // the user may read, or the entry written (its own time, not its key's)
  // or changed by Velmora after it: "Not measured". Otherwise the impact of its program and the
  // processes it started, or "Not measured" when they are not in it; the
  // seconds after the logon began its program started, or "Did not start"
  // when it was written before the measurement and not changed since.
  void describeLogon(Row& row, std::string_view family) const override;

 private:
  void changedEntry(const std::string& family, const std::string& location, const std::string& name);

  const Translator& translator_;
  mutable std::function<void(LogonCells&)> pending_;
  unsigned generation_ = 0;
  MeasurementStatus status_ = MeasurementStatus::None;
  std::string madeAt_;
  std::int64_t madeAtOrder_ = 0;  // madeAt_ as utcOrder gives it
  ProgramCosts costs_;
  // Entries changed after the measurement: family, location and name,
  // folded ignoring case.
  std::set<std::string> changed_;
  std::string high_, medium_, low_, notMeasured_, after_, didNotStart_;
};

}  // namespace velmora
