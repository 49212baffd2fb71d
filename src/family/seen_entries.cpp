#include "family/seen_entries.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "core/text.h"

namespace velmora {

namespace {

constexpr std::string_view kClosed = "closed";
constexpr std::string_view kPlace = "place";
constexpr std::string_view kEntry = "entry";
constexpr std::string_view kFamily = "family";
constexpr std::string_view kLocation = "location";
constexpr std::string_view kName = "name";
constexpr std::string_view kData = "data";

// "YYYY-MM-DDTHH:MM:SSZ", as SeenFile::now writes it.
bool utcTime(std::string_view t) {
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (t.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (kShape[i] == 'd' ? (t[i] < '0' || t[i] > '9') : t[i] != kShape[i]) return false;
  }
  return true;
}

const std::string* field(const XmlFields& fields, std::string_view name) {
  for (const auto& [n, value] : fields) {
    if (n == name) return &value;
  }
  return nullptr;
}

SeenEntry entryOf(const std::string& family, const Row& row) { return {family, row.path, row.name, row.data}; }

}  // namespace

SeenListView viewOf(const SeenList& list) {
  SeenListView view{list.closed, {}, {}};
  for (const SeenPlace& p : list.places) view.places.push_back(&p);
  for (const SeenEntry& e : list.entries) view.entries.push_back(&e);
  return view;
}

std::string seenXml(const SeenListView& list) {
  // Room for about the whole text at once: grown by doubling, a long list
  // held the text twice for a moment.
  std::size_t about = 128;
  for (const SeenPlace* p : list.places) about += 48 + p->family.size() + p->location.size();
  for (const SeenEntry* e : list.entries) {
    about += 64 + e->family.size() + e->location.size() + e->name.size() + e->data.size();
  }
  std::string out;
  out.reserve(about + about / 8);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<seen version=\"1\" closed=\"";
  appendXmlAttributeValue(out, list.closed);
  out += "\">\r\n";
  for (const SeenPlace* p : list.places) {
    appendXmlElement(out, kPlace, storableFields({{std::string(kFamily), p->family}, {std::string(kLocation), p->location}}));
  }
  for (const SeenEntry* e : list.entries) {
    appendXmlElement(out, kEntry, storableFields({{std::string(kFamily), e->family},
                                                  {std::string(kLocation), e->location},
                                                  {std::string(kName), e->name},
                                                  {std::string(kData), e->data}}));
  }
  out += "</seen>\r\n";
  return out;
}

std::optional<SeenList> seenFromXml(const XmlFields& root, const std::vector<XmlFields>& places,
                                    const std::vector<XmlFields>& entries) {
  const auto rootFields = readableFields(root);
  if (!rootFields) return std::nullopt;
  const std::string* closed = field(*rootFields, kClosed);
  if (!closed || !utcTime(*closed)) return std::nullopt;
  SeenList list;
  list.closed = *closed;
  for (const XmlFields& stored : places) {
    const auto fields = readableFields(stored);
    if (!fields) return std::nullopt;
    const std::string* family = field(*fields, kFamily);
    const std::string* location = field(*fields, kLocation);
    if (!family || !location || family->empty() || location->empty()) return std::nullopt;
    list.places.push_back({*family, *location});
  }
  list.entries.reserve(entries.size());
  for (const XmlFields& stored : entries) {
    const auto fields = readableFields(stored);
    if (!fields) return std::nullopt;
    const std::string* family = field(*fields, kFamily);
    const std::string* location = field(*fields, kLocation);
    const std::string* name = field(*fields, kName);
    const std::string* data = field(*fields, kData);
    // An empty name is a registry key's default value; an entry without a
    // family or a place is no entry.
    if (!family || !location || !name || !data || family->empty() || location->empty()) return std::nullopt;
    list.entries.push_back({*family, *location, *name, *data});
  }
  return list;
}

SeenEntries::Key SeenEntries::keyOf(const SeenEntry& e) {
  return {e.family, foldedIgnoreCase(e.location), foldedIgnoreCase(e.name), foldedIgnoreCase(e.data)};
}

SeenEntries::PlaceKey SeenEntries::placeOf(const std::string& family, const std::string& location) {
  // A folder may be listed as C:\Startup\ and its rows as C:\Startup; the
  // root of the tasks, a lone backslash, stays.
  std::string folded = foldedIgnoreCase(location);
  while (folded.size() > 1 && folded.back() == '\\') folded.pop_back();
  return {family, std::move(folded)};
}

bool SeenEntries::covered(const std::set<PlaceKey>& places, const std::string& family, const std::string& location) {
  const PlaceKey at = placeOf(family, location);
  if (places.count(at) != 0) return true;
  // A RunOnceEx group is listed at its subkey, a task at its own path: both
  // are under a place the family lists.
  for (auto it = places.lower_bound({family, std::string()}); it != places.end() && it->first == family; ++it) {
    const std::string& place = it->second;
    if (at.second.size() > place.size() && startsWith(at.second, place) &&
        (place.back() == '\\' || at.second[place.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

void SeenEntries::load() {
  SeenList list;
  switch (file_.read(list)) {
    case SeenStatus::Ok: break;
    case SeenStatus::Missing: state_ = State::FirstRun; return;
    case SeenStatus::Unreadable:
    case SeenStatus::WriteFailed: state_ = State::Damaged; return;
  }
  closedDate_ = file_.localDate(list.closed);
  // A closing time that is no date (a 31 February) is no list Velmora wrote.
  if (closedDate_.empty()) {
    state_ = State::Damaged;
    return;
  }
  beforePlaces_ = std::move(list.places);
  for (const SeenPlace& p : beforePlaces_) beforePlaceKeys_.insert(placeOf(p.family, p.location));
  before_ = std::move(list.entries);
  for (const SeenEntry& e : before_) beforeKeys_.insert(keyOf(e));
  state_ = State::Loaded;
}

bool SeenEntries::isNew(const std::string& family, const Row& row) const {
  if (state_ != State::Loaded) return false;
  const Key key = keyOf(entryOf(family, row));
  if (beforeKeys_.count(key) != 0 || producedKeys_.count(key) != 0) return false;
  return covered(beforePlaceKeys_, family, row.path);
}

void SeenEntries::listed(const std::string& family, const std::vector<std::string>& places,
                         const std::vector<Row>& rows) {
  std::set<PlaceKey> now;
  for (const std::string& place : places) {
    if (place.empty()) continue;
    now.insert(placeOf(family, place));
    if (listedPlaceKeys_.insert(placeOf(family, place)).second) listedPlaces_.push_back({family, place});
  }
  // The latest listing of a place replaces what an earlier one found there.
  // The entries of one place come together: its answer is asked once.
  std::optional<std::pair<std::string, bool>> last;
  std::erase_if(listedEntries_, [&](const SeenEntry& e) {
    if (e.family != family) return false;
    if (!last || last->first != e.location) last.emplace(e.location, covered(now, family, e.location));
    return last->second;
  });
  for (const Row& row : rows) listedEntries_.push_back(entryOf(family, row));
}

void SeenEntries::changed(const Change& change) {
  if (change.before) {
    const SeenEntry was{change.family, change.location, change.before->name, change.before->data};
    const Key key = keyOf(was);
    const auto same = [&](const SeenEntry& e) { return keyOf(e) == key; };
    std::erase_if(listedEntries_, same);
    std::erase_if(produced_, same);
    producedKeys_.erase(key);
    goneKeys_.insert(key);
  }
  if (change.after) {
    SeenEntry now{change.family, change.location, change.after->name, change.after->data};
    const Key key = keyOf(now);
    goneKeys_.erase(key);
    if (producedKeys_.insert(key).second) produced_.push_back(std::move(now));
  }
}

SeenStatus SeenEntries::save() {
  // Only a list read whole, or none at all, is replaced.
  if (state_ != State::Loaded && state_ != State::FirstRun) return SeenStatus::Unreadable;
  const std::string closed = file_.now();
  SeenListView list{closed, {}, {}};
  // Every place looked at, this run or before.
  for (const SeenPlace& p : beforePlaces_) list.places.push_back(&p);
  for (const SeenPlace& p : listedPlaces_) {
    if (beforePlaceKeys_.count(placeOf(p.family, p.location)) == 0) list.places.push_back(&p);
  }
  // Each entry once. Its key is made again when asked for, not kept: a set
  // of a thousand keys was the most of what a close needed.
  const auto hashOf = [](const SeenEntry* e) {
    const Key key = keyOf(*e);
    std::size_t h = 0;
    for (const std::string* part : {&std::get<0>(key), &std::get<1>(key), &std::get<2>(key), &std::get<3>(key)}) {
      h = h * 1000003u ^ std::hash<std::string>{}(*part);
    }
    return h;
  };
  const auto same = [](const SeenEntry* a, const SeenEntry* b) { return keyOf(*a) == keyOf(*b); };
  std::unordered_set<const SeenEntry*, decltype(hashOf), decltype(same)> kept(
      listedEntries_.size() + produced_.size() + before_.size(), hashOf, same);
  const auto keep = [&](const SeenEntry& e) {
    if (kept.insert(&e).second) list.entries.push_back(&e);
  };
  // What this run listed and produced; of the last run's list, what is in
  // places this run did not list, unless one of its changes took it away.
  for (const SeenEntry& e : listedEntries_) keep(e);
  for (const SeenEntry& e : produced_) keep(e);
  for (const SeenEntry& e : before_) {
    if (!covered(listedPlaceKeys_, e.family, e.location) && goneKeys_.count(keyOf(e)) == 0) keep(e);
  }
  return file_.write(list);
}

}  // namespace velmora
