#include "pane/pane_logic.h"

#include <algorithm>

#include "core/format.h"
#include "core/text.h"
#include "family/file_signature.h"
#include "lang/language_table.h"

namespace velmora {

using namespace pane_command;

bool isPaneCommand(int id) {
  switch (id) {
    case kRemove:
    case kRefresh:
    case kAddNew:
    case kModify:
    case kProperty:
    case kAboutFile:
    case kEnable:
    case kDisable:
    case kOpenLocation:
    case kSearchOnline:
    case kOpenStartupSettings:
      return true;
  }
  return false;
}


CheckBoxAction checkBoxAction(bool loading, std::uint32_t oldState, std::uint32_t newState, int currentImage) {
  if (loading) return CheckBoxAction::None;
  const std::uint32_t changed = oldState | newState;
  if ((changed & kStateImageMask) != 0x3000 || (changed & ~0xFFFFu) != 0) return CheckBoxAction::None;
  return currentImage == 1 ? CheckBoxAction::Disable : CheckBoxAction::Enable;
}

std::optional<RowState> buttonTarget(int commandId, int currentImage) {
  if (commandId == kEnable && currentImage == 1) return RowState::Live;
  if (commandId == kDisable && currentImage != 1) return RowState::Disabled;
  return std::nullopt;
}

bool familyCan(int commandId, const FamilyAbilities& abilities) {
  switch (commandId) {
    case kAddNew: return abilities.add;
    case kModify: return abilities.modify;
    case kRemove: return abilities.remove;
    case kDisable: return abilities.disable;
    case kOpenStartupSettings: return abilities.startupSettings;
    case kOpenLocation: return abilities.openLocation;
    case kAboutFile:
    case kSearchOnline: return abilities.fileInformation;
  }
  return true;
}

bool contextItemEnabled(int commandId, std::optional<int> selectedImage, const FamilyAbilities& abilities) {
  if (!familyCan(commandId, abilities)) return false;
  switch (commandId) {
    case kAddNew:
    case kRefresh:
      return true;
    case kEnable:
      return selectedImage && *selectedImage == 1;
    case kDisable:
      return selectedImage && *selectedImage != 1;
    default:
      return selectedImage.has_value();
  }
}

namespace {
void appendLine(std::string& out, const std::vector<std::string>& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += '\t';
    for (const char c : cells[i]) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
  }
  out += "\r\n";
}
}  // namespace

std::string tableText(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  appendLine(out, titles);
  for (const auto& row : rows) appendLine(out, row);
  return out;
}

void PaneController::finish(ChangeKind kind, const std::string& name, const OperationResult& result,
                            const FamilyTraits& traits) {
  commit_.commit(traits, result, prompt_);
  if (std::string report = commit_.report(kind, name, result); !report.empty()) outcome_ = std::move(report);
}

bool PaneController::command(int id) {
  // A command the family cannot do does nothing, from a key as from a menu.
  if (isPaneCommand(id) && !familyCan(id, abilitiesFor(id))) return true;
  switch (id) {
    case kRemove: remove(); return true;
    case kRefresh:
      // The user asked: the slow places too are read again.
      family_.rereadSlowPlaces();
      refill();
      return true;
    case kAddNew: add(); return true;
    case kModify: modify(); return true;
    case kProperty: property(); return true;
    case kOpenLocation: openLocation(); return true;
    case kSearchOnline: searchOnline(); return true;
    case kOpenStartupSettings: openStartupSettings(); return true;
    case kAboutFile: aboutFile(); return true;
    case kEnable:
    case kDisable: checkButton(id); return true;
  }
  return false;
}

void PaneController::remove() {
  const int row = requireSelection();
  if (row < 0) return;
  const Row r = list_.row(row);
  const OperationResult result = family_.remove(entryOf(r), prompt_);
  finish(ChangeKind::Remove, r.name, result, family_.traitsFor(entryOf(r)));
  refill();
  // The row now at the old place, or the last one.
  if (const int count = list_.count(); count > 0) list_.select(std::min(row, count - 1));
}

void PaneController::add() {
  EntryDialogData data;
  OperationResult ready = family_.prepareAdd(data);
  if (!ready.done()) {
    finish(ChangeKind::Add, {}, ready, family_.traits());
    return;
  }
  if (!prompt_.entryDialog(EntryDialogKind::Add, data)) return;
  const OperationResult result = family_.add(data, prompt_);
  const std::string_view offeredBy = data.place < data.places.size() ? data.places[data.place].family : "";
  finish(ChangeKind::Add, data.name, result,
         family_.traitsFor(EntryRef{addPlace(data), data.name, data.path, RowOrigin::Live, offeredBy}));
  refill();
  if (result.done()) selectEntry({}, data.name);
}

void PaneController::modify() {
  const int row = requireSelection();
  if (row < 0) return;
  const Row before = list_.row(row);
  EntryDialogData data;
  if (OperationResult ready = family_.prepareModify(entryOf(before), data); !ready.done()) {
    finish(ChangeKind::Modify, before.name, ready, family_.traitsFor(entryOf(before)));
    return;
  }
  if (!prompt_.entryDialog(EntryDialogKind::Modify, data)) return;
  // The row's box and origin may have changed while the dialog was open.
  EntryRef entry = entryOf(before);
  if (row < list_.count()) entry.origin = list_.row(row).origin;
  const OperationResult result = family_.modify(entry, data, prompt_);
  finish(ChangeKind::Modify, before.name, result, family_.traitsFor(entry));
  refill();
  if (result.done()) selectEntry(before.path, data.name);
}

