#include "console/compare.h"

#include <map>

#include "core/text.h"

namespace velmora {

namespace {

// Who signed, as a comparison reads it: the signer when the signature holds,
// else the signature's state.
std::string signerText(const ListedEntry& e) { return e.signature == "verified" ? e.signer : e.signature; }

const char* flagText(bool enabled) { return enabled ? "true" : "false"; }

// How well a current entry stands for a baseline one: the same command
// and state best, then the same command, then the same state.
int likeness(const ListedEntry& a, const ListedEntry& b) {
  return (equalsIgnoreCase(a.command, b.command) ? 2 : 0) + (a.enabled == b.enabled ? 1 : 0);
}

void addChanges(const ListedEntry& before, const ListedEntry& after, std::vector<Difference>& out) {
  if (!equalsIgnoreCase(before.command, after.command)) {
    out.push_back({Difference::Kind::Changed, "command", after, before.command, after.command});
  }
  if (before.enabled != after.enabled) {
    out.push_back({Difference::Kind::Changed, "enabled", after, flagText(before.enabled), flagText(after.enabled)});
  }
  if (signerText(before) != signerText(after)) {
    out.push_back({Difference::Kind::Changed, "signer", after, signerText(before), signerText(after)});
  }
}

}  // namespace

std::vector<Difference> compareEntries(const std::vector<ListedEntry>& baseline,
                                       const std::vector<ListedEntry>& current, const CompareOptions& options) {
  std::map<std::string, std::vector<std::size_t>> byId;
  for (std::size_t i = 0; i < current.size(); ++i) byId[foldedIgnoreCase(current[i].id)].push_back(i);
  std::vector<bool> matched(current.size(), false);
  std::vector<Difference> out;
  for (const ListedEntry& before : baseline) {
    const auto group = byId.find(foldedIgnoreCase(before.id));
    std::size_t best = current.size();
    if (group != byId.end()) {
      for (const std::size_t i : group->second) {
        if (!matched[i] && (best == current.size() || likeness(before, current[i]) > likeness(before, current[best]))) {
          best = i;
        }
      }
    }
    if (best == current.size()) {
      if (!(options.ignoreWindows && signedByWindows(before))) {
        out.push_back({Difference::Kind::Removed, "", before, before.command, ""});
      }
      continue;
    }
    matched[best] = true;
    if (options.ignoreWindows && signedByWindows(before) && signedByWindows(current[best])) continue;
    addChanges(before, current[best], out);
  }
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (matched[i] || (options.ignoreWindows && signedByWindows(current[i]))) continue;
    out.push_back({Difference::Kind::Added, "", current[i], "", current[i].command});
  }
  return out;
}

OutputRecord differenceRecord(const Difference& d) {
  static constexpr const char* kKinds[] = {"added", "removed", "changed"};
  return {{"change", std::string(kKinds[static_cast<int>(d.kind)])},
          {"field", d.field},
          {"id", d.entry.id},
          {"family", d.entry.family},
          {"place", d.entry.place},
          {"name", d.entry.name},
          {"before", d.before},
          {"after", d.after}};
}

}  // namespace velmora
