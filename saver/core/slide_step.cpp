#include "saver/core/slide_step.h"

#include <chrono>
#include <utility>

#include "saver/core/transition_run.h"

namespace lumora {

namespace {
// Clears the step's running mark however the step's part on the show's
// thread ends (an exception too), unless it now waits for the worker.
struct RunningUntilWaiting {
  bool& running;
  const bool& waiting;
  ~RunningUntilWaiting() {
    if (!waiting) running = false;
  }
};
}  // namespace

int SlideStep::pickPicture() {
  if (!sequence_ || sequence_->order() != state_.settings.pictureOrder) sequence_.emplace(state_.settings.pictureOrder);
  return sequence_->next(*state_.pictures, *state_.random);
}

void SlideStep::startPreparing(const std::string& path) {
  FrameJob job;
  job.path = path;
  host_.screenSize(job.screenW, job.screenH);
  job.fittingThreshold = state_.settings.fittingThreshold;
  job.tiling = state_.settings.tiling;
  // A paced step's transition is counted ahead, for the generator as it
  // stands now; the step uses the count only if it finds it so.
  if (state_.settings.shortestTransitionMs > 0)
    job.plan = TransitionPlan{state_.random->seed(), forcedEffect_, state_.settings.transitionSpeed};
  // The worker's thread tells the show's thread that the result is there.
  preparer_.start(std::move(job), std::move(scratch_), [this, alive = std::weak_ptr<int>(alive_)] {
    host_.post([this, alive] {
      if (!alive.expired()) frameReady();
    });
  });
}

void SlideStep::prepareNext() {
  if (cancelled_) return;
  next_ = pickPicture();
  chosen_ = true;
  if (state_.pictures->valid(next_)) startPreparing(state_.pictures->items[std::size_t(next_)]);
}

bool SlideStep::waitNextReady(std::chrono::milliseconds timeout) {
  return !preparer_.pending() || preparer_.waitFor(timeout);
}

void SlideStep::cancel() {
  cancelled_ = true;
  preparer_.requestStop();
  if (waiting_) {
    waiting_ = false;
    running_ = false;
  }
}

void SlideStep::frameReady() {
  if (!waiting_ || cancelled_ || !preparer_.ready()) return;
  RunningUntilWaiting mark{running_, waiting_};
  waiting_ = false;
  PreparedFrame prepared = preparer_.take();
  if (!prepared.failed() && !prepared.frame.empty()) {
    int w = 0, h = 0;
    host_.screenSize(w, h);
    if (prepared.frame.width() != w || prepared.frame.height() != h) {
      // The screen changed size since the picture was prepared: again, for
      // the size it has now; the worker posts that one too.
      scratch_ = std::move(prepared.scratch);
      waiting_ = true;
      startPreparing(prepared.job.path);
      return;
    }
  }
  showFrame(std::move(prepared));
}

void SlideStep::advanceCaption() {
  IndexedList& list = *state_.captions;
  const int k =
      state_.settings.captionOrder == PlayOrder::InList ? list.takeInOrder() : state_.random->next(list.count());
  host_.paintCaption(list.valid(k) ? list.items[std::size_t(k)] : std::string());
}

void SlideStep::finish() {
  state_.slideIdle = true;
  prepareNext();
  host_.setSlideTimer(true);
}

void SlideStep::run() {
  // Steps never nest: a slide timer that fires while a step waits or runs its
  // transition (a refused close re-arms it from inside the step's pumps) is
  // dropped; the running step arms the timer again at its end.
  if (running_) {
    host_.setSlideTimer(false);
    return;
  }
  if (cancelled_) return;  // the show is ending
  running_ = true;
  RunningUntilWaiting mark{running_, waiting_};

  host_.hideCursor();
  host_.hideOpening();
  host_.setSlideTimer(false);
  state_.slideIdle = false;

  // Normally the picture was chosen at the end of the step before and has
  // been prepared during the pause; otherwise it is chosen now.
  if (!chosen_) prepareNext();
  chosen_ = false;
  // A picture that cannot be shown is reported (a picture of no size is
  // skipped quietly); the show then goes on with the next one at its time.
  if (!state_.pictures->valid(next_)) return finish();
  // Still being prepared: the show's thread goes back to its events, and the
  // worker's posted result brings the step back.
  waiting_ = true;
  frameReady();
}

void SlideStep::showFrame(PreparedFrame prepared) {
  if (prepared.failed()) {
    scratch_ = std::move(prepared.scratch);
    host_.reportPictureError(prepared.job.path, prepared.error);
    return finish();
  }
  if (state_.captions->empty()) state_.settings.captionOrder = PlayOrder::None;
  if (prepared.frame.empty()) {
    scratch_ = std::move(prepared.scratch);
    return finish();
  }

  {
    Bitmap& frame = prepared.frame;
    const int screenW = frame.width(), screenH = frame.height();
    host_.showStage();
    const std::uint32_t seed = state_.random->seed();
    const int n = forcedEffect_ >= 0 ? forcedEffect_ : state_.random->next(kEffectCount);
    const std::optional<CountedTransition>& ahead = prepared.transition;
    const bool counted = ahead && ahead->seed == seed && ahead->effect == n && ahead->width == screenW &&
                         ahead->height == screenH && ahead->speed == state_.settings.transitionSpeed;
    // Made white on the worker for the counted transition; made here only
    // for a frame it did not finish with them, or another transition.
    ScratchBitmaps& scratch = prepared.scratch;
    if (counted)
      scratch.whiten(screenW, screenH, ahead->counts.usesWork, ahead->counts.usesSpare);
    else
      scratch.whiten(screenW, screenH);
    EffectContext ctx({frame, scratch.work(), scratch.spare(), host_.stage()}, screenW, screenH,
                      state_.settings.transitionSpeed, *state_.random, host_.effectHost());
    scratch.markUsed();
    runPacedEffect(n, ctx, *state_.random, state_.settings.shortestTransitionMs, counted ? &ahead->counts : nullptr);
    settleStage(frame, host_.stage(), host_.effectHost());
  }
  // The scratch bitmaps and the frame go: between transitions the show
  // holds the Stage and the next frame only.
  prepared = PreparedFrame();
  state_.slideIdle = true;

  if (state_.settings.captionOrder != PlayOrder::None) advanceCaption();
  finish();
}

}  // namespace lumora
