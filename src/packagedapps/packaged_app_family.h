#pragma once
// The packaged-apps family: the startup tasks that Store and MSIX apps
// declare in their manifests, with each user's on/off state as Windows
// keeps it (the State value under SystemAppData). Its box is that state,
// written as Windows' own startup settings write it; nothing goes to
// config.xml. The tasks come and go with their apps: no Add, Modify or
// Remove. A policy's decision is shown and never overridden.
#include <memory>
#include <string>
#include <vector>

#include "core/registry_port.h"
#include "family/entry_family.h"
#include "family/families.h"
#include "family/family_support.h"
#include "packagedapps/package_catalog.h"
#include "packagedapps/package_port.h"

namespace velmora {

class Transaction;

extern const FamilyTraits kPackagedAppTraits;

// The node's one location: the key the tasks' states are kept under.
extern const std::string kPackagedAppsPlace;

// Whether a row's location ("<family>\<task id>") belongs to the place
// `location` (kPackagedAppsPlace).
bool samePackagedLocation(std::string_view rowLocation, std::string_view location);

FamilyDescriptor packagedAppFamily(RegistryPort& registry, PackagePort& packages, const FamilyContext& context);

class PackagedAppFamily : public EntryFamily {
 public:
  PackagedAppFamily(std::vector<std::string> places, RegistryPort& registry, PackagePort& packages,
                    const FamilyContext& context);

  const FamilyTraits& traits() const override { return kPackagedAppTraits; }
  FamilyAbilities abilities() const override;
  int typeColumnWidth() const override { return 200; }
  std::vector<Row> list() override;
  void describe(Row& row) override;
  EntryDialogData dialogData(const EntryRef& entry) const override { return support_.dialogData(entry); }
  OperationResult prepareAdd(EntryDialogData& data) override;
  OperationResult prepareModify(const EntryRef& entry, EntryDialogData& data) override;
  OperationResult remove(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult add(const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult modify(const EntryRef& entry, const EntryDialogData& fields, UserPrompt& prompt) override;
  OperationResult enable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult disable(const EntryRef& entry, UserPrompt& prompt) override;
  OperationResult undo(const Change& change, UserPrompt& prompt) override;
  OperationResult openLocation(const EntryRef& entry) override;
  OperationResult openStartupSettings(const EntryRef& entry) override;

 private:
  // The values a change writes, as they were and as it leaves them (none:
  // no value).
  struct Values {
    std::optional<RegValue> state, enabledOnce;
  };
  // The steps of the operations; they never run another operation.
  // The task at the entry's location when it is still what the row showed
  // (its name and program); otherwise says why.
  std::optional<PackagedTask> readLive(const std::string& location, const std::string& name, const std::string& data);
  bool switchTask(const EntryRef& entry, bool on);
  // Writes `wanted` over `was` in the task's key and reads it back; Failed
  // after telling why (the transaction takes back what was written).
  Outcome write(Transaction& tx, const PackagedTask& task, const Values& was, const Values& wanted);
  // The values as they are now; false when they cannot be read.
  bool read(const PackagedTask& task, Values& now);
  Change change(std::string_view kind, const PackagedTask& task, bool wasOn, const Values& before,
                const Values& after) const;
  // Says that a policy decides the task's state, not the user.
  void tellPolicyDecides(const PackagedTask& task);
  // The task's state, then what its package lacks.
  std::vector<StatusReason> statusOf(const PackagedTask& task) const;

  std::vector<std::string> places_;
  RegistryPort& registry_;
  PackagePort& packages_;
  PackageCatalog catalog_;
  FamilySupport support_;
  // The state texts of the latest listing, so that a row an Enable or
  // Disable switched shows its new state without a new listing.
  std::string onText_, offByUserText_;
  std::vector<std::string> onTexts_, offTexts_;
};

}  // namespace velmora
