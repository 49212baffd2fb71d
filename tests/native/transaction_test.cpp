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
  FamilyContext context{store, tr};
  ScriptedPrompt prompt;
  FamilySupport support{context, kRegistryTraits};
  // What an operation running `steps` told the user.
  std::vector<std::string> told(const std::function<void()>& steps) { return support.run(prompt, steps).messages; }
  std::vector<std::string> steps;
  std::function<bool()> step(const std::string& name, bool works = true) {
    return [this, name, works] {
      steps.push_back(name);
      return works;
    };
  }
};

TEST_F(TransactionTest, CommitDropsTheUndoStepsAndRunsTheCleanUps) {
  EXPECT_TRUE(told([&] {
    Transaction tx(support, "Tool");
    tx.undoWith(step("undo write"));
    tx.onCommit([this] { steps.push_back("drop kept copy"); });
    EXPECT_EQ(tx.commit(), Outcome::Done);
  }).empty());
  EXPECT_EQ(steps, std::vector<std::string>{"drop kept copy"});
}

TEST_F(TransactionTest, FailTakesBackLatestFirstThenSaysWhy) {
  const auto messages = told([&] {
    Transaction tx(support, "Tool");
    tx.undoWith(step("first"));
    tx.undoWith(step("second"));
    tx.onCommit([this] { steps.push_back("clean-up"); });
    EXPECT_EQ(tx.fail("_Why", {"disk full"}), Outcome::Failed);
  });
  EXPECT_EQ(steps, (std::vector<std::string>{"second", "first"})) << "once, and no clean-up";
  EXPECT_EQ(messages, std::vector<std::string>{"failed: disk full"});
}

TEST_F(TransactionTest, AStepThatCannotBeTakenBackIsToldInsteadAndTheOthersStillRun) {
  const auto messages = told([&] {
    Transaction tx(support, "Tool");
    tx.undoWith(step("first"));
    tx.undoWith(step("second", false));
    tx.fail("_Why", {"x"});
  });
  EXPECT_EQ(steps, (std::vector<std::string>{"second", "first"}));
  EXPECT_EQ(messages, std::vector<std::string>{"twice Tool"});
}

TEST_F(TransactionTest, OneLeftOpenIsTakenBackQuietly) {
  EXPECT_TRUE(told([&] {
    Transaction tx(support, "Tool");
    tx.undoWith(step("undo"));
  }).empty());
  EXPECT_EQ(steps, std::vector<std::string>{"undo"});
}

// An operation's result carries what it told and what it changed, and a
// second operation starts from nothing.
TEST_F(TransactionTest, EachOperationGathersItsOwnResult) {
  const OperationResult first = support.run(prompt, [&] {
    support.tell("_Why", {"a"});
    support.done(support.change("disable", "Place", EntryState{"n", "d"}, EntryState{"n", "d", {}, true}));
    return true;
  });
  EXPECT_EQ(first.outcome, Outcome::Done);
  EXPECT_EQ(first.messages, std::vector<std::string>{"failed: a"});
  ASSERT_EQ(first.changes.size(), 1u);
  EXPECT_EQ(first.changes[0].family, "registry");
  const OperationResult second = support.run(prompt, [] {});
  EXPECT_EQ(second.outcome, Outcome::Failed) << "no change made";
  EXPECT_TRUE(second.messages.empty());
  EXPECT_TRUE(second.changes.empty());
  EXPECT_TRUE(prompt.messages.empty()) << "the pane shows the messages, not the family";
}

}  // namespace
}  // namespace velmora::testing
