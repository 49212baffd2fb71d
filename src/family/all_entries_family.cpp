#include "family/all_entries_family.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "lang/language_table.h"

namespace velmora {

namespace {
bool namesNoLocation(std::string_view, std::string_view) { return false; }

}  // namespace

const FamilyTraits kAllEntriesTraits{RecordKind{""}, LogKeys{""}, "_TreeAllEntries", &namesNoLocation, "allentries"};

AllEntriesFamily::AllEntriesFamily(std::shared_ptr<const FamilyTable> table, const Translator& translator)
    : table_(std::move(table)), translator_(translator) {
  for (const FamilyId id : table_->ids()) {
    const FamilyDescriptor& descriptor = table_->family(id);
    members_.push_back(Member{&descriptor, descriptor.make(table_->familyLocations(id))});
  }
}

FamilyAbilities AllEntriesFamily::abilities() const {
  FamilyAbilities any{false, false, false, false, false, false};
  for (const Member& m : members_) {
    const FamilyAbilities a = m.family->abilities();
    any.add = any.add || a.add;
    any.modify = any.modify || a.modify;
    any.openLocation = any.openLocation || a.openLocation;
    any.fileInformation = any.fileInformation || a.fileInformation;
    any.remove = any.remove || a.remove;
    any.disable = any.disable || a.disable;
    any.startupSettings = any.startupSettings || a.startupSettings;
  }
  return any;
}

const AllEntriesFamily::Member* AllEntriesFamily::member(std::string_view family) const {
  if (family.empty()) return nullptr;
  for (const Member& m : members_) {
    if (m.descriptor->id == family) return &m;
  }
  return nullptr;
}

const FamilyTraits& AllEntriesFamily::traitsFor(const EntryRef& entry) const {
  const Member* m = member(entry.family);
  return m ? m->family->traitsFor(entry) : traits();
}

FamilyAbilities AllEntriesFamily::abilitiesFor(const EntryRef& entry) const {
  const Member* m = member(entry.family);
  return m ? m->family->abilitiesFor(entry) : FamilyAbilities{false, false, false, false, false, false};
}

bool AllEntriesFamily::placesPending() const {
  return std::any_of(members_.begin(), members_.end(), [](const Member& m) { return m.pending; });
}

void AllEntriesFamily::rereadSlowPlaces() {
  for (Member& m : members_) m.family->rereadSlowPlaces();
}

int AllEntriesFamily::typeColumnWidth() const {
  int widest = 0;
  for (const Member& m : members_) widest = std::max(widest, m.family->typeColumnWidth());
  return widest;
}

std::vector<Row> AllEntriesFamily::list() {
  std::vector<std::vector<Row>> parts;
  for (std::size_t i = 0; i < members_.size(); ++i) parts.push_back(listMember(i));
  return joined(std::move(parts));
}

std::vector<Row> AllEntriesFamily::listDeferredPlaces() {
  std::vector<std::vector<Row>> parts;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (members_[i].pending) parts.push_back(listMember(i, true));
  }
  return joined(std::move(parts));
}

