// Who may write Velmora's data, read from real folders, and the lock over
// data that every session shares. Under Wine everyone is an administrator
// and access lists are kept as Unix permissions: the owner is always the
// prefix's user (who is always an administrator), and "Everyone may write"
// is the one right that can be given or taken away.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "core/win32/store_msxml.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/data_lock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/security_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/remote_process.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

const RecordKind kRecords{"disabledregistryitem"};

// Gives a folder an access list (SDDL), as anyone who may change its rights.
bool giveRights(const std::string& folder, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
  const DWORD set = SetNamedSecurityInfoW(const_cast<wchar_t*>(widen(folder).c_str()), SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
  LocalFree(sd);
  return set == ERROR_SUCCESS;
}

bool everyoneMayWrite(const std::string& path) {
  const auto info = win32::readSecurity(path);
  if (!info) return false;
  for (const AccessEntry& e : info->entries) {
    if (e.allow && e.sid == "S-1-1-0" && (e.mask & kWriteRights)) return true;
  }
  return false;
}

TEST(DataRights, WhoRunsVelmoraAsWineSaysIt) {
  // Wine's every process is elevated, and even its everyday token holds
  // the Administrators group: what its user writes, an administrator wrote.
  EXPECT_TRUE(win32::runsElevated());
  EXPECT_TRUE(win32::alwaysAdministrator());
  EXPECT_FALSE(win32::elevationRunsAsAnotherAccount());
  const std::vector<std::string> names = win32::currentAccountNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names.front().rfind("S-1-5-21-", 0), 0u) << names.front();
  const std::vector<std::string> admins = win32::administratorSids();
  EXPECT_NE(std::find(admins.begin(), admins.end(), names.front()), admins.end());
}

TEST(DataRights, AFolderUsersMayWriteIsNotTrustedUntilItIsPrepared) {
  TempDir dir;
  const std::string folder = dir.file("Velmora");
  // Made with its rights where it is missing.
  ASSERT_TRUE(win32::prepareMachineFolder(folder));
  EXPECT_EQ(win32::folderRights(folder), RightsVerdict::AdminOnly);
  EXPECT_FALSE(everyoneMayWrite(folder));

  // Someone lets everyone write it (as a folder made by a user, or one
  // that inherited ProgramData's rights).
  ASSERT_TRUE(giveRights(folder, L"D:(A;OICI;FA;;;WD)"));
  EXPECT_TRUE(everyoneMayWrite(folder));
  EXPECT_EQ(win32::folderRights(folder), RightsVerdict::UsersMayWrite);
  // A file in a trusted folder that everyone may write makes it untrusted too.
  ASSERT_TRUE(win32::prepareMachineFolder(folder)) << "repaired";
  EXPECT_FALSE(everyoneMayWrite(folder)) << "the rights set read back";
  writeFile(folder + "\\config.xml", "<config><toolvelmora/></config>");
  ASSERT_TRUE(giveRights(folder + "\\config.xml", L"D:(A;;FA;;;WD)"));
  EXPECT_EQ(win32::folderRights(folder, {"config.xml"}), RightsVerdict::UsersMayWrite);
  EXPECT_EQ(win32::folderRights(folder, {"history.xml"}), RightsVerdict::AdminOnly) << "what is not there is no risk";
  EXPECT_EQ(win32::folderRights(dir.file("missing")), RightsVerdict::OwnerNotAdministrator);
}

TEST(DataRights, TheInstallersRequestPreparesTheMachinesFolder) {
  const std::string folder = win32::narrow(win32::programDataFolder()) + "\\Velmora";
  // The prefix's own, set aside and put back.
  const std::string aside = folder + ".aside";
  const bool had = win32::fileExists(folder) && MoveFileW(widen(folder).c_str(), widen(aside).c_str());
  CreateDirectoryW(widen(folder).c_str(), nullptr);
  ASSERT_TRUE(giveRights(folder, L"D:(A;OICI;FA;;;WD)"));
  {
    StartedProgram prepare(directoryPart(win32::programPath()) + "\\velmora.exe", "/prepare-machine-folder");
    ASSERT_TRUE(prepare.started());
    EXPECT_EQ(prepare.exitCode(30000), DWORD{0});
  }
  EXPECT_EQ(win32::folderRights(folder), RightsVerdict::AdminOnly);
  EXPECT_FALSE(everyoneMayWrite(folder));
  RemoveDirectoryW(widen(folder).c_str());
  if (had) MoveFileW(widen(aside).c_str(), widen(folder).c_str());
}

TEST(DataRights, TwoProcessesChangingOneStoreAtOnceLoseNothing) {
  win32::ComScope com;
  TempDir dir;
  constexpr int kEach = 40;
  const std::string hammer = directoryPart(win32::programPath()) + "\\store_hammer.exe";
  {
    StartedProgram first(hammer, "\"" + dir.path() + "\" first " + std::to_string(kEach));
    StartedProgram second(hammer, "\"" + dir.path() + "\" second " + std::to_string(kEach));
    ASSERT_TRUE(first.started() && second.started());
    EXPECT_EQ(first.exitCode(120000), DWORD{0});
    EXPECT_EQ(second.exitCode(120000), DWORD{0});
  }
  win32::MsxmlStore store(dir.file("config.xml"));
  std::vector<StoredItem> items;
  ASSERT_EQ(store.list(kRecords, items), StoreStatus::Ok);
  std::set<std::string> names;
  for (const StoredItem& s : items) names.insert(s.item.valuename);
  EXPECT_EQ(items.size(), 2u * kEach);
  for (int i = 0; i < kEach; ++i) {
    EXPECT_EQ(names.count("first-" + std::to_string(i)), 1u) << i;
    EXPECT_EQ(names.count("second-" + std::to_string(i)), 1u) << i;
  }
}

TEST(DataRights, AChangeWaitsABoundedTimeForAnotherVelmorasLock) {
  win32::ComScope com;
  TempDir dir;
  // Another Velmora holds the folder's lock (another thread owns the mutex).
  HANDLE held = CreateMutexW(nullptr, TRUE, win32::MutexDataLock::nameFor(dir.path()).c_str());
  ASSERT_NE(held, nullptr);
  StoreStatus status = StoreStatus::Ok;
  DWORD waited = 0;
  std::thread other([&] {
    win32::MsxmlStore file(dir.file("config.xml"));
    win32::MutexDataLock lock(dir.path() + "\\", 300);  // the same folder, spelt otherwise
    LockedStore store(file, lock);
    const DWORD start = GetTickCount();
    CoInitialize(nullptr);
    status = store.add(kRecords, DisabledItem{"HKEY_LOCAL_MACHINE\\Run", "Late", "C:\\late.exe"});
    CoUninitialize();
    waited = GetTickCount() - start;
  });
  other.join();
  ReleaseMutex(held);
  CloseHandle(held);
  EXPECT_EQ(status, StoreStatus::Busy);
  EXPECT_GE(waited, 250u);
  EXPECT_FALSE(win32::fileExists(dir.file("config.xml"))) << "nothing written";
}

}  // namespace
}  // namespace velmora::testing
