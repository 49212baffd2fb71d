#include "packagedapps/packaged_app_family.h"

#include <algorithm>

#include "core/format.h"
#include "lang/language_table.h"

namespace velmora {

namespace {

// The log names a task by where it is and its name.
std::vector<std::string> packagedLogEntry(const std::string& location, const EntryState& state) {
  return {location, state.name};
}
std::vector<std::string> packagedLogModify(const std::string& location, const EntryState& before, const EntryState&) {
  return packagedLogEntry(location, before);
}

}  // namespace

const FamilyTraits kPackagedAppTraits{RecordKind{"disabledpackagedappitem"},
                                      LogKeys{"Packaged"},
                                      "_PackagedStartupTask",
                                      &samePackagedLocation,
                                      "packagedapps",
                                      &packagedLogEntry,
                                      &packagedLogModify};

const std::string kPackagedAppsPlace = "HKEY_CURRENT_USER\\" + std::string(kSystemAppDataKey);

bool samePackagedLocation(std::string_view rowLocation, std::string_view location) {
  return location == kPackagedAppsPlace && isPackagedLocation(rowLocation);
}

FamilyDescriptor packagedAppFamily(RegistryPort& registry, PackagePort& packages, const FamilyContext& context) {
  // One node over every installed package's tasks. Listed where it is asked
  // for: a package's manifest is a small local file (200 packages take
  // tens of milliseconds).
  return FamilyDescriptor{"packagedapps",
                          kPackagedAppTraits,
                          {{0, "_TreePackagedApps", -1, 10, {}, {kPackagedAppsPlace}}},
                          {},
                          [](const std::vector<std::string_view>& places) {
                            return std::vector<std::string>(places.begin(), places.end());
                          },
                          [&registry, &packages, &context](std::vector<std::string> places) -> std::unique_ptr<EntryFamily> {
                            return std::make_unique<PackagedAppFamily>(std::move(places), registry, packages, context);
                          }};
}

PackagedAppFamily::PackagedAppFamily(std::vector<std::string> places, RegistryPort& registry, PackagePort& packages,
                                     const FamilyContext& context)
    : places_(std::move(places)),
      registry_(registry),
      packages_(packages),
      catalog_(registry, packages),
      support_(context, kPackagedAppTraits) {}

FamilyAbilities PackagedAppFamily::abilities() const {
  FamilyAbilities can;
  can.add = false;
  can.modify = false;
  can.remove = false;
  can.startupSettings = true;
  return can;
}

std::vector<StatusReason> PackagedAppFamily::statusOf(const PackagedTask& task) const {
  const Translator& tr = support_.translator();
  const StartupState s = task.startup();
  std::vector<StatusReason> reasons{
      {std::string(s.statusKey), s.unknownValue.empty() ? tr.translate(s.statusKey)
                                                        : safeFormat(tr.translate(s.statusKey), {s.unknownValue})}};
  if (task.problem == PackageProblem::FolderMissing) {
    reasons.push_back({"_PackagedFolderMissing", tr.translate("_PackagedFolderMissing")});
  }
  if (task.problem == PackageProblem::ManifestUnreadable) {
    reasons.push_back({"_PackagedManifestUnreadable", tr.translate("_PackagedManifestUnreadable")});
  }
  return reasons;
}

std::vector<Row> PackagedAppFamily::list() {
  const Translator& tr = support_.translator();
  onText_ = tr.translate("_PackagedStateOn");
  offByUserText_ = tr.translate("_PackagedStateOffByUser");
  onTexts_ = {onText_, tr.translate("_PackagedStateAfterFirstRun")};
  offTexts_ = {tr.translate("_PackagedStateOff"), offByUserText_};
  // A pane over none of its places (a benchmark's, say) reads nothing.
  std::vector<PackagedTask> tasks;
  if (std::find(places_.begin(), places_.end(), kPackagedAppsPlace) != places_.end()) tasks = catalog_.list();
  const std::string type = tr.translate("_PackagedStartupTask");
  std::vector<Row> rows;
  rows.reserve(tasks.size());
  for (const PackagedTask& task : tasks) {
    const bool starts = task.startup().starts;
    Row row{task.name, type, task.executable, task.location(), starts ? RowState::Live : RowState::Disabled};
    // A task switched off stays where it is; Windows keeps its state, not config.xml.
    row.origin = starts ? RowOrigin::Live : RowOrigin::Record;
    rows.push_back(std::move(row));
  }
  // The program file of a package whose folder is gone is gone too: that
  // is said once, by the package's own status.
  support_.describeRows(rows, places_, [&rows, &tasks](const Row& row) {
    const PackagedTask& task = tasks[static_cast<std::size_t>(&row - rows.data())];
    return task.executable.empty() || task.problem == PackageProblem::FolderMissing ? std::string()
                                                                                    : '"' + task.executable + '"';
  });
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Row& row = rows[i];
    row.publisher = tasks[i].publisher;
    // The task's state first, then what any row may say (a missing file).
    std::vector<StatusReason> reasons = statusOf(tasks[i]);
    reasons.insert(reasons.end(), row.reasons.begin(), row.reasons.end());
    row.reasons = std::move(reasons);
    showReasons(row);
  }
  return rows;
}

void PackagedAppFamily::describe(Row& row) {
  // The publisher is the manifest's, not the program file's company.
  const std::string publisher = row.publisher;
  support_.describe(row);
  if (!publisher.empty()) row.publisher = publisher;
  // A row an Enable or Disable switched shows the state it now has.
  if (row.reasons.empty()) return;
  StatusReason& state = row.reasons.front();
  const auto shown = [&state](const std::vector<std::string>& texts) {
    return std::find(texts.begin(), texts.end(), state.text) != texts.end();
  };
  if (row.origin == RowOrigin::Live && shown(offTexts_)) state = {"_PackagedStateOn", onText_};
  if (row.origin == RowOrigin::Record && shown(onTexts_)) state = {"_PackagedStateOffByUser", offByUserText_};
  showReasons(row);
}

// The pane greys Add, Modify and Remove; these answer anyone who asks anyway.
OperationResult PackagedAppFamily::prepareAdd(EntryDialogData&) {
  return support_.runWithoutQuestions([this] {
    support_.tell("_PackagedNotWritten");
    return false;
  });
}

OperationResult PackagedAppFamily::prepareModify(const EntryRef&, EntryDialogData& data) { return prepareAdd(data); }

OperationResult PackagedAppFamily::add(const EntryDialogData&, UserPrompt& prompt) {
  return support_.run(prompt, [this] {
    support_.tell("_PackagedNotWritten");
    return false;
  });
}

OperationResult PackagedAppFamily::modify(const EntryRef&, const EntryDialogData& fields, UserPrompt& prompt) {
  return add(fields, prompt);
}

OperationResult PackagedAppFamily::remove(const EntryRef&, UserPrompt& prompt) { return add({}, prompt); }

OperationResult PackagedAppFamily::openLocation(const EntryRef& entry) {
  return support_.runWithoutQuestions([&] {
    // The key Windows keeps the task's state in.
    if (isPackagedLocation(entry.location)) support_.openRegistryKey(kPackagedAppsPlace + "\\" + entry.location);
  });
}

OperationResult PackagedAppFamily::openStartupSettings(const EntryRef&) {
  return support_.runWithoutQuestions([this] {
    if (!packages_.openStartupSettings()) support_.tell("_StartupSettingsFailed");
  });
}

}  // namespace velmora
