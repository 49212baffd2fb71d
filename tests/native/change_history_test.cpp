// The change history: its file format, the bound and what pruning deletes,
// a history that cannot be read or saved, and the program-list text rules
// Undo puts a program back with.
#include <gtest/gtest.h>

#include "fakes/fake_folders.h"
#include "fakes/fake_history.h"
#include "history/change_history.h"
#include "programlist/program_list.h"

namespace velmora::testing {
namespace {

Change sample() {
  Change c;
  c.id = 7;
  c.time = "2026-12-07T21:40:05Z";
  c.family = "programlist";
  c.kind = "modify";
  c.location = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load";
  c.before = EntryState{"Load", "a.exe", "", false};
  c.after = EntryState{"Load", "\xC5\x81ukasz \"b\" <&>\r\n\tc.exe", "REG_EXPAND_SZ", true};
  c.position = 2;
  c.valueBefore = "x.exe,a.exe";
  c.valueAfter = "";
  c.copy = "1765143605000.copy";
  c.undoes = 3;
  c.extra = {{"flagvalue", "03 00 00"}, {"approvedkey", "Run32"}};
  return c;
}

TEST(HistoryFormat, EveryFieldComesBackAndUnknownFieldsPassThrough) {
  const Change c = sample();
  EXPECT_EQ(fromRecord(toRecord(c)), c);

  Change plain;
  plain.id = 1;
  plain.family = "registry";
  plain.kind = "remove";
  plain.location = "HKEY_CURRENT_USER\\Run";
  plain.before = EntryState{"A", "", "REG_SZ", false};
  const auto back = fromRecord(toRecord(plain));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, plain) << "an empty command line is still an entry; no after state, no position";
  EXPECT_FALSE(back->after);
  EXPECT_FALSE(back->valueBefore);

  // A control character XML cannot hold still comes back exactly.
  Change control = plain;
  control.before->data = std::string("a\x01b\x1f", 4) + "\t\xC5\x81";
  const HistoryRecord hex = toRecord(control);
  EXPECT_EQ(historyXml({hex}).find('\x01'), std::string::npos);
  EXPECT_EQ(fromRecord(hex), control);

  HistoryRecord r = toRecord(plain);
  r.emplace_back("flag", "off");  // written by a newer version
  ASSERT_TRUE(fromRecord(r));
  EXPECT_EQ(fromRecord(r)->extra.at("flag"), "off");
  EXPECT_EQ(toRecord(*fromRecord(r)).back(), (std::pair<std::string, std::string>{"flag", "off"}));

  for (const char* required : {"id", "family", "kind", "location"}) {
    HistoryRecord missing;
    for (const auto& field : toRecord(plain))
      if (field.first != required) missing.push_back(field);
    EXPECT_FALSE(fromRecord(missing)) << required;
  }
  HistoryRecord badNumber = toRecord(plain);
  badNumber[0].second = "12x";
  EXPECT_FALSE(fromRecord(badNumber));
}

TEST(HistoryFormat, ARecordThatNamesAFieldTwiceIsNoChange) {
  // Readers differ on which of the two counts: the record is refused whole.
  HistoryRecord twice = toRecord(sample());
  twice.emplace_back("beforename", "Other");
  EXPECT_FALSE(fromRecord(twice));
  HistoryRecord hex = toRecord(sample());
  hex.emplace_back("location-hex", "433a5c");
  EXPECT_FALSE(fromRecord(hex)) << "once plainly and once in hexadecimal";
  HistoryRecord extra = toRecord(sample());
  extra.emplace_back("approvedkey", "Run");
  EXPECT_FALSE(fromRecord(extra)) << "a family's own field too";
}

TEST(HistoryFormat, XmlEscapesWhatAttributesWouldLose) {
  const std::string xml = historyXml({{{"id", "1"}, {"data", "a&b <c> \"d\"\r\n\te\x01"}, {"bad name", "x"}}});
  EXPECT_NE(xml.find("<history version=\"1\">"), std::string::npos);
  EXPECT_NE(xml.find("data=\"a&amp;b &lt;c&gt; &quot;d&quot;&#13;&#10;&#9;e&#xFFFD;\""), std::string::npos) << xml;
  EXPECT_EQ(xml.find("bad name"), std::string::npos) << "a name XML cannot hold is left out, not written broken";
  EXPECT_EQ(historyXml({}).find("<change"), std::string::npos);
}

struct HistoryWorld {
  FakeFolders folders;
  FakeHistoryFile file{&folders};
  std::chrono::system_clock::time_point now{std::chrono::seconds(1765143605)};
  ChangeHistory history{file, "C:\\Velmora\\History", 3, [this] { return now; }};

