#pragma once
// One behaviour for every DisabledEntryStore: the in-memory fake natively and
// config.xml through MSXML under Wine run these same cases. An Env provides
// store(), empty at the start, and documentOrder(): the kinds of all item
// elements as the document holds them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/store.h"
#include "programlist/program_list_family.h"
#include "registry/registry_family.h"
#include "startupfolder/startup_folder_family.h"

namespace velmora::testing {

template <class Env>
class StoreContract : public ::testing::Test {
 protected:
  Env env;
  DisabledEntryStore& store() { return env.store(); }

  std::vector<StoredItem> list(RecordKind kind) {
    std::vector<StoredItem> out;
    EXPECT_EQ(store().list(kind, out), StoreStatus::Ok);
    return out;
  }
  void add(RecordKind kind, const DisabledItem& item) { ASSERT_EQ(store().add(kind, item), StoreStatus::Ok); }
  static std::vector<DisabledItem> items(const std::vector<StoredItem>& listed) {
    std::vector<DisabledItem> out;
    for (const auto& s : listed) out.push_back(s.item);
    return out;
  }

  const std::string runKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
};

TYPED_TEST_SUITE_P(StoreContract);

TYPED_TEST_P(StoreContract, EmptyStoreListsNothing) {
  EXPECT_TRUE(this->list(kRegistryRecords).empty());
  EXPECT_TRUE(this->list(kStartupFolderRecords).empty());
}

TYPED_TEST_P(StoreContract, ListsEachKindInDocumentOrderAndNothingElse) {
  const DisabledItem a{this->runKey, "Alpha", "C:\\a.exe"};
  const DisabledItem b{"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Load", "Beta",
                       "C:\\b.exe"};
  const DisabledItem c{this->runKey, "Gamma", "C:\\c.exe /x"};
  const DisabledItem d{"C:\\Users\\me\\Start Menu\\Programs\\Startup", "d.lnk", "C:\\d.exe"};
  // The same three texts under two kinds: each kind sees only its own.
  const DisabledItem shared{this->runKey, "Same", "C:\\same.exe"};
  this->add(kRegistryRecords, a);
  this->add(kProgramListRecords, b);
  this->add(kProgramListRecords, shared);
  this->add(kRegistryRecords, c);
  this->add(kStartupFolderRecords, d);
  this->add(kRegistryRecords, shared);

  EXPECT_EQ(this->items(this->list(kRegistryRecords)), (std::vector<DisabledItem>{a, c, shared}));
  EXPECT_EQ(this->items(this->list(kProgramListRecords)), (std::vector<DisabledItem>{b, shared}));
  EXPECT_EQ(this->items(this->list(kStartupFolderRecords)), (std::vector<DisabledItem>{d}));
  // Added items go after everything already there, whatever its kind.
  EXPECT_EQ(this->env.documentOrder(),
            (std::vector<RecordKind>{kRegistryRecords, kProgramListRecords, kProgramListRecords, kRegistryRecords,
                                   kStartupFolderRecords, kRegistryRecords}));

  // Removing the winini copy leaves the registry one alone.
  const auto winini = this->list(kProgramListRecords);
  ASSERT_EQ(this->store().remove(kProgramListRecords, winini[1]), StoreStatus::Ok);
  EXPECT_EQ(this->items(this->list(kRegistryRecords)), (std::vector<DisabledItem>{a, c, shared}));
  EXPECT_EQ(this->items(this->list(kProgramListRecords)), (std::vector<DisabledItem>{b}));
}

TYPED_TEST_P(StoreContract, FindTakesTheFirstOfEqualItemsAcrossCase) {
  const DisabledItem first{this->runKey, "Tool", "C:\\Tools\\tool.exe"};
  this->add(kRegistryRecords, {this->runKey, "Other", "C:\\o.exe"});
  this->add(kRegistryRecords, first);
  this->add(kRegistryRecords, first);
  const auto listed = this->list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 3u) << "both copies are listed";

  const DisabledItem key{"hkey_current_user\\SOFTWARE\\microsoft\\windows\\currentversion\\RUN", "TOOL",
                         "c:\\tools\\TOOL.EXE"};
  const auto found = findItem(listed, key);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->ordinal, listed[1].ordinal);
  EXPECT_EQ(found->item, first) << "the stored texts, not the key's";
  EXPECT_EQ(findAllItems(listed, key).size(), 2u);
  EXPECT_FALSE(findItem(listed, {this->runKey, "Tool", "C:\\Tools\\tool2.exe"}).has_value());

  // Removing the found one leaves exactly one copy.
  ASSERT_EQ(this->store().remove(kRegistryRecords, *found), StoreStatus::Ok);
  EXPECT_EQ(findAllItems(this->list(kRegistryRecords), key).size(), 1u);
}

