// Windows' measurement of a logon: the processes read from its element
// tree, their costs summed per program with what each started, and the
// Impact it comes to.
#include <gtest/gtest.h>

#include "logonimpact/startup_measurement.h"

namespace velmora::testing {
namespace {

// A Process element as Windows writes it: name, PID and start offset as
// attributes, the rest as child elements.
XmlElement process(const char* name, const char* pid, const char* started, const char* startTime, const char* cpu,
                   const char* disk, const char* parentPid, const char* parentStart, const char* parentName) {
  XmlElement p{"Process", {}, {}, {}};
  p.attributes = {{"Name", {}, name}, {"PID", {}, pid}, {"StartedInTraceSec", {}, started}};
  const std::pair<const char*, const char*> fields[] = {
      {"StartTime", startTime}, {"CommandLine", ""},       {"DiskUsage", disk},          {"CpuUsage", cpu},
      {"ParentPID", parentPid}, {"ParentStartTime", parentStart}, {"ParentName", parentName}};
  for (const auto& [field, text] : fields) p.children.push_back(XmlElement{field, {}, text, {}});
  return p;
}

TEST(StartupMeasurement, ReadsProcessesAndSumsEachProgramWithWhatItStarted) {
  XmlElement root{"StartupData", {}, {}, {}};
  root.children = {
      process("C:\\Windows\\explorer.exe", "100", "0.5", "t1", "900000", "0", "90", "t0", "C:\\Windows\\userinit.exe"),
      // An updater started by explorer, which starts a helper, which starts one more.
      process("C:\\Program Files\\Up\\up.exe", "200", "12.25", "t2", "200000", "100000", "100", "t1",
              "C:\\Windows\\explorer.exe"),
      process("C:\\Program Files\\Up\\helper.exe", "300", "13", "t3", "150000", "250000", "200", "t2",
              "C:\\Program Files\\Up\\up.exe"),
      process("C:\\Program Files\\Up\\UP.EXE", "400", "14", "t4", "50000", "0", "300", "t3",
              "C:\\Program Files\\Up\\helper.exe"),
      // PID 200 again, but a later process than the updater's: not its child.
      process("C:\\Tools\\other.exe", "500", "20", "t5", "10", "abc", "200", "t9", "C:\\Tools\\gone.exe"),
      // A damaged pair naming each other as parents: read, and the loop ends.
      process("C:\\Loop\\a.exe", "600", "", "t6", "7", "0", "700", "t7", "C:\\Loop\\b.exe"),
      process("C:\\Loop\\b.exe", "700", "", "t7", "5", "0", "600", "t6", "C:\\Loop\\a.exe"),
      XmlElement{"Process", {}, {}, {}},  // no name: skipped
      XmlElement{"Other", {}, {}, {}},
  };
  const std::optional<StartupMeasurement> read = readStartupMeasurement(root);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->processes.size(), 7u);
  EXPECT_EQ(read->processes[1].pid, 200u);
  EXPECT_EQ(read->processes[1].diskBytes, 100000u);
  EXPECT_EQ(read->processes[4].diskBytes, 0u);  // a number that does not read costs nothing known
  EXPECT_EQ(read->processes[5].startedSeconds, -1);

  const ProgramCosts costs(*read);
  struct Case {
    const char* program;
    bool ran;
    std::uint64_t cpu;
    std::uint64_t disk;
    double started;
  };
  const Case cases[] = {
      // Its own two processes (either case) and the helper between them, each once.
      {"c:\\program files\\up\\UP.exe", true, 400000, 350000, 12.25},
      {"C:\\Program Files\\Up\\helper.exe", true, 200000, 250000, 13},
      // Everything it started, and itself.
      {"C:\\Windows\\explorer.exe", true, 1300000, 350000, 0.5},
      // Only named as a parent: it started before the trace began.
      {"C:\\Windows\\userinit.exe", true, 1300000, 350000, -1},
      {"C:\\Tools\\gone.exe", true, 10, 0, -1},
      {"C:\\Loop\\a.exe", true, 12, 0, -1},
      {"C:\\Not\\run.exe", false, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const std::optional<ProgramCost> cost = costs.of(c.program);
    ASSERT_EQ(cost.has_value(), c.ran);
    if (!cost) continue;
    EXPECT_EQ(cost->cpuMicroseconds, c.cpu);
    EXPECT_EQ(cost->diskBytes, c.disk);
    EXPECT_EQ(cost->startedSeconds, c.started);
  }
  EXPECT_FALSE(readStartupMeasurement(XmlElement{"Startup", {}, {}, {}}));
}

TEST(StartupMeasurement, ImpactAsTaskManagerDefinesIt) {
  struct Case {
    std::uint64_t cpu;
    std::uint64_t disk;
    Impact impact;
  };
  const Case cases[] = {
      {0, 0, Impact::Low},
      {299999, 300 * 1024 - 1, Impact::Low},
      {300000, 0, Impact::Medium},
      {0, 300 * 1024, Impact::Medium},
      {1000000, 3 * 1024 * 1024, Impact::Medium},
      {1000001, 0, Impact::High},
      {0, 3 * 1024 * 1024 + 1, Impact::High},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(impactOf(ProgramCost{c.cpu, c.disk, -1}), c.impact) << c.cpu << " us, " << c.disk << " bytes";
  }
}

}  // namespace
}  // namespace velmora::testing
