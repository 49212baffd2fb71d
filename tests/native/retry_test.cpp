// A refusal another program causes for a moment is tried again, briefly and
// within a bound; any other answer counts at once.
#include <gtest/gtest.h>

#include <numeric>

#include "core/retry.h"

namespace velmora::testing {
namespace {

TEST(RetryBriefly, TriesAgainOnlyWhileTheRefusalPassesAndWithinABound) {
  struct Case {
    const char* what;
    int heldFor;     // tries refused as held before the answer
    bool lasting;    // the answer after that is a lasting refusal
    int tries;       // tries made
    unsigned waited; // milliseconds paused
    bool done;
  };
  const unsigned all = std::accumulate(kBriefRetryPausesMs.begin(), kBriefRetryPausesMs.end(), 0u);
  const Case cases[] = {
      {"done at once", 0, false, 1, 0, true},
      {"refused for good at once", 0, true, 1, 0, false},
      {"held for one try", 1, false, 2, 20, true},
      {"held for three tries", 3, false, 4, 20 + 40 + 80, true},
      {"held, then refused for good", 2, true, 3, 20 + 40, false},
      {"held for the last try", 7, false, 8, all, true},
      {"held for longer", 100, false, 8, all, false},
  };
  for (const Case& c : cases) {
    int tries = 0;
    unsigned waited = 0;
    enum class Answer { Done, Held, Refused };
    const Answer last = retryBriefly(
        [&] {
          ++tries;
          if (tries <= c.heldFor) return Answer::Held;
          return c.lasting ? Answer::Refused : Answer::Done;
        },
        [](Answer a) { return a == Answer::Held; }, [&](unsigned ms) { waited += ms; });
    EXPECT_EQ(tries, c.tries) << c.what;
    EXPECT_EQ(waited, c.waited) << c.what;
    EXPECT_EQ(last == Answer::Done, c.done) << c.what;
  }
  EXPECT_LE(all, 1100u) << "a second or so, never long enough to seem hung";
}

}  // namespace
}  // namespace velmora::testing
