// SlideStep: one run of the slideshow timer. Takes the picture prepared
// during the pause (or loads and composes it now), shows the stage, runs a
// transition drawn at random, advances the caption, chooses and starts
// preparing the next picture, and re-arms the timer.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "effects/effect.h"
#include "graphics/random.h"
#include "saver/core/frame_preparer.h"
#include "saver/core/indexed_list.h"
#include "saver/core/picture_sequence.h"
#include "settings/show_choices.h"

namespace lumora {

// What the slide step reads and changes of the saver's state.
struct SlideState {
  PictureOrder pictureOrder = PictureOrder::InList;
  PlayOrder captionOrder = PlayOrder::None;
  FittingThreshold fittingThreshold = FittingThreshold::Below640x480;
  Tiling tiling = Tiling::Off;
  int speed = 1;  // transition speed
  int shortestTransitionMs = 0;  // 0 = as fast as the machine
  IndexedList* pictures = nullptr;  // the picture list
  IndexedList* captions = nullptr;  // the caption list
  Random* random = nullptr;         // the show's generator
  bool slideIdle = true;            // SlideIdle
};

// The windows and services around the step.
class SlideHost {
 public:
  virtual ~SlideHost() = default;
  virtual void hideCursor() = 0;        // one more hide request
  virtual void hideOpening() = 0;       // the opening caption or picture
  // The slide timer on or off; switched on while it runs, it keeps its time.
  virtual void setSlideTimer(bool on) = 0;
  virtual void screenSize(int& w, int& h) = 0;
  // Shows the stage window above the saver window. When it was hidden, the
  // Stage first takes what the screen showed at its place.
  virtual void showStage() = 0;
  virtual Bitmap& stage() = 0;
  // Draws on the Stage and pumps; the step also pumps through it while it
  // waits for a picture that is still being prepared.
  virtual EffectHost* effectHost() = 0;
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

  // Runs one step (when the slide timer fires).
  void run();

  // Chooses the next picture and starts preparing it for the current screen
  // size. Each step ends with this; the saver calls it once before the first
  // step. Without it, a step chooses and loads its picture itself.
  void prepareNext();
  // Waits at most `timeout` for the prepared picture; true when it is ready
  // (or there is nothing to wait for).
  bool waitNextReady(std::chrono::milliseconds timeout);

  // The show is ending: a step waiting for its picture gives up, and the
  // worker is told to stop (it is joined when the step is destroyed).
  void cancel();

  // The effect of the step; -1 = Random(122). Tests and the demo pin it.
  void setForcedEffect(int n) { forcedEffect_ = n; }

 private:
  int pickPicture();
  void startPreparing(const std::string& path);
  // Waits for the chosen picture, pumping meanwhile; prepares it again when
  // the screen size changed since. Empty when the show was cancelled.
  std::optional<PreparedFrame> awaitFrame();
  void advanceCaption();
  // The end of every step: SlideIdle, the next picture, the slide timer.
  void finish();

  SlideState& state_;
  SlideHost& host_;
  FramePreparer preparer_;
  int forcedEffect_ = -1;
  std::optional<PictureSequence> sequence_;  // for the picture order it was made for
  int next_ = -1;        // the chosen picture's index
  bool chosen_ = false;  // next_ is chosen (and its preparation started)
  bool cancelled_ = false;
  bool running_ = false;  // a step is under way (its pumps may call run again)
};

}  // namespace lumora
