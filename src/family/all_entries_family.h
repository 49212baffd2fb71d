#pragma once
// All Entries: one pane over every place of every family. It holds one
// instance of each family over all that family's locations, lists their
// rows one after another and hands each operation to the family that listed
// the row, so every change goes through that family's own code, questions,
// log and history. It keeps nothing of its own.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "family/entry_family.h"
#include "family/families.h"

namespace velmora {

class Translator;

// The view's traits: no records, no changes; its id names no family.
extern const FamilyTraits kAllEntriesTraits;

class AllEntriesFamily final : public EntryFamily {
 public:
  // Over every family of `table` that owns entries, each over
  // `table.familyLocations(id)`.
  AllEntriesFamily(std::shared_ptr<const FamilyTable> table, const Translator& translator);

  const FamilyTraits& traits() const override { return kAllEntriesTraits; }
  // What any of the families can do: the pane's buttons stay usable, and
  // the selected row's own family decides (abilitiesFor).
  FamilyAbilities abilities() const override;
  const FamilyTraits& traitsFor(const EntryRef& entry) const override;
  FamilyAbilities abilitiesFor(const EntryRef& entry) const override;
  bool placesPending() const override;
  // The rows of the families whose places were still being read, after
  // the rows shown: the order of a full listing.
  std::vector<Row> listDeferredPlaces() override;
  void rereadSlowPlaces() override;
  int typeColumnWidth() const override;

  std::vector<Row> list() override;
  std::string listingProblem() const override;
  void describe(Row& row) override;

  EntryDialogData dialogData(const EntryRef& entry) const override;
  // Every place of every family that can add, in the drop-down; the
  // default is the place its family calls usual (the current user's Run key).
  OperationResult prepareAdd(EntryDialogData& data) override;
  OperationResult prepareModify(const EntryRef& entry, EntryDialogData& data) override;

  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  // By the family the change names.
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  OperationResult openLocation(const EntryRef& entry) override;
  OperationResult openStartupSettings(const EntryRef& entry) override;

 private:
  struct Member {
    const FamilyDescriptor* descriptor;
    std::unique_ptr<EntryFamily> family;
    // What the latest listing could not read of its places ("" when it
    // could), and whether they were still being read.
    std::string problem;
    bool pending = false;
  };
  // The family that listed a row or offered a place (its id); null for
  // none of the view's. Never guessed from the location's text: two
  // families' places may read alike.
  const Member* member(std::string_view family) const;
  Member* member(std::string_view family) {
    return const_cast<Member*>(static_cast<const AllEntriesFamily*>(this)->member(family));
  }
  // The result of an entry no family owns: nothing done.
  static OperationResult nobody();

  // Lists member `i` after `rows`, each row marked with its family, noting
  // what it could not read; its rows of places still being read come
  // through its listDeferredPlaces instead when `deferred`.
  // The member's rows, each marked with its family.
  std::vector<Row> listMember(std::size_t i, bool deferred = false);
  // The members' rows one after the other, each moved once into a list of
  // their exact number: appended family by family, a list's room grew to
  // twice what it held, or every row was moved again for each family.
  static std::vector<Row> joined(std::vector<std::vector<Row>> parts);

  std::shared_ptr<const FamilyTable> table_;
  const Translator& translator_;
  std::vector<Member> members_;
};

// The All Entries node's descriptor over `families` (every family that owns
// entries, wherever the view stands among them in the table): one top-level
// node shown first, with image `image`.
FamilyDescriptor allEntriesView(const std::vector<FamilyDescriptor>& families, const Translator& translator,
                                int image);

}  // namespace velmora
