#include "pane/pane_logic.h"

#include "core/format.h"
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

std::string changeReport(const Translator& translator, ChangeKind kind, const std::string& name, bool done,
                         const std::string& problem) {
  static constexpr std::string_view kDone[] = {"_StatusRemoved", "_StatusAdded", "_StatusModified", "_StatusEnabled",
                                               "_StatusDisabled"};
  static constexpr std::string_view kFailed[] = {"_StatusRemoveFailed", "_StatusAddFailed", "_StatusModifyFailed",
                                                 "_StatusEnableFailed", "_StatusDisableFailed"};
  const auto i = static_cast<std::size_t>(kind);
  if (done) return safeFormat(translator.translate(kDone[i]), {name});
  // The status bar has one line.
  const std::string line = problem.substr(0, problem.find_first_of("\r\n"));
  return safeFormat(translator.translate(kFailed[i]), {name, line});
}

void PaneController::report(ChangeKind kind, const std::string& name, bool done, int messages) {
  if (!watch_) return;
  // A family tells every failure in a message; a change that moved the
  // entry all the same (Enable, Disable) is done whatever was said on the way.
  const bool told = watch_->messages() != messages;
  const bool moved = kind == ChangeKind::Enable || kind == ChangeKind::Disable;
  if (done && (!told || moved)) {
    outcome_ = changeReport(translator_, kind, name, true, {});
  } else if (told) {
    outcome_ = changeReport(translator_, kind, name, false, watch_->lastMessage());
  }  // else the user said no: nothing changed, nothing to say
}

void PaneController::watched(ChangeKind kind, const std::function<void()>& operation) {
  const int row = list_.selected();
  const bool hasRow = row >= 0 && row < list_.count();
  if (!watch_ || (kind != ChangeKind::Add && !hasRow)) {
    operation();  // asks for a selection, or nobody listens: nothing to keep
    return;
  }
  const std::string name = kind == ChangeKind::Add ? std::string() : list_.row(row).name;
  const int messages = watch_->messages(), declined = watch_->declined(), dialogs = watch_->dialogs();
  operation();
  // Add and Modify try nothing without their dialog, unless the family
  // refused before it and said why.
  if (kind != ChangeKind::Remove && watch_->dialogs() == dialogs && watch_->messages() == messages) return;
  const std::string subject = kind == ChangeKind::Add ? watch_->lastDialogName() : name;
  report(kind, subject, watch_->declined() == declined, messages);
}

bool PaneController::command(int id) {
  switch (id) {
    case kRemove: watched(ChangeKind::Remove, [this] { onSelected(&EntryFamily::remove); }); return true;
    case kRefresh: family_.fill(list_); return true;
    case kAddNew: watched(ChangeKind::Add, [this] { family_.add(list_); }); return true;
    case kModify: watched(ChangeKind::Modify, [this] { onSelected(&EntryFamily::modify); }); return true;
    case kProperty: onSelected(&EntryFamily::property); return true;
    case kOpenLocation: onSelected(&EntryFamily::openLocation); return true;
    case kSearchOnline: searchOnline(); return true;
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
  const std::string name = watch_ ? list_.row(row).name : std::string();
  const int messages = watch_ ? watch_->messages() : 0;
  // A row that moved keeps its place until the next listing: it now stands
  // for a record, or for a live entry that starts (also one that Windows'
  // own settings had turned off, which Enable turns on where it is).
  if (action == CheckBoxAction::Disable) {
    // The entry stayed live: the box must say so again.
    const bool moved = family_.disable(list_, row);
    if (moved) list_.setOrigin(row, RowOrigin::Record);
    if (!moved) list_.showState(row, RowState::Live);
    report(ChangeKind::Disable, name, moved, messages);
  } else {
    const bool moved = family_.enable(list_, row);
    if (moved) list_.setOrigin(row, RowOrigin::Live);
    if (!moved) list_.showState(row, RowState::Disabled);
    report(ChangeKind::Enable, name, moved, messages);
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

void PaneController::searchOnline() {
  const int row = requireSelection();
  if (row < 0) return;
  // As File Info's button: the program file's name. A startup-folder file
  // that is no shortcut has no command: it is its own program.
  const Row r = list_.row(row);
  const std::string term = r.data.empty() ? r.name : fileNamePart(aboutFilePath(r.data));
  if (!term.empty()) prompt_.searchOnline(term);
}

void PaneController::checkButton(int id) {
  const int row = requireSelection();
  if (row < 0) return;
  if (const auto target = buttonTarget(id, boxes_.stateImage(row))) boxes_.check(row, *target);
}

}  // namespace velmora