std::vector<Row> AllEntriesFamily::joined(std::vector<std::vector<Row>> parts) {
  std::size_t total = 0;
  for (const std::vector<Row>& part : parts) total += part.size();
  std::vector<Row> rows;
  rows.reserve(total);
  for (std::vector<Row>& part : parts) {
    rows.insert(rows.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    part = {};
  }
  return rows;
}

std::vector<Row> AllEntriesFamily::listMember(std::size_t i, bool deferred) {
  Member& m = members_[i];
  std::vector<Row> own = deferred ? m.family->listDeferredPlaces() : m.family->list();
  // One family that cannot read its places hides nobody else's rows.
  m.problem = m.family->listingProblem();
  m.pending = m.family->placesPending();
  for (Row& row : own) row.family = m.descriptor->id;
  return own;
}

std::string AllEntriesFamily::listingProblem() const {
  std::string text;
  for (const Member& m : members_) {
    if (!m.problem.empty()) text += (text.empty() ? "" : "; ") + m.problem;
  }
  return text;
}

void AllEntriesFamily::describe(Row& row) {
  if (Member* m = member(row.family)) m->family->describe(row);
}

EntryDialogData AllEntriesFamily::dialogData(const EntryRef& entry) const {
  const Member* m = member(entry.family);
  return m ? m->family->dialogData(entry) : EntryDialogData{{}, entry.location, entry.name, entry.data};
}

OperationResult AllEntriesFamily::nobody() { return OperationResult{Outcome::Failed, {}, {}, {}}; }

OperationResult AllEntriesFamily::prepareAdd(EntryDialogData& data) {
  std::vector<EntryPlace> places;
  std::optional<std::size_t> preferred;
  OperationResult refusal = nobody();
  for (const Member& m : members_) {
    if (!m.family->abilities().add) continue;
    EntryDialogData own;
    OperationResult ready = m.family->prepareAdd(own);
    if (!ready.done()) {
      if (refusal.messages.empty()) refusal = std::move(ready);
      continue;
    }
    if (own.places.empty()) own.places.push_back(EntryPlace{own.sectionText, own.typeText, own.check});
    for (EntryPlace& p : own.places) {
      p.family = m.descriptor->id;
      if (!preferred && p.usual) preferred = places.size();
      places.push_back(std::move(p));
    }
  }
  if (places.empty()) return refusal;
  data = EntryDialogData{};
  data.place = preferred.value_or(0);
  data.typeText = places[data.place].typeText;
  data.sectionText = places[data.place].location;
  data.places = std::move(places);
  return OperationResult{Outcome::Done, {}, {}, {}};
}

OperationResult AllEntriesFamily::prepareModify(const EntryRef& entry, EntryDialogData& data) {
  Member* m = member(entry.family);
  return m ? m->family->prepareModify(entry, data) : nobody();
}

OperationResult AllEntriesFamily::remove(const EntryRef& entry, UserPrompt& prompt) {
  Member* m = member(entry.family);
  return m ? m->family->remove(entry, prompt) : nobody();
}

OperationResult AllEntriesFamily::add(const EntryDialogData& fields, UserPrompt& prompt) {
  // The place the dialog chose belongs to the family that offered it; that
  // family's Add refuses a place it does not have.
  if (fields.place >= fields.places.size()) return nobody();
  Member* m = member(fields.places[fields.place].family);
  return m ? m->family->add(fields, prompt) : nobody();
}

OperationResult AllEntriesFamily::modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) {
  Member* m = member(entry.family);
  return m ? m->family->modify(entry, fields, prompt) : nobody();
}

OperationResult AllEntriesFamily::enable(const EntryRef& entry, UserPrompt& prompt) {
  Member* m = member(entry.family);
  return m ? m->family->enable(entry, prompt) : nobody();
}

OperationResult AllEntriesFamily::disable(const EntryRef& entry, UserPrompt& prompt) {
  Member* m = member(entry.family);
  return m ? m->family->disable(entry, prompt) : nobody();
}

OperationResult AllEntriesFamily::undo(const Change& change, UserPrompt& prompt) {
  for (Member& m : members_) {
    if (m.descriptor->id == change.family) return m.family->undo(change, prompt);
  }
  return nobody();
}

OperationResult AllEntriesFamily::openLocation(const EntryRef& entry) {
  Member* m = member(entry.family);
  return m ? m->family->openLocation(entry) : nobody();
}

OperationResult AllEntriesFamily::openStartupSettings(const EntryRef& entry) {
  Member* m = member(entry.family);
  return m ? m->family->openStartupSettings(entry) : nobody();
}

FamilyDescriptor allEntriesView(const std::vector<FamilyDescriptor>& families, const Translator& translator,
                                int image) {
  auto table = std::make_shared<const FamilyTable>(families);
  CategoryNode node{0, "_TreeAllEntries", -1, image, {}, {}};
  node.top = true;
  FamilyDescriptor view{kAllEntriesTraits.id,
                        kAllEntriesTraits,
                        {node},
                        {},
                        // Its pane lists each family's own locations, not a list of its own.
                        [](const std::vector<std::string_view>&) { return std::vector<std::string>{}; },
                        [table, &translator](std::vector<std::string>) -> std::unique_ptr<EntryFamily> {
                          return std::make_unique<AllEntriesFamily>(table, translator);
                        }};
  view.ownsEntries = false;
  return view;
}

}  // namespace velmora
