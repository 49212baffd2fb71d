// Where Browse starts and how a chosen file becomes a command.
#include <gtest/gtest.h>

#include "family/entry_fields.h"

namespace velmora {
namespace {

TEST(EntryFields, BrowseStartsInTheFolderOfTheCommandsProgram) {
  EXPECT_EQ(commandFolder("C:\\Tools\\tool.exe"), "C:\\Tools");
  EXPECT_EQ(commandFolder("\"C:\\Program Files\\App\\app.exe\" /background"), "C:\\Program Files\\App");
  EXPECT_EQ(commandFolder("  \"C:\\A B\\x.exe\" plain argument"), "C:\\A B") << "a quoted program ends at its quote";
  EXPECT_EQ(commandFolder("C:\\Tools\\tool.exe -min"), "C:\\Tools");
  EXPECT_EQ(commandFolder("%ProgramFiles%\\App\\app.exe"), "%ProgramFiles%\\App") << "expanded by the dialog";
  EXPECT_EQ(commandFolder("C:\\tool.exe"), "C:\\") << "the root, not the drive's current folder";
  EXPECT_EQ(commandFolder("\\\\server\\share\\t.exe"), "\\\\server\\share");
  EXPECT_EQ(commandFolder("notepad.exe"), "") << "no folder named";
  EXPECT_EQ(commandFolder(""), "");
  EXPECT_EQ(commandFolder("\""), "");
}

TEST(EntryFields, AChosenFileWithABlankIsQuoted) {
  EXPECT_EQ(commandForFile("C:\\Program Files\\App\\app.exe"), "\"C:\\Program Files\\App\\app.exe\"");
  EXPECT_EQ(commandForFile("C:\\Tools\\tool.exe"), "C:\\Tools\\tool.exe");
}

}  // namespace
}  // namespace velmora
