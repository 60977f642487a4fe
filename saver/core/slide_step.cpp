#include "saver/core/slide_step.h"

#include "imaging/loader.h"
#include "saver/core/compose.h"
#include "saver/core/layout.h"
#include "saver/core/transition_run.h"

namespace lumora {

int SlideStep::pickPicture() {
  IndexedList& list = *state_.pictures;
  if (state_.tpbh != 0) return state_.random->next(list.count());
  return list.takeInOrder();
}

void SlideStep::advanceCaption() {
  IndexedList& list = *state_.captions;
  const int k = state_.wzbh == 1 ? list.takeInOrder() : state_.random->next(list.count());
  host_.paintCaption(list.valid(k) ? list.items[std::size_t(k)] : std::string());
}

void SlideStep::run() {
  host_.hideCursor();
  host_.hideOpening();
  host_.setSlideTimer(false);
  state_.slideIdle = false;

  // A picture that cannot be shown is reported (a picture of no size is
  // skipped quietly); the show then goes on with the next one instead of
  // stopping for good.
  auto giveUp = [&](const std::string* message) {
    if (message) host_.reportError(*message);
    state_.slideIdle = true;
    host_.setSlideTimer(true);
  };

  const int p = pickPicture();
  if (!state_.pictures->valid(p)) return giveUp(nullptr);
  int screenW = 0, screenH = 0;
  host_.screenSize(screenW, screenH);

  Picture picture;
  try {
    LoadOptions options;
    options.fitWidth = screenW;
    options.fitHeight = screenH;
    picture = loadPicture(state_.pictures->items[std::size_t(p)], options);
  } catch (const PictureError& e) {
    const std::string message = e.what();
    return giveUp(&message);
  }
  if (state_.captions->empty()) state_.wzbh = 0;
  if (picture.empty()) return giveUp(nullptr);

  const Layout layout = layoutPicture(picture.width(), picture.height(), screenW, screenH, state_.tptc, state_.pp);
  {
    Bitmap work(screenW, screenH, kWhite), frame(screenW, screenH, kBlack), spare(screenW, screenH, kWhite);
    composeFrame(picture.toBitmap(), layout, frame);
    picture = Picture();

    host_.screenSize(screenW, screenH);
    host_.showStage();
    const int n = forcedEffect_ >= 0 ? forcedEffect_ : state_.random->next(kEffectCount);
    EffectContext ctx({frame, work, spare, host_.stage()}, screenW, screenH, state_.speed, *state_.random,
                      host_.effectHost());
    runPacedEffect(n, ctx, *state_.random, state_.fxms);
    settleStage(frame, host_.stage(), host_.effectHost());
  }
  state_.slideIdle = true;

  if (state_.wzbh != 0) advanceCaption();
  host_.setSlideTimer(true);
}

}  // namespace lumora
