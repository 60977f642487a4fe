#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sstream>
#include <thread>

#include "saver/core/test_patterns.h"
#include "saver/core/transition_run.h"
#include "saver/ui/stage_window.h"
#include "tests/saver/qt_app.h"

namespace lumora {
namespace {

void handleEventsFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A drawing that comes right after a present is not dropped: it reaches the
// screen at the next refresh without any further drawing or pumping.
TEST(StageWindowPresent, ChangeInsideAFrameIsPresentedAtTheNextRefresh) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  stage.present();
  const long long before = stage.presentCount();
  stage.stage().at(3, 3) = kWhite;
  stage.stageDrawn({3, 3, 4, 4});
  EXPECT_EQ(stage.presentCount(), before);  // not due yet
  handleEventsFor(int(3000 / stage.refreshRate()) + 20);
  EXPECT_EQ(stage.presentCount(), before + 1);
  handleEventsFor(50);
  EXPECT_EQ(stage.presentCount(), before + 1);  // nothing new, nothing presented
}

// Showing a stage that is already up repaints nothing: the transition that
// follows brings its first drawing up at once, not a refresh later.
TEST(StageWindowPresent, ShowingAStageThatIsUpPresentsNothing) {
  testing::qtApp();
  StageWindow stage;
  stage.showAbove(nullptr);
  const long long shown = stage.presentCount();
  EXPECT_GE(shown, 1);  // shown just now: presented whole
  handleEventsFor(int(2000 / stage.refreshRate()) + 10);
  stage.showAbove(nullptr);
  EXPECT_EQ(stage.presentCount(), shown);
  stage.stage().at(3, 3) = kWhite;
  stage.stageDrawn({3, 3, 4, 4});
  EXPECT_EQ(stage.presentCount(), shown + 1);
}

// A short transition lasts at least the minimum and comes up frame by frame.
TEST(StageWindowPace, ShortTransitionIsSpreadOverTheMinimum) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  auto transition = [&](int minimumMs) {
    stage.present();
    const long long before = stage.presentCount();
    QElapsedTimer t;
    t.start();
    stage.transitionStarting({10, 10, 10}, minimumMs);
    for (int k = 0; k < 10; ++k) {
      stage.stageDrawn({0, k, 10, k + 1});
      stage.pump();
    }
    stage.transitionEnded();
    return std::pair{t.elapsed(), stage.presentCount() - before};
  };
  const auto [pacedMs, pacedFrames] = transition(400);
  EXPECT_GE(pacedMs, 395);
  EXPECT_EQ(pacedFrames, 10);  // ten steps, each its own frame
}

// A transition with fewer steps than the frames of the minimum presents each
// of them, even when they are drawn back to back (no pump, no time between):
// its first at once, without waiting for its turn or a refresh.
TEST(StageWindowPace, FewStepsArePresentedEachAndTheFirstAtOnce) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  stage.present();
  handleEventsFor(int(1000 / stage.refreshRate()) + 5);  // the picture before has stood a while
  const long long before = stage.presentCount();
  stage.transitionStarting({0, 7, 6}, 200);
  stage.stageDrawn({0, 0, 0, 10});  // a strip of no width: nothing to show, no step
  EXPECT_EQ(stage.presentCount(), before);
  stage.stageDrawn({0, 0, 10, 1});
  EXPECT_EQ(stage.presentCount(), before + 1);  // the first step: at once
  for (int k = 1; k < 6; ++k) stage.stageDrawn({0, k, 10, k + 1});
  EXPECT_EQ(stage.presentCount(), before + 6);
  stage.transitionEnded();
  EXPECT_EQ(stage.presentCount(), before + 6);
}

// A transition of a single step shows it at once and still lasts the
// minimum.
TEST(StageWindowPace, ASingleStepStandsForTheMinimum) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  stage.present();
  handleEventsFor(int(1000 / stage.refreshRate()) + 5);
  const long long before = stage.presentCount();
  QElapsedTimer t;
  t.start();
  stage.transitionStarting({0, 1, 1}, 300);
  stage.stageDrawn({0, 0, 10, 10});
  EXPECT_EQ(stage.presentCount(), before + 1);
  stage.transitionEnded();
  EXPECT_GE(t.elapsed(), 295);
}