  Change change(const std::string& name, bool withCopy = false) {
    Change c;
    c.family = "registry";
    c.kind = "add";
    c.location = "HKEY_CURRENT_USER\\Run";
    c.after = EntryState{name, name + ".exe", "REG_SZ", false};
    if (withCopy) {
      c.copy = history.newCopyName();
      folders.put(history.copyPath(c.copy), "bytes of " + name);
    }
    return c;
  }
};

TEST(ChangeHistory, NumbersChangesAndListsThemNewestFirst) {
  HistoryWorld w;
  EXPECT_TRUE(w.history.changes()->empty()) << "no file yet: an empty history";
  ASSERT_TRUE(w.history.record(w.change("a")));
  w.now += std::chrono::seconds(61);
  ASSERT_TRUE(w.history.record(w.change("b")));
  const auto all = w.history.changes();
  ASSERT_EQ(all->size(), 2u);
  EXPECT_EQ((*all)[0].after->name, "b");
  EXPECT_EQ((*all)[0].id, 2u);
  EXPECT_EQ((*all)[1].id, 1u);
  EXPECT_EQ((*all)[1].time, "2025-12-07T21:40:05Z");
  EXPECT_EQ((*all)[0].time, "2025-12-07T21:41:06Z");
  EXPECT_EQ(w.history.find(1)->after->name, "a");
  EXPECT_FALSE(w.history.find(9));
  EXPECT_NE(w.history.newCopyName(), w.history.newCopyName()) << "two copies in the same millisecond";
}

TEST(ChangeHistory, KeepsTheNewestUpToItsBoundAndPruningDeletesTheirCopies) {
  HistoryWorld w;
  std::vector<std::string> copies;
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    Change c = w.change(name, true);
    copies.push_back(w.history.copyPath(c.copy));
    ASSERT_TRUE(w.history.record(c));
  }
  const auto all = w.history.changes();
  ASSERT_EQ(all->size(), 3u);
  EXPECT_EQ(all->back().after->name, "c");
  EXPECT_EQ(all->front().id, 5u) << "numbers keep rising past pruned changes";
  EXPECT_FALSE(w.folders.hasFile(copies[0]));
  EXPECT_FALSE(w.folders.hasFile(copies[1]));
  EXPECT_TRUE(w.folders.hasFile(copies[2]));
  EXPECT_TRUE(w.folders.hasFile(copies[4]));

  // A copy name edited to point elsewhere is never used to delete a file.
  w.folders.put("C:\\Velmora\\config.xml", "<config/>");
  w.file.records.front().emplace_back("copy", "..\\config.xml");
  for (const char* name : {"f", "g", "h"}) ASSERT_TRUE(w.history.record(w.change(name)));
  EXPECT_TRUE(w.folders.hasFile("C:\\Velmora\\config.xml"));
  EXPECT_FALSE(plainCopyName("..\\config.xml"));
  EXPECT_FALSE(plainCopyName("C:x.copy"));
  EXPECT_FALSE(plainCopyName(".."));
  EXPECT_TRUE(plainCopyName("1765143605000.copy"));
  for (const char* other : {"CON", "x.copy", ".copy", "1765143605000.copy.lnk", "12 .copy"}) {
    EXPECT_FALSE(plainCopyName(other)) << other << ": no name the history makes";
  }
}

TEST(ChangeHistory, AFileThatCannotBeReadOrSavedIsLeftAsItWasAndSaidOnce) {
  HistoryWorld w;
  w.file.unreadable = true;
  Change c = w.change("a", true);
  const std::string copy = w.history.copyPath(c.copy);
  EXPECT_FALSE(w.history.record(c));
  EXPECT_EQ(w.file.writes, 0);
  EXPECT_FALSE(w.folders.hasFile(copy)) << "the copy of a change that is not kept is not left behind";
  EXPECT_FALSE(w.history.changes());
  EXPECT_TRUE(w.history.takeWarning());
  EXPECT_FALSE(w.history.record(w.change("b")));
  EXPECT_FALSE(w.history.takeWarning()) << "told once per run";

  HistoryWorld saves;
  EXPECT_FALSE(saves.history.takeWarning()) << "nothing to tell while all is well";
  ASSERT_TRUE(saves.history.record(saves.change("a")));
  saves.file.failWrites = true;
  EXPECT_FALSE(saves.history.record(saves.change("b")));
  EXPECT_EQ(saves.history.changes()->size(), 1u);
  EXPECT_TRUE(saves.history.takeWarning());
}

TEST(ProgramPlaces, APieceGoesBackBetweenItsNeighboursOrAtTheEnd) {
  EXPECT_EQ(placeOf("a.exe,b.exe c.exe", 1).left, "a.exe");
  EXPECT_EQ(placeOf("a.exe,b.exe c.exe", 1).right, "c.exe");
  EXPECT_EQ(placeOf("a.exe", 0).left, "");

  EXPECT_EQ(insertProgram("a.exe c.exe", "b.exe", {"a.exe", "c.exe"}), "a.exe b.exe,c.exe");
  EXPECT_EQ(insertProgram("c.exe,d.exe", "b.exe", {"", "c.exe"}), "b.exe,c.exe,d.exe") << "at the start";
  EXPECT_EQ(insertProgram("a.exe", "b.exe", {"a.exe", ""}), "a.exe,b.exe") << "at the end";
  EXPECT_EQ(insertProgram("a.exe,x.exe,c.exe", "b.exe", {"a.exe", "c.exe"}), "a.exe,x.exe,c.exe,b.exe")
      << "the neighbours no longer meet";
  EXPECT_EQ(insertProgram("", "b.exe", {"", ""}), "b.exe");

  EXPECT_EQ(replaceProgram("aa.exe, a.exe  z", "a.exe", "b.exe"), "aa.exe, b.exe  z") << "whole pieces, separators kept";
  EXPECT_EQ(replaceProgram("aa.exe", "a.exe", "b.exe"), "aa.exe");
  EXPECT_EQ(programIndex("x.exe, a.exe", "a.exe"), 1u);
  EXPECT_FALSE(programIndex("x.exe", "a.exe"));
}

}  // namespace
}  // namespace velmora::testing
