// The one way a family takes back a change that failed half-way.
#include <gtest/gtest.h>

#include "fakes/fake_store.h"
#include "fakes/fakes.h"
#include "family/transaction.h"
#include "registry/registry_family.h"

namespace velmora::testing {
namespace {

class TransactionTest : public ::testing::Test {
 protected:
  TransactionTest() { tr.texts = {{"_EntryKeptTwice", "twice %s"}, {"_Why", "failed: %s"}}; }
  FakeStore store;
  MapTranslator tr;
  OperationLog log{tr};
  FamilyContext context{store, log, tr};
  ScriptedPrompt prompt;
  FamilySupport support{context, prompt, kRegistryTraits};
  std::vector<std::string> steps;
  std::function<bool()> step(const std::string& name, bool works = true) {
    return [this, name, works] {
      steps.push_back(name);
      return works;
    };
  }
};

TEST_F(TransactionTest, CommitDropsTheUndoStepsAndRunsTheCleanUps) {
  Transaction tx(support, "Tool");
  tx.undoWith(step("undo write"));
  tx.onCommit([this] { steps.push_back("drop kept copy"); });
  EXPECT_EQ(tx.commit(), Outcome::Done);
  EXPECT_EQ(steps, std::vector<std::string>{"drop kept copy"});
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(TransactionTest, FailTakesBackLatestFirstThenSaysWhy) {
  {
    Transaction tx(support, "Tool");
    tx.undoWith(step("first"));
    tx.undoWith(step("second"));
    tx.onCommit([this] { steps.push_back("clean-up"); });
    EXPECT_EQ(tx.fail("_Why", {"disk full"}), Outcome::Failed);
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"second", "first"})) << "once, and no clean-up";
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"failed: disk full"});
}

TEST_F(TransactionTest, AStepThatCannotBeTakenBackIsToldInsteadAndTheOthersStillRun) {
  Transaction tx(support, "Tool");
  tx.undoWith(step("first"));
  tx.undoWith(step("second", false));
  tx.fail("_Why", {"x"});
  EXPECT_EQ(steps, (std::vector<std::string>{"second", "first"}));
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"twice Tool"});
}

TEST_F(TransactionTest, OneLeftOpenIsTakenBackQuietly) {
  {
    Transaction tx(support, "Tool");
    tx.undoWith(step("undo"));
  }
  EXPECT_EQ(steps, std::vector<std::string>{"undo"});
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace velmora::testing
