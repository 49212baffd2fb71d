#include "history/change_history.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <iterator>

#include "core/xml_text.h"

namespace velmora {


namespace {

// Attribute names; family fields are stored under their own names.
constexpr std::string_view kId = "id";
constexpr std::string_view kTime = "time";
constexpr std::string_view kFamily = "family";
constexpr std::string_view kKind = "kind";
constexpr std::string_view kLocation = "location";
constexpr std::string_view kPosition = "position";
constexpr std::string_view kValueBefore = "valuebefore";
constexpr std::string_view kValueAfter = "valueafter";
constexpr std::string_view kCopy = "copy";
constexpr std::string_view kUndoes = "undoes";
constexpr std::string_view kBefore = "before";
constexpr std::string_view kAfter = "after";

void putState(HistoryRecord& r, std::string_view prefix, const EntryState& s) {
  const std::string p(prefix);
  r.emplace_back(p + "name", s.name);
  r.emplace_back(p + "data", s.data);
  if (!s.valueType.empty()) r.emplace_back(p + "type", s.valueType);
  r.emplace_back(p + "state", s.disabled ? "disabled" : "live");
}

std::optional<std::uint64_t> number(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

bool isStateField(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return false;
  const std::string_view rest = name.substr(prefix.size());
  return rest == "name" || rest == "data" || rest == "type" || rest == "state";
}

}  // namespace

HistoryRecord toRecord(const Change& c) {
  HistoryRecord r;
  r.emplace_back(kId, std::to_string(c.id));
  r.emplace_back(kTime, c.time);
  r.emplace_back(kFamily, c.family);
  r.emplace_back(kKind, c.kind);
  r.emplace_back(kLocation, c.location);
  if (c.before) putState(r, kBefore, *c.before);
  if (c.after) putState(r, kAfter, *c.after);
  if (c.position) r.emplace_back(kPosition, std::to_string(*c.position));
  if (c.valueBefore) r.emplace_back(kValueBefore, *c.valueBefore);
  if (c.valueAfter) r.emplace_back(kValueAfter, *c.valueAfter);
  if (!c.copy.empty()) r.emplace_back(kCopy, c.copy);
  if (c.undoes) r.emplace_back(kUndoes, std::to_string(*c.undoes));
  for (const auto& [name, value] : c.extra) {
    if (xmlName(name)) r.emplace_back(name, value);
  }
  return storableFields(std::move(r));
}

std::optional<Change> fromRecord(const HistoryRecord& stored) {
  // A field given twice (plainly, in hexadecimal or both) could be read
  // either way: such a record is no change.
  const std::optional<HistoryRecord> readable = readableFields(stored);
  if (!readable) return std::nullopt;
  const HistoryRecord& record = *readable;
  Change c;
  bool hasId = false, hasFamily = false, hasKind = false, hasLocation = false;
  EntryState before, after;
  bool hasBefore = false, hasAfter = false;
  for (const auto& [name, value] : record) {
    if (name == kId) {
      const auto n = number(value);
      if (!n) return std::nullopt;
      c.id = *n;
      hasId = true;
    } else if (name == kTime) {
      c.time = value;
    } else if (name == kFamily) {
      c.family = value;
      hasFamily = true;
    } else if (name == kKind) {
      c.kind = value;
      hasKind = true;
    } else if (name == kLocation) {
      c.location = value;
      hasLocation = true;
    } else if (isStateField(name, kBefore) || isStateField(name, kAfter)) {
      const bool isBefore = isStateField(name, kBefore);
      EntryState& s = isBefore ? before : after;
      (isBefore ? hasBefore : hasAfter) = true;
      const std::string_view field = std::string_view(name).substr(isBefore ? kBefore.size() : kAfter.size());
      if (field == "name") s.name = value;
      if (field == "data") s.data = value;
      if (field == "type") s.valueType = value;
      if (field == "state") s.disabled = value == "disabled";
    } else if (name == kPosition) {
      const auto n = number(value);
      if (!n) return std::nullopt;
      c.position = static_cast<std::size_t>(*n);
    } else if (name == kValueBefore) {
      c.valueBefore = value;
    } else if (name == kValueAfter) {
      c.valueAfter = value;
    } else if (name == kCopy) {
      c.copy = value;
    } else if (name == kUndoes) {
      const auto n = number(value);
      if (!n) return std::nullopt;
      c.undoes = *n;
    } else {
      c.extra[name] = value;
    }
  }
  if (!hasId || !hasFamily || !hasKind || !hasLocation) return std::nullopt;
  if (hasBefore) c.before = before;
  if (hasAfter) c.after = after;
  return c;
}

std::string historyXml(const std::vector<HistoryRecord>& records) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<history version=\"1\">\r\n";
  for (const HistoryRecord& r : records) appendXmlElement(out, "change", r);
  out += "</history>\r\n";
  return out;
}


ChangeHistory::ChangeHistory(HistoryFile& file, std::string copyFolder, std::size_t limit, Clock clock)
    : file_(file), copyFolder_(std::move(copyFolder)), limit_(limit == 0 ? 1 : limit), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
}

