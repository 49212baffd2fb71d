// Entry > Open Location: which key or file each family's row leads to.
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "fakes/real_families.h"
#include "family/location_opener.h"
#include "startupfolder/folder_location.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {
namespace {

class RecordingOpener : public LocationOpener {
 public:
  std::vector<std::string> calls;
  bool works = true;
  bool openRegistryKey(const std::string& key) override { return note("key " + key); }
  bool showFile(const std::string& path) override { return note("file " + path); }
  bool openFolder(const std::string& folder) override { return note("folder " + folder); }

 private:
  bool note(std::string call) {
    calls.push_back(std::move(call));
    return works;
  }
};

TEST(OpenLocation, EachFamilyOpensTheKeyOrFileOfTheRow) {
  FakeRegistry reg;
  reg.put(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "C:\\tool.exe");
  reg.put(RootKey::CurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "Load", "a.exe");
  reg.put(RootKey::CurrentUser, std::string(kShellFoldersKey), "Startup", "C:\\Startup");
  RealFamilies f(reg);
  RecordingOpener opener;
  f.context.opener = &opener;
  f.folders.put("C:\\Startup\\Live.lnk", FakeShellLinks::linkBytes("C:\\live.exe"));
  ASSERT_EQ(f.store.add(kStartupFolderRecords, {"C:\\Startup", "Off.lnk", "C:\\off.exe"}), StoreStatus::Ok);
  std::vector<std::string> messages;
  std::vector<bool> done;

  const auto open = [&](FamilyId id, const std::string& location, const std::string& name) {
    auto family = f.table.family(id).make({location});
    for (const Row& row : family->list()) {
      if (row.name != name) continue;
      const OperationResult result = family->openLocation(entryOf(row));
      EXPECT_TRUE(result.changes.empty()) << "opening changes nothing";
      done.push_back(result.done());
      messages.insert(messages.end(), result.messages.begin(), result.messages.end());
    }
  };
  open("registry", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool");
  open("programlist", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load", "Load");
  open("startupfolder", "C:\\Startup\\", "Live.lnk");
  open("startupfolder", "C:\\Startup", "Off.lnk");
  EXPECT_EQ(opener.calls, (std::vector<std::string>{
                              "key HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                              "key HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                              "file C:\\Startup\\Live.lnk", "folder C:\\Startup"}));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(done, std::vector<bool>(4, true));

  opener.works = false;
  f.tr.texts = {{"_OpenLocationFailed", "cannot open %s"}};
  open("startupfolder", "C:\\Startup", "Live.lnk");
  open("registry", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool");
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "cannot open C:\\Startup\\Live.lnk",
                          "cannot open HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"}));
  EXPECT_EQ(done, (std::vector<bool>{true, true, true, true, false, false}));
}

}  // namespace
}  // namespace velmora::testing
