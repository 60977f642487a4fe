// The stage window's schedule: presents at most once per refresh, and the
// pumps' look at the event queue at most once per event interval.
#include <gtest/gtest.h>

#include "saver/core/refresh_schedule.h"

namespace lumora {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Duration = RefreshSchedule::Duration;

constexpr Duration kFrame = microseconds(16667);

TEST(RefreshSchedule, FirstPresentIsAllowedAtOnceThenOneRefreshLater) {
  RefreshSchedule s(kFrame);
  EXPECT_EQ(s.untilPresentAllowed(Duration::zero()), Duration::zero());
  s.presented(milliseconds(100));
  struct Case {
    Duration now, wait;
  };
  for (const Case c : {Case{milliseconds(100), kFrame}, Case{milliseconds(110), kFrame - milliseconds(10)},
                       Case{milliseconds(100) + kFrame - Duration(1), Duration(1)},
                       Case{milliseconds(100) + kFrame, Duration::zero()}, Case{milliseconds(500), Duration::zero()}})
    EXPECT_EQ(s.untilPresentAllowed(c.now), c.wait) << c.now.count();
}

TEST(RefreshSchedule, AnotherScreensRefreshRateAppliesFromTheNextCheck) {
  RefreshSchedule s(kFrame);
  s.presented(Duration::zero());
  s.setFrameInterval(milliseconds(8));
  EXPECT_EQ(s.untilPresentAllowed(milliseconds(8)), Duration::zero());
  EXPECT_EQ(s.untilPresentAllowed(milliseconds(5)), milliseconds(3));
}

TEST(RefreshSchedule, EventsAreTakenAtTheFirstPumpThenOncePerInterval) {
  RefreshSchedule s(kFrame);
  const Duration step = RefreshSchedule::kEventInterval / 4;
  int turns = 0;
  Duration lastTurn{};
  // A million pumps a second for 20 intervals.
  for (Duration now = milliseconds(3); now < milliseconds(3) + 20 * RefreshSchedule::kEventInterval;
       now += step / 250) {
    if (!s.takeEventTurn(now)) continue;
    if (turns++ > 0) {
      EXPECT_EQ(now - lastTurn, RefreshSchedule::kEventInterval);
    }
    lastTurn = now;
  }
  EXPECT_EQ(turns, 20);
}

TEST(RefreshSchedule, PumpsFarApartEachTakeTheEvents) {
  RefreshSchedule s(kFrame);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(s.takeEventTurn(milliseconds(10) * k)) << k;
}

TEST(RefreshSchedule, EventIntervalKeepsInputWellWithinAFrame) {
  EXPECT_LE(RefreshSchedule::kEventInterval * 8, kFrame);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

// A present that cost more than half a refresh holds the next one back
// until twice its cost has passed, so that the drawing keeps at least half
// the time; a cheap one leaves the refresh as the only limit.
TEST(RefreshSchedule, SlowPresentsLeaveHalfTheTimeToTheDrawing) {
  struct Case {
    Duration cost, interval;
  } cases[] = {{milliseconds(2), kFrame},
               {milliseconds(8), kFrame},
               {milliseconds(12), milliseconds(24)},
               {milliseconds(40), milliseconds(80)}};
  for (const Case c : cases) {
    RefreshSchedule s(kFrame);
    s.presented(milliseconds(100), milliseconds(100) + c.cost);
    EXPECT_EQ(s.untilPresentAllowed(milliseconds(100) + c.cost), c.interval - c.cost) << c.cost.count();
    EXPECT_EQ(s.untilPresentAllowed(milliseconds(100) + c.interval), Duration::zero()) << c.cost.count();
  }
}

}  // namespace
}  // namespace lumora
