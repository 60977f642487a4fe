#include "saver/core/slide_step.h"

#include <chrono>

#include "saver/core/transition_run.h"

namespace lumora {

namespace {
// How long the step waits for the worker between two pumps while a picture is
// still being prepared: input stays handled well within 100 ms.
constexpr std::chrono::milliseconds kWaitSlice{10};
}  // namespace

int SlideStep::pickPicture() {
  if (!sequence_ || sequence_->order() != state_.pictureOrder) sequence_.emplace(state_.pictureOrder);
  return sequence_->next(*state_.pictures, *state_.random);
}

void SlideStep::startPreparing(const std::string& path) {
  FrameJob job;
  job.path = path;
  host_.screenSize(job.screenW, job.screenH);
  job.fittingThreshold = state_.fittingThreshold;
  job.tiling = state_.tiling;
  // A paced step's transition is counted ahead, for the generator as it
  // stands now; the step uses the count only if it finds it so.
  if (state_.shortestTransitionMs > 0) job.plan = TransitionPlan{state_.random->seed(), forcedEffect_, state_.speed};
  preparer_.start(std::move(job));
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
}

std::optional<PreparedFrame> SlideStep::awaitFrame() {
  for (;;) {
    while (!preparer_.waitFor(kWaitSlice)) {
      host_.effectHost()->pump();
      if (cancelled_) return std::nullopt;
    }
    PreparedFrame prepared = preparer_.take();
    if (prepared.failed() || prepared.frame.empty()) return prepared;
    int w = 0, h = 0;
    host_.screenSize(w, h);
    if (prepared.frame.width() == w && prepared.frame.height() == h) return prepared;
    // The screen changed size since the picture was prepared: again, for
    // the size it has now.
    startPreparing(prepared.job.path);
  }
}

void SlideStep::advanceCaption() {
  IndexedList& list = *state_.captions;
  const int k = state_.captionOrder == PlayOrder::InList ? list.takeInOrder() : state_.random->next(list.count());
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
  running_ = true;
  struct Done {
    bool& running;
    ~Done() { running = false; }
  } done{running_};

  host_.hideCursor();
  host_.hideOpening();
  host_.setSlideTimer(false);
  state_.slideIdle = false;

  // Normally the picture was chosen at the end of the step before and has
  // been prepared during the pause; otherwise it is chosen now.
  if (!chosen_) prepareNext();
  chosen_ = false;
  const int p = next_;
  // A picture that cannot be shown is reported (a picture of no size is
  // skipped quietly); the show then goes on with the next one at its time.
  if (!state_.pictures->valid(p)) return finish();
  std::optional<PreparedFrame> prepared = awaitFrame();
  if (!prepared) return;  // the show is ending
  if (prepared->failed()) {
    host_.reportPictureError(prepared->job.path, prepared->error);
    return finish();
  }
  if (state_.captions->empty()) state_.captionOrder = PlayOrder::None;
  if (prepared->frame.empty()) return finish();

  {
    Bitmap& frame = prepared->frame;
    const int screenW = frame.width(), screenH = frame.height();
    // White scratch bitmaps of the frame's size, normally made with it.
    auto scratch = [&](Bitmap& made) -> Bitmap& {
      if (made.width() != screenW || made.height() != screenH) made = Bitmap(screenW, screenH, kWhite);
      return made;
    };
    Bitmap& work = scratch(prepared->work);
    Bitmap& spare = scratch(prepared->spare);

    host_.showStage();
    const std::uint32_t seed = state_.random->seed();
    const int n = forcedEffect_ >= 0 ? forcedEffect_ : state_.random->next(kEffectCount);
    const std::optional<CountedTransition>& ahead = prepared->transition;
    const bool counted = ahead && ahead->seed == seed && ahead->effect == n && ahead->width == screenW &&
                         ahead->height == screenH && ahead->speed == state_.speed;
    EffectContext ctx({frame, work, spare, host_.stage()}, screenW, screenH, state_.speed, *state_.random,
                      host_.effectHost());
    runPacedEffect(n, ctx, *state_.random, state_.shortestTransitionMs, counted ? &ahead->counts : nullptr);
    settleStage(frame, host_.stage(), host_.effectHost());
  }
  prepared.reset();
  state_.slideIdle = true;

  if (state_.captionOrder != PlayOrder::None) advanceCaption();
  finish();
}

}  // namespace lumora
