// What the window hands its workers: the look-up queue of program files
// (newest question first, each key once per generation, answers of an older
// generation dropped or shown only until the new one came), the queue of
// slow jobs, and the look-up worker's loop on a thread of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/job_queue.h"
#include "core/lookup_queue.h"
#include "family/program_facts.h"
#include "fakes/fake_signatures.h"

namespace velmora::testing {
namespace {

// The keys the worker takes, in order, until none is left.
std::vector<std::string> drained(LookupQueue<int>& q, int answer = 1) {
  std::vector<std::string> taken;
  while (q.outstanding() > 0) {
    const auto job = q.take();
    if (!job) break;
    taken.push_back(job->key);
    (void)q.deliver(*job, answer);
  }
  return taken;
}

TEST(LookupQueue, AnswersNewestFirstOnceEachAndDropsWhatAListThatChangedAsked) {
  struct Case {
    const char* what;
    std::function<void(LookupQueue<int>&)> steps;
    std::vector<std::string> taken;
  };
  const std::vector<Case> cases = {
      {"the rows painted last are in view: newest first",
       [](LookupQueue<int>& q) {
         for (const char* k : {"a", "b", "c"}) (void)q.answerOrAsk(k);
       },
       {"c", "b", "a"}},
      {"asked again: to the front, not twice",
       [](LookupQueue<int>& q) {
         for (const char* k : {"a", "b", "c", "a", "a"}) (void)q.answerOrAsk(k);
       },
       {"a", "c", "b"}},
      {"a new listing drops what was not taken",
       [](LookupQueue<int>& q) {
         (void)q.answerOrAsk("old");
         q.restart();
         (void)q.answerOrAsk("new");
       },
       {"new"}},
  };
  for (const Case& c : cases) {
    LookupQueue<int> q;
    c.steps(q);
    EXPECT_EQ(drained(q), c.taken) << c.what;
  }
}

TEST(LookupQueue, AnAnswerCountsForItsGenerationAndAnOlderOneIsShownUntilTheNewCame) {
  LookupQueue<int> q;
  EXPECT_FALSE(q.answerOrAsk("f").has_value()) << "nothing known yet: asked";
  const auto job = q.take();
  ASSERT_TRUE(job);
  EXPECT_FALSE(q.answerOrAsk("f").has_value()) << "taken, not answered: not asked twice";
  EXPECT_TRUE(q.deliver(*job, 7)) << "the first answer wakes the window";
  const auto found = q.answerOrAsk("f");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->answer, 7);
  EXPECT_TRUE(found->current);
  EXPECT_EQ(q.outstanding(), 0u);

  // Answers that come before the window looked wake it once.
  (void)q.answerOrAsk("g");
  (void)q.answerOrAsk("h");
  const auto g = q.take();
  const auto h = q.take();
  EXPECT_FALSE(q.deliver(*g, 1)) << "the window was not told of f yet";
  EXPECT_TRUE(q.takeNews());
  EXPECT_TRUE(q.deliver(*h, 2));
  EXPECT_TRUE(q.takeNews());
  EXPECT_FALSE(q.takeNews());

  // A new listing: f's old answer is shown, marked not current, and f is
  // asked again; the answer to the old generation still on its way is
  // dropped.
  (void)q.answerOrAsk("late");
  const auto late = q.take();
  q.restart();
  EXPECT_FALSE(q.deliver(*late, 9)) << "its list changed";
  EXPECT_FALSE(q.answer("late").has_value());
  const auto old = q.answerOrAsk("f");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->answer, 7);
  EXPECT_FALSE(old->current);
  EXPECT_EQ(q.outstanding(), 1u);
  EXPECT_EQ(drained(q, 8), std::vector<std::string>{"f"});
  EXPECT_EQ(q.answerOrAsk("f")->answer, 8);
}

TEST(LookupQueue, StopWakesTheWorkerAndDropsWhatComesAfter) {
  LookupQueue<int> q;
  std::atomic<bool> ended{false};
  std::thread worker([&] {
    while (q.take()) {
    }
    ended = true;
  });
  q.stop();
  worker.join();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(q.answerOrAsk("x").has_value());
  EXPECT_EQ(q.outstanding(), 0u) << "nothing is asked of a stopped queue";
  EXPECT_FALSE(q.deliver(LookupQueue<int>::Job{"x", 0}, 1));
}

