#include "winini/winini_entry_pane.h"

#include <algorithm>

#include "core/format.h"
#include "core/operation_log.h"
#include "core/registry_port.h"
#include "core/text.h"
#include "lang/language_table.h"
#include "pane/prompt.h"
#include "winini/program_list.h"
#include "winini/short_path.h"

namespace velmora {

namespace {

constexpr ItemKind kKind = ItemKind::Winini;

DisabledItem recordOf(const Row& row) { return DisabledItem{row.path, row.name, row.data}; }

// Only plain text can be written back as it was read: the port writes
// REG_SZ, which keeps the meaning of an expandable text only when it has
// nothing to expand.
bool rewritable(const RegValue& value) {
  if (value.type == kRegSz) return true;
  return value.type == kRegExpandSz && value.text.find('%') == std::string::npos;
}

}  // namespace

WininiEntryPane::WininiEntryPane(std::vector<std::string> locations, FamilyServices& services, UserPrompt& prompt)
    : locations_(std::move(locations)), services_(services), prompt_(prompt) {}

// ---------------------------------------------------------------------------
// Listing

void WininiEntryPane::fill(EntryList& list) {
  const std::string type = typeText();
  std::vector<StoredItem> stored;
  // A config.xml that cannot be read lists no disabled rows; the live ones
  // are still worth showing.
  const bool haveStored = services_.store.list(kKind, stored) == StoreStatus::Ok;

  std::vector<Row> rows;
  for (const std::string& path : locations_) {
    if (haveStored) {
      for (const StoredItem& s : stored) {
        if (!equalsIgnoreCase(s.item.path, path)) continue;
        rows.push_back(Row{s.item.valuename, type, s.item.valuedata, path, RowState::Disabled});
      }
    }
    const auto where = splitValuePath(path);
    if (!where) continue;
    RegValue value;
    if (services_.registry.queryValue(where->root, where->key, where->valueName, value) != RegStatus::Ok) continue;
    for (std::string& program : splitPrograms(value.text)) {
      rows.push_back(Row{where->valueName, type, std::move(program), path, RowState::Live});
    }
  }
  list.setRows(rows);
}

// ---------------------------------------------------------------------------
// Commands

void WininiEntryPane::remove(EntryList& list) {
  const int index = selectedOrComplain(list);
  if (index < 0) return;
  const Row row = list.row(index);
  if (!prompt_.confirm(safeFormat(services_.translator.translate("_AreyousureDeleteThisEntry", true), {row.data})))
    return;

  const Outcome outcome = row.state == RowState::Disabled ? removeRecord(row) : removeFromValue(row);
  if (outcome == Outcome::Done) services_.log.record(LogOperation::Remove, LogKeys::Entry, {row.path, row.name});
  if (outcome != Outcome::Failed) fill(list);

  const int count = list.count();
  if (count > 0) list.select(std::min(index, count - 1));
}

void WininiEntryPane::add(EntryList& list) {
  if (locations_.empty()) return;
  const std::string& target = locations_.front();
  EntryDialogData data{typeText(), target, "", ""};
  if (!prompt_.entryDialog(EntryDialogKind::Add, data)) return;
  const std::string program = programFor(data.path);

  const auto where = locate(target);
  if (!where) return;
  const auto before = readForChange(*where, target);
  if (!before) return;
  const std::string after = appendProgram(*before, program);
  if (!confirmUserinit(*where, *before, after)) return;
  if (!write(*where, target, after)) return;

  services_.log.record(LogOperation::Add, LogKeys::Entry, {target, where->valueName, program});
  fill(list);
}

void WininiEntryPane::modify(EntryList& list) {
  const int index = selectedOrComplain(list);
  if (index < 0) return;
  Row row = list.row(index);
  EntryDialogData data{typeText(), row.path, row.name, row.data};
  if (!prompt_.entryDialog(EntryDialogKind::Modify, data)) return;
  // The row's box as it is now, after the dialog.
  if (index < list.count()) row.state = list.row(index).state;
  const std::string program = programFor(data.path);

  const Outcome outcome = row.state == RowState::Disabled ? modifyRecord(row, program) : modifyValue(row, program);
  if (outcome == Outcome::Done) {
    services_.log.record(LogOperation::Modify, LogKeys::Entry, {row.path, row.name, row.data, row.name, program});
  }
  if (outcome != Outcome::Failed) fill(list);
}

void WininiEntryPane::property(EntryList& list) {
  const int index = selectedOrComplain(list);
  if (index < 0) return;
  const Row row = list.row(index);
  EntryDialogData data{typeText(), row.path, row.name, row.data};
  prompt_.entryDialog(EntryDialogKind::Property, data);
}

// Disable stores the record first and takes the program out of the value
// only once the record is on disk; a failed write takes the record back.
bool WininiEntryPane::disable(EntryList& list, int index) {
  if (index < 0 || index >= list.count()) return false;
  const Row row = list.row(index);
  const auto where = locate(row.path);
  if (!where) return false;
  const auto before = readForChange(*where, row.path);
  if (!before) return false;
  if (!containsProgram(*before, row.data)) {
    say("_WininiProgramGone", {row.data, row.path});
    return false;
  }
  const std::string after = deleteProgram(*before, row.data);
  if (!confirmUserinit(*where, *before, after)) return false;

  const DisabledItem record = recordOf(row);
  const StoreStatus stored = services_.store.add(kKind, record);
  if (stored != StoreStatus::Ok) {
    storeFailed(stored);
    return false;
  }
  const RegStatus written = writeValue(*where, after);
  if (written != RegStatus::Ok) {
    // The program is still in the value, so the record must go again.
    if (takeBackRecord(record)) {
      tellWriteProblem(written, row.path);
    } else {
      say("_EntryKeptTwice", {row.data});
    }
    return false;
  }

  services_.log.record(LogOperation::Disable, LogKeys::Entry, {row.path, row.name});
  return true;
}

// Enable writes the value first and removes the records only after that;
// a record that cannot be removed puts everything back as it was.
bool WininiEntryPane::enable(EntryList& list, int index) {
  if (index < 0 || index >= list.count()) return false;
  const Row row = list.row(index);
  const auto where = locate(row.path);
  if (!where) return false;
  std::vector<StoredItem> items;
  if (!listRecords(items)) return false;
  const std::vector<StoredItem> matches = findAllItems(items, recordOf(row));
  if (matches.empty()) {
    say("_WininiRecordGone");
    return false;
  }
  const auto before = readForChange(*where, row.path);
  if (!before) return false;
  const std::string after = appendProgram(*before, row.data);
  if (!confirmUserinit(*where, *before, after)) return false;
  if (!write(*where, row.path, after)) return false;

  // Later records first, so the places of the earlier ones stay valid.
  std::vector<DisabledItem> removed;
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    const StoreStatus status = services_.store.remove(kKind, *it);
    if (status == StoreStatus::Ok) {
      removed.push_back(it->item);
      continue;
    }
    if (status == StoreStatus::Vanished) continue;  // gone already: nothing left to remove
    // Put the value and the records taken so far back as they were.
    bool undone = writeValue(*where, *before) == RegStatus::Ok;
    for (auto back = removed.rbegin(); back != removed.rend(); ++back) {
      undone = services_.store.add(kKind, *back) == StoreStatus::Ok && undone;
    }
    if (undone) {
      storeFailed(status);
    } else {
      say("_EntryKeptTwice", {row.data});
    }
    return false;
  }

