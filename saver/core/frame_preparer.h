// The next picture of the show, loaded and composed into its FrameBitmap on a
// worker thread while the current picture is on show, so that the slide step
// can start its transition as soon as the pause ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "effects/effect.h"
#include "graphics/bitmap.h"
#include "saver/core/scratch_bitmaps.h"
#include "settings/show_choices.h"

namespace lumora {

// The transition a paced step is expected to run, to be counted ahead: the
// show's generator as the step should find it (the effect is drawn from it,
// unless forced), and the speed. The dry run that counts the pumps takes up
// to several hundred milliseconds at full-screen sizes; done here, during the
// pause, the transition starts as soon as the pause ends.
struct TransitionPlan {
  std::uint32_t seed = 0;
  int forcedEffect = -1;  // >= 0: this effect, without a draw
  int speed = 1;
};

// What the dry run found for a plan: the effect and its counts, valid for a
// step that finds the generator at `seed` and runs `effect` at this size and
// speed.
struct CountedTransition {
  std::uint32_t seed = 0;
  int effect = -1;
  int width = 0, height = 0, speed = 1;
  EffectCounts counts;
};

// What to prepare: a picture file for a screen size, with the fitting and
// tiling settings, and the transition to count when the step is paced.
struct FrameJob {
  std::string path;  // ANSI bytes, as the picture list holds it
  int screenW = 0, screenH = 0;
  FittingThreshold fittingThreshold = FittingThreshold::Below640x480;
  Tiling tiling = Tiling::Off;
  std::optional<TransitionPlan> plan;
};

// The outcome: FrameBitmap (screenW x screenH, the picture over black or
// tiled), or the loader's message, or an empty frame for a picture of no size.
struct PreparedFrame {
  FrameJob job;
  Bitmap frame;
  // The transition's two scratch bitmaps, handed to the preparer with the
  // job and given back white at the frame's size when the frame is good
  // (only those the counted transition uses, when it was counted): made on
  // the worker, so the step starts without filling them.
  ScratchBitmaps scratch;
  std::string error;                            // not empty: the picture cannot be read
  std::optional<CountedTransition> transition;  // counted when the job had a plan
  bool failed() const { return !error.empty(); }
};

// Counts the planned transition for a frame of `width` x `height` as the
// step would: a copy of the generator at the plan's seed draws the effect
// (unless forced), and the dry run goes on from there. The show's generator
// is not touched.
CountedTransition countPlannedTransition(const TransitionPlan& plan, Bitmap& frame);

// Loads and composes on the calling thread; a picture that cannot be read
// gives its message in `error` rather than an exception. Stops early, with an
// empty frame, once `stop` is requested.
PreparedFrame prepareFrame(const FrameJob& job, std::stop_token stop = {});

// One preparation at a time on a worker thread. The show's random generator
// is never touched here: which picture comes next is decided on the UI thread
// before the job starts. The worker says when its result is there through a
// callback (the show posts it to its own thread); nobody needs to poll.
class FramePreparer {
 public:
  using Maker = std::function<PreparedFrame(const FrameJob&, std::stop_token)>;
  // Called on the worker's thread once the result can be taken, also for a
  // job told to stop.
  using Done = std::function<void()>;

  // `maker` does the work (prepareFrame unless a test replaces it).
  explicit FramePreparer(Maker maker = prepareFrame);
  // Asks the worker to stop and joins it.
  ~FramePreparer();
  FramePreparer(const FramePreparer&) = delete;
  FramePreparer& operator=(const FramePreparer&) = delete;

  // Starts preparing `job`; a preparation still running is dropped (its
  // worker is told to stop and joined first). `scratch` goes with the job and
  // comes back in its result, white at the frame's size when the frame is
  // good; the scratch of a dropped job goes on to this one when `scratch` is
  // empty.
  void start(FrameJob job, ScratchBitmaps scratch = {}, Done done = {});
  // A job was started and its result not yet taken.
  bool pending() const { return worker_.joinable(); }
  // The result is there to take; never waits.
  bool ready();
  // Waits at most `timeout` for the result; true when it is there.
  bool waitFor(std::chrono::milliseconds timeout);
  // The result, once waitFor said it is there (joins the worker).
  PreparedFrame take();
  // Tells a running worker to stop, without waiting for it.
  void requestStop();

 private:
  Maker maker_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::optional<PreparedFrame> result_;
  std::jthread worker_;
};

}  // namespace lumora
