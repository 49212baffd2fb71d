#pragma once
// What changed since a baseline: entries added, removed, and changed in
// what a remediation script watches (the command line, on or off, who
// signed the program). Entries are matched by id, so the same entry under
// another capitalisation, or on another machine, is the same entry.
#include <string>
#include <vector>

#include "console/listed_entry.h"
#include "console/output_formats.h"

namespace velmora {

struct Difference {
  enum class Kind { Added, Removed, Changed };
  Kind kind = Kind::Changed;
  // What changed: "command", "enabled" or "signer"; "" when added or removed.
  std::string field;
  // The current entry; the baseline's when it was removed.
  ListedEntry entry;
  std::string before;
  std::string after;
};

struct CompareOptions {
  // Leaves out entries whose program Microsoft signed (on both sides, for
  // a changed one: a Windows program replaced by another still counts).
  bool ignoreWindows = false;
};

// Changed and removed entries in the baseline's order, then the added ones
// in the current order. Command lines compare ignoring case, as Windows'
// own tools rewrite them; several entries of one id (a program that put
// itself back beside its disabled record) are paired alike first.
std::vector<Difference> compareEntries(const std::vector<ListedEntry>& baseline,
                                       const std::vector<ListedEntry>& current, const CompareOptions& options = {});

// The fields of a difference, in their order, for every format.
OutputRecord differenceRecord(const Difference& difference);

}  // namespace velmora
