#pragma once
// A family that records what the pane asks of it and lists the rows a test
// gives it.
#include <string>
#include <vector>

#include "family/entry_family.h"
#include "family/families.h"

namespace velmora::testing {

inline const FamilyTraits kRecordingTraits{RecordKind{"recordeditem"}, LogKeys{""}, "_RegString",
                                           [](std::string_view a, std::string_view b) { return a == b; },
                                           "recording"};

class RecordingFamily : public EntryFamily {
 public:
  std::vector<Row> rowsToFill;
  int typeWidth = 60;
  FamilyAbilities can;
  // Whether enable and disable move the entry (and report a change).
  bool moves = true;

  int fills = 0;
  int describes = 0;
  // Whether the program files' answers came: until then describe leaves a
  // row waiting, as a family whose worker has not answered does.
  bool factsCame = true;
  std::vector<std::string> calls;  // "remove A", "add N", "modify A->N", "enable A", "disable A", ...
  // The origin of each entry handed to enable or disable.
  std::vector<RowOrigin> originsSeen;

  const FamilyTraits& traits() const override { return kRecordingTraits; }
  FamilyAbilities abilities() const override { return can; }
  int typeColumnWidth() const override { return typeWidth; }
  std::vector<Row> list() override {
    ++fills;
    calls.push_back("fill");
    return rowsToFill;
  }
  // Completes a row as a family would: publisher and signer from the program.
  void describe(Row& row) override {
    ++describes;
    if (row.program.empty() || !factsCame) return;
    row.publisher = "Maker of " + row.program;
    row.signedBy = "Signer of " + row.program;
    row.programFile = row.program;
    // As a family that found it on this computer's disk: its icon is read.
    row.programLocal = true;
    row.program.clear();
  }
  EntryDialogData dialogData(const EntryRef& e) const override { return {"Recorded", e.location, e.name, e.data, {}, {}}; }
  OperationResult prepareAdd(EntryDialogData& data) override {
    data = {"Recorded", "Place", {}, {}, {}, {}};
    return {Outcome::Done, {}, {}, {}};
  }
  OperationResult remove(const EntryRef& e, UserPrompt&) override {
    calls.push_back("remove " + e.name);
    return changed("remove", e, true, false);
  }
  OperationResult add(const EntryDialogData& f, UserPrompt&) override {
    calls.push_back("add " + f.name);
    return changed("add", EntryRef{f.sectionText, f.name, f.path}, false, true);
  }
  OperationResult modify(const EntryRef& e, const EntryDialogData& f, UserPrompt&) override {
    calls.push_back("modify " + e.name + "->" + f.name);
    OperationResult r{Outcome::Done, {}, {}, {}};
    Change c;
    c.family = "recording";
    c.kind = "modify";
    c.location = e.location;
    c.before = EntryState{e.name, e.data};
    c.after = EntryState{f.name, f.path};
    r.changes.push_back(c);
    return r;
  }
  OperationResult enable(const EntryRef& e, UserPrompt&) override {
    originsSeen.push_back(e.origin);
    calls.push_back("enable " + e.name);
    return moves ? changed("enable", e, true, true) : OperationResult{};
  }
  OperationResult disable(const EntryRef& e, UserPrompt&) override {
    originsSeen.push_back(e.origin);
    calls.push_back("disable " + e.name);
    return moves ? changed("disable", e, true, true) : OperationResult{};
  }
  OperationResult undo(const Change&, UserPrompt&) override {
    calls.push_back("undo");
    return moves ? OperationResult{Outcome::Done, {}, {}, {}} : OperationResult{};
  }
  OperationResult openLocation(const EntryRef& e) override {
    calls.push_back("openLocation " + e.name);
    return {};
  }
  // Everything but fills.
  std::vector<std::string> operations() const {
    std::vector<std::string> out;
    for (const auto& c : calls)
      if (c != "fill") out.push_back(c);
    return out;
  }

 private:
  static OperationResult changed(const char* kind, const EntryRef& e, bool before, bool after) {
    Change c;
    c.family = "recording";
    c.kind = kind;
    c.location = e.location;
    if (before) c.before = EntryState{e.name, e.data};
    if (after) c.after = EntryState{e.name, e.data};
    return OperationResult{Outcome::Done, {c}, {}, {}};
  }
};

}  // namespace velmora::testing
