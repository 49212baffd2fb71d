// The export's CSV and what goes into it: every entry of every place once.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/export.h"
#include "core/csv.h"
#include "core/store.h"
#include "fakes/fake_registry.h"
#include "fakes/real_families.h"

namespace velmora::testing {
namespace {

TEST(Csv, QuotesOnlyWhatNeedsItAndDoublesQuotes) {
  EXPECT_EQ(csvField("plain text"), "plain text");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");
  EXPECT_EQ(csvField("\"C:\\Program Files\\A\\a.exe\" /x"), "\"\"\"C:\\Program Files\\A\\a.exe\"\" /x\"");

  CsvWriter csv;
  csv.record({"\xC5\x81ukasz", "\xE6\x97\xA5\xE6\x9C\xAC", "x"});
  csv.record({"", ","});
  EXPECT_EQ(csv.text(), "\xEF\xBB\xBF\xC5\x81ukasz,\xE6\x97\xA5\xE6\x9C\xAC,x\r\n,\",\"\r\n");
  EXPECT_EQ(csv.records(), 2u);
  // What any program may name its entry is never a formula in a spreadsheet.
  for (const auto& [field, shown] : std::vector<std::pair<std::string, std::string>>{
           {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
           {"+1", "'+1"}, {"-cmd", "'-cmd"}, {"@SUM(A1)", "'@SUM(A1)"}, {"\tx", "'\tx"},
           {"a=b", "a=b"}, {"C:\\a.exe -x", "C:\\a.exe -x"}}) {
    CsvWriter one;
    one.record({field});
    EXPECT_EQ(one.text(), "\xEF\xBB\xBF" + shown + "\r\n") << field;
  }
  EXPECT_EQ(defaultExportName(2026, 3, 9), "Velmora startup entries 2026-03-09.csv");
}

// Lines of the CSV after the byte-order mark (no field here holds a line break).
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text.substr(3));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

TEST(Export, EveryEntryOfEveryPlaceOnceLiveAndDisabled) {
  FakeRegistry reg;
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  reg.put(RootKey::CurrentUser, run, "Tool", "C:\\tool.exe /tray");
  reg.put(RootKey::CurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", "Load", "a.exe,b.exe");
  // Turned off in Windows' own settings: live, but it does not start.
  reg.put(RootKey::CurrentUser, run, "Quiet", "C:\\quiet.exe");
  reg.putBytes(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run",
               "Quiet", {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
  RealFamilies f(reg);
  f.tr.texts = {{"_ExportLocation", "Location"}, {"_Name", "Name"}, {"_Type", "Type"}, {"_Data", "Command"},
                {"_ExportState", "State"}, {"_ExportStateEnabled", "enabled"}, {"_ExportStateDisabled", "disabled"},
                {"_ExportStateOffInWindows", "turned off in Windows"}, {"_Publisher", "Publisher"}, {"_Status", "Status"},
                {"_SignedBy", "Signed by"}, {"_Impact", "Impact"},
                {"_LastLogon", "Last logon"}};
  ASSERT_EQ(f.store.add(RecordKind{"disabledregistryitem"},
                        DisabledItem{"HKEY_CURRENT_USER\\" + run, "Old, \"quoted\"", "C:\\old.exe"}),
            StoreStatus::Ok);

  const CsvWriter csv = exportEntries(f.table, f.tr);
  const auto got = lines(csv.text());
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0], "Location,Name,Type,Command,State,Publisher,Status,Signed by,Impact,Last logon");
  const std::string hkcuRun = "HKEY_CURRENT_USER\\" + run;
  // The value shows under three tree nodes; it is exported once.
  EXPECT_EQ(std::count_if(got.begin(), got.end(), [](const std::string& l) { return l.find(",Tool,") != std::string::npos; }), 1);
  EXPECT_NE(std::find_if(got.begin(), got.end(),
                         [&](const std::string& l) {
                           return l.rfind(hkcuRun + ",\"Old, \"\"quoted\"\"\",", 0) == 0 &&
                                  l.find(",C:\\old.exe,disabled,") != std::string::npos;
                         }),
            got.end());
  EXPECT_NE(std::find_if(got.begin(), got.end(),
                         [&](const std::string& l) {
                           return l.rfind(hkcuRun + ",Quiet,", 0) == 0 &&
                                  l.find(",C:\\quiet.exe,turned off in Windows,") != std::string::npos;
                         }),
            got.end());
  EXPECT_EQ(std::count_if(got.begin(), got.end(), [](const std::string& l) { return l.find("a.exe") != std::string::npos; }), 1)
      << "one program of the Load value, once";
  EXPECT_EQ(csv.records(), got.size());
}

}  // namespace
}  // namespace velmora::testing
