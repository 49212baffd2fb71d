#pragma once
// `velmorac disable ID...` and `velmorac enable ID...`: the same operation as
// the box in the window, through the same commit (the operation log, the
// change history with its Undo), one entry after another. Every id is
// checked before anything changes.
#include <functional>
#include <string_view>

#include "console/command_line.h"
#include "console/console_listing.h"
#include "console/console_prompt.h"
#include "history/change_commit.h"

namespace velmora {

// Where the results go: lines of data (what was done, or with /whatif what
// would be) and messages (why something was refused).
struct SwitchOutput {
  std::function<void(std::string_view)> data;
  std::function<void(std::string_view)> message;
  // Whether the user asked to stop (Ctrl+C): asked before each change, so
  // a change is never cut in half. Unset: never.
  std::function<bool()> stopAsked;
};

// Exit codes, as scripts test them; never renumbered.
namespace console_exit {
constexpr int kDone = 0;    // everything asked was done; no difference
constexpr int kPartly = 1;  // some changes made, others refused; differences; a place unreadable
constexpr int kFailed = 2;  // nothing done: a wrong command line, an unknown id, an unreadable baseline
}  // namespace console_exit

// Turns the entries `command.ids` name on (enable) or off (disable) in
// `listing`. An id that names no entry, or several that could be switched
// (a program that put itself back beside its record), changes nothing and
// gives kFailed. An entry already as asked counts as done. Then kDone when
// every change was made, kPartly when some were made and others refused,
// kFailed when none was made; each refusal says why.
int switchEntries(const ConsoleCommand& command, const Listing& listing, ChangeCommit& commit, ConsolePrompt& prompt,
                  ConsoleRights& rights, const Translator& translator, const SwitchOutput& output);

}  // namespace velmora
