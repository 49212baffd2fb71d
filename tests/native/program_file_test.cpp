// The program file of a command line, found as Windows finds it, and the
// publisher and status columns a listing gets from it.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/text.h"
#include "fakes/fake_folders.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "family/program_file.h"
#include "registry/registry_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

// A machine with a few files, %windir% and %ProgramFiles%, a search path of
// C:\Windows\System32 and one App Paths entry.
class FakeLookup : public ProgramFileLookup {
 public:
  std::set<std::string> files = {
      "C:\\Program Files\\Vendor Tool\\tool.exe", "C:\\Windows\\System32\\rundll32.exe",
      "C:\\Windows\\System32\\SecurityHealthSystray.exe", "C:\\Program Files\\A B\\app.exe",
      "C:\\Tools\\t.exe", "C:\\Program.exe.bak", "C:\\Apps\\Sync.exe", "C:\\Apps\\Sync Tool\\sync.exe", "C:\\Startup\\notes.txt", "C:\\Users\\me\\My App\\run.cmd"};
  std::map<std::string, std::string> companies = {{"C:\\Program Files\\Vendor Tool\\tool.exe", "Vendor Ltd"}};
  int lookups = 0;
  int companyReads = 0;

  std::string expand(const std::string& text) override {
    std::string out = replaceAll(text, "%windir%", "C:\\Windows");
    return replaceAll(out, "%ProgramFiles%", "C:\\Program Files");
  }
  bool isFile(const std::string& path) override {
    ++lookups;
    for (const auto& f : files) {
      if (equalsIgnoreCase(f, path)) return true;
    }
    return false;
  }
  std::optional<std::string> findBareName(const std::string& name) override {
    const std::string withExe = name.find('.') == std::string::npos ? name + ".exe" : name;
    const std::string inSystem = "C:\\Windows\\System32\\" + withExe;
    if (isFile(inSystem)) return inSystem;
    if (equalsIgnoreCase(withExe, "vendortool.exe")) return std::string("C:\\Program Files\\Vendor Tool\\tool.exe");
    return std::nullopt;
  }
  std::string companyName(const std::string& path) override {
    ++companyReads;
    const auto it = companies.find(path);
    return it == companies.end() ? std::string() : it->second;
  }
  std::set<std::string> opened = {".LNK", ".BAT", ".TXT"};
  int typeLookups = 0;
  bool opensByExtension(const std::string& extension) override {
    ++typeLookups;
    return opened.count(asciiUpper(extension)) != 0;
  }
};