std::string ChangeHistory::newCopyName() {
  // Milliseconds since 1970, kept rising within a run: unique per change.
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(clock_().time_since_epoch()).count();
  std::uint64_t stamp = ms > 0 ? static_cast<std::uint64_t>(ms) : 0;
  if (stamp <= lastStamp_) stamp = lastStamp_ + 1;
  lastStamp_ = stamp;
  return std::to_string(stamp) + ".copy";
}

std::string ChangeHistory::copyPath(std::string_view name) const {
  std::string path = copyFolder_;
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string ChangeHistory::copyPath(std::string_view name, PlaceScope place) const {
  return place == PlaceScope::Machine && machine_ ? machine_->copyPath(name) : copyPath(name);
}

std::string ChangeHistory::keptCopyPath(const Change& change, std::string_view name) const {
  return change.source == kMachine && machine_ ? machine_->copyPath(name) : copyPath(name);
}

std::string ChangeHistory::timeText() const {
  const std::time_t t = std::chrono::system_clock::to_time_t(clock_());
  std::tm utc{};
#if defined(_WIN32)
  gmtime_s(&utc, &t);
#else
  gmtime_r(&t, &utc);
#endif
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

bool ChangeHistory::record(Change change, PlaceScope place) {
  if (place == PlaceScope::Machine && machine_) {
    const bool kept = machine_->record(std::move(change));
    if (!kept) failed_ = true;
    return kept;
  }
  std::vector<HistoryRecord> records;
  const DataLockHold hold(lock_);
  if (!hold.held()) {
    if (plainCopyName(change.copy)) file_.removeFile(copyPath(change.copy));
    failed_ = true;
    return false;
  }
  const HistoryStatus read = file_.read(records);
  const auto dropCopy = [&](const std::string& name) {
    if (plainCopyName(name)) file_.removeFile(copyPath(name));
  };
  if (read != HistoryStatus::Ok && read != HistoryStatus::Missing) {
    dropCopy(change.copy);
    failed_ = true;
    return false;
  }
  std::uint64_t last = 0;
  for (const HistoryRecord& r : records) {
    if (const auto c = fromRecord(r)) last = std::max(last, c->id);
  }
  change.id = last + 1;
  change.time = timeText();
  records.push_back(toRecord(change));
  std::vector<std::string> dropped;
  if (records.size() > limit_) {
    const std::size_t excess = records.size() - limit_;
    for (std::size_t i = 0; i < excess; ++i) {
      if (const auto c = fromRecord(records[i]); c && !c->copy.empty()) dropped.push_back(c->copy);
    }
    records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(excess));
  }
  if (file_.write(records) != HistoryStatus::Ok) {
    dropCopy(change.copy);
    failed_ = true;
    return false;
  }
  // Only once the file no longer names them.
  for (const std::string& name : dropped) dropCopy(name);
  return true;
}

std::optional<std::vector<Change>> ChangeHistory::ownChanges() {
  std::vector<HistoryRecord> records;
  const HistoryStatus read = file_.read(records);
  if (read == HistoryStatus::Missing) return std::vector<Change>{};
  if (read != HistoryStatus::Ok) return std::nullopt;
  std::vector<Change> out;
  out.reserve(records.size());
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (auto c = fromRecord(*it)) {
      c->adminOnly = adminOnly_;
      out.push_back(std::move(*c));
    }
  }
  return out;
}

std::optional<std::vector<Change>> ChangeHistory::changes() {
  auto own = ownChanges();
  if (!own || !machine_) return own;
  // The machine's history is shared: one that cannot be read hides none of
  // the user's own.
  auto machine = machine_->ownChanges();
  if (!machine) return own;
  for (Change& c : *machine) c.source = kMachine;
  std::vector<Change> all;
  all.reserve(own->size() + machine->size());
  // Both newest first; the times are UTC stamps that sort as text.
  std::merge(std::make_move_iterator(own->begin()), std::make_move_iterator(own->end()),
             std::make_move_iterator(machine->begin()), std::make_move_iterator(machine->end()),
             std::back_inserter(all), [](const Change& a, const Change& b) { return a.time > b.time; });
  return all;
}

std::optional<Change> ChangeHistory::find(std::uint64_t id, std::size_t source) {
  if (source == kMachine) {
    if (!machine_) return std::nullopt;
    auto found = machine_->find(id);
    if (found) found->source = kMachine;
    return found;
  }
  const auto all = ownChanges();
  if (!all) return std::nullopt;
  std::optional<Change> found;
  for (const Change& c : *all) {
    if (c.id != id) continue;
    // Two changes of one number (an edited file): neither is "the" change.
    if (found) return std::nullopt;
    found = c;
  }
  return found;
}

bool ChangeHistory::takeWarning() {
  if (!failed_ || warned_) return false;
  warned_ = true;
  return true;
}

}  // namespace velmora
