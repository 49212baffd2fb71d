#include "logonimpact/startup_measurement.h"

#include <charconv>
#include <set>
#include <utility>

#include "core/text.h"

namespace velmora {

namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A field of a Process: Windows writes some as attributes and some as child
// elements; either is read, the attribute first.
std::string field(const XmlElement& process, std::string_view name) {
  if (const std::string* value = process.attribute(name)) return std::string(trimmed(*value));
  for (const XmlElement& child : process.children) {
    if (child.name == name) return std::string(trimmed(child.text));
  }
  return {};
}

template <class Number>
Number number(const std::string& text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return Number{};
  return value;
}

double seconds(const std::string& text) {
  if (text.empty()) return -1;
  double value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value >= 0) || value > 1e9) return -1;
  return value;
}

}  // namespace

std::optional<StartupMeasurement> readStartupMeasurement(const XmlElement& root) {
  if (root.name != "StartupData") return std::nullopt;
  StartupMeasurement measurement;
  for (const XmlElement& element : root.children) {
    if (element.name != "Process") continue;
    if (measurement.processes.size() >= kMostMeasuredProcesses) break;
    MeasuredProcess p;
    p.name = field(element, "Name");
    if (p.name.empty()) continue;
    p.pid = number<std::uint32_t>(field(element, "PID"));
    p.startedSeconds = seconds(field(element, "StartedInTraceSec"));
    p.startTime = field(element, "StartTime");
    p.commandLine = field(element, "CommandLine");
    p.diskBytes = number<std::uint64_t>(field(element, "DiskUsage"));
    p.cpuMicroseconds = number<std::uint64_t>(field(element, "CpuUsage"));
    p.parentPid = number<std::uint32_t>(field(element, "ParentPID"));
    p.parentStartTime = field(element, "ParentStartTime");
    p.parentName = field(element, "ParentName");
    measurement.processes.push_back(std::move(p));
  }
  return measurement;
}

ProgramCosts::ProgramCosts(const StartupMeasurement& measurement) {
  const std::vector<MeasuredProcess>& all = measurement.processes;
  // A process is known by its PID and start time: Windows reuses PIDs.
  std::map<std::pair<std::uint32_t, std::string>, std::size_t> byId;
  for (std::size_t i = 0; i < all.size(); ++i) byId.emplace(std::pair(all[i].pid, all[i].startTime), i);

  for (const MeasuredProcess& process : all) {
    // Its own program and every ancestor's, each once. The chain ends at a
    // parent the measurement does not hold (started before the logon's
    // trace began), whose name the parent fields still give.
    std::set<std::string> programs{foldedIgnoreCase(process.name)};
    const MeasuredProcess* at = &process;
    // A loop in the parent fields of a damaged file ends where it closes.
    std::set<const MeasuredProcess*> visited{at};
    for (;;) {
      if (at->parentPid == 0 && at->parentName.empty()) break;
      const auto parent = byId.find(std::pair(at->parentPid, at->parentStartTime));
      if (parent == byId.end()) {
        if (!at->parentName.empty()) programs.insert(foldedIgnoreCase(at->parentName));
        break;
      }
      at = &all[parent->second];
      if (!visited.insert(at).second) break;
      programs.insert(foldedIgnoreCase(at->name));
    }
    for (const std::string& program : programs) {
      ProgramCost& cost = costs_[program];
      cost.cpuMicroseconds += process.cpuMicroseconds;
      cost.diskBytes += process.diskBytes;
    }
    if (process.startedSeconds >= 0) {
      double& started = costs_[foldedIgnoreCase(process.name)].startedSeconds;
      if (started < 0 || process.startedSeconds < started) started = process.startedSeconds;
    }
  }
}

std::optional<ProgramCost> ProgramCosts::of(std::string_view programPath) const {
  const auto it = costs_.find(foldedIgnoreCase(programPath));
  if (it == costs_.end()) return std::nullopt;
  return it->second;
}

Impact impactOf(const ProgramCost& cost) {
  constexpr std::uint64_t kSecond = 1000 * 1000;
  constexpr std::uint64_t kKilobyte = 1024;
  if (cost.cpuMicroseconds > kSecond || cost.diskBytes > 3 * kKilobyte * kKilobyte) return Impact::High;
  if (cost.cpuMicroseconds >= 300 * kSecond / 1000 || cost.diskBytes >= 300 * kKilobyte) return Impact::Medium;
  return Impact::Low;
}

}  // namespace velmora
