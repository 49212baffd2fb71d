// The Impact and Last logon cells: a row's state, its program in Windows'
// measurement or not, its place's time and Velmora's changes against the
// measurement's time; and the order the two columns sort the rows in.
#include <gtest/gtest.h>

#include <numeric>

#include "fakes/fakes.h"
#include "logonimpact/logon_cells.h"
#include "pane/row_order.h"
#include "lang/local_formats.h"

namespace velmora::testing {
namespace {

constexpr char kRun[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

Change changeOf(const char* time, const char* name) {
  Change c{.time = time, .family = "registry", .location = kRun};
  c.after = EntryState{name, "x.exe"};
  return c;
}

TEST(LogonCells, EachRowsCellsAndTheirOrder) {
  MapTranslator texts;
  texts.texts["_LastLogonAfter"] = "+%s s";
  LogonMeasurement logon{MeasurementStatus::Read, {}, LocalTime{2026, 12, 8, 8, 0, 0}, {}};
  logon.measurement.processes = {{.name = "C:\\Apps\\heavy.exe", .startedSeconds = 12.25, .cpuMicroseconds = 2'000'000},
                                 {.name = "C:\\Apps\\light.exe", .startedSeconds = 3, .cpuMicroseconds = 1000},
                                 {.name = "C:\\Apps\\mid.exe", .startedSeconds = 40, .diskBytes = 400 * 1024},
                                 {.name = "C:\\Apps\\mid2.exe", .startedSeconds = 1.5, .diskBytes = 900 * 1024}};
  const std::vector<Change> history = {changeOf("2026-12-08T09:00:00Z", "changed since"),
                                       changeOf("2026-12-08T07:00:00Z", "changed before")};
  const char* before = "2026-12-01T10:00:00Z";
  const char* after = "2026-12-08T08:00:01Z";
  enum When { Measured, NeedsAdmin, NotYet };
  struct Case {
    const char* name;
    const char* program;
    const char* written;
    RowOrigin origin;
    When when;
    const char* impact;
    const char* lastLogon;
    bool keyTime = false;  // Row::writtenAtShared
  };
  const Case cases[] = {
      {"heavy", "C:\\Apps\\heavy.exe", before, RowOrigin::Live, Measured, "_ImpactHigh", "+12 s"},
      {"light", "c:\\apps\\LIGHT.EXE", before, RowOrigin::Live, Measured, "_ImpactLow", "+3.0 s"},
      {"mid", "C:\\Apps\\mid.exe", "", RowOrigin::Live, Measured, "_ImpactMedium", "+40 s"},
      {"mid2", "C:\\Apps\\mid2.exe", before, RowOrigin::Live, Measured, "_ImpactMedium", "+1.5 s"},
      {"record", "C:\\Apps\\heavy.exe", before, RowOrigin::Record, Measured, "", ""},
      {"written after", "C:\\Apps\\heavy.exe", after, RowOrigin::Live, Measured, "_ImpactNotMeasured", ""},
      {"key written after", "C:\\Apps\\light.exe", after, RowOrigin::Live, Measured, "_ImpactLow", "+3.0 s", true},
      {"key not run", "C:\\Apps\\gone.exe", after, RowOrigin::Live, Measured, "_ImpactNotMeasured", "", true},
      {"changed since", "C:\\Apps\\heavy.exe", before, RowOrigin::Live, Measured, "_ImpactNotMeasured", ""},
      {"changed before", "C:\\Apps\\heavy.exe", before, RowOrigin::Live, Measured, "_ImpactHigh", "+12 s"},
      {"did not start", "C:\\Apps\\gone.exe", before, RowOrigin::Live, Measured, "_ImpactNotMeasured",
       "_LastLogonDidNotStart"},
      {"no time", "C:\\Apps\\gone.exe", "", RowOrigin::Live, Measured, "_ImpactNotMeasured", ""},
      {"no rights", "C:\\Apps\\heavy.exe", before, RowOrigin::Live, NeedsAdmin, "_ImpactNotMeasured", ""},
      {"none yet", "C:\\Apps\\heavy.exe", before, RowOrigin::Live, NotYet, "", ""},
  };
  std::vector<Row> rows;
  for (const Case& c : cases) {
    LogonCells cells(texts);
    if (c.when != NotYet) cells.measured(c.when == NeedsAdmin ? LogonMeasurement{MeasurementStatus::NeedsAdmin} : logon, history);
    Row row{c.name, "Registry value", "x", kRun, c.origin == RowOrigin::Live ? RowState::Live : RowState::Disabled};
    row.origin = c.origin;
    row.programFile = c.program;
    row.writtenAt = utcOrder(c.written);
    row.writtenAtShared = c.keyTime;
    cells.describeLogon(row, "registry");
    EXPECT_EQ(row.impact + "|" + row.lastLogon, std::string(c.impact) + "|" + c.lastLogon) << c.name;
    rows.push_back(row);
    // A change made in this session is newer than the measurement.
    cells.changed(changeOf("", c.name));
    cells.describeLogon(row, "registry");
    if (c.when == Measured && row.origin == RowOrigin::Live) {
      EXPECT_EQ(row.impact, "_ImpactNotMeasured") << c.name;
    }
  }

  // Impact by grade, then cost (not by its text); Last logon by the
  // seconds, "Did not start" after them; empty cells last either way.
  std::vector<std::size_t> all(rows.size());
  std::iota(all.begin(), all.end(), 0);
  std::string order;
  for (const std::size_t i : sortedIndices(rows, all, {7, true})) order += rows[i].name + std::string(", ");
  EXPECT_EQ(order, "heavy, changed before, mid2, mid, light, key written after, written after, key not run, "
                   "changed since, did not start, no time, no rights, record, none yet, ");
  order.clear();
  for (const std::size_t i : sortedIndices(rows, all, {8, false})) order += rows[i].name + std::string(", ");
  EXPECT_EQ(order, "mid2, light, key written after, heavy, changed before, mid, did not start, record, "
                   "written after, key not run, changed since, no time, no rights, none yet, ");
}

}  // namespace
}  // namespace velmora::testing
