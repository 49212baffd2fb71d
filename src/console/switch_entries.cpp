#include "console/switch_entries.h"

#include <set>

#include "core/format.h"
#include "core/text.h"
#include "family/file_signature.h"
#include "lang/language_table.h"

namespace velmora {

namespace {

struct Target {
  std::string id;
  const Listing::Item* item = nullptr;  // none: already as asked
  const Listing::Item* already = nullptr;
};

std::string named(const ListedEntry& e) { return e.name + " (" + e.place + ")"; }

// The listing for a switch is not described (it reads no program file), so
// the entry to be switched off is, to know whether it is part of Windows.
bool mayDisable(const Listing& listing, const Listing::Item& item, ConsolePrompt& prompt,
                const Translator& translator) {
  Row row = listing.row(item);
  if (!row.program.empty()) listing.family(item).describe(row);
  const std::optional<std::string> question = partOfWindowsQuestion(row, translator);
  return !question || prompt.confirm(*question);
}

}  // namespace

int switchEntries(const ConsoleCommand& command, const Listing& listing, ChangeCommit& commit, ConsolePrompt& prompt,
                  ConsoleRights& rights, const Translator& translator, const SwitchOutput& output) {
  const bool enable = command.verb == ConsoleVerb::Enable;
  const auto say = [&translator](std::string_view key, const std::vector<std::string>& values) {
    return safeFormat(translator.translate(key, Escapes::Convert), values);
  };

  // Every id first: one that names nothing, or names several entries that
  // could be switched, stops everything before a change.
  std::vector<Target> targets;
  std::set<std::string> seen;
  bool wrong = false;
  for (const std::string& id : command.ids) {
    if (!seen.insert(foldedIgnoreCase(id)).second) continue;
    Target t{id};
    std::vector<const Listing::Item*> switchable;
    for (const Listing::Item& item : listing.items) {
      if (!equalsIgnoreCase(item.entry.id, id)) continue;
      if (item.entry.enabled != enable) {
        switchable.push_back(&item);
      } else if (!t.already) {
        t.already = &item;
      }
    }
    if (switchable.empty() && !t.already) {
      output.message(say("_ConsoleUnknownId", {id}));
      wrong = true;
    } else if (switchable.size() > 1) {
      std::string which;
      for (const Listing::Item* item : switchable) which += "\n  " + named(item->entry);
      output.message(say("_ConsoleAmbiguousId", {id}) + which);
      wrong = true;
    } else {
      t.item = switchable.empty() ? nullptr : switchable.front();
      targets.push_back(t);
    }
  }
  if (wrong) {
    for (const std::string& problem : listing.problems) output.message(problem);
    output.message(say("_ConsoleNothingChanged", {}));
    return console_exit::kFailed;
  }

  const ChangeKind kind = enable ? ChangeKind::Enable : ChangeKind::Disable;
  std::size_t made = 0, refused = 0;
  for (const Target& t : targets) {
    if (!t.item) {
      output.data(say(enable ? "_ConsoleAlreadyOn" : "_ConsoleAlreadyOff", {named(t.already->entry)}));
      continue;
    }
    const ListedEntry& e = t.item->entry;
    // Asked as the window asks it, before a part of Windows is switched off;
    // the console's answer is No, so a dry run says so too.
    if (!enable && !mayDisable(listing, *t.item, prompt, translator)) {
      ++refused;
      output.message(changeReport(translator, kind, named(e), false, translator.translate("_ConsoleDeclined")));
      continue;
    }
    if (command.whatIf) {
      output.data(say(enable ? "_ConsoleWouldEnable" : "_ConsoleWouldDisable", {named(e)}));
      ++made;  // as the exit code of the real run would count it
      continue;
    }
    if (output.stopAsked && output.stopAsked()) {
      output.message(say("_ConsoleStopped", {}));
      return made > 0 ? console_exit::kPartly : console_exit::kFailed;
    }
    EntryFamily& family = listing.family(*t.item);
    const EntryRef entry = entryOf(listing.row(*t.item));
    const OperationResult result = enable ? family.enable(entry, prompt) : family.disable(entry, prompt);
    commit.commit(family.traitsFor(entry), result, prompt);
    if (rights.takeRefusal()) output.message(say("_ConsoleNeedsAdministrator", {e.name}));
    if (result.done()) {
      ++made;
      output.data(changeReport(translator, kind, named(e), true, {}));
      continue;
    }
    ++refused;
    // A question answered No leaves no message of the family's own.
    const std::string why = result.messages.empty() ? translator.translate("_ConsoleDeclined") : result.messages.back();
    output.message(changeReport(translator, kind, named(e), false, why));
  }
  if (refused == 0) return console_exit::kDone;
  return made > 0 ? console_exit::kPartly : console_exit::kFailed;
}

}  // namespace velmora
