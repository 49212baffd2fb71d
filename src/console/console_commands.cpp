#include "console/console_commands.h"

#include <algorithm>
#include <ctime>

#include "console/compare.h"
#include "core/format.h"
#include "lang/language_table.h"

namespace velmora {

namespace {

std::string said(const Translator& translator, std::string_view key, const std::vector<std::string>& values = {}) {
  return safeFormat(translator.translate(key, Escapes::Convert), values);
}

// /place as a node or a place; nothing after saying why it names neither.
bool choose(const ConsoleCommand& command, const ConsoleEngine& engine, ConsoleHost& host,
            std::optional<PlaceChoice>& choice) {
  if (!command.place) return true;
  std::vector<std::string> candidates;
  choice = choosePlace(engine.families, engine.translator, *command.place, candidates);
  if (choice) return true;
  const bool several = candidates.size() < engine.families.nodes().size();
  std::string list;
  for (const std::string& c : candidates) list += "\n  " + c;
  host.writeMessage(
      said(engine.translator, several ? "_ConsoleAmbiguousPlace" : "_ConsoleUnknownPlace", {*command.place}) + list);
  return false;
}

EntryFacts factsFor(const ConsoleEngine& engine, ConsoleHost& host, bool hash) {
  EntryFacts facts;
  facts.folders = host.folderNames();
  facts.signatures = engine.signatures;
  facts.records = engine.records;
  if (hash) facts.sha256 = [&host](const std::string& path) { return host.sha256(path); };
  return facts;
}

OutputDocument documentFor(ConsoleHost& host, std::string list, std::string record, OutputRecord schema) {
  OutputDocument d;
  d.facts = {{"machine", host.machine()}, {"user", host.user()}, {"taken", isoUtc(host.now())}};
  d.listName = std::move(list);
  d.recordName = std::move(record);
  d.schema = std::move(schema);
  return d;
}

// To standard output, or to the /out file (and nothing to standard output).
bool deliver(const ConsoleCommand& command, ConsoleHost& host, const Translator& translator,
             const OutputDocument& document) {
  const bool byteOrderMark = command.format == OutputFormat::Csv && (command.out || host.dataIsFile());
  const std::string text = renderDocument(document, command.format, byteOrderMark);
  if (!command.out) {
    host.writeData(text);
    return true;
  }
  if (host.writeFile(*command.out, text)) return true;
  host.writeMessage(said(translator, "_ConsoleOutFailed", {*command.out}));
  return false;
}

bool wanted(const ConsoleCommand& c, const ListedEntry& e) {
  if ((c.onlyOn && !e.enabled) || (c.onlyOff && e.enabled)) return false;
  if (c.onlyNew &&
      std::none_of(e.status.begin(), e.status.end(), [](const StatusReason& r) { return r.key == "_StatusNew"; })) {
    return false;
  }
  return !(c.hideWindows && signedByWindows(e));
}

int list(const ConsoleCommand& command, ConsoleEngine& engine, ConsoleHost& host) {
  std::optional<PlaceChoice> choice;
  if (!choose(command, engine, host, choice)) return console_exit::kFailed;
  EntryFacts facts = factsFor(engine, host, command.hash);
  const Listing listing = listEntries(engine.families, choice, true, facts);
  OutputDocument document = documentFor(host, "entries", "entry", entryRecord(ListedEntry{}));
  for (const Listing::Item& item : listing.items) {
    if (wanted(command, item.entry)) document.records.push_back(entryRecord(item.entry));
  }
  for (const std::string& problem : listing.problems) host.writeMessage(problem);
  if (!deliver(command, host, engine.translator, document)) return console_exit::kFailed;
  return listing.problems.empty() ? console_exit::kDone : console_exit::kPartly;
}

int compare(const ConsoleCommand& command, ConsoleEngine& engine, ConsoleHost& host) {
  const std::optional<std::string> text = host.readFile(command.baseline);
  const std::optional<std::vector<ListedEntry>> baseline =
      text ? readBaseline(*text, [&] { return host.readXmlListing(command.baseline); }) : std::nullopt;
  if (!baseline) {
    host.writeMessage(said(engine.translator, "_ConsoleBaselineUnreadable", {command.baseline}));
    return console_exit::kFailed;
  }
  std::optional<PlaceChoice> choice;
  if (!choose(command, engine, host, choice)) return console_exit::kFailed;
  EntryFacts facts = factsFor(engine, host, false);
  const Listing listing = listEntries(engine.families, choice, true, facts);
  // A place that could not be read would look as if its entries had gone.
  if (!listing.problems.empty()) {
    for (const std::string& problem : listing.problems) host.writeMessage(problem);
    host.writeMessage(said(engine.translator, "_ConsoleCannotCompare"));
    return console_exit::kFailed;
  }
  std::vector<ListedEntry> current;
  for (const Listing::Item& item : listing.items) current.push_back(item.entry);
  const std::vector<Difference> differences = compareEntries(*baseline, current, {command.ignoreWindows});
  OutputDocument document = documentFor(host, "differences", "difference", differenceRecord(Difference{}));
  document.facts.push_back({"baseline", command.baseline});
  for (const Difference& d : differences) document.records.push_back(differenceRecord(d));
  if (!deliver(command, host, engine.translator, document)) return console_exit::kFailed;
  return differences.empty() ? console_exit::kDone : console_exit::kPartly;
}

}  // namespace

std::string isoUtc(std::chrono::system_clock::time_point time) {
  const std::time_t t = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
#if defined(_WIN32)
  gmtime_s(&utc, &t);
#else
  gmtime_r(&t, &utc);
#endif
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string consoleUsage(const Translator& translator) { return said(translator, "_ConsoleUsage"); }

int runConsoleCommand(const ConsoleCommand& command, ConsoleEngine& engine, ConsoleHost& host, ConsolePrompt& prompt,
                      ConsoleRights& rights) {
  switch (command.verb) {
    case ConsoleVerb::List: return list(command, engine, host);
    case ConsoleVerb::Compare: return compare(command, engine, host);
    case ConsoleVerb::Disable:
    case ConsoleVerb::Enable: {
      // Every id is checked against every place; what the files say is not needed.
      EntryFacts facts;
      facts.folders = host.folderNames();
      const Listing listing = listEntries(engine.families, std::nullopt, false, facts);
      const SwitchOutput output{[&host](std::string_view line) { host.writeData(std::string(line) + "\r\n"); },
                                [&host](std::string_view text) { host.writeMessage(text); },
                                [&host] { return host.stopAsked(); }};
      return switchEntries(command, listing, engine.commit, prompt, rights, engine.translator, output);
    }
    case ConsoleVerb::Help: break;
  }
  host.writeData(consoleUsage(engine.translator));
  return console_exit::kDone;
}

}  // namespace velmora
