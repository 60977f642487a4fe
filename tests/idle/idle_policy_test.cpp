#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "idle/idle_policy.h"
#include "idle/single_instance.h"

namespace lumora {
namespace {

IdleSample idle(std::int64_t ms, bool fullScreen = false, bool running = false) {
  return IdleSample{ms, fullScreen, running};
}

TEST(IdlePolicy, StartsOncePerIdlePeriodAfterTheSessionWasUsed) {
  IdlePolicy p(5000);
  EXPECT_FALSE(p.shouldStart(idle(9000)));
  EXPECT_FALSE(p.shouldStart(idle(100)));
  EXPECT_FALSE(p.shouldStart(idle(4999)));
  EXPECT_TRUE(p.shouldStart(idle(5000)));
  // The show runs, then ends without any input: no start again at once.
  EXPECT_FALSE(p.shouldStart(idle(8000, false, true)));
  EXPECT_FALSE(p.shouldStart(idle(9000)));
  // Input, then idle again: the next period starts it again.
  EXPECT_FALSE(p.shouldStart(idle(0)));
  EXPECT_TRUE(p.shouldStart(idle(6000)));
}

// Idle times as the X server and Mutter give them: since the last input,
// which may be long before the watcher started.
TEST(IdlePolicy, ASessionAlreadyIdleAtTheStartCountsFromTheStart) {
  IdlePolicy p(5000);
  EXPECT_FALSE(p.shouldStart(idle(60000)));  // idle for a minute already
  EXPECT_FALSE(p.shouldStart(idle(64999)));
  EXPECT_TRUE(p.shouldStart(idle(65000)));  // the idle minutes since the start
  EXPECT_FALSE(p.shouldStart(idle(70000, false, true)));
  EXPECT_FALSE(p.shouldStart(idle(80000)));  // over without input: not again

  // Used meanwhile: the idle time counts from the use, as usual.
  IdlePolicy used(5000);
  EXPECT_FALSE(used.shouldStart(idle(60000)));
  EXPECT_FALSE(used.shouldStart(idle(2000)));
  EXPECT_TRUE(used.shouldStart(idle(5000)));
}

TEST(IdlePolicy, FullScreenHoldsOffUntilItGoesAndOffMeansNever) {
  IdlePolicy p(1000);
  EXPECT_FALSE(p.shouldStart(idle(0)));
  EXPECT_FALSE(p.shouldStart(idle(2000, true)));
  EXPECT_FALSE(p.shouldStart(idle(3000, true)));
  EXPECT_TRUE(p.shouldStart(idle(4000, false)));

  IdlePolicy off(0);
  EXPECT_FALSE(off.shouldStart(idle(0)));
  EXPECT_FALSE(off.shouldStart(idle(1'000'000)));
  off.setThreshold(10);
  EXPECT_FALSE(off.shouldStart(idle(5)));
  EXPECT_TRUE(off.shouldStart(idle(10)));
}

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  const auto dir = std::filesystem::temp_directory_path() / ("lumora-idle-lock-" + std::to_string(::getpid()));
  const auto lock = dir / "sub" / "idle.lock";
  {
    SingleInstance first(lock);
    EXPECT_TRUE(first.held());
    SingleInstance second(lock);
    EXPECT_FALSE(second.held());
  }
  SingleInstance again(lock);
  EXPECT_TRUE(again.held());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lumora
