// Cutting a program-list value into programs and rewriting it.
#include <gtest/gtest.h>

#include "programlist/program_list.h"

namespace velmora {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitPrograms, BlanksAndCommasSeparateAndEmptyPiecesAreSkipped) {
  EXPECT_EQ(splitPrograms("a.exe, b.exe,,z.exe"), (Pieces{"a.exe", "b.exe", "z.exe"}));
  EXPECT_EQ(splitPrograms("D:\\Program Files\\x.exe"), (Pieces{"D:\\Program", "Files\\x.exe"}));
  EXPECT_EQ(splitPrograms("\"D:\\My Tools\\t.exe\""), (Pieces{"\"D:\\My", "Tools\\t.exe\""}));
  EXPECT_EQ(splitPrograms(""), Pieces{});
  EXPECT_EQ(splitPrograms(" , ,, "), Pieces{});
  EXPECT_EQ(splitPrograms(",a.exe "), Pieces{"a.exe"});
}

TEST(SplitList, TakesTheEarliestSeparatorAndAtATieTheLaterInTheList) {
  // Both separators start at index 1: the later one (",,") is cut away whole.
  EXPECT_EQ(splitList("a,,b", {",", ",,"}, false), (Pieces{"a", "b"}));
  // In the other order the single comma wins the tie and leaves an empty piece.
  EXPECT_EQ(splitList("a,,b", {",,", ","}, false), (Pieces{"a", "", "b"}));
  EXPECT_EQ(splitList("a,,b", {",,", ","}, true), (Pieces{"a", "b"}));
  // Earliest wins regardless of list order.
  EXPECT_EQ(splitList("a b,c", {",", " "}, false), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(splitList("", {" "}, false), Pieces{""});
  EXPECT_EQ(splitList("x", {}, true), Pieces{"x"});
}

TEST(DeleteProgram, RemovesWholeProgramsAndTidiesTheSeparators) {
  EXPECT_EQ(deleteProgram("a.exe,b.exe,c.exe", "b.exe"), "a.exe,c.exe");
  EXPECT_EQ(deleteProgram("b.exe", "b.exe"), "");
  EXPECT_EQ(deleteProgram("a.exe b.exe", "b.exe"), "a.exe");
  // A double blank left behind becomes a comma; a single blank stays.
  EXPECT_EQ(deleteProgram("a.exe b.exe c.exe d.exe", "b.exe"), "a.exe,c.exe d.exe");
  EXPECT_EQ(deleteProgram("b.exe,a.exe,b.exe", "b.exe"), "a.exe");
  EXPECT_EQ(deleteProgram("b.exe b.exe", "b.exe"), "");
  // ", , " gives ",," in the ", " pass, which ran after the ",," pass: the
  // listing skips the empty piece.
  EXPECT_EQ(deleteProgram("a.exe, b.exe, c.exe", "b.exe"), "a.exe,,c.exe");
}

TEST(DeleteProgram, LeavesTheTextWhereItIsPartOfALongerProgram) {
  EXPECT_EQ(deleteProgram("aa.exe,a.exe", "a.exe"), "aa.exe");
  EXPECT_EQ(deleteProgram("aa.exe a.exe.bak", "a.exe"), "aa.exe a.exe.bak");
  EXPECT_EQ(deleteProgram("C:\\x\\a.exe,a.exe", "a.exe"), "C:\\x\\a.exe");
  EXPECT_FALSE(containsProgram("aa.exe,a.exe.bak", "a.exe"));
  EXPECT_TRUE(containsProgram("aa.exe,a.exe", "a.exe"));
  EXPECT_FALSE(containsProgram("a.exe", ""));
  // Matching is exact: the row's text is the value's text.
  EXPECT_FALSE(containsProgram("A.EXE", "a.exe"));
}

TEST(DeleteProgram, EachCleanUpIsOnePassOverNonOverlappingText) {
  // Three commas become two in the ",," pass; the trim does not reach inside.
  EXPECT_EQ(deleteProgram("a,,,b", "x"), "a,,b");
  // Three blanks: the first two become a comma, then ", " becomes ",".
  EXPECT_EQ(deleteProgram("a   b", "x"), "a,b");
  EXPECT_EQ(deleteProgram(" , a , ", "x"), "a");
}

TEST(AppendProgram, TrimsOnlyTheEnds) {
  EXPECT_EQ(appendProgram("", "C:\\PROGRA~1\\x.exe"), "C:\\PROGRA~1\\x.exe");
  EXPECT_EQ(appendProgram("a.exe", "b.exe"), "a.exe,b.exe");
  EXPECT_EQ(appendProgram("a.exe,", "b.exe"), "a.exe,,b.exe");
  EXPECT_EQ(appendProgram(" ,", "b.exe"), "b.exe");
  EXPECT_EQ(appendProgram(deleteProgram("a.exe b.exe", "b.exe"), "b.exe"), "a.exe,b.exe");
}

TEST(NamesUserinit, FindsTheProgramWithOrWithoutFolderQuotesOrCase) {
  EXPECT_TRUE(namesUserinit("C:\\Windows\\system32\\userinit.exe,"));
  EXPECT_TRUE(namesUserinit("USERINIT.EXE"));
  EXPECT_TRUE(namesUserinit("x.exe \"C:\\Windows\\system32\\userinit.exe\""));
  EXPECT_TRUE(namesUserinit("\"C:\\My Windows\\userinit.exe\""));
  EXPECT_FALSE(namesUserinit("C:\\Windows\\system32\\myuserinit.exe"));
  EXPECT_FALSE(namesUserinit("userinit.exe.bak"));
  EXPECT_FALSE(namesUserinit(""));
}


// As Windows finds it: PATH and PATHEXT make "explorer" explorer.exe, and
// either slash separates folders.
TEST(NamesExplorer, FindsTheProgramAsWindowsWouldRunIt) {
  EXPECT_TRUE(namesExplorer("explorer"));
  EXPECT_TRUE(namesExplorer("C:/Windows/EXPLORER.EXE"));
  EXPECT_TRUE(namesExplorer("tray.exe,\"C:\\Windows\\explorer.exe\""));
  EXPECT_FALSE(namesExplorer("C:\\myexplorer.exe"));
  EXPECT_FALSE(namesExplorer("explorer.exe.bak"));
  EXPECT_FALSE(namesExplorer("C:\\explorer\\shell.exe"));
  EXPECT_FALSE(namesExplorer(""));
}
}  // namespace
}  // namespace velmora
