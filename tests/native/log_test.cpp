// Log records built from the translations, and the built-in log's line format.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/log_file.h"
#include "fakes/fakes.h"
#include "history/change_commit.h"

namespace velmora::testing {
namespace {

class LogRecords : public ::testing::Test {
 protected:
  MapTranslator tr;
  void SetUp() override {
    tr.texts = {{"_LogType", "Change"},         {"_LogCategory", "Startup entry"}, {"_LogSource", "Velmora"},
                {"_LogItemType1", "Remove"},    {"_LogItemType2", "Add"},          {"_LogItemType3", "Modify"},
                {"_LogItemType4", "Enable"},    {"_LogItemType5", "Disable"}};
    for (int n = 1; n <= 5; ++n) {
      const std::string k = "_LogItemType" + std::to_string(n) + "Content";
      tr.texts[k] = "E" + std::to_string(n) + "[%s|%s|%s|%s|%s]";
      tr.texts[k + "1"] = "S" + std::to_string(n) + "[%s|%s|%s]";
    }
  }
};

TEST_F(LogRecords, EveryOperationUsesItsOwnKeysInBothSets) {
  const std::vector<std::string> v{"HKCU\\Run", "Tool", "C:\\t.exe", "Tool2", "C:\\t2.exe"};
  const char* names[] = {"Remove", "Add", "Modify", "Enable", "Disable"};
  const LogOperation ops[] = {LogOperation::Remove, LogOperation::Add, LogOperation::Modify, LogOperation::Enable,
                              LogOperation::Disable};
  for (int i = 0; i < 5; ++i) {
    const std::string n = std::to_string(i + 1);
    const LogRecord entry = buildLogRecord(tr, ops[i], LogKeys{""}, v);
    EXPECT_EQ(entry, (LogRecord{"Change", "Startup entry", names[i], "Velmora",
                                "E" + n + "[HKCU\\Run|Tool|C:\\t.exe|Tool2|C:\\t2.exe]"}));
    const LogRecord folder = buildLogRecord(tr, ops[i], LogKeys{"1"}, {"C:\\Startup\\a.lnk"});
    EXPECT_EQ(folder.itemType, names[i]);
    EXPECT_EQ(folder.content, "S" + n + "[C:\\Startup\\a.lnk||]") << "missing values are empty";
  }
}

TEST_F(LogRecords, ExtraValuesAreIgnoredAndMissingKeyIsTheFormat) {
  tr.texts["_LogItemType4Content"] = "Enabled %s";
  EXPECT_EQ(buildLogRecord(tr, LogOperation::Enable, LogKeys{""}, {"HKCU\\Run", "Tool"}).content,
            "Enabled HKCU\\Run");
  tr.texts.erase("_LogItemType5Content1");
  tr.texts.erase("_LogItemType5");
  const LogRecord r = buildLogRecord(tr, LogOperation::Disable, LogKeys{"1"}, {"x"});
  EXPECT_EQ(r.content, "_LogItemType5Content1");
  EXPECT_EQ(r.itemType, "_LogItemType5");
}

TEST_F(LogRecords, HostileFormatsArePrintedLiterally) {
  tr.texts["_LogItemType1Content"] = "%n%x %999999s %d %-5s 100%% %s %";
  EXPECT_EQ(buildLogRecord(tr, LogOperation::Remove, LogKeys{""}, {"path", "name"}).content,
            "%n%x %999999s %d %-5s 100% path %");
  // Values are never formats in turn.
  tr.texts["_LogItemType1Content"] = "[%s][%s]";
  EXPECT_EQ(buildLogRecord(tr, LogOperation::Remove, LogKeys{""}, {"%s%n", "%%"}).content, "[%s%n][%%]");
}

TEST_F(LogRecords, OperationLogPassesRecordsOnlyWhenConnected) {
  OperationLog log(tr);
  EXPECT_FALSE(log.connected());
  log.record(LogOperation::Add, LogKeys{""}, {"a"});  // nowhere to go, no crash

  RecordingLog sink;
  sink.fail = true;  // a failing sink changes nothing for the caller
  log.connect(&sink);
  ASSERT_TRUE(log.connected());
  log.record(LogOperation::Add, LogKeys{""}, {"a", "b", "c"});
  log.record(LogOperation::Remove, LogKeys{"1"}, {"d"});
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[0].content, "E2[a|b|c||]");
  EXPECT_EQ(sink.records[1].content, "S1[d||]");
}

LogEntry sample(std::string time, std::string content) {
  return LogEntry{std::move(time), LogRecord{"Change", "Startup entry", "Disable", "Velmora", std::move(content)}};
}

TEST(LogLines, FieldsWithTabsBreaksAndBackslashesReadBackWhole) {
  const LogEntry e{"2026-01-02 03:04:05",
                   LogRecord{"a\tb", "line1\nline2\r\n", "C:\\path\\n\\t", "\\", "\xC5\x81ukasz \xE6\x97\xA5 \\\\t"}};
  const std::string line = encodeLogLine(e);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.find('\r'), std::string::npos);
  EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
  EXPECT_EQ(decodeLogLine(line), e);
  EXPECT_EQ(decodeLogLine(line + "\r"), e) << "a CRLF line break is not part of the content";
  EXPECT_EQ(decodeLogLine(encodeLogLine(LogEntry{})), LogEntry{}) << "all-empty fields";
}

