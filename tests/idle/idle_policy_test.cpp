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
  // Already idle when the watcher starts: it waits for the session to be used.
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
