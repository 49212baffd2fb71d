#pragma once
// One behaviour for every FolderPort and ShellLinkPort: the in-memory fakes
// natively and the real file system and shell links under Wine run these
// same cases. An Env provides folders(), links(), base() (an empty folder
// that exists), put(path, bytes, attributes) and bytes(path).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "startupfolder/folder_port.h"
#include "startupfolder/shell_link_port.h"

namespace velmora::testing {

template <class Env>
class FolderContract : public ::testing::Test {
 protected:
  Env env;
  FolderPort& fs() { return env.folders(); }
  ShellLinkPort& links() { return env.links(); }
  std::string at(const std::string& name) { return env.base() + "\\" + name; }
  const FolderEntry* listed(const std::vector<FolderEntry>& entries, const std::string& name) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
  }
};

TYPED_TEST_SUITE_P(FolderContract);

TYPED_TEST_P(FolderContract, ListsFilesAndFoldersWithTheirAttributes) {
  const std::string unicode = "\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC.lnk";
  this->env.put(this->at("plain.txt"), "a", 0);
  this->env.put(this->at("hidden.txt"), "b", kAttrHidden);
  this->env.put(this->at(unicode), "c", 0);
  ASSERT_EQ(this->fs().makeFolder(this->at("Sub")), FileStatus::Ok);
  std::vector<FolderEntry> entries{{"stale", 0}};
  ASSERT_EQ(this->fs().list(this->env.base(), entries), FileStatus::Ok);
  ASSERT_NE(this->listed(entries, "plain.txt"), nullptr);
  EXPECT_EQ(this->listed(entries, "plain.txt")->attributes & (kAttrHidden | kAttrDirectory), 0u);
  ASSERT_NE(this->listed(entries, "hidden.txt"), nullptr);
  EXPECT_NE(this->listed(entries, "hidden.txt")->attributes & kAttrHidden, 0u);
  ASSERT_NE(this->listed(entries, "Sub"), nullptr);
  EXPECT_NE(this->listed(entries, "Sub")->attributes & kAttrDirectory, 0u);
  EXPECT_NE(this->listed(entries, unicode), nullptr) << "names come back exactly";
  EXPECT_EQ(this->listed(entries, "stale"), nullptr);
}

TYPED_TEST_P(FolderContract, MissingFilesAndFoldersAreNotFound) {
  std::vector<FolderEntry> entries{{"keep", 0}};
  EXPECT_EQ(this->fs().list(this->at("Missing"), entries), FileStatus::NotFound);
  ASSERT_EQ(entries.size(), 1u) << "a failed listing leaves its output alone";
  EXPECT_FALSE(this->fs().exists(this->at("missing.lnk")));
  EXPECT_EQ(this->fs().removeFile(this->at("missing.lnk")), FileStatus::NotFound);
  EXPECT_EQ(this->fs().copyFile(this->at("missing.lnk"), this->at("b"), IfExists::Replace), FileStatus::NotFound);
  EXPECT_EQ(this->fs().moveFile(this->at("missing.lnk"), this->at("b"), IfExists::Replace), FileStatus::NotFound);
  EXPECT_FALSE(this->fs().exists(this->at("b")));
}

TYPED_TEST_P(FolderContract, CopiesAreExactAndReplaceOnlyWhenAsked) {
  const std::string bytes("L\0\0\0\x01\x14\x02\xFF tail", 13);
  this->env.put(this->at("a.lnk"), bytes, 0);
  this->env.put(this->at("c.lnk"), "other", 0);
  ASSERT_EQ(this->fs().copyFile(this->at("a.lnk"), this->at("b.copy"), IfExists::Fail), FileStatus::Ok);
  EXPECT_EQ(this->env.bytes(this->at("b.copy")), bytes);
  EXPECT_EQ(this->fs().copyFile(this->at("a.lnk"), this->at("c.lnk"), IfExists::Fail), FileStatus::Exists);
  EXPECT_EQ(this->env.bytes(this->at("c.lnk")), "other");
  ASSERT_EQ(this->fs().copyFile(this->at("a.lnk"), this->at("C.LNK"), IfExists::Replace), FileStatus::Ok);
  EXPECT_EQ(this->env.bytes(this->at("c.lnk")), bytes);
  EXPECT_EQ(this->env.bytes(this->at("a.lnk")), bytes) << "the source stays";
}