TEST(LogLines, UnknownEscapesAndDamagedLines) {
  EXPECT_EQ(unescapeLogField("a\\qb\\"), "a\\qb\\");
  EXPECT_FALSE(decodeLogLine("only\tfive\tfields\there\tx"));
  EXPECT_FALSE(decodeLogLine("seven\t1\t2\t3\t4\t5\t6"));
  EXPECT_FALSE(decodeLogLine(""));
}

TEST(LogLines, FileReadsNewestFirstAndSkipsDamage) {
  const std::string file = "\xEF\xBB\xBF" + encodeLogLine(sample("2026-01-01 10:00:00", "first")) + "\r\n" +
                           "garbage without tabs\r\n\r\n" + encodeLogLine(sample("2026-01-01 09:00:00", "second")) +
                           "\n" + encodeLogLine(sample("2026-01-01 11:00:00", "third\nline"));
  const auto entries = readLogNewestFirst(file);
  ASSERT_EQ(entries.size(), 3u);
  // The order of writing counts, not the clock (which may have been set back).
  EXPECT_EQ(entries[0].record.content, "third\nline");
  EXPECT_EQ(entries[1].record.content, "second");
  EXPECT_EQ(entries[2], sample("2026-01-01 10:00:00", "first"));
  EXPECT_TRUE(readLogNewestFirst("").empty());
  EXPECT_TRUE(readLogNewestFirst("\n\n").empty());
}

TEST(LogLines, TimeStampsPathsAndCells) {
  EXPECT_EQ(formatTimeStamp({2026, 3, 5, 7, 8, 9}), "2026-03-05 07:08:09");
  EXPECT_EQ(logFilePath("C:\\App\\Log\\Data"), "C:\\App\\Log\\Data\\operations.log");
  EXPECT_EQ(logFilePath("C:\\App\\Log\\Data\\"), "C:\\App\\Log\\Data\\operations.log");
  EXPECT_EQ(singleLine("a\r\nb\tc"), "a  b c");
}

TEST(LogLines, TheCurrentFileComesBeforeTheOlderOneAndEachReadsNewestFirst) {
  auto line = [](const char* content) { return encodeLogLine(sample("2026-01-01 10:00:00", content)) + "\r\n"; };
  // The older file may end without a line break, or with a damaged line.
  const LogIndex index(line("a") + line("b") + "half a rec", "\xEF\xBB\xBF" + line("c") + line("d"));
  ASSERT_EQ(index.size(), 4u);
  EXPECT_EQ(index.entry(0).record.content, "d");
  EXPECT_EQ(index.entry(1).record.content, "c");
  EXPECT_EQ(index.entry(2).record.content, "b");
  EXPECT_EQ(index.entry(3).record.content, "a");
  EXPECT_EQ(LogIndex("", "").size(), 0u);
  EXPECT_EQ(LogIndex(line("only"), "").entry(0).record.content, "only");
}

TEST(LogLines, AFullFileRollsOverIntoTheOlderFileBesideIt) {
  EXPECT_EQ(olderLogFilePath("C:\\App\\Log\\Data\\operations.log"), "C:\\App\\Log\\Data\\operations.1.log");
  EXPECT_FALSE(logNeedsRollOver(0, kLogRollOverBytes * 2)) << "a long first record still has a file to go to";
  EXPECT_FALSE(logNeedsRollOver(kLogRollOverBytes - 10, 10));
  EXPECT_TRUE(logNeedsRollOver(kLogRollOverBytes - 10, 11));
}

}  // namespace
}  // namespace velmora::testing
