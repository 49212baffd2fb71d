#pragma once
// A prompt that passes everything on and remembers how the user and the
// family answered: whether a failure was told, whether the user said no,
// whether the last dialog closed with OK. A family tells every failure in a
// message and stops silently only when the user declines, so this is how the
// pane learns what a change came to, for its status bar.
#include <string>

#include "pane/prompt.h"

namespace velmora {

class WatchedPrompt : public UserPrompt {
 public:
  explicit WatchedPrompt(UserPrompt& inner) : inner_(inner) {}

  void message(const std::string& text) override {
    ++messages_;
    lastMessage_ = text;
    inner_.message(text);
  }
  // Not counted: the change it follows was made, and the status bar says so.
  void notice(const std::string& text) override { inner_.notice(text); }
  bool confirm(const std::string& text) override { return counted(inner_.confirm(text)); }
  bool confirmWarning(const std::string& text) override { return counted(inner_.confirmWarning(text)); }
  bool entryDialog(EntryDialogKind kind, EntryDialogData& data) override {
    const bool ok = inner_.entryDialog(kind, data);
    if (kind != EntryDialogKind::Property) {
      ++dialogs_;
      if (!ok) ++declined_;
      lastDialogName_ = data.name;
    }
    return ok;
  }
  void fileInformation(const std::string& path) override { inner_.fileInformation(path); }
  void searchOnline(const std::string& term) override { inner_.searchOnline(term); }

  // Counters only grow: compare them before and after an operation.
  [[nodiscard]] int messages() const { return messages_; }
  [[nodiscard]] int declined() const { return declined_; }
  [[nodiscard]] int dialogs() const { return dialogs_; }
  [[nodiscard]] const std::string& lastMessage() const { return lastMessage_; }
  // The name the last Add or Modify dialog was left with.
  [[nodiscard]] const std::string& lastDialogName() const { return lastDialogName_; }

 private:
  bool counted(bool yes) {
    if (!yes) ++declined_;
    return yes;
  }

  UserPrompt& inner_;
  int messages_ = 0;
  int declined_ = 0;
  int dialogs_ = 0;
  std::string lastMessage_;
  std::string lastDialogName_;
};

}  // namespace velmora
