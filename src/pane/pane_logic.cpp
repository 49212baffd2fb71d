#include "pane/pane_logic.h"

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
      return true;
  }
  return false;
}

namespace {

void dropEnclosingQuotes(std::string& s) {
  if (!s.empty() && s.front() == '"' && s.back() == '"') {
    // A lone quote is both first and last: it goes, leaving nothing.
    s = s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string();
  }
}

void cutAtSwitch(std::string& s, std::string_view marker) {
  const std::size_t at = s.find(marker);
  if (at != std::string::npos && at > 0) s.erase(at);
}

}  // namespace

std::string aboutFilePath(std::string_view commandLine) {
  const std::size_t first = commandLine.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = commandLine.find_last_not_of(' ');
  std::string s(commandLine.substr(first, last - first + 1));
  dropEnclosingQuotes(s);
  cutAtSwitch(s, " /");
  cutAtSwitch(s, " -");
  dropEnclosingQuotes(s);
  return s;
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

bool contextItemEnabled(int commandId, std::optional<int> selectedImage) {
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

bool PaneController::command(int id) {
  switch (id) {
    case kRemove: onSelected(&EntryFamily::remove); return true;
    case kRefresh: family_.fill(list_); return true;
    case kAddNew: family_.add(list_); return true;
    case kModify: onSelected(&EntryFamily::modify); return true;
    case kProperty: onSelected(&EntryFamily::property); return true;
    case kAboutFile: aboutFile(); return true;
    case kEnable:
    case kDisable: checkButton(id); return true;
  }
  return false;
}

void PaneController::itemChanged(int row, std::uint32_t oldState, std::uint32_t newState, bool loading) {
  if (row < 0) return;
  const CheckBoxAction action = checkBoxAction(loading, oldState, newState, boxes_.stateImage(row));
  if (action == CheckBoxAction::None) return;
  if (action == CheckBoxAction::Disable) {
    // The entry stayed live: the box must say so again.
    if (!family_.disable(list_, row)) list_.showState(row, RowState::Live);
  } else {
    if (!family_.enable(list_, row)) list_.showState(row, RowState::Disabled);
  }
}

void PaneController::doubleClick() {
  if (list_.selected() >= 0) aboutFile();
}

int PaneController::requireSelection() {
  const int row = list_.selected();
  if (row >= 0 && row < list_.count()) return row;
  prompt_.message(translator_.translate("_YouMustSelectAnItem"));
  return -1;
}

void PaneController::onSelected(void (EntryFamily::*operation)(EntryList&, int)) {
  const int row = requireSelection();
  if (row >= 0) (family_.*operation)(list_, row);
}

void PaneController::aboutFile() {
  const int row = requireSelection();
  if (row < 0) return;
  prompt_.fileInformation(aboutFilePath(list_.row(row).data));
}

void PaneController::checkButton(int id) {
  const int row = requireSelection();
  if (row < 0) return;
  if (const auto target = buttonTarget(id, boxes_.stateImage(row))) boxes_.check(row, *target);
}

}  // namespace velmora
