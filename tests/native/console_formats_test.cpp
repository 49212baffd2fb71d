// velmorac's formats: CSV and TSV quoting both ways, JSON escaping of every
// control character and lone surrogate and its reader, XML, the reason
// tokens, and what a console window is never sent.
#include <gtest/gtest.h>

#include <string>

#include "console/json.h"
#include "console/output_formats.h"
#include "core/csv.h"

namespace velmora::testing {
namespace {

TEST(ConsoleDelimited, QuotesWhatNeedsItAndReadsEveryFieldBack) {
  const std::vector<std::string> fields = {"plain",        "",          "a,b",           "say \"hi\"",
                                           "two\r\nlines", "tab\there", "\xC5\x81ukasz", " spaced "};
  for (const char separator : {',', '\t'}) {
    std::string text = "\xEF\xBB\xBF";
    for (int line = 0; line < 2; ++line) {
      for (std::size_t i = 0; i < fields.size(); ++i)
        text += (i ? std::string(1, separator) : "") + delimitedField(fields[i], separator);
      text += "\r\n";
    }
    const auto read = readDelimited(text, separator);
    ASSERT_TRUE(read) << separator;
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[0], fields);
    EXPECT_EQ((*read)[1], fields);
  }
  EXPECT_EQ(delimitedField("a,b", '\t'), "a,b");
  EXPECT_EQ(delimitedField("a\tb", '\t'), "\"a\tb\"");
  EXPECT_EQ(delimitedField("a\tb", ','), "a\tb");
  // LF line ends and a last line without one read too; a cut or broken quote does not.
  EXPECT_EQ(readDelimited("a,b\nc,\"d\"", ','), (std::vector<std::vector<std::string>>{{"a", "b"}, {"c", "d"}}));
  EXPECT_FALSE(readDelimited("a,\"b\r\n", ','));
  EXPECT_FALSE(readDelimited("a,\"b\"c\r\n", ','));
}

TEST(ConsoleJson, EscapesEveryControlCharacterAndLoneSurrogateAndReadsThemBack) {
  std::string controls;
  for (int c = 0; c < 0x20; ++c) controls += static_cast<char>(c);
  controls += '\x7F';
  std::string json;
  appendJsonString(json, controls);
  for (char c : json) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << json;
  EXPECT_EQ(json.substr(0, 14), "\"\\u0000\\u0001\\");
  EXPECT_NE(json.find("\\t\\n\\u000b\\u000c\\r"), std::string::npos) << json;
  EXPECT_NE(json.find("\\u007f"), std::string::npos);

  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"quote \" and \\", "\"quote \\\" and \\\\\""},
      {"\xC2\x85 next line, \xC2\x9B CSI", "\"\\u0085 next line, \\u009b CSI\""},
      {"\xE2\x80\xA8\xE2\x80\xA9", "\"\\u2028\\u2029\""},
      {"\xED\xA0\x80 high, \xED\xBF\xBF low", "\"\\ud800 high, \\udfff low\""},  // WTF-8
      {"\xC5\x81ukasz \xF0\x9F\x98\x80", "\"\xC5\x81ukasz \xF0\x9F\x98\x80\""},
      {"bad \xFF byte", "\"bad \\ufffd byte\""},
  };
  for (const auto& c : cases) {
    std::string out;
    appendJsonString(out, c.text);
    EXPECT_EQ(out, c.json);
    const auto back = parseJson(out);
    ASSERT_TRUE(back) << out;
    if (c.text.find('\xFF') == std::string::npos) {
      EXPECT_EQ(back->text, c.text) << out;
    }
  }
  const auto back = parseJson(json);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text, controls);
  // A pair written by another writer is one character.
  EXPECT_EQ(parseJson("\"\\ud83d\\ude00\"")->text, "\xF0\x9F\x98\x80");
}

TEST(ConsoleJson, ReadsAnyWritersDocumentAndRefusesWhatIsNone) {
  const auto doc = parseJson("\xEF\xBB\xBF {\"a\": [1, -2.5e3, true, false, null, {}], \"b\" : \"x\\/y\"}\n");
  ASSERT_TRUE(doc);
  const JsonValue* a = doc->member("a");
  ASSERT_TRUE(a && a->kind == JsonValue::Kind::Array && a->items.size() == 6u);
  EXPECT_EQ(a->items[1].text, "-2.5e3");
  EXPECT_TRUE(a->items[2].boolean);
  EXPECT_EQ(a->items[4].kind, JsonValue::Kind::Null);
  EXPECT_EQ(doc->member("b")->text, "x/y");
  for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "\"raw\ttab\"", "01", "{} {}", "tru", "\"\\x\""}) {
    EXPECT_FALSE(parseJson(bad)) << bad;
  }
  EXPECT_FALSE(parseJson(std::string(kJsonDepth + 1, '[') + std::string(kJsonDepth + 1, ']')));
  EXPECT_TRUE(parseJson(std::string(kJsonDepth - 1, '[') + std::string(kJsonDepth - 1, ']')));
}

