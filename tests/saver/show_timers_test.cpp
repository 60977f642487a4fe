#include <gtest/gtest.h>

#include <sstream>

#include "platform/desktop/power_off.h"
#include "saver/ui/lyric_timer.h"
#include "saver/ui/shutdown_timer.h"
#include "saver/ui/stage_window.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

int litRowsAtTheFoot(StageWindow& stage) {
  const Bitmap& b = stage.stage();
  int rows = 0;
  for (int y = b.height() - 25; y < b.height(); ++y)
    for (int x = 0; x < b.width() / 2; ++x)
      if ((b.at(x, y) & 0xFFFFFFu) != 0) {
        ++rows;
        break;
      }
  return rows;
}

// Each tick draws the lines due at the song's position, once, at the foot of
// the Stage, and leaves the Stage's font as the lyric display sets it.
TEST(LyricTimer, DrawsTheLinesDueAtThePositionOnce) {
  testing::qtApp();
  StageWindow stage;
  stage.stage().fill(kBlack);
  std::int64_t position = 0;
  LyricTimer timer([&] { return position; }, stage);
  std::istringstream text("[00:01.00]first line\n[00:03.00]second line\n");
  timer.lyrics().readText(text);
  struct Tick {
    std::int64_t at;
    bool draws;
  } ticks[] = {{300, false}, {500, true}, {700, false}, {2500, true}};  // due from 510 ms before the tag
  for (const Tick& t : ticks) {
    position = t.at;
    stage.stage().fill(kBlack);
    stage.stageFont() = StageFont{};
    timer.showDue();
    EXPECT_EQ(litRowsAtTheFoot(stage) > 0, t.draws) << t.at;
    EXPECT_EQ(stage.stageFont().face == QStringLiteral("宋体"), t.draws) << t.at;
  }
}

// The countdown ends the show first and then powers off, once the minutes
// have passed and no prompt holds it; 0 minutes never.
TEST(ShutdownTimer, EndsTheShowThenPowersOffWhenDueAndNotHeld) {
  testing::qtApp();
  struct Case {
    const char* what;
    int minutes;
    QTime now;  // the start is 10:00:30
    bool held;
    bool fires;
  } cases[] = {
      {"not yet", 5, QTime(10, 4, 59), false, false},
      {"due", 5, QTime(10, 5, 0), false, true},
      {"due, prompt open", 5, QTime(10, 5, 0), true, false},
      {"never", 0, QTime(23, 0, 0), false, false},
  };
  for (const Case& c : cases) {
    struct Recording : PowerOff {
      std::vector<std::string>* log;
      void powerOff() override { log->push_back("power off"); }
    } power;
    std::vector<std::string> log;
    power.log = &log;
    const QDate day(2026, 12, 9);
    ShutdownTimer timer(
        {[&] { return QDateTime(day, c.now); }, [&] { return c.held; }, [&] { log.push_back("end show"); }}, &power);
    timer.start(QDateTime(day, QTime(10, 0, 30)), c.minutes);
    EXPECT_EQ(timer.timer().isActive(), c.minutes != 0) << c.what;
    EXPECT_EQ(timer.timer().interval(), 10000) << c.what;
    timer.check();
    const std::vector<std::string> expected =
        c.fires ? std::vector<std::string>{"end show", "power off"} : std::vector<std::string>{};
    EXPECT_EQ(log, expected) << c.what;
    EXPECT_EQ(timer.timer().isActive(), c.minutes != 0 && !c.fires) << c.what;
  }
}

}  // namespace
}  // namespace lumora
