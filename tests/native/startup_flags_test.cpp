// Windows' own on/off flags of startup entries: how a flag is read, which
// locations have one, and the steps that change a flag inside a change.
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "startupflags/startup_flags.h"
#include "family/transaction.h"

namespace velmora::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 03 or 07 and the FILETIME of when the entry was turned off, as Windows writes them.
Bytes offSince(std::uint8_t first) { return {first, 0, 0, 0, 0x40, 0x8d, 0x3b, 0x61, 0x7a, 0x2f, 0xdb, 0x01}; }

TEST(StartupFlag, AnOddFirstByteOfAtLeastFourBytesTurnsTheEntryOff) {
  EXPECT_TRUE(flagSaysOff(offSince(0x03)));
  EXPECT_TRUE(flagSaysOff(offSince(0x07)));
  EXPECT_TRUE(flagSaysOff(Bytes{0x01, 0, 0, 0})) << "four bytes are enough";
  EXPECT_TRUE(flagSaysOff(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  for (std::uint8_t on : {0x00, 0x02, 0x06, 0x08}) EXPECT_FALSE(flagSaysOff(offSince(on))) << int(on);
  EXPECT_FALSE(flagSaysOff(Bytes{})) << "no data";
  EXPECT_FALSE(flagSaysOff(Bytes{0x03})) << "too short";
  EXPECT_FALSE(flagSaysOff(Bytes{0x03, 0, 0})) << "too short";
  EXPECT_EQ(flagOnBytes(), (Bytes{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(flagSaysOff(flagOnBytes()));
}

TEST(StartupFlag, OnlyTheClassicRunKeysAndTheStartupFoldersHaveOne) {
  const std::string approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
  EXPECT_EQ(flagKeyOfRunKey("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
            (FlagKey{RootKey::CurrentUser, approved + "Run"}));
  EXPECT_EQ(flagKeyOfRunKey("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
            (FlagKey{RootKey::LocalMachine, approved + "Run"}));
  EXPECT_EQ(flagKeyOfRunKey("hkey_local_machine\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\run\\"),
            (FlagKey{RootKey::LocalMachine, approved + "Run32"}))
      << "letter case and a trailing backslash do not matter";
  EXPECT_EQ(flagKeyOfRunKey("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run")->path(),
            "HKEY_LOCAL_MACHINE\\" + approved + "Run");
  for (const char* none : {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "HKEY_CURRENT_USER\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                           "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                           "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
                           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
                           "HKEY_USERS\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub", ""}) {
    EXPECT_FALSE(flagKeyOfRunKey(none)) << none;
  }
  EXPECT_EQ(startupFolderFlagKey(true), (FlagKey{RootKey::LocalMachine, approved + "StartupFolder"}));
  EXPECT_EQ(startupFolderFlagKey(false), (FlagKey{RootKey::CurrentUser, approved + "StartupFolder"}));
}

TEST(StartupFlag, AListingReadsEachKeyOnceAndMatchesNamesIgnoringCase) {
  FakeRegistry reg;
  const FlagKey run = startupFolderFlagKey(false);
  const FlagKey machine = startupFolderFlagKey(true);
  reg.putBytes(run.root, run.subkey, "Mail.LNK", offSince(3));
  reg.putBytes(run.root, run.subkey, "Chat.lnk", flagOnBytes());
  reg.put(run.root, run.subkey, "Text.lnk", "\x03\x03\x03\x03");  // not binary data: no flag
  reg.putBytes(machine.root, machine.subkey, "Tool.lnk", offSince(7));
  OffFlags flags(reg);
  EXPECT_TRUE(flags.isOff(run, "mail.lnk"));
  EXPECT_FALSE(flags.isOff(run, "Chat.lnk"));
  EXPECT_FALSE(flags.isOff(run, "Text.lnk"));
  EXPECT_FALSE(flags.isOff(run, "Tool.lnk")) << "another key's flag";
  EXPECT_TRUE(flags.isOff(machine, "TOOL.LNK"));
  EXPECT_FALSE(flags.isOff(run, "Mail")) << "the name with its extension";
  EXPECT_EQ(reg.enumerations, 2);
  EXPECT_FALSE(OffFlags(reg).isOff(FlagKey{RootKey::CurrentUser, "Missing"}, "x"));
  reg.denyRead(run.root, run.subkey);
  EXPECT_FALSE(OffFlags(reg).isOff(run, "Mail.lnk")) << "a key that cannot be read turns nothing off";
}

// The steps against a fake registry, inside a transaction as a family runs them.
class FlagSteps : public ::testing::Test {
 protected:
  FlagSteps() {
    tr.texts = {{"_FlagWriteFailed", "flag %s|%s"}, {"_EntryKeptTwice", "twice %s"}};
  }
  const RegValue* flag(const std::string& name) const { return reg.find(key.root, key.subkey, name); }
  Bytes bytes(const std::string& name) const {
    const RegValue* v = flag(name);
    return v ? v->bytes : Bytes{0xEE};
  }

  const FlagKey key = flagKeyOfRunKey("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run").value();
  FakeRegistry reg;
  FakeStore store;
  MapTranslator tr;
  ScriptedPrompt prompt;
  FamilyContext context{store, tr};
  FamilySupport support{context, FamilyTraits{RecordKind{"x"}, LogKeys{""}, "", nullptr}};
  StartupFlagSteps steps{reg, support};
  // What the steps told the user, run as one operation.
  std::vector<std::string> told(const std::function<void()>& body) { return support.run(prompt, body).messages; }
};

TEST_F(FlagSteps, TurningOnWritesWindowsOwnOnValueAndTakingBackRestoresTheOldBytes) {
  reg.putBytes(key.root, key.subkey, "Tool", offSince(3));
  EXPECT_TRUE(told([&] {
  {
    Transaction tx(support, "Tool");
    ASSERT_EQ(steps.turnOn(tx, key, "Tool"), Outcome::Done);
    ASSERT_EQ(flag("Tool")->type, kRegBinary);
    EXPECT_EQ(bytes("Tool"), flagOnBytes());
    EXPECT_TRUE(tx.rollBack());
  }
  EXPECT_EQ(bytes("Tool"), offSince(3));
  {
    Transaction tx(support, "New");
    ASSERT_EQ(steps.turnOn(tx, key, "New"), Outcome::Done) << "no flag yet: one is written";
    EXPECT_EQ(bytes("New"), flagOnBytes());
  }  // left open: taken back
  EXPECT_EQ(flag("New"), nullptr) << "a flag that was not there is deleted again";
  }).empty());
}

TEST_F(FlagSteps, MovingGivesTheNewNameExactlyTheOldNamesFlag) {
  EXPECT_TRUE(told([&] {
  reg.putBytes(key.root, key.subkey, "Old", offSince(3));
  reg.putBytes(key.root, key.subkey, "Taken", flagOnBytes());
  {
    Transaction tx(support, "Old");
    ASSERT_EQ(steps.move(tx, key, "Old", "Taken"), Outcome::Done);
    EXPECT_EQ(flag("Old"), nullptr);
    EXPECT_EQ(bytes("Taken"), offSince(3));
    EXPECT_TRUE(tx.rollBack());
  }
  EXPECT_EQ(bytes("Old"), offSince(3));
  EXPECT_EQ(bytes("Taken"), flagOnBytes());

  // An entry without a flag must not take over an orphan that says off.
  reg.putBytes(key.root, key.subkey, "Orphan", offSince(7));
  Transaction tx(support, "Plain");
  ASSERT_EQ(steps.move(tx, key, "Plain", "Orphan"), Outcome::Done);
  EXPECT_EQ(flag("Orphan"), nullptr);
  const int writes = reg.writes;
  ASSERT_EQ(steps.move(tx, key, "Old", "OLD"), Outcome::Done) << "a change of letter case names the same flag";
  EXPECT_EQ(bytes("Old"), offSince(3));
  EXPECT_EQ(reg.writes, writes);
  tx.commit();
  }).empty());
}

TEST_F(FlagSteps, AFlagThatCannotBeReadOrWrittenFailsTheChangeAndTakesBackWhatWasDone) {
  reg.putBytes(key.root, key.subkey, "Tool", offSince(3));
  reg.denyWrite(key.root, key.subkey);
  bool undone = false;
  std::vector<std::string> messages = told([&] {
    Transaction tx(support, "Tool");
    tx.undoWith([&] { return undone = true; });  // an earlier step of the change
    EXPECT_EQ(steps.turnOn(tx, key, "Tool"), Outcome::Failed);
  });
  EXPECT_TRUE(undone);
  EXPECT_EQ(bytes("Tool"), offSince(3));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "flag Tool|" + key.path());

  reg.reset();
  reg.putBytes(key.root, key.subkey, "Tool", offSince(3));
  reg.denyRead(key.root, key.subkey);
  messages = told([&] {
    Transaction tx(support, "Tool");
    EXPECT_EQ(steps.drop(tx, key, "Tool"), Outcome::Failed) << "what could not be read could not be put back";
  });
  EXPECT_EQ(bytes("Tool"), offSince(3));
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
}  // namespace velmora::testing
