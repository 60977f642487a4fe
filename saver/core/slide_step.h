// SlideStep: one run of the slideshow timer. Picks the next picture, loads
// and composes it into FrameBitmap, shows the stage, runs a transition drawn
// at random, advances the caption and re-arms the timer.
#pragma once

#include <string>

#include "effects/effect.h"
#include "graphics/random.h"
#include "saver/core/indexed_list.h"

namespace lumora {

// What the slide step reads and changes of the saver's state.
struct SlideState {
  int tpbh = 0;   // picture order: 0 list order, other random
  int wzbh = 0;   // caption order: 0 none, 1 list order, other random
  int tptc = 0;   // fitting threshold
  int pp = -1;    // tiling limit
  int speed = 1;  // transition speed
  int fxms = 0;   // `fxms`: shortest transition in ms, 0 = as fast as the machine
  IndexedList* pictures = nullptr;  // ListBox1
  IndexedList* captions = nullptr;  // ListBox3
  Random* random = nullptr;         // the show's generator
  bool slideIdle = true;            // SlideIdle
};

// The windows and services around the step.
class SlideHost {
 public:
  virtual ~SlideHost() = default;
  virtual void hideCursor() = 0;        // one more hide request
  virtual void hideOpening() = 0;       // Image1 and Label1 of the saver window
  virtual void setSlideTimer(bool on) = 0;  // Timer1
  virtual void screenSize(int& w, int& h) = 0;
  // Shows the stage window above the saver window. When it was hidden, the
  // Stage first takes what the screen showed at its place.
  virtual void showStage() = 0;
  virtual Bitmap& stage() = 0;
  virtual EffectHost* effectHost() = 0;
  // The application's error report (a message box); returns when dismissed.
  virtual void reportError(const std::string& message) = 0;
  // Sets the stage's `Label2` to the caption (ANSI bytes) and clicks its
  // `Button1`, which paints it; the painter enables Timer1 at its end.
  virtual void paintCaption(const std::string& caption) = 0;
};

class SlideStep {
 public:
  SlideStep(SlideState& state, SlideHost& host) : state_(state), host_(host) {}
  // Runs one step (Timer1Timer).
  void run();

  // The effect of the step; -1 = Random(122). Tests and the demo pin it.
  void setForcedEffect(int n) { forcedEffect_ = n; }

 private:
  int pickPicture();
  void advanceCaption();

  SlideState& state_;
  SlideHost& host_;
  int forcedEffect_ = -1;
};

}  // namespace lumora