  services_.log.record(LogOperation::Enable, LogKeys::Entry, {row.path, row.name});
  return true;
}

// ---------------------------------------------------------------------------
// The steps of remove and modify

WininiEntryPane::Outcome WininiEntryPane::removeRecord(const Row& row) {
  std::vector<StoredItem> items;
  if (!listRecords(items)) return Outcome::Failed;
  const auto hit = findItem(items, recordOf(row));
  if (!hit) {
    say("_WininiRecordGone");
    return Outcome::Stale;
  }
  const StoreStatus status = services_.store.remove(kKind, *hit);
  if (status != StoreStatus::Ok) {
    storeFailed(status);
    return status == StoreStatus::Vanished ? Outcome::Stale : Outcome::Failed;
  }
  return Outcome::Done;
}

WininiEntryPane::Outcome WininiEntryPane::removeFromValue(const Row& row) {
  const auto where = locate(row.path);
  if (!where) return Outcome::Failed;
  const auto before = readForChange(*where, row.path);
  if (!before) return Outcome::Failed;
  if (!containsProgram(*before, row.data)) {
    say("_WininiProgramGone", {row.data, row.path});
    return Outcome::Stale;
  }
  const std::string after = deleteProgram(*before, row.data);
  if (!confirmUserinit(*where, *before, after)) return Outcome::Failed;
  return write(*where, row.path, after) ? Outcome::Done : Outcome::Failed;
}

WininiEntryPane::Outcome WininiEntryPane::modifyRecord(const Row& row, const std::string& program) {
  std::vector<StoredItem> items;
  if (!listRecords(items)) return Outcome::Failed;
  const auto hit = findItem(items, recordOf(row));
  if (!hit) {
    say("_WininiRecordGone");
    return Outcome::Stale;
  }
  const StoreStatus status = services_.store.update(kKind, *hit, std::nullopt, program);
  if (status != StoreStatus::Ok) {
    storeFailed(status);
    return status == StoreStatus::Vanished ? Outcome::Stale : Outcome::Failed;
  }
  return Outcome::Done;
}

