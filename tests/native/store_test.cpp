// The in-memory store keeps the same promises as config.xml through MSXML.
#include <gtest/gtest.h>

#include "contract/store_contract.h"
#include "fakes/fake_store.h"

namespace velmora::testing {
namespace {

struct FakeEnv {
  FakeStore fake;
  DisabledEntryStore& store() { return fake; }
  std::vector<RecordKind> documentOrder() {
    std::vector<RecordKind> out;
    for (const auto& e : fake.elements) out.push_back(e.kind);
    return out;
  }
};

using Envs = ::testing::Types<FakeEnv>;
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, StoreContract, Envs);

// Stored files rely on these names: each family keeps the one it always had.
TEST(StoreNames, ElementNamesAndSelectionPaths) {
  EXPECT_EQ(kRegistryRecords.element, "disabledregistryitem");
  EXPECT_EQ(kProgramListRecords.element, "disabledwininiitem");
  EXPECT_EQ(kStartupFolderRecords.element, "disabledstartupfolderitem");
  EXPECT_EQ(kRegistryTraits.records, kRegistryRecords);
  EXPECT_EQ(kProgramListTraits.records, kProgramListRecords);
  EXPECT_EQ(kStartupFolderTraits.records, kStartupFolderRecords);
  EXPECT_EQ(selectionPath(kStartupFolderRecords), "/config/toolvelmora/disabledstartupfolderitem");
}

TEST(FindItem, MatchesAllThreeTextsIgnoringCaseBeyondAscii) {
  const std::vector<StoredItem> items{
      {0, {"C:\\Users\\\xC5\x81UKASZ\\Startup", "\xD0\x9F\xD0\xA0\xD0\x9E\xD0\x93.lnk", "x"}},
      {2, {"C:\\Users\\\xC5\x81ukasz\\Startup", "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB3.lnk", "X"}},
  };
  const DisabledItem key{"c:\\users\\\xC5\x82ukasz\\startup", "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB3.LNK", "x"};
  const auto first = findItem(items, key);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->ordinal, 0u);
  const auto all = findAllItems(items, key);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].ordinal, 2u);
  // Each text must match on its own: no match across fields.
  EXPECT_FALSE(findItem(items, {"C:\\Users\\\xC5\x81ukasz\\Startup", "x", "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB3.lnk"}));
  EXPECT_FALSE(findItem(items, {"C:\\Users\\\xC5\x81ukasz\\Startup\\", key.valuename, "x"}));
  EXPECT_TRUE(findAllItems({}, key).empty());
}

}  // namespace
}  // namespace velmora::testing