TEST(JobQueue, HoldsJobsUntilReleasedDoesThemInOrderAndDropsThemWhenStopped) {
  JobQueue jobs(/*held=*/true);
  std::vector<int> done;
  jobs.post([&] { done.push_back(1); });
  jobs.post([&] { done.push_back(2); });
  std::thread worker([&] {
    while (auto job = jobs.take()) (*job)();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(done.empty()) << "held while the window is being made";
  jobs.release();
  while (done.size() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  jobs.stop();
  worker.join();
  EXPECT_EQ(done, (std::vector<int>{1, 2}));
  jobs.post([&] { done.push_back(3); });
  EXPECT_FALSE(jobs.take().has_value());
}

// Program files where a test says, one of them slow to answer.
struct SlowFiles : ProgramFileLookup {
  std::atomic<int> companyReads{0};
  std::atomic<bool> slowReleased{false};
  std::string expand(const std::string& text) override { return text; }
  bool isFile(const std::string& path) override { return path != "C:\\missing.exe"; }
  std::optional<std::string> findBareName(const std::string&) override { return std::nullopt; }
  std::string companyName(const std::string& path) override {
    ++companyReads;
    while (path == "C:\\huge.exe" && !slowReleased) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return "Maker of " + path;
  }
  bool opensByExtension(const std::string&) override { return true; }
  bool isLocal(const std::string& path) override { return path.rfind("C:", 0) == 0; }
};

TEST(ProgramFactsWorker, AnswersOnItsOwnThreadEachFileOnceAndASlowFileHoldsOnlyItself) {
  SlowFiles files;
  FakeSignatureCheck check;
  check.files["C:\\tool.exe"] = {FileStamp{1, 1}, FileSignature{SignatureVerdict::Verified, "Tool Maker"}};
  SignatureMemory signatures(check);
  ProgramFactsFinder finder(files, &signatures);
  QueuedProgramFacts facts;
  std::atomic<int> told{0};
  std::thread worker([&] { answerProgramFacts(facts.queue(), finder, [&] { ++told; }); });
  const auto waitFor = [&](const std::string& commandLine) {
    for (int i = 0; i < 5000; ++i) {
      if (const auto known = facts.factsOf(commandLine); known && known->current) return known->facts;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ADD_FAILURE() << commandLine << " never answered";
    return ProgramFacts{};
  };

  // The huge file is asked first and holds the worker; asked after it, the
  // others wait only for it, and the window never does.
  EXPECT_FALSE(facts.factsOf("C:\\huge.exe").has_value());
  EXPECT_FALSE(facts.factsOf("C:\\tool.exe /tray").has_value());
  EXPECT_FALSE(facts.factsOf("C:\\tool.exe /other").has_value());
  EXPECT_FALSE(facts.factsOf("C:\\missing.exe").has_value());
  files.slowReleased = true;
  const ProgramFacts tool = waitFor("C:\\tool.exe /tray");
  EXPECT_TRUE(tool.file.found);
  EXPECT_EQ(tool.company, "Maker of C:\\tool.exe");
  ASSERT_TRUE(tool.signature);
  EXPECT_EQ(tool.signature->signer, "Tool Maker");
  EXPECT_TRUE(tool.local);
  EXPECT_EQ(waitFor("C:\\tool.exe /other").company, tool.company);
  const ProgramFacts missing = waitFor("C:\\missing.exe");
  EXPECT_FALSE(missing.file.found);
  EXPECT_FALSE(missing.local) << "nothing of a missing file is read, not even its icon";
  EXPECT_EQ(waitFor("C:\\huge.exe").company, "Maker of C:\\huge.exe");
  EXPECT_EQ(files.companyReads.load(), 2) << "one read for each file, not each command line";
  EXPECT_GE(told.load(), 1);

  // A refresh reads the files again: their version resources, and the
  // signature only of a file that changed.
  facts.restart();
  (void)facts.factsOf("C:\\tool.exe /tray");
  EXPECT_EQ(waitFor("C:\\tool.exe /tray").company, tool.company);
  EXPECT_EQ(files.companyReads.load(), 3);
  EXPECT_EQ(check.checked, std::vector<std::string>{"C:\\tool.exe"});
  facts.queue().stop();
  worker.join();
}

}  // namespace
}  // namespace velmora::testing