TYPED_TEST_P(StoreContract, UpdateChangesNameAndDataButNeverPath) {
  this->add(kRegistryRecords, {this->runKey, "Old", "C:\\old.exe"});
  auto listed = this->list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  ASSERT_EQ(this->store().update(kRegistryRecords, listed[0], std::string("New"), "C:\\new.exe -q", std::nullopt), StoreStatus::Ok);
  listed = this->list(kRegistryRecords);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].item, (DisabledItem{this->runKey, "New", "C:\\new.exe -q"}));

  // Data alone: the name stays.
  ASSERT_EQ(this->store().update(kRegistryRecords, listed[0], std::nullopt, "C:\\third.exe", std::nullopt), StoreStatus::Ok);
  EXPECT_EQ(this->items(this->list(kRegistryRecords)),
            (std::vector<DisabledItem>{{this->runKey, "New", "C:\\third.exe"}}));
}

TYPED_TEST_P(StoreContract, ChangingAnItemThatChangedSinceListingIsRefused) {
  this->add(kRegistryRecords, {this->runKey, "A", "a.exe"});
  this->add(kRegistryRecords, {this->runKey, "B", "b.exe"});
  const auto before = this->list(kRegistryRecords);
  ASSERT_EQ(before.size(), 2u);

  // Someone else changed B: the stale listing must not remove the new text.
  ASSERT_EQ(this->store().update(kRegistryRecords, before[1], std::string("B2"), "b2.exe", std::nullopt), StoreStatus::Ok);
  EXPECT_EQ(this->store().remove(kRegistryRecords, before[1]), StoreStatus::Vanished);
  EXPECT_EQ(this->store().update(kRegistryRecords, before[1], std::nullopt, "x.exe", std::nullopt), StoreStatus::Vanished);

  // A removed earlier item shifts the places: B's old place is now empty.
  ASSERT_EQ(this->store().remove(kRegistryRecords, before[0]), StoreStatus::Ok);
  EXPECT_EQ(this->store().remove(kRegistryRecords, before[0]), StoreStatus::Vanished) << "already gone";
  EXPECT_EQ(this->items(this->list(kRegistryRecords)), (std::vector<DisabledItem>{{this->runKey, "B2", "b2.exe"}}));
  // The same place under another kind is no match either.
  const auto now = this->list(kRegistryRecords);
  EXPECT_EQ(this->store().remove(kProgramListRecords, now[0]), StoreStatus::Vanished);
  EXPECT_EQ(this->list(kRegistryRecords).size(), 1u);
}

TYPED_TEST_P(StoreContract, EmptyTextsAreKept) {
  // A startup-folder file that is not a shortcut has no target.
  const DisabledItem item{"C:\\Startup", "notes.txt", ""};
  this->add(kStartupFolderRecords, item);
  EXPECT_EQ(this->items(this->list(kStartupFolderRecords)), (std::vector<DisabledItem>{item}));
}

// A record of an expandable registry value keeps its type; records without
// the attribute (every older file) read as REG_SZ, and an update can change
// or drop the type while leaving it alone unless asked.
TYPED_TEST_P(StoreContract, ValueTypeIsKeptChangedAndDropped) {
  const DisabledItem expand{this->runKey, "Sec", "%windir%\\system32\\sec.exe", "REG_EXPAND_SZ"};
  this->add(kRegistryRecords, expand);
  this->add(kRegistryRecords, {this->runKey, "Plain", "p.exe"});
  auto listed = this->list(kRegistryRecords);
  EXPECT_EQ(this->items(listed), (std::vector<DisabledItem>{expand, {this->runKey, "Plain", "p.exe"}}));
  ASSERT_EQ(this->store().update(kRegistryRecords, listed[0], std::nullopt, "%windir%\\sec2.exe", std::nullopt),
            StoreStatus::Ok);
  ASSERT_EQ(this->store().update(kRegistryRecords, listed[1], std::nullopt, "%TEMP%\\p.exe", std::string("REG_EXPAND_SZ")),
            StoreStatus::Ok);
  listed = this->list(kRegistryRecords);
  EXPECT_EQ(listed[0].item.valuetype, "REG_EXPAND_SZ") << "kept when not asked";
  EXPECT_EQ(listed[1].item.valuetype, "REG_EXPAND_SZ");
  ASSERT_EQ(this->store().update(kRegistryRecords, listed[0], std::nullopt, "sec.exe", std::string()), StoreStatus::Ok);
  listed = this->list(kRegistryRecords);
  EXPECT_EQ(listed[0].item, (DisabledItem{this->runKey, "Sec", "sec.exe"}));
  // A listing taken before the type changed no longer matches.
  const DisabledItem stale{this->runKey, "Plain", "%TEMP%\\p.exe"};
  EXPECT_EQ(this->store().remove(kRegistryRecords, StoredItem{1, stale}), StoreStatus::Vanished);
}

REGISTER_TYPED_TEST_SUITE_P(StoreContract, EmptyStoreListsNothing, ListsEachKindInDocumentOrderAndNothingElse,
                            FindTakesTheFirstOfEqualItemsAcrossCase, UpdateChangesNameAndDataButNeverPath,
                            ChangingAnItemThatChangedSinceListingIsRefused, EmptyTextsAreKept,
                            ValueTypeIsKeptChangedAndDropped);

}  // namespace velmora::testing
