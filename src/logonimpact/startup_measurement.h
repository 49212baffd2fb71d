#pragma once
// What Windows measured of the user's last logon (the StartupInfo files it
// keeps per user): the processes started in its first minute and a half,
// each with the CPU time and disk bytes it used and the process that started
// it. Read from the element tree the platform's XML reader builds, so the
// rules are the same, and tested natively, everywhere.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/xml_element.h"

namespace velmora {

// A measurement file larger than this is not read: real ones hold a few
// hundred processes in well under a megabyte.
inline constexpr std::size_t kLargestStartupMeasurement = 8 * 1024 * 1024;
// Processes beyond this many are not read (the same bound, counted).
inline constexpr std::size_t kMostMeasuredProcesses = 20000;

struct MeasuredProcess {
  std::string name;  // the image's full path, as Windows wrote it
  std::uint32_t pid = 0;
  // Seconds after the logon began; negative when not given.
  double startedSeconds = -1;
  std::string startTime;  // compared only, with the parent fields
  std::string commandLine;
  std::uint64_t diskBytes = 0;
  std::uint64_t cpuMicroseconds = 0;
  std::uint32_t parentPid = 0;
  std::string parentStartTime;
  std::string parentName;
};

struct StartupMeasurement {
  std::vector<MeasuredProcess> processes;
};

// The processes under `root`, a StartupData element; nothing when the root
// is something else. A Process without a name is skipped; a number that
// does not read is taken as 0 (its cost unknown, not the file refused).
std::optional<StartupMeasurement> readStartupMeasurement(const XmlElement& root);

// What a program and the processes it started cost at the logon.
struct ProgramCost {
  std::uint64_t cpuMicroseconds = 0;
  std::uint64_t diskBytes = 0;
  // When its first process started, seconds after the logon began (-1:
  // not recorded).
  double startedSeconds = -1;
};

// The costs of a measurement by program path, the path folded as Windows
// ignores its case. A process counts for its own program and for each
// program among its ancestors (through ParentPID and ParentStartTime), each
// program once however often it appears in the chain.
class ProgramCosts {
 public:
  ProgramCosts() = default;
  explicit ProgramCosts(const StartupMeasurement& measurement);
  // Nothing when the program did not run at the logon.
  [[nodiscard]] std::optional<ProgramCost> of(std::string_view programPath) const;
  [[nodiscard]] bool empty() const { return costs_.empty(); }

 private:
  std::map<std::string, ProgramCost> costs_;
};

// Task Manager's Startup impact. Off: the entry does not start, so nothing
// is shown; NotMeasured: no measurement tells (none could be read, or the
// entry's program is not in it).
enum class Impact { Off, NotMeasured, Low, Medium, High };

// High above 1 s of CPU or 3 MB of disk; Medium from 300 ms or 300 KB; Low
// below both.
Impact impactOf(const ProgramCost& cost);

}  // namespace velmora