TYPED_TEST_P(FolderContract, MovesReplaceAndTakeTheSourceAway) {
  this->env.put(this->at("new"), "new", 0);
  this->env.put(this->at("old.lnk"), "old", 0);
  EXPECT_EQ(this->fs().moveFile(this->at("new"), this->at("old.lnk"), IfExists::Fail), FileStatus::Exists);
  ASSERT_EQ(this->fs().moveFile(this->at("new"), this->at("old.lnk"), IfExists::Replace), FileStatus::Ok);
  EXPECT_EQ(this->env.bytes(this->at("old.lnk")), "new");
  EXPECT_FALSE(this->fs().exists(this->at("new")));
  ASSERT_EQ(this->fs().removeFile(this->at("old.lnk")), FileStatus::Ok);
  EXPECT_FALSE(this->fs().exists(this->at("old.lnk")));
}

TYPED_TEST_P(FolderContract, AHiddenFileStaysHiddenWhenMovedUntilShownAgain) {
  const auto hidden = [this](const std::string& name) {
    std::vector<FolderEntry> entries;
    EXPECT_EQ(this->fs().list(this->env.base(), entries), FileStatus::Ok);
    const FolderEntry* e = this->listed(entries, name);
    return e && (e->attributes & kAttrHidden) != 0;
  };
  this->env.put(this->at("staged"), "new", 0);
  ASSERT_EQ(this->fs().setVisibility(this->at("staged"), Visibility::Hidden), FileStatus::Ok);
  EXPECT_TRUE(hidden("staged"));
  ASSERT_EQ(this->fs().setVisibility(this->at("staged"), Visibility::Hidden), FileStatus::Ok) << "hiding twice is fine";
  ASSERT_EQ(this->fs().moveFile(this->at("staged"), this->at("placed.lnk"), IfExists::Replace), FileStatus::Ok);
  EXPECT_TRUE(hidden("placed.lnk")) << "the attribute travels with the file";
  ASSERT_EQ(this->fs().setVisibility(this->at("placed.lnk"), Visibility::Shown), FileStatus::Ok);
  EXPECT_FALSE(hidden("placed.lnk"));
  EXPECT_EQ(this->env.bytes(this->at("placed.lnk")), "new");
  EXPECT_EQ(this->fs().setVisibility(this->at("missing.lnk"), Visibility::Hidden), FileStatus::NotFound);
}

// Windows starts a read-only startup file as any other, so the port handles
// one as any other: it is copied with its mark (a Disable's copy, and what an
// Enable puts back from it), replaced and removed.
TYPED_TEST_P(FolderContract, AReadOnlyFileIsCopiedWithItsMarkReplacedAndRemoved) {
  const auto readOnly = [this](const std::string& name) {
    std::vector<FolderEntry> entries;
    EXPECT_EQ(this->fs().list(this->env.base(), entries), FileStatus::Ok);
    const FolderEntry* e = this->listed(entries, name);
    return e && (e->attributes & kAttrReadOnly) != 0;
  };
  this->env.put(this->at("kept.lnk"), "kept", kAttrReadOnly);
  this->env.put(this->at("other.lnk"), "other", 0);
  ASSERT_EQ(this->fs().copyFile(this->at("kept.lnk"), this->at("kept.copy"), IfExists::Replace), FileStatus::Ok);
  EXPECT_TRUE(readOnly("kept.copy"));
  ASSERT_EQ(this->fs().removeFile(this->at("kept.lnk")), FileStatus::Ok);
  EXPECT_FALSE(this->fs().exists(this->at("kept.lnk")));
  ASSERT_EQ(this->fs().copyFile(this->at("kept.copy"), this->at("kept.lnk"), IfExists::Fail), FileStatus::Ok);
  EXPECT_TRUE(readOnly("kept.lnk")) << "put back as it was";
  EXPECT_EQ(this->env.bytes(this->at("kept.lnk")), "kept");
  ASSERT_EQ(this->fs().copyFile(this->at("other.lnk"), this->at("kept.copy"), IfExists::Replace), FileStatus::Ok);
  EXPECT_EQ(this->env.bytes(this->at("kept.copy")), "other");
  ASSERT_EQ(this->fs().moveFile(this->at("kept.copy"), this->at("kept.lnk"), IfExists::Replace), FileStatus::Ok);
  EXPECT_EQ(this->env.bytes(this->at("kept.lnk")), "other");
  ASSERT_EQ(this->fs().removeFile(this->at("kept.lnk")), FileStatus::Ok);
  ASSERT_EQ(this->fs().removeFile(this->at("other.lnk")), FileStatus::Ok);
}