// The show ending during a paced transition (a key handled at a pump) ends
// the wait in progress, and the rest of the transition runs unpaced.
TEST(StageWindowPace, StoppingThePaceEndsTheWaitAndTheRestRunsAtOnce) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  QElapsedTimer t;
  t.start();
  stage.transitionStarting({10, 10, 10}, 20000);  // two seconds a step
  QTimer::singleShot(100, &stage, [&] { stage.stopPacing(); });
  int drawn = 0;
  for (int k = 0; k < 10; ++k) {
    stage.stageDrawn({0, k, 10, k + 1});
    stage.pump();
    ++drawn;
  }
  stage.transitionEnded();
  EXPECT_EQ(drawn, 10);
  EXPECT_LT(t.elapsed(), 10000);  // paced, it would take 20 s
}

// A transition that pumps only at its end is paced at its Stage operations;
// input (here a timer standing for a key) is still handled during those
// waits, so ending the show does not wait for the pump.
TEST(StageWindowPace, EventsAreHandledWhileWaitingAtStageOperations) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  QElapsedTimer t;
  t.start();
  stage.transitionStarting({1, 40, 40}, 20000);  // half a second a Stage operation
  qint64 stoppedAfter = -1;
  QTimer::singleShot(100, &stage, [&] {
    stoppedAfter = t.elapsed();
    stage.stopPacing();
  });
  for (int k = 0; k < 40; ++k) stage.stageDrawn({0, k, 10, k + 1});
  stage.pump();
  stage.transitionEnded();
  EXPECT_GE(stoppedAfter, 0);
  EXPECT_LT(t.elapsed(), 5000);  // paced, it would take 20 s
}

// The stage window with drawing slower than the schedule: each Stage
// operation takes `delay` before the window sees it.
class LateHost : public EffectHost {
 public:
  LateHost(StageWindow& stage, std::chrono::nanoseconds delay) : stage_(stage), delay_(delay) {}
  void stageChanged() override { stage_.stageChanged(); }
  void stageDrawn(const Rect& area) override {
    std::this_thread::sleep_for(delay_);
    stage_.stageDrawn(area);
  }
  void pump() override { stage_.pump(); }
  void transitionStarting(const EffectCounts& counts, int minimumMs) override {
    stage_.transitionStarting(counts, minimumMs);
  }
  void transitionEnded() override { stage_.transitionEnded(); }

 private:
  StageWindow& stage_;
  std::chrono::nanoseconds delay_;
};

// A transition whose drawing takes longer than its minimum still makes every
// copy, draw, pump and random draw in order and ends with the Stage the
// unpaced run gives; only presents are skipped (fewer than its pumps), and
// none comes before the minimum is over.
TEST(StageWindowPace, ALateTransitionSkipsPresentsNeverOperations) {
  testing::qtApp();
  StageWindow stage;
  stage.show();
  const int w = stage.stage().width(), h = stage.stage().height();
  const Bitmap before = oldTestPattern(w, h);
  Bitmap frame = newTestPattern(w, h);
  for (const int n : {3, 30, 67, 108}) {
    auto run = [&](EffectHost* host, int minimumMs, Bitmap& onStage) {
      std::ostringstream trace;
      EffectTrace tracer(trace);
      Bitmap work(w, h, kWhite), spare(w, h, kWhite);
      Random random(std::uint32_t(500 + n));
      EffectContext ctx({frame, work, spare, onStage}, w, h, 1, random, host, &tracer);
      runPacedEffect(n, ctx, random, minimumMs);
      return trace.str();
    };
    Bitmap alone = before;
    const std::string expected = run(nullptr, 0, alone);

    drawBitmap(before, stage.stage(), 0, 0);
    stage.present();
    Bitmap scratch(w, h);
    const EffectCounts counts = countEffect(n, {frame, scratch, scratch, stage.stage()}, w, h, 1, Random(500 + n));
    // The drawing alone takes about three times the minimum.
    LateHost late(stage, std::chrono::milliseconds(300) / std::max<long long>(counts.stageOps, 1));
    const long long presents = stage.presentCount();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(run(&late, 100, stage.stage()), expected) << "effect " << n;
    EXPECT_GE(t.elapsed(), 100) << "effect " << n;
    EXPECT_TRUE(stage.stage() == alone) << "effect " << n;
    EXPECT_GT(stage.presentCount(), presents) << "effect " << n;
    if (counts.pumps > 60) EXPECT_LT(stage.presentCount() - presents, counts.pumps) << "effect " << n;
  }
}

}  // namespace
}  // namespace lumora
