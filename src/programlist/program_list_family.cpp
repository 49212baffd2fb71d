#include "programlist/program_list_family.h"

#include "core/format.h"
#include "core/registry_port.h"
#include "core/text.h"
#include "family/prompt.h"
#include "lang/language_table.h"
#include "programlist/program_list.h"

namespace velmora {

// Log records name the value's path, the value and the program, as the
// change's states do: the commit's own way.
const FamilyTraits kProgramListTraits{kProgramListRecords, LogKeys{""}, "_TreeWininiType", &equalsIgnoreCase,
                                      "programlist"};

namespace {

constexpr std::string_view kLoad = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load";
constexpr std::string_view kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Run";
constexpr std::string_view kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr std::string_view kUserinit =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Userinit";
constexpr std::string_view kMachineShell =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell";
// A per-user override of the desktop, a favourite of unwanted software.
constexpr std::string_view kUserShell =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell";

// Win.ini (Load, Run), then what Winlogon starts (Userinit, both Shells) as
// a tree of its own; Add keeps going to Userinit.
std::vector<CategoryNode> programListNodes() {
  return {
      {0, "_Winini", -1, 6, {}, {kLoad, kRun}},
      {1, "_LoadSection", 0, 2, {}, {kLoad}},
      {2, "_RunSection", 0, 2, {}, {kRun}},
      {3, "_TreeUserInit", -1, 6, {}, {kUserinit, kMachineShell, kUserShell}},
  };
}

// The machine's Shell value, however the path was spelt; the user's own
// Shell value only overrides it, so it is not meant.
bool machineShell(const ValuePath& where) {
  return where.root == RootKey::LocalMachine && equalsIgnoreCase(where.key, kWinlogonKey) &&
         equalsIgnoreCase(where.valueName, "Shell");
}

// The current user's Shell value: an override of the machine's.
bool userShell(const ValuePath& where) {
  return where.root == RootKey::CurrentUser &&
         equalsIgnoreCase(where.key, kWinlogonKey) &&
         equalsIgnoreCase(where.valueName, "Shell");
}

// What each value an Add can go to is, for the Add dialog's drop-down.
std::string_view placeLabelKey(const std::string& path) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {kLoad, "_PlaceLoad"},
      {kRun, "_PlaceWininiRun"},
      {kUserinit, "_PlaceUserinit"},
      {kMachineShell, "_PlaceShellAllUsers"},
      {kUserShell, "_PlaceShellCurrentUser"},
  };
  for (const auto& [value, name] : kNames) {
    if (equalsIgnoreCase(path, value)) return name;
  }
  return {};
}

// Only plain text can be written back as it was read: the port writes
// REG_SZ, which keeps the meaning of an expandable text only when it has
// nothing to expand.
bool rewritable(const RegValue& value) {
  if (value.type == kRegSz) return true;
  return value.type == kRegExpandSz && value.text.find('%') == std::string::npos;
}

}  // namespace

FamilyDescriptor programListFamily(RegistryPort& registry, ShortPathPort& shortPaths, const FamilyContext& context) {
  return FamilyDescriptor{
      "programlist",
      kProgramListTraits,
      programListNodes(),
      {{2, 0}},
      [](const std::vector<std::string_view>& paths) { return std::vector<std::string>(paths.begin(), paths.end()); },
      [&registry, &shortPaths, &context](std::vector<std::string> locations) -> std::unique_ptr<EntryFamily> {
        return std::make_unique<ProgramListFamily>(std::move(locations), registry, shortPaths, context);
      }};
}

ProgramListFamily::ProgramListFamily(std::vector<std::string> locations, RegistryPort& registry,
                                     ShortPathPort& shortPaths, const FamilyContext& context)
    : locations_(std::move(locations)),
      registry_(registry),
      shortPaths_(shortPaths),
      support_(context, kProgramListTraits) {}

// ---------------------------------------------------------------------------
// Listing, dialogs, Open Location