void PaneController::selectEntry(const std::string& location, const std::string& name) {
  for (int row = 0; row < list_.count(); ++row) {
    const Row r = list_.row(row);
    if (equalsIgnoreCase(r.name, name) && (location.empty() || equalsIgnoreCase(r.path, location))) {
      list_.select(row);
      return;
    }
  }
}

void PaneController::property() {
  const int row = requireSelection();
  if (row < 0) return;
  EntryDialogData data = family_.dialogData(entryOf(list_.row(row)));
  (void)prompt_.entryDialog(EntryDialogKind::Property, data);
}

void PaneController::openLocation() {
  const int row = requireSelection();
  if (row < 0) return;
  const EntryRef entry = entryOf(list_.row(row));
  commit_.commit(family_.traitsFor(entry), family_.openLocation(entry), prompt_);
}

void PaneController::openStartupSettings() {
  const int row = requireSelection();
  if (row < 0) return;
  const EntryRef entry = entryOf(list_.row(row));
  commit_.commit(family_.traitsFor(entry), family_.openStartupSettings(entry), prompt_);
}

void PaneController::itemChanged(int row, std::uint32_t oldState, std::uint32_t newState, bool loading) {
  if (row < 0) return;
  const CheckBoxAction action = checkBoxAction(loading, oldState, newState, boxes_.stateImage(row));
  if (action == CheckBoxAction::None) return;
  const Row r = list_.row(row);
  // A row that moved keeps its place until the next listing: it now stands
  // for a record, or for a live entry that starts (also one that Windows'
  // own settings had turned off, which Enable turns on where it is). One
  // that did not move shows its real state again.
  if (action == CheckBoxAction::Disable) {
    // Windows' own parts are switched off only when the user says so.
    if (!mayDisable(r)) {
      list_.showState(row, RowState::Live);
      return;
    }
    const OperationResult result = family_.disable(entryOf(r), prompt_);
    if (result.done()) list_.setOrigin(row, RowOrigin::Record);
    if (!result.done()) list_.showState(row, RowState::Live);
    finish(ChangeKind::Disable, r.name, result, family_.traitsFor(entryOf(r)));
  } else {
    const OperationResult result = family_.enable(entryOf(r), prompt_);
    if (result.done()) list_.setOrigin(row, RowOrigin::Live);
    if (!result.done()) list_.showState(row, RowState::Disabled);
    finish(ChangeKind::Enable, r.name, result, family_.traitsFor(entryOf(r)));
  }
}

Row PaneController::described(int row) {
  Row r = list_.row(row);
  if (!r.program.empty()) family_.describe(r);
  return r;
}

bool PaneController::mayDisable(Row r) {
  if (!r.program.empty()) family_.describe(r);
  const std::optional<std::string> question = partOfWindowsQuestion(r, translator_);
  return !question || prompt_.confirm(*question);
}

void PaneController::doubleClick() {
  if (list_.selected() >= 0 && abilitiesFor(kAboutFile).fileInformation) aboutFile();
}

FamilyAbilities PaneController::abilitiesFor(int commandId) const {
  FamilyAbilities abilities = family_.abilities();
  const int row = list_.selected();
  // Add and Refresh are the pane's; the rest act on the selected row, whose
  // own family decides (one pane may show several).
  if (commandId == kAddNew || commandId == kRefresh || row < 0 || row >= list_.count()) return abilities;
  const bool add = abilities.add;
  abilities = family_.abilitiesFor(entryOf(list_.row(row)));
  abilities.add = add;
  return abilities;
}

int PaneController::requireSelection() {
  const int row = list_.selected();
  if (row >= 0 && row < list_.count()) return row;
  prompt_.message(translator_.translate("_YouMustSelectAnItem"));
  return -1;
}

void PaneController::aboutFile() {
  const int row = requireSelection();
  if (row < 0) return;
  // The file the row's Publisher and Signed by describe (a COM handler's
  // DLL, a startup file that is no shortcut), else the command's first part.
  const Row r = described(row);
  prompt_.fileInformation(r.programFile.empty() ? aboutFilePath(r.data) : r.programFile);
}

void PaneController::searchOnline() {
  const int row = requireSelection();
  if (row < 0) return;
  // As File Info's button: the program file's name. A startup-folder file
  // that is no shortcut has no command: it is its own program.
  const Row r = described(row);
  const std::string term = !r.programFile.empty() ? fileNamePart(r.programFile)
                           : r.data.empty()       ? r.name
                                                  : fileNamePart(aboutFilePath(r.data));
  if (!term.empty()) prompt_.searchOnline(term);
}

void PaneController::checkButton(int id) {
  const int row = requireSelection();
  if (row < 0) return;
  if (const auto target = buttonTarget(id, boxes_.stateImage(row))) boxes_.check(row, *target);
}

}  // namespace velmora