TEST(ProgramFileResolution, RealWorldCommandLines) {
  struct Case {
    const char* commandLine;
    const char* file;
    bool found;
    bool hijackable = false;
  };
  const Case cases[] = {
      // Quoted paths with blanks, arguments with slashes and quotes.
      {"\"C:\\Program Files\\Vendor Tool\\tool.exe\" /tray --name \"a b\"", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"  \"C:\\Program Files\\Vendor Tool\\tool.exe\"", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"\"C:\\Program Files\\Vendor Tool\\tool\" -q", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"\"C:\\Program Files\\Gone\\gone.exe\" -q", "C:\\Program Files\\Gone\\gone.exe", false},
      {"\"C:\\Program Files\\Vendor Tool\\tool.exe", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      // Unquoted paths with blanks, resolved as CreateProcess does.
      {"C:\\Program Files\\A B\\app.exe -minimized /x:\"y z\"", "C:\\Program Files\\A B\\app.exe", true},
      {"C:\\Program Files\\Vendor Tool\\tool.exe", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"C:\\Program Files\\Vendor Tool\\tool /background", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"C:\\Users\\me\\My App\\run.cmd", "C:\\Users\\me\\My App\\run.cmd", true},
      {"C:\\Tools\\t.exe /s /d:C:\\Temp", "C:\\Tools\\t.exe", true},
      {"C:\\Program Files\\Gone\\gone.exe -q", "C:\\Program.exe", false},
      // A shorter prefix that exists is started instead of the program meant.
      {"C:\\Apps\\Sync Tool\\sync.exe /min", "C:\\Apps\\Sync.exe", true, true},
      {"C:\\Apps\\Sync Tool\\sync /min", "C:\\Apps\\Sync.exe", true, true},
      {"\"C:\\Apps\\Sync Tool\\sync.exe\" /min", "C:\\Apps\\Sync Tool\\sync.exe", true},
      {"C:\\Apps\\Sync Tool\\gone.exe", "C:\\Apps\\Sync.exe", true},
      // Environment references.
      {"%windir%\\system32\\SecurityHealthSystray.exe", "C:\\Windows\\system32\\SecurityHealthSystray.exe", true},
      {"\"%ProgramFiles%\\Vendor Tool\\tool.exe\" -q", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"%ProgramFiles%\\A B\\app.exe", "C:\\Program Files\\A B\\app.exe", true},
      // Bare names: the search path, then App Paths.
      {"rundll32.exe C:\\Program Files\\X\\x.dll,Entry 1", "C:\\Windows\\System32\\rundll32.exe", true},
      {"rundll32 x.dll,Entry", "C:\\Windows\\System32\\rundll32.exe", true},
      {"VendorTool /min", "C:\\Program Files\\Vendor Tool\\tool.exe", true},
      {"nothere.exe -x", "nothere.exe", false},
      // Nothing to look for.
      {"", "", false},
      {"   ", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    FakeLookup lookup;
    const ProgramFile file = resolveProgramFile(c.commandLine, lookup);
    EXPECT_EQ(file.path, c.file);
    EXPECT_EQ(file.found, c.found);
    EXPECT_EQ(file.hijackable, c.hijackable);
  }
}

TEST(ProgramFileResolution, AMissingQuotedFileCostsOneLookUp) {
  FakeLookup lookup;
  (void)resolveProgramFile("\"C:\\Program Files\\Gone\\gone.exe\" /a b c d e", lookup);
  EXPECT_EQ(lookup.lookups, 1);
}

// A pane's columns 4 and 5 over fakes, with the texts they show.
class RowDescriptions : public ::testing::Test {
 protected:
  RowDescriptions() {
    tr.texts = {{"_RegString", "Registry value"},
                {"_StatusFileMissing", "File not found"},
                {"_StatusLegacy", "Not run by this version of Windows"},
                {"_StatusCameBack", "Came back after it was disabled"},
                {"_StatusOffInWindows", "Turned off in Windows startup settings"},
                {"_StatusNotStartable", "Windows cannot start this file"},
                {"_StatusPolicyDisableCurrentUserRun", "User Run off by policy"},
                {"_StatusPolicyDisableLocalMachineRunOnce", "Machine RunOnce off by policy"},
                {"_StatusRunsOnce", "Runs once"},
                {"_StatusHijackable", "Hijackable"}};
  }
  FakeRegistry reg;
  FakeStore store;
  MapTranslator tr;
  FakeList list;
  FakeLookup lookup;
  FamilyContext context{store, tr, {}, nullptr, &lookup};
};

// Columns 4 and 5 of a Run-key pane: the publisher of a found file (read once
// for rows sharing it), "file not found", the legacy keys, an entry that came
// back after it was disabled; statuses joined with "; ".
TEST_F(RowDescriptions, PublisherAndStatusOfEachRow) {
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string services = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
  const std::string runSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  reg.put(RootKey::CurrentUser, runSub, "Tool", "\"C:\\Program Files\\Vendor Tool\\tool.exe\" /a");
  reg.put(RootKey::CurrentUser, runSub, "Tool2", "\"C:\\Program Files\\Vendor Tool\\tool.exe\" /b");
  reg.put(RootKey::CurrentUser, runSub, "Gone", "C:\\Gone\\gone.exe");
  reg.put(RootKey::CurrentUser, runSub, "Updater", "C:\\TOOLS\\T.EXE /s");
  store.elements.push_back({kRegistryRecords, {run, "updater", "C:\\Tools\\t.exe /s"}});
  reg.put(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", "Old", "C:\\Gone\\old.exe");

  RegistryFamily pane{{run, services}, reg, context};
  list.rows = pane.list();
  ASSERT_EQ(list.rows.size(), 6u);
  EXPECT_EQ(lookup.lookups + lookup.companyReads, 0) << "a fill looks no file up";
  for (Row& r : list.rows) pane.describe(r);
  const auto shown = [&](std::size_t i) { return list.rows[i].publisher + "|" + list.rows[i].status; };
  EXPECT_EQ(shown(0), "|") << "the disabled record's file exists";
  EXPECT_EQ(shown(1), "Vendor Ltd|");
  EXPECT_EQ(shown(2), "Vendor Ltd|");
  EXPECT_EQ(shown(3), "|File not found");
  EXPECT_EQ(shown(4), "|Came back after it was disabled");
  EXPECT_EQ(shown(5), "|Not run by this version of Windows; File not found");
  EXPECT_EQ(lookup.companyReads, 2) << "tool.exe and t.exe, each once";

  // Described twice, a row says it once; the next fill looks files up afresh.
  const Row again = list.rows[3];
  Row twice = list.rows[3];
  pane.describe(twice);
  EXPECT_EQ(twice, again);
  list.rows = pane.list();
  pane.describe(list.rows[1]);
  EXPECT_EQ(lookup.companyReads, 3) << "what a file says may have changed since the last fill";
}

// Why Windows will not run an entry that looks on: a policy of either scope
// for the keys it governs, RunOnce, an unquoted path another file can take.
TEST_F(RowDescriptions, WhyWindowsWillNotRunAKeysEntries) {
  const std::string version = "Software\\Microsoft\\Windows\\CurrentVersion";
  reg.putBytes(RootKey::LocalMachine, version + "\\Policies\\Explorer", "DisableCurrentUserRun", {1, 0, 0, 0}, 4);
  reg.putBytes(RootKey::CurrentUser, version + "\\Policies\\Explorer", "DisableLocalMachineRunOnce", {1, 0, 0, 0}, 4);
  reg.putBytes(RootKey::CurrentUser, version + "\\Policies\\Explorer", "DisableLocalMachineRun", {0, 0, 0, 0}, 4);
  const std::pair<RootKey, const char*> keys[] = {{RootKey::CurrentUser, "Run"},
                                                  {RootKey::CurrentUser, "RunOnce"},
                                                  {RootKey::LocalMachine, "Run"},
                                                  {RootKey::LocalMachine, "RunOnce"},
                                                  {RootKey::CurrentUser, "Policies\\Explorer\\Run"}};
  std::vector<std::string> paths;
  for (const auto& [root, key] : keys) {
    reg.put(root, version + "\\" + key, "Sync", "C:\\Apps\\Sync Tool\\sync.exe");
    paths.push_back((root == RootKey::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") + version + "\\" + key);
  }
  RegistryFamily pane{paths, reg, context};
  list.rows = pane.list();
  std::vector<std::string> status;
  for (Row& r : list.rows) {
    pane.describe(r);
    status.push_back(r.status);
  }
  EXPECT_EQ(status, (std::vector<std::string>{"User Run off by policy; Hijackable", "Runs once; Hijackable",
                                              "Hijackable", "Machine RunOnce off by policy; Hijackable",
                                              "Hijackable"}));
  EXPECT_EQ(list.rows[0].reasons.front().key, "_StatusPolicyDisableCurrentUserRun");
}

// A startup folder's file that Windows cannot open (no extension, or a type
// nothing is registered for) never starts: its row says so. Kept copies are
// not in the folder, so their records say nothing of it.
TEST_F(RowDescriptions, StartupFolderFilesWindowsCannotStart) {
  FakeFolders fs;
  FakeShellLinks links{fs};
  const std::string folder = "C:\\Users\\Ann\\Startup";
  fs.addFolder(folder);
  fs.put(folder + "\\Dropbox Sync", FakeShellLinks::linkBytes("C:\\Tools\\t.exe"));
  fs.put(folder + "\\Tool.lnk", FakeShellLinks::linkBytes("C:\\Tools\\t.exe"));
  fs.put(folder + "\\Other.LNK", FakeShellLinks::linkBytes("C:\\Tools\\t.exe"));
  fs.put(folder + "\\notes.txt", "x");
  fs.put(folder + "\\data.xyz", "x");
  fs.put(folder + "\\trailing.", "x");
  store.elements.push_back({kStartupFolderRecords, {folder, "Old", "C:\\Tools\\t.exe"}});
  auto family = startupFolderFamily(reg, fs, links, "C:\\Velmora", context).make({folder});
  list.rows = family->list();
  std::map<std::string, std::string> status;
  for (const Row& r : list.rows) status[r.name] = r.status;
  EXPECT_EQ(status, (std::map<std::string, std::string>{{"Old", ""},
                                                        {"Dropbox Sync", "Windows cannot start this file"},
                                                        {"Tool.lnk", ""},
                                                        {"Other.LNK", ""},
                                                        {"notes.txt", ""},
                                                        {"data.xyz", "Windows cannot start this file"},
                                                        {"trailing.", "Windows cannot start this file"}}));
  EXPECT_EQ(lookup.typeLookups, 3) << "each extension once a listing, whatever its case";
}

// After an Enable or Disable the pane keeps the row and records where its
// entry is now; what held only where it was must not stay in its status.
TEST_F(RowDescriptions, AMovedRowLosesTheStatusOfWhereItWas) {
  const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string runSub = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  reg.put(RootKey::CurrentUser, runSub, "Off", "C:\\Gone\\off.exe");
  reg.putBytes(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run",
               "Off", {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  reg.put(RootKey::CurrentUser, runSub, "Back", "C:\\Tools\\t.exe");
  store.elements.push_back({kRegistryRecords, {run, "Back", "C:\\Tools\\t.exe"}});
  RegistryFamily pane{{run}, reg, context};
  list.rows = pane.list();
  const auto row = [&](const std::string& name, RowOrigin origin) -> Row& {
    for (Row& r : list.rows) {
      if (r.name == name && r.origin == origin) return r;
    }
    ADD_FAILURE() << name;
    return list.rows.front();
  };
  Row& off = row("Off", RowOrigin::OffInWindows);
  Row& back = row("Back", RowOrigin::Live);
  EXPECT_EQ(off.status, "Turned off in Windows startup settings");
  EXPECT_EQ(back.status, "Came back after it was disabled");

  off.origin = RowOrigin::Live;  // checked: Windows' switch is on now
  pane.describe(off);
  EXPECT_EQ(off.status, "File not found") << "the file is still missing";
  back.origin = RowOrigin::Record;  // unchecked: it is the record now
  pane.describe(back);
  EXPECT_EQ(back.status, "");
  pane.describe(back);
  EXPECT_EQ(back.status, "");
}

}  // namespace
}  // namespace velmora::testing
