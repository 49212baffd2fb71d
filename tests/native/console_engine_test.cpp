// velmorac's engine over the program's own families and fakes of their
// ports: the stable id, the comparison, baselines read back, the command
// line, and disable and enable by id.
#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

#include "console/baseline.h"
#include "console/command_line.h"
#include "console/compare.h"
#include "console/console_listing.h"
#include "console/switch_entries.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_signatures.h"
#include "fakes/real_families.h"

namespace velmora::testing {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kUserRun = "HKEY_CURRENT_USER\\" + kRun;

TEST(ConsoleId, NamesAnEntryByFamilyPlaceAndNameAsWindowsComparesThem) {
  const std::string id = entryId("registry", kUserRun, "Tool");
  // Pinned (FNV-1a 64 of "REGISTRY\0HKEY_CURRENT_USER\\SOFTWARE\\...\\RUN\0TOOL"): an id a
  // script read yesterday, or on another machine, still names the entry.
  EXPECT_EQ(id, "6f2e6591f09f6e49");
  EXPECT_EQ(entryId("registry", "hkey_current_user\\SOFTWARE\\microsoft\\Windows\\CurrentVersion\\RUN", "TOOL"), id);
  EXPECT_NE(entryId("registry", kUserRun, "Tool2"), id);
  EXPECT_NE(entryId("programlist", kUserRun, "Tool"), id);
  EXPECT_NE(entryId("registry", "HKEY_LOCAL_MACHINE\\" + kRun, "Tool"), id);
  // The family, place and name never run into each other.
  EXPECT_NE(entryId("registry", "ab", "c"), entryId("registry", "a", "bc"));
  EXPECT_EQ(entryId("startupfolder", "C:\\Users\\\xC3\x84rger", "\xC3\xA4.lnk"),
            entryId("startupfolder", "c:\\users\\\xC3\xA4RGER", "\xC3\x84.LNK"));

  const std::vector<FolderName> folders{{"C:\\Users\\bob\\AppData\\Roaming\\", "%APPDATA%"},
                                        {"C:\\Users\\bob", "%USERPROFILE%"}};
  EXPECT_EQ(placeForId("c:\\users\\BOB\\AppData\\Roaming\\Microsoft\\Startup", folders),
            "%APPDATA%\\Microsoft\\Startup");
  EXPECT_EQ(placeForId("C:\\Users\\bob", folders), "%USERPROFILE%");
  EXPECT_EQ(placeForId("C:\\Users\\bobby\\x", folders), "C:\\Users\\bobby\\x");
  EXPECT_EQ(placeForId(kUserRun, folders), kUserRun);
}

ListedEntry entry(std::string id, std::string command, bool enabled = true, std::string signature = "",
                  std::string signer = "") {
  ListedEntry e;
  e.id = std::move(id);
  e.family = "registry";
  e.place = kUserRun;
  e.name = "n" + e.id;
  e.command = std::move(command);
  e.enabled = enabled;
  e.signature = std::move(signature);
  e.signer = std::move(signer);
  return e;
}

std::string said(const std::vector<Difference>& d) {
  std::string out;
  for (const Difference& x : d) {
    static const char* kinds[] = {"+", "-", "~"};
    out += kinds[static_cast<int>(x.kind)] + x.entry.id + (x.field.empty() ? "" : " " + x.field) + " [" + x.before +
           "|" + x.after + "];";
  }
  return out;
}

TEST(ConsoleCompare, FindsWhatWasAddedRemovedAndChanged) {
  const ListedEntry ms = entry("w", "C:\\Windows\\a.exe", true, "verified", "Microsoft Windows");
  const struct {
    const char* what;
    std::vector<ListedEntry> baseline, current;
    bool ignoreWindows;
    std::string expected;
  } cases[] = {
      {"nothing", {entry("a", "a.exe")}, {entry("a", "a.exe")}, false, ""},
      {"added", {}, {entry("a", "a.exe")}, false, "+a [|a.exe];"},
      {"removed", {entry("a", "a.exe")}, {}, false, "-a [a.exe|];"},
      {"command", {entry("a", "a.exe")}, {entry("a", "b.exe")}, false, "~a command [a.exe|b.exe];"},
      {"on/off", {entry("a", "a.exe")}, {entry("a", "a.exe", false)}, false, "~a enabled [true|false];"},
      {"signer",
       {entry("a", "a.exe", true, "verified", "Vendor")},
       {entry("a", "a.exe", true, "invalid")},
       false,
       "~a signer [Vendor|invalid];"},
      {"another capitalisation", {entry("ABC", "C:\\A.EXE")}, {entry("abc", "c:\\a.exe")}, false, ""},
      {"two fields",
       {entry("a", "a.exe")},
       {entry("a", "b.exe", false)},
       false,
       "~a command [a.exe|b.exe];~a enabled [true|false];"},
      // A program back beside its record: the live one and the record pair up alike.
      {"one id twice",
       {entry("a", "a.exe", false), entry("a", "a.exe")},
       {entry("a", "a.exe"), entry("a", "a.exe", false)},
       false,
       ""},
      {"Windows' own left out", {ms}, {}, true, ""},
      {"Windows' own counted", {ms}, {}, false, "-w [C:\\Windows\\a.exe|];"},
      {"a Windows program replaced still counts",
       {ms},
       {entry("w", "C:\\Windows\\a.exe", true, "unsigned")},
       true,
       "~w signer [Microsoft Windows|unsigned];"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(said(compareEntries(c.baseline, c.current, {c.ignoreWindows})), c.expected) << c.what;
  }
}

TEST(ConsoleBaseline, ReadsBackEveryFormatAndRefusesWhatIsNoListing) {
  std::vector<ListedEntry> entries{
      entry("0123456789abcdef", "\"C:\\Program Files\\A\\a.exe\" /x, \"y\"", false, "verified", "A, Inc."),
      entry("fedcba9876543210", "b.exe\tc\r\nd")};
  entries[1].status = {{"_StatusFileMissing", "File not found"}};
  OutputDocument d;
  d.listName = "entries";
  d.recordName = "entry";
  d.schema = entryRecord(ListedEntry{});
  for (const ListedEntry& e : entries) d.records.push_back(entryRecord(e));
  for (const OutputFormat format : {OutputFormat::Csv, OutputFormat::Tsv, OutputFormat::Json}) {
    const auto back = readBaseline(renderDocument(d, format, true), nullptr);
    ASSERT_TRUE(back) << static_cast<int>(format);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_TRUE(compareEntries(entries, *back).empty()) << static_cast<int>(format);
    EXPECT_EQ((*back)[0].command, entries[0].command);
    EXPECT_EQ((*back)[1].command, entries[1].command);
    EXPECT_EQ((*back)[0].signer, "A, Inc.");
  }
  // XML comes through the parser the host has.
  const auto xml = readBaseline("<entries>", [] {
    const XmlFields element{{"id", "a"},          {"family", "registry"}, {"place", "p"},
                            {"name-hex", "6e07"}, {"command", "c"},       {"enabled", "true"}};
    return std::optional<std::vector<XmlFields>>(std::vector<XmlFields>{element});
  });
  ASSERT_TRUE(xml);
  EXPECT_EQ(xml->front().name, "n\x07");
  for (const char* bad : {"", "id,family\r\na,b\r\n", "{\"entries\":[{\"id\":\"a\"}]}",
                          "id,family,place,name,command,enabled\r\na,r,p,n,c,maybe\r\n", "{\"entries\":[", "<x/>"}) {
    EXPECT_FALSE(readBaseline(bad, [] { return std::nullopt; })) << bad;
  }
  EXPECT_EQ(readBaseline("id,family,place,name,command,enabled\r\n", nullptr)->size(), 0u);
}

TEST(ConsoleCommandLine, TakesEachCommandsSwitchesAndRefusesTheRest) {
  const auto parse = [](std::vector<std::string> args) { return parseCommandLine(args); };
  EXPECT_EQ(parse({}).command.verb, ConsoleVerb::Help);
  EXPECT_EQ(parse({"/?"}).command.verb, ConsoleVerb::Help);
  const ParsedCommandLine list = parse(
      {"LIST", "/Format", "json", "-out:C:\\x.json", "--place=Registry\\Run", "/only-off", "/hide-windows", "/hash"});
  ASSERT_FALSE(list.error);
  EXPECT_EQ(list.command.verb, ConsoleVerb::List);
  EXPECT_EQ(list.command.format, OutputFormat::Json);
  EXPECT_EQ(list.command.out, "C:\\x.json");
  EXPECT_EQ(list.command.place, "Registry\\Run");
  EXPECT_TRUE(list.command.onlyOff && list.command.hideWindows && list.command.hash && !list.command.onlyOn);
  const ParsedCommandLine compare = parse({"compare", "C:\\base.csv", "/ignore-windows"});
  EXPECT_EQ(compare.command.baseline, "C:\\base.csv");
  EXPECT_TRUE(compare.command.ignoreWindows);
  const ParsedCommandLine disable = parse({"disable", "0123456789abcdef", "/whatif", "fedcba9876543210"});
  EXPECT_EQ(disable.command.ids, (std::vector<std::string>{"0123456789abcdef", "fedcba9876543210"}));
  EXPECT_TRUE(disable.command.whatIf);

  const struct {
    std::vector<std::string> args;
    const char* key;
  } refused[] = {
      {{"lsit"}, "_ConsoleUnknownCommand"},
      {{"list", "/format", "yaml"}, "_ConsoleUnknownFormat"},
      {{"list", "/format"}, "_ConsoleMissingValue"},
      {{"list", "/whatif"}, "_ConsoleUnknownSwitch"},
      {{"list", "extra"}, "_ConsoleUnexpectedArgument"},
      {{"list", "/only-on", "/only-off"}, "_ConsoleOnlyOnOrOff"},
      {{"compare"}, "_ConsoleNoBaseline"},
      {{"disable", "/whatif"}, "_ConsoleNoIds"},
      {{"enable", "x", "/format", "csv"}, "_ConsoleUnknownSwitch"},
      {{"list", "/hash:yes"}, "_ConsoleUnknownSwitch"},
  };
  for (const auto& r : refused) {
    const ParsedCommandLine p = parse(r.args);
    ASSERT_TRUE(p.error) << r.key;
    EXPECT_EQ(p.error->key, r.key);
  }
}

// Disable and enable by id through the program's families, over a fake registry.
struct Switching : ::testing::Test {
  FakeRegistry reg;
  RealFamilies f{reg};
  ConsoleRights rights{false};
  std::vector<std::string> data, messages;
  ConsolePrompt prompt{f.tr, [this](std::string_view m) { messages.emplace_back(m); }};

  void SetUp() override {
    f.context.adminRestart = &rights;
    reg.put(RootKey::CurrentUser, kRun, "Tool", "C:\\tool.exe");
    reg.put(RootKey::CurrentUser, kRun, "Other", "C:\\other.exe");
  }
  int run(ConsoleVerb verb, std::vector<std::string> ids, bool whatIf = false) {
    EntryFacts facts;
    const Listing listing = listEntries(f.table, std::nullopt, false, facts);
    ConsoleCommand c;
    c.verb = verb;
    c.ids = std::move(ids);
    c.whatIf = whatIf;
    return switchEntries(c, listing, f.commit, prompt, rights, f.tr,
                         {[this](std::string_view l) { data.emplace_back(l); },
                          [this](std::string_view m) { messages.emplace_back(m); }, stop});
  }
  std::function<bool()> stop;
  static std::string id(const std::string& name) { return entryId("registry", kUserRun, name); }
};

TEST_F(Switching, DisablesAndEnablesByIdWhichADisabledEntryKeeps) {
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool")}, true), console_exit::kDone);
  EXPECT_NE(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr) << "/whatif changes nothing";
  EXPECT_EQ(data, std::vector<std::string>{"_ConsoleWouldDisable"});

  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool")}), console_exit::kDone);
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_EQ(f.store.elements.size(), 1u);
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool")}), console_exit::kDone) << "off already";
  EXPECT_EQ(run(ConsoleVerb::Enable, {id("Tool")}), console_exit::kDone) << "the same id";
  ASSERT_NE(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_TRUE(f.store.elements.empty());
  EXPECT_TRUE(messages.empty());
}

// Ctrl+C while changes are made: the one being made is made whole, no
// other is started, and the exit code says that not all were.
TEST_F(Switching, AStopAskedBetweenChangesKeepsTheOneMadeAndStartsNoOther) {
  int asked = 0;
  stop = [&asked] { return ++asked > 1; };
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool"), id("Other")}), console_exit::kPartly);
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_NE(reg.find(RootKey::CurrentUser, kRun, "Other"), nullptr);
  EXPECT_EQ(f.store.elements.size(), 1u) << "the record of the one made";
  EXPECT_EQ(messages, std::vector<std::string>{"_ConsoleStopped"});
  stop = [] { return true; };
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Other")}), console_exit::kFailed) << "nothing made";
}

TEST_F(Switching, AnUnknownOrAmbiguousIdChangesNothing) {
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool"), "0000000000000000"}), console_exit::kFailed);
  EXPECT_NE(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_EQ(messages, (std::vector<std::string>{"_ConsoleUnknownId", "_ConsoleNothingChanged"}));
  // The program put itself back beside its record: two entries to enable... one.
  ASSERT_EQ(run(ConsoleVerb::Disable, {id("Tool")}), console_exit::kDone);
  reg.put(RootKey::CurrentUser, kRun, "Tool", "C:\\tool.exe");
  ASSERT_EQ(run(ConsoleVerb::Disable, {id("Tool")}), console_exit::kDone);  // the live one
  messages.clear();
  EXPECT_EQ(run(ConsoleVerb::Enable, {id("Tool")}), console_exit::kFailed);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].substr(0, 18), "_ConsoleAmbiguousI");
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
}

// A part of Windows is asked about, as in the window: velmorac answers No,
// in a dry run as in a real one, and switches the others off.
TEST_F(Switching, APartOfWindowsIsAskedAboutAndLeftOn) {
  const std::string health = "C:\\Windows\\System32\\SecurityHealthSystray.exe";
  reg.put(RootKey::CurrentUser, kRun, "Health", health);
  FilesOnly files;
  files.files = {health};
  FakeSignatureCheck check;
  check.files[health] = {{1, 1}, {SignatureVerdict::Verified, "Microsoft Windows"}};
  SignatureMemory signatures{check};
  f.context.programFiles = &files;
  f.context.signatures = &signatures;
  for (const bool whatIf : {true, false}) {
    messages.clear();
    EXPECT_EQ(run(ConsoleVerb::Disable, {id("Health"), id("Tool")}, whatIf), console_exit::kPartly) << whatIf;
    EXPECT_NE(reg.find(RootKey::CurrentUser, kRun, "Health"), nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{"_DisableWindowsPart", "_ConsoleAnsweredNo", "_StatusDisableFailed"}));
  }
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
}

TEST_F(Switching, ARefusalSaysWhyAndCountsAgainstTheExitCode) {
  f.store.refused = true;  // the records' folder needs administrator rights
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool")}), console_exit::kFailed);
  EXPECT_NE(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_EQ(messages,
            (std::vector<std::string>{"_ProgramFolderRefused", "_ConsoleNeedsAdministrator", "_StatusDisableFailed"}));
  // One made, one refused: the key of the other will not let its value go.
  f.store.refused = false;
  const std::string runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  reg.put(RootKey::CurrentUser, runOnce, "Once", "C:\\once.exe");
  reg.denyDelete(RootKey::CurrentUser, runOnce);
  messages.clear();
  EXPECT_EQ(run(ConsoleVerb::Disable, {id("Tool"), entryId("registry", "HKEY_CURRENT_USER\\" + runOnce, "Once")}),
            console_exit::kPartly);
  EXPECT_EQ(reg.find(RootKey::CurrentUser, kRun, "Tool"), nullptr);
  EXPECT_NE(reg.find(RootKey::CurrentUser, runOnce, "Once"), nullptr);
  EXPECT_EQ(f.store.elements.size(), 1u) << "the refused one's record taken back";
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "_StatusDisableFailed");
}

}  // namespace
}  // namespace velmora::testing
