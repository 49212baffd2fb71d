// Who signed a file, as the adapter asks Windows (here Wine): the samples
// signed at build time with a throwaway certificate, the same file with one
// byte of its code changed, the program unsigned, a missing file; and the
// user's choice to hide Microsoft's entries, kept under his own key.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/win32/signatures_win32.h"
#include "app/win32/user_settings_win32.h"
#include "core/paths.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

std::string sample(const char* name) { return directoryPart(win32::programPath()) + "\\" + name; }

TEST(Win32Signatures, TheSamplesAsWineJudgesThem) {
  struct Case {
    const char* file;
    SignatureVerdict verdict;
    const char* signer;
  };
  // Wine takes the throwaway certificate's unknown issuer; Windows would
  // find the signed sample's chain untrusted and answer Invalid.
  const Case cases[] = {
      {"signed_sample.exe", SignatureVerdict::Verified, "Velmora Test Signer"},
      {"tampered_sample.exe", SignatureVerdict::Invalid, ""},
      {"unsigned_sample.exe", SignatureVerdict::Unsigned, ""},
  };
  win32::Win32Signatures check;
  for (const Case& c : cases) {
    const FileSignature got = check.verify(sample(c.file));
    EXPECT_EQ(got.verdict, c.verdict) << c.file;
    EXPECT_EQ(got.signer, c.signer) << c.file;
    EXPECT_TRUE(check.stamp(sample(c.file))) << c.file;
  }
}

TEST(Win32Signatures, AMissingFileHasNoStampAndNoVerdict) {
  win32::Win32Signatures check;
  const std::string missing = sample("no_such_sample.exe");
  EXPECT_FALSE(check.stamp(missing));
  EXPECT_EQ(check.verify(missing).verdict, SignatureVerdict::Unknown);
  EXPECT_FALSE(check.stamp(directoryPart(win32::programPath()))) << "a folder is no file";
}

// A system program has no embedded signature; Windows finds it in a
// catalog, Wine has none: the catalog path must answer Unsigned there.
TEST(Win32Signatures, ASystemProgramWithoutCatalogsIsUnsignedOnWine) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  win32::Win32Signatures check;
  EXPECT_EQ(check.verify(win32::narrow(system) + "\\notepad.exe").verdict, SignatureVerdict::Unsigned);
}

TEST(Win32Signatures, TheStampChangesWithTheFilesSizeAndWriteTime) {
  TempDir dir;
  const std::string copy = dir.file("copy.exe");
  ASSERT_TRUE(CopyFileW(win32::widen(sample("signed_sample.exe")).c_str(), win32::widen(copy).c_str(), FALSE));
  win32::Win32Signatures check;
  const auto first = check.stamp(copy);
  ASSERT_TRUE(first);
  EXPECT_EQ(check.stamp(copy), first) << "unchanged";

  {
    HANDLE file = CreateFileW(win32::widen(copy).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later{};
    later.dwLowDateTime = static_cast<DWORD>(first->writeTime + 10'000'000);
    later.dwHighDateTime = static_cast<DWORD>((first->writeTime + 10'000'000) >> 32);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
    CloseHandle(file);
  }
  const auto touched = check.stamp(copy);
  ASSERT_TRUE(touched);
  EXPECT_EQ(touched->size, first->size);
  EXPECT_NE(touched->writeTime, first->writeTime);

  writeFile(copy, "MZ");
  const auto rewritten = check.stamp(copy);
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(rewritten->size, 2u);
}

TEST(UserChoices, AChoiceIsKeptUnderTheKeyAndOffUntilMade) {
  TestKey key;
  const std::wstring at = win32::widen(key.subkey());
  EXPECT_FALSE(win32::readChoice(L"HideWindowsEntries", false, at.c_str()));
  EXPECT_TRUE(win32::readChoice(L"HideWindowsEntries", true, at.c_str())) << "never made: the fallback";
  ASSERT_TRUE(win32::writeChoice(L"HideWindowsEntries", true, at.c_str()));
  EXPECT_TRUE(win32::readChoice(L"HideWindowsEntries", false, at.c_str()));
  ASSERT_TRUE(win32::writeChoice(L"HideWindowsEntries", false, at.c_str()));
  EXPECT_FALSE(win32::readChoice(L"HideWindowsEntries", true, at.c_str()));
}

}  // namespace
}  // namespace velmora::testing
