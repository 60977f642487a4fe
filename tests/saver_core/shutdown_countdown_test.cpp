#include <gtest/gtest.h>

#include "saver/core/shutdown_countdown.h"

namespace lumora {
namespace {

struct Clock {
  std::int64_t day;
  int hour, minute;
};

std::int64_t at(Clock c) { return clockMinute(c.day, c.hour, c.minute); }

TEST(ShutdownCountdown, DueAfterTheWholeClockMinutes) {
  constexpr std::int64_t kDay = 2461017;  // a Julian day number
  struct Case {
    const char* what;
    Clock start, now;
    int minutes;
    bool due;
  } cases[] = {
      {"just before", {kDay, 10, 0}, {kDay, 10, 29}, 30, false},
      {"at the minute", {kDay, 10, 0}, {kDay, 10, 30}, 30, true},
      {"later", {kDay, 10, 0}, {kDay, 12, 0}, 30, true},
      {"across midnight", {kDay, 23, 50}, {kDay + 1, 0, 19}, 30, false},
      {"across midnight, due", {kDay, 23, 50}, {kDay + 1, 0, 20}, 30, true},
      {"a day later", {kDay, 10, 0}, {kDay + 1, 9, 59}, 1440, false},
      {"a day later, due", {kDay, 10, 0}, {kDay + 1, 10, 0}, 1440, true},
      {"never when 0", {kDay, 10, 0}, {kDay + 400, 10, 0}, 0, false},
      {"never when negative, even at the start", {kDay, 10, 0}, {kDay, 10, 0}, -1, false},
      {"never when negative, later", {kDay, 10, 0}, {kDay + 400, 10, 0}, -30, false},
      {"clock set back", {kDay, 10, 0}, {kDay, 9, 0}, 1, false},
  };
  for (const Case& c : cases) {
    const ShutdownCountdown countdown(at(c.start), c.minutes);
    EXPECT_EQ(countdown.on(), c.minutes > 0) << c.what;
    EXPECT_EQ(countdown.due(at(c.now)), c.due) << c.what;
  }
}

}  // namespace
}  // namespace lumora