TYPED_TEST_P(FolderContract, MakesMissingFoldersWithTheirParents) {
  ASSERT_EQ(this->fs().makeFolder(this->at("One\\Two")), FileStatus::Ok);
  ASSERT_EQ(this->fs().makeFolder(this->at("One\\Two")), FileStatus::Ok) << "an existing folder is fine";
  EXPECT_TRUE(this->fs().exists(this->at("One\\Two")));
  this->env.put(this->at("file"), "x", 0);
  EXPECT_NE(this->fs().makeFolder(this->at("file")), FileStatus::Ok) << "a file is not a folder";
}

TYPED_TEST_P(FolderContract, ShortcutsKeepTheirTarget) {
  const std::string target = "C:\\Users\\\xC5\x81ukasz\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBB\\tool.exe";
  const std::string link = this->at("\xE6\x97\xA5\xE6\x9C\xAC.lnk");
  ASSERT_EQ(this->links().create(target, link), LinkStatus::Ok);
  std::string read = "untouched";
  ASSERT_EQ(this->links().resolve(link, read), LinkStatus::Ok);
  EXPECT_EQ(read, target);

  ASSERT_EQ(this->links().retarget(link, "C:\\Other\\other.exe", this->at("b.lnk")), LinkStatus::Ok);
  ASSERT_EQ(this->links().resolve(this->at("b.lnk"), read), LinkStatus::Ok);
  EXPECT_EQ(read, "C:\\Other\\other.exe");
  ASSERT_EQ(this->links().resolve(link, read), LinkStatus::Ok);
  EXPECT_EQ(read, target) << "the source is not changed";

  ASSERT_EQ(this->links().create("C:\\Third\\third.exe", link), LinkStatus::Ok) << "replaces";
  ASSERT_EQ(this->links().resolve(link, read), LinkStatus::Ok);
  EXPECT_EQ(read, "C:\\Third\\third.exe");
}

TYPED_TEST_P(FolderContract, WhatIsNotAShortcutIsToldApart) {
  this->env.put(this->at("run.bat"), "@echo off\r\n", 0);
  std::string read = "untouched";
  EXPECT_EQ(this->links().resolve(this->at("run.bat"), read), LinkStatus::NotALink);
  EXPECT_EQ(this->links().resolve(this->at("missing.lnk"), read), LinkStatus::NotFound);
  EXPECT_EQ(read, "untouched");
  EXPECT_EQ(this->links().retarget(this->at("run.bat"), "C:\\x.exe", this->at("x.lnk")), LinkStatus::NotALink);
  EXPECT_FALSE(this->fs().exists(this->at("x.lnk")));
}

TYPED_TEST_P(FolderContract, LinksAreNotWrittenWhereTheFileSystemRefuses) {
  EXPECT_EQ(this->links().create("C:\\x.exe", this->at("Missing\\x.lnk")), LinkStatus::WriteFailed);
  EXPECT_EQ(this->links().create("C:\\x.exe", this->at("what?.lnk")), LinkStatus::WriteFailed);
  std::vector<FolderEntry> entries;
  ASSERT_EQ(this->fs().list(this->env.base(), entries), FileStatus::Ok);
  for (const auto& e : entries) {
    EXPECT_TRUE(e.name == "." || e.name == "..") << e.name;
  }
}

REGISTER_TYPED_TEST_SUITE_P(FolderContract, ListsFilesAndFoldersWithTheirAttributes,
                            AReadOnlyFileIsCopiedWithItsMarkReplacedAndRemoved,
                            MissingFilesAndFoldersAreNotFound, CopiesAreExactAndReplaceOnlyWhenAsked,
                            MovesReplaceAndTakeTheSourceAway, AHiddenFileStaysHiddenWhenMovedUntilShownAgain,
                            MakesMissingFoldersWithTheirParents,
                            ShortcutsKeepTheirTarget, WhatIsNotAShortcutIsToldApart,
                            LinksAreNotWrittenWhereTheFileSystemRefuses);

}  // namespace velmora::testing
