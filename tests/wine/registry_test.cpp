// The registry adapter against Wine's real registry, in the test prefix.
#include <gtest/gtest.h>

#include <cstdio>

#include "contract/registry_contract.h"
#include "core/locations.h"
#include "core/text.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/wide.h"
#include "startupfolder/folder_location.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

struct RealEnv {
  TestKey key;
  win32::Win32Registry registry;
  RegistryPort& port() { return registry; }
  std::string base() { return key.subkey(); }
};

using Envs = ::testing::Types<RealEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(Real, RegistryContract, Envs);

TEST(Win32Registry, ListsTheTypeOfEveryValue) {
  TestKey key;
  win32::Win32Registry reg;
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "plain", "a.exe", KeyCreation::CreateKey), RegStatus::Ok);
  HKEY h;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(key.subkey()).c_str(), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
  const wchar_t expand[] = L"%SystemRoot%\\x.exe";
  RegSetValueExW(h, L"expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
  const DWORD number = 5;
  RegSetValueExW(h, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  // String data written without its terminating zero still reads cleanly.
  const wchar_t bare[] = {L'b', L'.', L'e', L'x', L'e'};
  RegSetValueExW(h, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof bare);
  RegCloseKey(h);

  std::vector<RegValue> values;
  ASSERT_EQ(reg.enumerateValues(RootKey::CurrentUser, key.subkey(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 4u);
  for (const auto& v : values) {
    if (v.name == "expand") EXPECT_EQ(v.type, kRegExpandSz);
    if (v.name == "number") EXPECT_EQ(v.type, 4u);
    if (v.name == "plain") EXPECT_EQ(v.type, kRegSz);
    if (v.name == "bare") EXPECT_EQ(v.text, "b.exe");
  }
}

TEST(Win32Registry, WritesTheTextWithOneTerminatingZero) {
  TestKey key;
  win32::Win32Registry reg;
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "ten", "0123456789", KeyCreation::CreateKey), RegStatus::Ok);
  DWORD size = 0, type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, win32::widen(key.subkey()).c_str(), L"ten", RRF_RT_ANY | RRF_NOEXPAND,
                         &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 11u * sizeof(wchar_t));
}

// A listing may come from memory only while the key is as it was read: every
// kind of change, by this program, another handle or another process, and a
// key deleted and made again, is seen by the next listing.
TEST(Win32Registry, ListsFromMemoryOnlyWhileTheKeyIsUnchanged) {
  TestKey key;
  win32::Win32Registry reg;
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "a", "one.exe", KeyCreation::CreateKey), RegStatus::Ok);
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "b", "two.exe", KeyCreation::CreateKey), RegStatus::Ok);
  const auto listing = [&] {
    std::vector<RegValue> values;
    std::string text;
    if (reg.enumerateValues(RootKey::CurrentUser, key.subkey(), values) != RegStatus::Ok) return std::string("none");
    for (const RegValue& v : values) text += v.name + "=" + v.text + ";";
    return text;
  };
  const std::wstring path = win32::widen(key.subkey());
  const auto raw = [&](auto change) {
    HKEY h;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
    change(h);
    RegCloseKey(h);
  };

  EXPECT_EQ(listing(), "a=one.exe;b=two.exe;");
  const std::size_t reads = reg.listingsRead();
  EXPECT_EQ(listing(), "a=one.exe;b=two.exe;");
  EXPECT_EQ(reg.listingsRead(), reads) << "an unchanged key is not read again";

  // Same length, same count, at once after the listing.
  raw([](HKEY h) {
    const wchar_t text[] = L"ONE.exe";
    RegSetValueExW(h, L"a", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  });
  EXPECT_EQ(listing(), "a=ONE.exe;b=two.exe;");
  raw([](HKEY h) { RegDeleteValueW(h, L"b"); });
  EXPECT_EQ(listing(), "a=ONE.exe;");

  // Another process.
  std::wstring command = L"reg.exe add \"HKCU\\" + path + L"\" /v c /d three.exe /f";
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &process));
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(listing(), "a=ONE.exe;c=three.exe;");

  // The key deleted and made again: the kept handle names a deleted key.
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(listing(), "none");
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "d", "four.exe", KeyCreation::CreateKey), RegStatus::Ok);
  EXPECT_EQ(listing(), "d=four.exe;");
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "e", "five.exe", KeyCreation::CreateKey), RegStatus::Ok);
  EXPECT_EQ(listing(), "e=five.exe;");
}