std::vector<Row> ProgramListFamily::list() {
  const std::string type = support_.typeText();
  const std::vector<StoredItem> stored = support_.recordsForListing();

  std::vector<Row> rows;
  for (const std::string& path : locations_) {
    support_.addDisabledRows(rows, stored, path, type);
    const auto where = splitValuePath(path);
    if (!where) continue;
    RegValue value;
    if (registry_.queryValue(where->root, where->key, where->valueName, value) != RegStatus::Ok) continue;
    for (std::string& program : splitPrograms(value.text)) {
      rows.push_back(Row{where->valueName, type, std::move(program), path, RowState::Live});
    }
  }
  // The user's own Shell value starts instead of the desktop: the row says so.
  support_.describeRows(rows, locations_, [](const Row& row) { return row.data; },
                        [](const Row& row) -> std::string_view {
                          const auto where = splitValuePath(row.path);
                          return row.origin != RowOrigin::Record && where && userShell(*where) ? "_StatusReplacesDesktop"
                                                                                                 : "";
                        });
  return rows;
}

FamilyAbilities ProgramListFamily::abilitiesFor(const EntryRef& entry) const {
  FamilyAbilities can = abilities();
  const auto where = splitValuePath(entry.location);
  if (entry.origin != RowOrigin::Record && where && machineShell(*where) && namesExplorer(entry.data)) {
    can.remove = can.disable = false;
    can.whyNot = "_WhyNotMachineShell";
  }
  return can;
}

// New programs go into the chosen location, at first the first (Load, or
// Userinit: never a Shell value unasked). Without one there is nowhere to
// add; every node of the family lists a location, so it goes unsaid.
OperationResult ProgramListFamily::prepareAdd(EntryDialogData& data) {
  if (locations_.empty()) return {};
  data = support_.addDialogData(locations_, 0, placeLabelKey);
  return OperationResult{Outcome::Done, {}, {}, {}};
}

// The key that holds the value: its path without the value's name.
OperationResult ProgramListFamily::openLocation(const EntryRef& entry) {
  const std::size_t cut = entry.location.rfind('\\');
  if (cut == std::string::npos) return {};
  OperationResult result = support_.runWithoutQuestions([&] { support_.openRegistryKey(entry.location.substr(0, cut)); });
  // Nothing changes; it worked unless it said otherwise.
  result.outcome = result.messages.empty() ? Outcome::Done : Outcome::Failed;
  return result;
}

// ---------------------------------------------------------------------------
// Steps shared by the operations

EntryState ProgramListFamily::programState(const std::string& valueName, const std::string& data, bool disabled) {
  return EntryState{valueName, data, {}, disabled};
}

Outcome ProgramListFamily::planChange(const std::string& path, const std::optional<std::string>& removed,
                                      const std::optional<std::string>& appended, ValueChange& change) {
  const auto where = locate(path);
  if (!where) return Outcome::Failed;
  auto before = readForChange(*where, path);
  if (!before) return Outcome::Failed;
  if (removed && !containsProgram(*before, *removed)) {
    support_.tell("_WininiProgramGone", {*removed, path});
    return Outcome::Stale;
  }
  std::string after = removed ? deleteProgram(*before, *removed) : *before;
  if (appended) after = appendProgram(after, *appended);
  if (!safeguard(*where, *before, after)) return Outcome::Failed;
  change = ValueChange{*where, std::move(*before), std::move(after)};
  return Outcome::Done;
}

Outcome ProgramListFamily::changeValue(const std::string& path, const std::optional<std::string>& removed,
                                       const std::optional<std::string>& appended, ValueChange& change) {
  const Outcome planned = planChange(path, removed, appended, change);
  if (planned != Outcome::Done) return planned;
  return write(change.where, path, change.after);
}

Outcome ProgramListFamily::changeValueTo(
    const std::string& path, const std::function<std::optional<std::string>(const std::string& now)>& newText,
    ValueChange& change) {
  const auto where = locate(path);
  if (!where) return Outcome::Failed;
  auto before = readForChange(*where, path);
  if (!before) return Outcome::Failed;
  auto after = newText(*before);
  if (!after) return Outcome::Stale;
  if (!safeguard(*where, *before, *after)) return Outcome::Failed;
  change = ValueChange{*where, std::move(*before), std::move(*after)};
  return write(change.where, path, change.after);
}

Change ProgramListFamily::valueChange(std::string_view kind, const std::string& path, const ValueChange& change,
                                      std::optional<EntryState> before, std::optional<EntryState> after,
                                      const std::string& placed) const {
  Change c = support_.change(kind, path, std::move(before), std::move(after));
  c.valueBefore = change.before;
  c.valueAfter = change.after;
  if (!placed.empty()) c.position = programIndex(change.before, placed);
  return c;
}

