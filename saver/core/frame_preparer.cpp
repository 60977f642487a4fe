#include "saver/core/frame_preparer.h"

#include <utility>

#include "imaging/loader.h"
#include "saver/core/compose.h"
#include "saver/core/layout.h"

namespace lumora {

PreparedFrame prepareFrame(const FrameJob& job, std::stop_token stop) {
  PreparedFrame out;
  out.job = job;
  Picture picture;
  try {
    LoadOptions options;
    options.fitWidth = job.screenW;
    options.fitHeight = job.screenH;
    picture = loadPicture(job.path, options);
  } catch (const PictureError& e) {
    out.error = e.what();
    return out;
  }
  if (picture.empty() || stop.stop_requested() || job.screenW <= 0 || job.screenH <= 0) return out;
  const Layout layout =
      layoutPicture(picture.width(), picture.height(), job.screenW, job.screenH, job.fittingThreshold, job.tiling);
  Bitmap pixels = std::move(picture).takeBitmap();  // at most the picture and the frame at once
  if (stop.stop_requested()) return out;
  out.frame = Bitmap(job.screenW, job.screenH, kBlack);
  composeFrame(pixels, layout, out.frame);
  pixels = Bitmap();
  if (job.plan && !stop.stop_requested()) out.transition = countPlannedTransition(*job.plan, out.frame);
  return out;
}

CountedTransition countPlannedTransition(const TransitionPlan& plan, Bitmap& frame) {
  CountedTransition out;
  out.seed = plan.seed;
  out.width = frame.width();
  out.height = frame.height();
  out.speed = plan.speed;
  Random random(plan.seed);
  out.effect = plan.forcedEffect >= 0 ? plan.forcedEffect : random.next(kEffectCount);
  // A dry run reads only the bitmaps' sizes, and the step's four bitmaps are
  // all the screen's size: the frame stands for each of them.
  out.counts = countEffect(out.effect, {frame, frame, frame, frame}, out.width, out.height, plan.speed, random);
  return out;
}

FramePreparer::FramePreparer(Maker maker) : maker_(std::move(maker)) {}

FramePreparer::~FramePreparer() { requestStop(); }  // the jthread joins

void FramePreparer::start(FrameJob job, ScratchBitmaps scratch, Done done) {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
  {
    std::lock_guard lock(mutex_);
    if (result_ && scratch.work().empty()) scratch = std::move(result_->scratch);
    result_.reset();
  }
  worker_ = std::jthread(
      [this, job = std::move(job), scratch = std::move(scratch), done = std::move(done)](std::stop_token stop) mutable {
        PreparedFrame made;
        try {
          made = maker_(job, stop);
          if (!made.failed() && !made.frame.empty() && !stop.stop_requested()) {
            // Only those the counted transition uses; without a count, both.
            const int w = made.frame.width(), h = made.frame.height();
            if (made.transition)
              scratch.whiten(w, h, made.transition->counts.usesWork, made.transition->counts.usesSpare);
            else
              scratch.whiten(w, h);
          }
        } catch (const std::exception& e) {
          // Anything else the loader, composition or the scratch bitmaps throw
          // (out of memory) is reported like an unreadable picture.
          made.job = job;
          made.frame = Bitmap();
          made.error = e.what();
        }
        made.scratch = std::move(scratch);
        {
          std::lock_guard lock(mutex_);
          result_ = std::move(made);
          done_.notify_all();
        }
        if (done) done();
      });
}

bool FramePreparer::ready() {
  std::lock_guard lock(mutex_);
  return result_.has_value();
}

bool FramePreparer::waitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, timeout, [this] { return result_.has_value(); });
}

PreparedFrame FramePreparer::take() {
  if (worker_.joinable()) worker_.join();
  std::lock_guard lock(mutex_);
  if (!result_) return {};
  PreparedFrame out = std::move(*result_);
  result_.reset();
  return out;
}

void FramePreparer::requestStop() {
  if (worker_.joinable()) worker_.request_stop();
}

}  // namespace lumora
