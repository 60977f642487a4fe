// SlideStep: one run of the slideshow timer. Takes the picture prepared
// during the pause (or, when it is not there yet, leaves the show's thread
// to its events until the worker posts it), shows the stage, runs a
// transition drawn at random, advances the caption, chooses and starts
// preparing the next picture, and re-arms the timer.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "effects/effect.h"
#include "graphics/random.h"
#include "saver/core/frame_preparer.h"
#include "saver/core/indexed_list.h"
#include "saver/core/picture_sequence.h"
#include "settings/show_settings.h"
#include "settings/show_choices.h"

namespace lumora {

// What the slide step reads and changes of the saver's state.
struct SlideState {
  // The show's settings as read at its start, taken whole; the step turns
  // captionOrder to None once the caption list turns out empty.
  ShowSettings settings;
  IndexedList* pictures = nullptr;  // the picture list
  IndexedList* captions = nullptr;  // the caption list
  Random* random = nullptr;         // the show's generator
  bool slideIdle = true;            // SlideIdle
};

// The windows and services around the step.
class SlideHost {
 public:
  virtual ~SlideHost() = default;
  virtual void hideCursor() = 0;   // one more hide request
  virtual void hideOpening() = 0;  // the opening caption or picture
  // The slide timer on or off; switched on while it runs, it keeps its time.
  virtual void setSlideTimer(bool on) = 0;
  virtual void screenSize(int& w, int& h) = 0;
  // Shows the stage window above the saver window. When it was hidden, the
  // Stage first takes what the screen showed at its place.
  virtual void showStage() = 0;
  virtual Bitmap& stage() = 0;
  // Draws on the Stage and pumps.
  virtual EffectHost* effectHost() = 0;
  // Runs `task` on the show's thread, from its event loop, after what is
  // already queued there; called from the picture worker's thread.
  virtual void post(std::function<void()> task) = 0;
  // A picture that cannot be read: shown for a few seconds over the show and
  // written to standard error; returns at once, the show goes on.
  virtual void reportPictureError(const std::string& path, const std::string& message) = 0;
  // Gives the stage the caption (ANSI bytes) and paints it; the painter
  // starts the slide timer at its end.
  virtual void paintCaption(const std::string& caption) = 0;
};

class SlideStep {
 public:
  SlideStep(SlideState& state, SlideHost& host, FramePreparer::Maker maker = prepareFrame)
      : state_(state), host_(host), preparer_(std::move(maker)) {}
  SlideStep(const SlideStep&) = delete;
  SlideStep& operator=(const SlideStep&) = delete;

  // Runs one step (when the slide timer fires). When its picture is still
  // being prepared, the step returns at once and goes on when the worker's
  // result is posted to the show's thread; until then SlideIdle stays false
  // and the step counts as running.
  void run();
  // True while a step waits for the worker's result.
  bool waiting() const { return waiting_; }

  // Chooses the next picture and starts preparing it for the current screen
  // size. Each step ends with this; the saver calls it once before the first
  // step. Without it, a step chooses and loads its picture itself.
  void prepareNext();
  // Blocks at most `timeout` for the prepared picture; true when it is ready
  // (or there is nothing to wait for). For benchmarks and tests; the show
  // itself never blocks on the worker.
  bool waitNextReady(std::chrono::milliseconds timeout);

  // The show is ending: a step waiting for its picture gives up, no step
  // starts any more, and the worker is told to stop (it is joined when the
  // step is destroyed).
  void cancel();

  // The effect of the step; -1 = Random(122). Tests and the demo pin it.
  void setForcedEffect(int n) { forcedEffect_ = n; }

 private:
  int pickPicture();
  void startPreparing(const std::string& path);
  // The worker's result is there (posted by the worker, or found at once by
  // run): a waiting step takes it and goes on, or prepares the picture again
  // when the screen size changed since and waits once more.
  void frameReady();
  // The rest of the step with its picture: report, transition, caption.
  void showFrame(PreparedFrame prepared);
  void advanceCaption();
  // The end of every step: SlideIdle, the next picture, the slide timer.
  void finish();

  SlideState& state_;
  SlideHost& host_;
  FramePreparer preparer_;
  ScratchBitmaps scratch_;  // between two transitions (or with the worker's job)
  int forcedEffect_ = -1;
  std::optional<PictureSequence> sequence_;  // for the picture order it was made for
  int next_ = -1;                            // the chosen picture's index
  bool chosen_ = false;                      // next_ is chosen (and its preparation started)
  bool cancelled_ = false;
  bool running_ = false;  // a step is under way (its pumps may call run again)
  bool waiting_ = false;  // the running step waits for the worker's result
  // Posted results look at it on the show's thread: none reaches a step
  // that is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace lumora