std::optional<ValuePath> ProgramListFamily::locate(const std::string& path) {
  auto where = splitValuePath(path);
  if (!where) support_.tell("_WininiBadLocation", {path});
  return where;
}

// The value as it stands, whole. A value that cannot be read, or that is not
// plain text, gives nothing: rewriting from it would replace what is there.
// A missing value is an empty list (the write then tells a missing key).
std::optional<std::string> ProgramListFamily::readForChange(const ValuePath& where, const std::string& path) {
  RegValue value;
  switch (registry_.queryValue(where.root, where.key, where.valueName, value)) {
    case RegStatus::Ok:
      if (!rewritable(value)) {
        support_.tell("_WininiNotText", {path});
        return std::nullopt;
      }
      return value.text;
    case RegStatus::NotFound:
      return std::string();
    case RegStatus::AccessDenied:
    case RegStatus::Failed:
      break;
  }
  support_.tell("_WininiCannotRead", {path});
  return std::nullopt;
}

// The key must exist already: a program list is only ever changed in place.
RegStatus ProgramListFamily::writeValue(const ValuePath& where, const std::string& text) {
  // The user's Shell value overrides the machine's whole: left empty it
  // could leave the user with no shell at all, so it goes instead and the
  // machine's shell starts again. A missing value reads as an empty list.
  if (text.empty() && userShell(where)) {
    const RegStatus status = registry_.deleteValue(where.root, where.key, where.valueName);
    return status == RegStatus::NotFound ? RegStatus::Ok : status;
  }
  return registry_.setString(where.root, where.key, where.valueName, text, KeyCreation::KeyMustExist);
}

Outcome ProgramListFamily::write(const ValuePath& where, const std::string& path, const std::string& text) {
  const RegStatus status = writeValue(where, text);
  if (status == RegStatus::Ok) return Outcome::Done;
  tellWriteProblem(status, path);
  return Outcome::Failed;
}

void ProgramListFamily::tellWriteProblem(RegStatus status, const std::string& path) {
  switch (status) {
    case RegStatus::Ok:
      return;
    case RegStatus::NotFound:
      support_.tell("_WininiKeyMissing", {path});
      return;
    case RegStatus::AccessDenied:
      support_.tell("_WininiAccessDenied", {path});
      return;
    case RegStatus::Failed:
      support_.tell("_WininiCannotWrite", {path});
      return;
  }
}

bool ProgramListFamily::safeguard(const ValuePath& where, const std::string& before, const std::string& after) {
  return !refuseShell(where, before, after) && confirmUserinit(where, before, after);
}

// Unlike Userinit, no question: there is no reason to want a computer
// without a desktop, and the user may not know that is what they asked for.
bool ProgramListFamily::refuseShell(const ValuePath& where, const std::string& before, const std::string& after) {
  if (!machineShell(where) || !namesExplorer(before) || namesExplorer(after)) return false;
  support_.tell("_WininiShellRefused");
  return true;
}

bool ProgramListFamily::refusesRemoval(const EntryRef& entry) {
  const auto where = splitValuePath(entry.location);
  if (!where || !machineShell(*where)) return false;
  RegValue value;
  // What cannot be read is told by the Remove itself.
  if (registry_.queryValue(where->root, where->key, where->valueName, value) != RegStatus::Ok) return false;
  return refuseShell(*where, value.text, deleteProgram(value.text, entry.data));
}

bool ProgramListFamily::confirmUserinit(const ValuePath& where, const std::string& before, const std::string& after) {
  if (!equalsIgnoreCase(where.valueName, "Userinit")) return true;
  if (!namesUserinit(before) || namesUserinit(after)) return true;
  return support_.prompt().confirmWarning(support_.translator().translate("_WininiUserinitWarning", Escapes::Convert));
}

// The short form has no blanks, so the listing keeps it whole; a path that
// has none (it does not exist) goes in as entered.
std::string ProgramListFamily::programFor(const std::string& entered) {
  std::string shortPath = shortPaths_.shortForm(entered);
  return shortPath.empty() ? entered : shortPath;
}

}  // namespace velmora