OutputDocument sample() {
  OutputDocument d;
  d.facts = {{"machine", std::string("PC")}, {"taken", std::string("2026-12-08T14:25:03Z")}};
  d.listName = "entries";
  d.recordName = "entry";
  d.schema = {
      {"name", std::string()}, {"enabled", false}, {"status", std::vector<StatusReason>{}}, {"sha256", nullptr}};
  d.records.push_back({{"name", std::string("Tool, \"new\"")},
                       {"enabled", true},
                       {"status", std::vector<StatusReason>{{"_StatusFileMissing", "File not found"},
                                                            {"_StatusNew", "New since 1 May"}}},
                       {"sha256", nullptr}});
  d.records.push_back({{"name", std::string("bell\x07")},
                       {"enabled", false},
                       {"status", std::vector<StatusReason>{}},
                       {"sha256", std::string("ab")}});
  return d;
}

TEST(ConsoleOutput, WritesOneDocumentInEveryFormat) {
  const OutputDocument d = sample();
  EXPECT_EQ(renderDocument(d, OutputFormat::Csv, true),
            "\xEF\xBB\xBFname,enabled,status,statustext,sha256\r\n"
            "\"Tool, \"\"new\"\"\",true,file-missing;new,File not found; New since 1 May,\r\n"
            "bell\x07,false,,,ab\r\n");
  EXPECT_EQ(renderDocument(d, OutputFormat::Tsv, true).substr(0, 39), "name\tenabled\tstatus\tstatustext\tsha256\r\n");
  EXPECT_EQ(renderDocument(d, OutputFormat::Json, false),
            "{\"machine\":\"PC\",\"taken\":\"2026-12-08T14:25:03Z\",\"entries\":[\r\n"
            "{\"name\":\"Tool, \\\"new\\\"\",\"enabled\":true,\"status\":[{\"key\":\"file-missing\",\"text\":\"File "
            "not found\"},"
            "{\"key\":\"new\",\"text\":\"New since 1 May\"}],\"sha256\":null},\r\n"
            "{\"name\":\"bell\\u0007\",\"enabled\":false,\"status\":[],\"sha256\":\"ab\"}\r\n]}\r\n");
  EXPECT_EQ(renderDocument(d, OutputFormat::Xml, false),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<entries machine=\"PC\" taken=\"2026-12-08T14:25:03Z\">\r\n"
            "<entry name=\"Tool, &quot;new&quot;\" enabled=\"true\" status=\"file-missing;new\" "
            "statustext=\"File not found; New since 1 May\"/>\r\n"
            "<entry name-hex=\"62656c6c07\" enabled=\"false\" status=\"\" statustext=\"\" sha256=\"ab\"/>\r\n"
            "</entries>\r\n");
  OutputDocument empty = d;
  empty.records.clear();
  EXPECT_EQ(renderDocument(empty, OutputFormat::Csv, false), "name,enabled,status,statustext,sha256\r\n");
  EXPECT_EQ(renderDocument(empty, OutputFormat::Json, false),
            "{\"machine\":\"PC\",\"taken\":\"2026-12-08T14:25:03Z\",\"entries\":[]}\r\n");
}

TEST(ConsoleOutput, ReasonTokensFormatNamesAndTheConsoleWindowsText) {
  EXPECT_EQ(reasonToken("_StatusFileMissing"), "file-missing");
  EXPECT_EQ(reasonToken("_StatusOffInWindows"), "off-in-windows");
  EXPECT_EQ(reasonToken("_StatusNew"), "new");
  EXPECT_EQ(reasonToken("_StatusOffInUI"), "off-in-ui");
  EXPECT_EQ(outputFormatNamed("Json"), OutputFormat::Json);
  EXPECT_FALSE(outputFormatNamed("yaml"));
  // ESC, BEL, DEL and C1 never reach a console; tabs, line ends and letters do.
  EXPECT_EQ(terminalSafe("a\x1B[2Jb\x07\x7F\xC2\x9B\tc\r\n\xC5\x81"),
            "a\xEF\xBF\xBD[2Jb\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\tc\r\n\xC5\x81");
}

}  // namespace
}  // namespace velmora::testing