// A key of thousands of values is read in ranges at once: every value comes
// once, in the registry's order, with its own data, however the count
// divides.
TEST(Win32Registry, ListsAKeyOfThousandsOfValuesWholeAndInOrder) {
  TestKey key;
  win32::Win32Registry reg;
  ASSERT_EQ(reg.setString(RootKey::CurrentUser, key.subkey(), "v00000", "C:\\p\\00000.exe", KeyCreation::CreateKey),
            RegStatus::Ok);
  HKEY h;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, win32::widen(key.subkey()).c_str(), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
  constexpr int kValues = 9001;
  const auto name = [](int i) {
    char text[16];
    std::snprintf(text, sizeof text, "v%05d", i);
    return std::string(text);
  };
  for (int i = 1; i < kValues; ++i) {
    const std::wstring data = L"C:\\p\\" + win32::widen(name(i).substr(1)) + L".exe";
    RegSetValueExW(h, win32::widen(name(i)).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(h);

  std::vector<RegValue> values;
  ASSERT_EQ(reg.enumerateValues(RootKey::CurrentUser, key.subkey(), values), RegStatus::Ok);
  ASSERT_EQ(values.size(), static_cast<std::size_t>(kValues));
  for (int i = 0; i < kValues; ++i) {
    const RegValue& v = values[static_cast<std::size_t>(i)];
    ASSERT_EQ(v.name, name(i)) << "at " << i;
    ASSERT_EQ(v.text, "C:\\p\\" + name(i).substr(1) + ".exe") << "at " << i;
  }
}

TEST(Win32Registry, ReadsTheShellFoldersOfThePrefix) {
  win32::Win32Registry reg;
  const std::string common = readStartupFolder(reg, "Common Startup");
  const std::string user = readStartupFolder(reg, "Startup");
  EXPECT_NE(common, "");
  EXPECT_NE(user, "");
  EXPECT_TRUE(endsWith(user, "Startup") || endsWith(user, "StartUp")) << user;
}

// The one case-insensitive comparison must agree with the system's ordinal
// ignore-case rule on the scripts users write paths in.
TEST(EqualsIgnoreCase, AgreesWithCompareStringOrdinal) {
  const std::pair<char16_t, char16_t> ranges[] = {
      {0x0020, 0x024F},  // ASCII, Latin-1, Latin Extended-A and -B
      {0x0370, 0x03FF},  // Greek
      {0x0400, 0x052F},  // Cyrillic
      {0x1E00, 0x1EFF},  // Latin Extended Additional
      {0xFF01, 0xFF5E},  // full-width forms
  };
  int mismatches = 0;
  for (auto [first, last] : ranges) {
    for (char32_t c = first; c <= last; ++c) {
      const wchar_t wc = static_cast<wchar_t>(c);
      wchar_t up = wc;
      CharUpperBuffW(&up, 1);
      for (wchar_t other : {wc, up, static_cast<wchar_t>(upperOrdinal(static_cast<char16_t>(c)))}) {
        const bool system = CompareStringOrdinal(&wc, 1, &other, 1, TRUE) == CSTR_EQUAL;
        const bool ours = equalsIgnoreCase(win32::narrow(std::wstring(1, wc)), win32::narrow(std::wstring(1, other)));
        if (system != ours && ++mismatches < 20) {
          ADD_FAILURE() << std::hex << "U+" << static_cast<int>(c) << " vs U+" << static_cast<int>(other)
                        << ": system " << system << ", ours " << ours;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace velmora::testing