// Delete and append happen on one text and reach the registry in one write,
// so the value never holds neither program.
WininiEntryPane::Outcome WininiEntryPane::modifyValue(const Row& row, const std::string& program) {
  const auto where = locate(row.path);
  if (!where) return Outcome::Failed;
  const auto before = readForChange(*where, row.path);
  if (!before) return Outcome::Failed;
  if (!containsProgram(*before, row.data)) {
    say("_WininiProgramGone", {row.data, row.path});
    return Outcome::Stale;
  }
  const std::string after = appendProgram(deleteProgram(*before, row.data), program);
  if (!confirmUserinit(*where, *before, after)) return Outcome::Failed;
  return write(*where, row.path, after) ? Outcome::Done : Outcome::Failed;
}

// ---------------------------------------------------------------------------
// Helpers

std::optional<ValuePath> WininiEntryPane::locate(const std::string& path) {
  auto where = splitValuePath(path);
  if (!where) say("_WininiBadLocation", {path});
  return where;
}

// The value as it stands, whole. A value that cannot be read, or that is not
// plain text, gives nothing: rewriting from it would replace what is there.
// A missing value is an empty list (the write then tells a missing key).
std::optional<std::string> WininiEntryPane::readForChange(const ValuePath& where, const std::string& path) {
  RegValue value;
  switch (services_.registry.queryValue(where.root, where.key, where.valueName, value)) {
    case RegStatus::Ok:
      if (!rewritable(value)) {
        say("_WininiNotText", {path});
        return std::nullopt;
      }
      return value.text;
    case RegStatus::NotFound:
      return std::string();
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      break;
  }
  say("_WininiCannotRead", {path});
  return std::nullopt;
}

// The key must exist already: a program list is only ever changed in place.
RegStatus WininiEntryPane::writeValue(const ValuePath& where, const std::string& text) {
  return services_.registry.setString(where.root, where.key, where.valueName, text, false);
}

bool WininiEntryPane::write(const ValuePath& where, const std::string& path, const std::string& text) {
  const RegStatus status = writeValue(where, text);
  if (status == RegStatus::Ok) return true;
  tellWriteProblem(status, path);
  return false;
}

void WininiEntryPane::tellWriteProblem(RegStatus status, const std::string& path) {
  switch (status) {
    case RegStatus::Ok: return;
    case RegStatus::NotFound: say("_WininiKeyMissing", {path}); return;
    case RegStatus::AccessDenied: say("_WininiAccessDenied", {path}); return;
    case RegStatus::Failed: say("_WininiCannotWrite", {path}); return;
  }
}

// The record was appended, so it is the last of its kind that matches; an
// identical one further up belongs to an earlier disable and stays.
bool WininiEntryPane::takeBackRecord(const DisabledItem& record) {
  std::vector<StoredItem> items;
  if (services_.store.list(kKind, items) != StoreStatus::Ok) return false;
  const std::vector<StoredItem> matches = findAllItems(items, record);
  return !matches.empty() && services_.store.remove(kKind, matches.back()) == StoreStatus::Ok;
}

bool WininiEntryPane::confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after) {
  if (!equalsIgnoreCase(where.valueName, "Userinit")) return true;
  if (!namesUserinit(before) || namesUserinit(after)) return true;
  return prompt_.confirm(services_.translator.translate("_WininiUserinitWarning", true));
}

bool WininiEntryPane::listRecords(std::vector<StoredItem>& out) {
  const StoreStatus status = services_.store.list(kKind, out);
  if (status == StoreStatus::Ok) return true;
  storeFailed(status);
  return false;
}

void WininiEntryPane::storeFailed(StoreStatus status) {
  switch (status) {
    case StoreStatus::Ok: return;
    case StoreStatus::Unreadable: say("_ConfigUnreadable"); return;
    case StoreStatus::WriteFailed: say("_ConfigWriteFailed"); return;
    case StoreStatus::Vanished: say("_WininiRecordGone"); return;
  }
}

void WininiEntryPane::say(const char* key, const std::vector<std::string>& values) {
  prompt_.message(safeFormat(services_.translator.translate(key, true), values));
}

std::string WininiEntryPane::typeText() const { return services_.translator.translate("_TreeWininiType"); }

// The short form has no blanks, so the listing keeps it whole; a path that
// has none (it does not exist) goes in as entered.
std::string WininiEntryPane::programFor(const std::string& entered) {
  std::string shortPath = services_.shortPaths.shortForm(entered);
  return shortPath.empty() ? entered : shortPath;
}

int WininiEntryPane::selectedOrComplain(const EntryList& list) {
  const int index = list.selected();
  if (index < 0) say("_YouMustSelectAnItem");
  return index;
}

}  // namespace velmora
