// seen.xml against real files, XmlLite and MSXML: what is written reads
// back through either reader, a damaged file is never written over, a
// write that cannot replace the file leaves it as it was, and dates come
// out as the user writes them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "family/seen_entries.h"
#include "family/win32/seen_file_win32.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "wine/support/win_test_support.h"

namespace velmora::testing {
namespace {

using win32::widen;

const std::string kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct SeenFileTest : ::testing::Test {
  win32::ComScope com;
  TempDir dir;
  // In a folder of its own that does not exist yet, as on a first close.
  std::string path = dir.file("Velmora\\seen.xml");
  win32::Win32SeenFile file{path};
};

TEST_F(SeenFileTest, WhatIsWrittenReadsBackThroughXmlLiteAndThroughMsxml) {
  SeenList out{"untouched", {}, {}};
  EXPECT_EQ(file.read(out), SeenStatus::Missing);
  EXPECT_EQ(out.closed, "untouched");

  const SeenList plain{"2026-12-08T21:30:00Z",
                       {{"registry", kRun}, {"startupfolder", "C:\\Users\\\xC5\x81ukasz\\Startup"}},
                       {{"registry", kRun, "", "\"C:\\A & B\\x.exe\" <arg> \xE6\x97\xA5\xE6\x9C\xAC"},
                        {"startupfolder", "C:\\Users\\\xC5\x81ukasz\\Startup", "Tool.lnk", ""}}};
  ASSERT_EQ(file.write(viewOf(plain)), SeenStatus::Ok) << "its folder is made";
  EXPECT_EQ(file.read(out), SeenStatus::Ok);
  EXPECT_EQ(out, plain);
  // A close saves this without starting MSXML, as a start-up reads it.
  EXPECT_EQ(GetModuleHandleW(L"msxml3.dll"), nullptr) << "each test runs in a process of its own";

  // Line breaks and a control character: references XmlLite is not trusted
  // with, so MSXML reads them.
  SeenList awkward = plain;
  awkward.entries.push_back({"registry", kRun, "Two\r\nlines\tand a bell\x07", "C:\\x.exe"});
  ASSERT_EQ(file.write(viewOf(awkward)), SeenStatus::Ok);
  EXPECT_EQ(file.read(out), SeenStatus::Ok);
  EXPECT_EQ(out, awkward);
}

TEST_F(SeenFileTest, ADamagedFileIsUnreadableAndSeenEntriesNeverWritesOverIt) {
  const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  const std::string whole = header +
                            "<seen version=\"1\" closed=\"2026-12-08T21:30:00Z\">\r\n"
                            "<place family=\"registry\" location=\"" + kRun + "\"/>\r\n"
                            "<entry family=\"registry\" location=\"" + kRun + "\" name=\"A\" data=\"C:\\a.exe\"/>\r\n"
                            "</seen>\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"no XML", "not a list at all"},
      {"another root", header + "<config><toolvelmora/></config>"},
      {"cut short", whole.substr(0, whole.size() - 12)},
      {"an entry without its data", header + "<seen closed=\"2026-12-08T21:30:00Z\"><entry family=\"registry\" location=\"x\" name=\"A\"/></seen>"},
      {"no closing time", header + "<seen version=\"1\"/>"},
      {"a closing time that is no date", header + "<seen closed=\"2026-02-31T21:30:00Z\"/>"},
      {"an attribute twice", header + "<seen closed=\"2026-12-08T21:30:00Z\" closed=\"2026-12-08T21:30:00Z\"/>"},
  };
  ASSERT_TRUE(CreateDirectoryW(widen(dir.file("Velmora")).c_str(), nullptr));
  writeFile(path, whole);
  SeenList read;
  ASSERT_EQ(file.read(read), SeenStatus::Ok) << "the whole file reads";
  for (const Case& c : cases) {
    writeFile(path, c.bytes);
    SeenEntries seen(file);
    seen.load();
    EXPECT_FALSE(seen.marking()) << c.what;
    EXPECT_EQ(seen.save(), SeenStatus::Unreadable) << c.what;
    EXPECT_EQ(readFile(path), c.bytes) << c.what << ": left as it was";
  }
}

TEST_F(SeenFileTest, AWriteThatCannotReplaceTheFileLeavesItAsItWas) {
  const SeenList first{"2026-12-08T21:30:00Z", {{"registry", kRun}}, {{"registry", kRun, "A", "C:\\a.exe"}}};
  ASSERT_EQ(file.write(viewOf(first)), SeenStatus::Ok);
  const std::string before = readFile(path);
  {
    // Open without FILE_SHARE_DELETE: the move over it fails.
    win32::FileHandle held(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    SeenList second = first;
    second.entries.push_back({"registry", kRun, "B", "C:\\b.exe"});
    EXPECT_EQ(file.write(viewOf(second)), SeenStatus::WriteFailed);
  }
  EXPECT_EQ(readFile(path), before);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(widen(dir.file("Velmora\\*.tmp")).c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left behind";
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(SeenFileTest, ClosingTimesAreUtcAndShownAsTheUsersLocalDate) {
  const std::string now = file.now();
  ASSERT_EQ(now.size(), 20u) << now;
  EXPECT_EQ(now[10], 'T');
  EXPECT_EQ(now.back(), 'Z');
  EXPECT_FALSE(file.localDate(now).empty()) << now;

  // The short date of the user's locale, in local time: the day is the
  // one GetDateFormatEx gives for that moment moved into the time zone.
  const std::string noon = "2026-06-15T12:00:00Z";
  SYSTEMTIME utc{2026, 6, 0, 15, 12, 0, 0, 0}, local{};
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
  wchar_t expected[128] = {};
  ASSERT_GT(GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, expected, 128, nullptr), 0);
  EXPECT_EQ(widen(file.localDate(noon)), expected);
  EXPECT_NE(file.localDate(noon).find("2026"), std::string::npos);

  EXPECT_EQ(file.localDate("2026-02-31T12:00:00Z"), "") << "no such day";
  EXPECT_EQ(file.localDate("yesterday"), "");
}

}  // namespace
}  // namespace velmora::testing
