#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "saver/core/test_patterns.h"
#include "saver/core/transition_pace.h"
#include "saver/core/transition_run.h"

namespace lumora {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A window that records what a transition tells it.
struct RecordingHost : EffectHost {
  void stageChanged() override { ++changes; }
  void stageDrawn(const Rect& area) override {
    ++changes;
    areas.push_back(area);
  }
  void pump() override { ++pumps; }
  void transitionStarting(const EffectCounts& c, int minimumMs) override {
    counts = c;
    minimum = minimumMs;
    ++starts;
  }
  void transitionEnded() override { ++ends; }
  EffectCounts counts;
  int minimum = 0, starts = 0, ends = 0, changes = 0;
  long long pumps = 0;
  std::vector<Rect> areas;
};

struct Scene {
  Bitmap frame, work, spare, stage;
  Scene(int w, int h)
      : frame(newTestPattern(w, h)), work(w, h, kWhite), spare(w, h, kWhite), stage(oldTestPattern(w, h)) {}
  EffectBitmaps bitmaps() { return {frame, work, spare, stage}; }
};

// The dry run counts what the real run then does, draws nothing and leaves
// the generator alone, for every effect (the random ones included).
TEST(TransitionRun, DryRunCountsWhatTheRunDoesWithoutDrawingOrDrawingNumbers) {
  for (const int speed : {1, 2}) {
    for (int n = 0; n < kEffectCount; ++n) {
      SCOPED_TRACE("effect " + std::to_string(n) + " speed " + std::to_string(speed));
      Scene dry(23, 17);
      const Bitmap stageBefore = dry.stage, workBefore = dry.work;
      Random random(99);
      const EffectCounts counts = countEffect(n, dry.bitmaps(), 23, 17, speed, random);
      EXPECT_EQ(random.seed(), Random(99).seed());
      EXPECT_TRUE(dry.stage == stageBefore);
      EXPECT_TRUE(dry.work == workBefore);

      Scene real(23, 17);
      RecordingHost host;
      Random same(99);
      EffectContext ctx(real.bitmaps(), 23, 17, speed, same, &host);
      runEffect(n, ctx);
      EXPECT_EQ(counts.pumps, host.pumps);
      EXPECT_EQ(counts.stageOps, host.changes);
      const auto visible =
          std::count_if(host.areas.begin(), host.areas.end(), [](const Rect& r) { return coversPartOf(r, 23, 17); });
      EXPECT_EQ(counts.visibleStageOps, visible);
    }
  }
}

// A wipe that starts with a strip of width 0 has one step fewer to show than
// it has Stage operations; the count of visible steps leaves it out.
TEST(TransitionRun, AStripOfNoWidthIsNoVisibleStep) {
  Scene s(64, 48);
  const EffectCounts counts = countEffect(2, s.bitmaps(), 64, 48, 1, Random(7));
  EXPECT_GT(counts.stageOps, 2);
  EXPECT_EQ(counts.visibleStageOps, counts.stageOps - 1);
}

TEST(TransitionRun, CoversPartOfNeedsAPixelInside) {
  struct Case {
    Rect covered;
    bool inside;
  };
  for (const Case& c : {Case{{0, 0, 1, 1}, true}, Case{{0, 0, 0, 10}, false}, Case{{3, 5, 9, 5}, false},
                        Case{{-5, -5, 1, 1}, true}, Case{{-5, 0, 0, 10}, false}, Case{{10, 0, 12, 4}, false},
                        Case{{9, 7, 12, 9}, true}, Case{{0, 8, 10, 9}, false}}) {
    SCOPED_TRACE(testing::Message() << c.covered.left << " " << c.covered.top << " " << c.covered.right << " "
                                    << c.covered.bottom);
    EXPECT_EQ(coversPartOf(c.covered, 10, 8), c.inside);
  }
}

// Pacing changes nothing of the sequence: the same trace, the same picture,
// the same generator afterwards; the host hears the counts before the run.
TEST(TransitionRun, PacedRunKeepsTheTraceAndTellsTheHost) {
  for (const int n : {1, 30, 58, 96}) {
    SCOPED_TRACE(n);
    auto run = [n](int minimumMs, RecordingHost& host, Bitmap& finalStage, std::uint32_t& seedAfter) {
      Scene s(40, 30);
      std::ostringstream out;
      EffectTrace trace(out);
      Random random(1234);
      EffectContext ctx(s.bitmaps(), 40, 30, 1, random, &host, &trace);
      runPacedEffect(n, ctx, random, minimumMs);
      finalStage = s.stage;
      seedAfter = random.seed();
      return out.str();
    };
    RecordingHost fast, paced;
    Bitmap fastStage, pacedStage;
    std::uint32_t fastSeed = 0, pacedSeed = 0;
    EXPECT_EQ(run(0, fast, fastStage, fastSeed), run(1000, paced, pacedStage, pacedSeed));
    EXPECT_TRUE(fastStage == pacedStage);
    EXPECT_EQ(fastSeed, pacedSeed);
    EXPECT_EQ(fast.starts, 0);
    EXPECT_EQ(paced.starts, 1);
    EXPECT_EQ(paced.ends, 1);
    EXPECT_EQ(paced.minimum, 1000);
    EXPECT_EQ(paced.counts.pumps, paced.pumps);
  }
}

TEST(TransitionRun, SettleDrawsTheFrameOnlyWhereTheStageDiffers) {
  Bitmap frame(9, 7, rgb(10, 20, 30)), stage(9, 7, rgb(10, 20, 30));
  RecordingHost host;
  EXPECT_FALSE(settleStage(frame, stage, &host));
  EXPECT_EQ(host.changes, 0);

  stage.at(8, 6) = kBlack;  // one stray pixel of the previous picture
  EXPECT_TRUE(settleStage(frame, stage, &host));
  EXPECT_TRUE(stage == frame);
  ASSERT_EQ(host.areas.size(), 1u);
  EXPECT_EQ(host.areas[0], (Rect{0, 0, 9, 7}));
}

// Transitions that, run literally, leave pixels of the previous picture on
// odd or tiny screens end as the new picture once settled.
TEST(TransitionRun, SettledTransitionsEndAsTheNewPicture) {
  for (const int n : {4, 15, 27, 38, 84, 108}) {
    SCOPED_TRACE(n);
    Scene s(33, 21);
    Random random(5);
    EffectContext ctx(s.bitmaps(), 33, 21, 1, random);
    runEffect(n, ctx);
    EXPECT_FALSE(s.stage == s.frame);  // what the settle is for
    EXPECT_TRUE(settleStage(s.frame, s.stage, nullptr));
    EXPECT_TRUE(s.stage == s.frame);
  }
}

TEST(TransitionPace, SpreadsPumpsFromTheStartToTheMinimum) {
  // 101 pumps over 1000 ms at 60 Hz: pump k is due at 10 (k - 1) ms, the
  // first at once.
  TransitionPace pace({101, 500, 500}, 1000, 60.0);
  EXPECT_FALSE(pace.pacesStageOps());
  EXPECT_FALSE(pace.presentsEveryStageOp());
  EXPECT_EQ(pace.atStageOp(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(pace.atPump(nanoseconds(0)), nanoseconds(0));                           // pump 1 at 0
  EXPECT_EQ(pace.atPump(milliseconds(4)), milliseconds(6));                         // pump 2 at 10
  EXPECT_EQ(pace.atPump(milliseconds(50)), nanoseconds(0));                         // pump 3: late, no wait
  EXPECT_EQ(pace.atPump(milliseconds(29) + nanoseconds(500'000)), nanoseconds(0));  // under 1 ms early
  for (int k = 5; k < 101; ++k) pace.atPump(milliseconds(10 * (k - 1)));
  EXPECT_EQ(pace.atPump(milliseconds(600)), milliseconds(400));  // the last is due at the minimum
  EXPECT_EQ(pace.atPump(milliseconds(600)), milliseconds(400));  // extra points wait no longer
  EXPECT_EQ(pace.untilMinimum(milliseconds(1000)), nanoseconds(0));
}

// Fewer pumps than the frames of the minimum: the visible Stage operations
// are the points instead, the first at once and the last at the minimum
// after it.
TEST(TransitionPace, FewPumpsPaceTheVisibleStageOperations) {
  TransitionPace pace({1, 60, 59}, 1000, 60.0);
  EXPECT_TRUE(pace.pacesStageOps());
  EXPECT_EQ(pace.atPump(nanoseconds(0)), nanoseconds(0));
  nanoseconds waited = milliseconds(30);  // the first visible step took 30 ms to draw
  EXPECT_EQ(pace.atStageOp(waited), nanoseconds(0));
  for (int k = 1; k < 59; ++k) waited += pace.atStageOp(waited);
  EXPECT_EQ(waited, milliseconds(1030));
  EXPECT_EQ(pace.atPump(waited), nanoseconds(0));
  EXPECT_EQ(pace.untilMinimum(waited), nanoseconds(0));
}

// Pumps that come before anything is on the screen (a band drawn off it)
// pass without waiting; the minimum counts from the first visible step, and
// the pumps after it are spread over it.
TEST(TransitionPace, NothingIsWaitedForBeforeTheFirstVisibleStep) {
  TransitionPace pace({101, 50, 40}, 1000, 60.0);
  for (int k = 0; k < 21; ++k) EXPECT_EQ(pace.atPump(milliseconds(k)), nanoseconds(0)) << k;
  EXPECT_EQ(pace.atStageOp(milliseconds(20)), nanoseconds(0));                // the first visible step, at 20 ms
  EXPECT_EQ(pace.atPump(milliseconds(20)), nanoseconds(0));                   // pump 1 of the 80 left: at 20
  EXPECT_EQ(pace.atPump(milliseconds(20)), nanoseconds(1'000'000'000 / 79));  // pump 2: a 79th of the minimum on
  EXPECT_EQ(pace.untilMinimum(milliseconds(500)), milliseconds(520));
}

TEST(TransitionPace, EveryStepHasAFrameOfItsOwnWhenTheyAreNoMoreThanTheFrames) {
  struct Case {
    EffectCounts counts;
    int minimumMs;
    bool pacesStageOps, presentsEveryStep;
  };
  // 1000 ms at 60 Hz: 60 frames.
  for (const Case& c : {Case{{101, 500, 500}, 1000, false, false}, Case{{1, 12716, 12716}, 1000, true, false},
                        Case{{21, 43, 43}, 1000, true, true}, Case{{21, 22, 21}, 1000, true, true},
                        Case{{20, 60, 60}, 1000, true, true}, Case{{20, 61, 61}, 1000, true, false},
                        Case{{21, 43, 43}, 500, true, false}, Case{{5, 5, 0}, 1000, false, false},
                        Case{{21, 43, 43}, 0, false, false}}) {
    SCOPED_TRACE(testing::Message() << c.counts.pumps << " " << c.counts.visibleStageOps << " " << c.minimumMs);
    const TransitionPace pace(c.counts, c.minimumMs, 60.0);
    EXPECT_EQ(pace.pacesStageOps(), c.pacesStageOps);
    EXPECT_EQ(pace.presentsEveryStageOp(), c.presentsEveryStep);
  }
}

// A transition of one visible step shows it at once and stands for the rest
// of the minimum.
TEST(TransitionPace, ALonePointIsDueAtOnceAndTheMinimumStillHolds) {
  TransitionPace pace({0, 1, 1}, 1000, 60.0);
  EXPECT_EQ(pace.atStageOp(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(pace.untilMinimum(milliseconds(100)), milliseconds(900));
  EXPECT_EQ(pace.untilMinimum(milliseconds(1200)), nanoseconds(0));
}

TEST(TransitionPace, NoMinimumOrNoPointsNeverWaits) {
  TransitionPace off({100, 100, 100}, 0, 60.0);
  EXPECT_EQ(off.atPump(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(off.atPump(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(off.untilMinimum(nanoseconds(0)), nanoseconds(0));
  TransitionPace empty({0, 0, 0}, 1000, 60.0);
  EXPECT_EQ(empty.atPump(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(empty.atStageOp(nanoseconds(0)), nanoseconds(0));
  EXPECT_EQ(empty.untilMinimum(nanoseconds(0)), nanoseconds(0));
}

// A scratch bitmap the dry run finds untouched can be left unmade: every
// effect, run with only those it reports as used, draws the same Stage as
// with both made, and leaves an unmade one alone.
TEST(TransitionRun, DryRunSaysWhichScratchBitmapsAnEffectUses) {
  int usingNone = 0;
  for (int n = 0; n < kEffectCount; ++n) {
    SCOPED_TRACE("effect " + std::to_string(n));
    Scene full(31, 19);
    const EffectCounts counts = countEffect(n, full.bitmaps(), 31, 19, 1, Random(5));
    Random a(5);
    EffectContext all(full.bitmaps(), 31, 19, 1, a);
    runEffect(n, all);

    Scene lean(31, 19);
    if (!counts.usesWork) lean.work = Bitmap();
    if (!counts.usesSpare) lean.spare = Bitmap();
    Random b(5);
    EffectContext some(lean.bitmaps(), 31, 19, 1, b);
    runEffect(n, some);
    EXPECT_TRUE(lean.stage == full.stage);
    EXPECT_EQ(lean.work.empty(), !counts.usesWork);
    EXPECT_EQ(lean.spare.empty(), !counts.usesSpare);
    if (!counts.usesWork && !counts.usesSpare) ++usingNone;
  }
  EXPECT_GT(usingNone, 0);  // some effects need neither
}

}  // namespace
}  // namespace lumora
