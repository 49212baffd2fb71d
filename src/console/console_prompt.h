#pragma once
// The console asks nothing: every question a family would ask the user is
// written to standard error and answered with its safe default (Cancel), and
// a change Windows refused for lack of rights is never offered a restart as
// administrator.
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "family/admin_restart.h"
#include "family/prompt.h"

namespace velmora {

class Translator;

class ConsolePrompt : public UserPrompt {
 public:
  // `write` puts one message on standard error.
  ConsolePrompt(const Translator& translator, std::function<void(std::string_view)> write)
      : translator_(translator), write_(std::move(write)) {}

  void message(const std::string& text) override { write_(text); }
  bool confirm(const std::string& text) override { return answerNo(text); }
  bool confirmWarning(const std::string& text) override { return answerNo(text); }
  bool entryDialog(EntryDialogKind, EntryDialogData&) override { return false; }
  void fileInformation(const std::string&) override {}
  void searchOnline(const std::string&) override {}

 private:
  bool answerNo(const std::string& question);

  const Translator& translator_;
  std::function<void(std::string_view)> write_;
};

// A family asks whether starting again as administrator could help exactly
// when Windows refused a change for lack of rights. The console never
// starts itself again; it notes the refusal, and the change then says that
// it needs administrator rights.
class ConsoleRights : public AdminRestart {
 public:
  explicit ConsoleRights(bool elevated) : elevated_(elevated) {}
  [[nodiscard]] bool available() const override {
    refused_ = true;
    return false;
  }
  [[nodiscard]] RestartOutcome restart() override { return RestartOutcome::Failed; }
  // Whether a change was refused for lack of rights that an administrator
  // has, since the last call.
  bool takeRefusal() { return std::exchange(refused_, false) && !elevated_; }

 private:
  bool elevated_;
  mutable bool refused_ = false;
};

}  // namespace velmora
