// The watcher's decisions after the show ends: a normal end ends the watch,
// crashes restart it, too many make it plain, and a plain show that keeps
// failing is given up.
#include <gtest/gtest.h>

#include <vector>

#include "start/show_watch.h"

namespace lumora {
namespace {

using Next = RestartPolicy::Next;
using std::chrono::seconds;

TEST(RestartPolicy, CrashesRestartThenTurnPlainThenGiveUp) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, bool>> ends;  // (seconds from start, crashed)
    std::vector<Next> expected;
  };
  constexpr int kMost = RestartPolicy::kMostRestarts;
  std::vector<std::pair<int, bool>> burst, spread;
  std::vector<Next> burstNext, spreadNext;
  for (int i = 0; i < kMost; ++i) {
    burst.push_back({i, true});
    burstNext.push_back(Next::Restart);
  }
  burst.push_back({kMost, true});
  burstNext.push_back(Next::RestartPlain);
  for (int i = 0; i < RestartPolicy::kMostPlainFailures; ++i) {
    burst.push_back({kMost + 1 + i, true});
    burstNext.push_back(Next::RestartPlain);
  }
  burst.push_back({kMost + 10, true});
  burstNext.push_back(Next::GiveUp);
  // Crashes a minute apart never add up.
  for (int i = 0; i < 3 * kMost; ++i) {
    spread.push_back({i * 61, true});
    spreadNext.push_back(Next::Restart);
  }
  const Case cases[] = {
      {"the password was given", {{5, false}}, {Next::End}},
      {"a crash, then the password", {{5, true}, {9, false}}, {Next::Restart, Next::End}},
      {"a burst of crashes", burst, burstNext},
      {"crashes spread out", spread, spreadNext},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestartPolicy policy;
    const auto start = std::chrono::steady_clock::time_point() + std::chrono::hours(1);
    std::vector<Next> got;
    for (auto [at, crashed] : c.ends) got.push_back(policy.childEnded(crashed, start + seconds(at)));
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
}  // namespace lumora
