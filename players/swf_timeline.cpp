#include "players/swf_timeline.h"

namespace lumora {

void SwfTimeline::load(int frameCount, std::uint16_t frameRate88) {
  frameCount_ = frameCount > 0 ? frameCount : 1;
  rate88_ = frameRate88 > 0 ? frameRate88 : 1;
  playing_ = false;
  baseFrame_ = 0;
  anchorMs_ = 0;
}

void SwfTimeline::play(std::int64_t nowMs) {
  if (playing_) return;
  anchorMs_ = nowMs;
  playing_ = true;
}

void SwfTimeline::stop(std::int64_t nowMs) {
  if (!playing_) return;
  baseFrame_ = frameNum(nowMs);
  playing_ = false;
}

int SwfTimeline::frameNum(std::int64_t nowMs) const {
  if (!playing_) return baseFrame_;
  std::int64_t elapsed = nowMs - anchorMs_;
  if (elapsed < 0) elapsed = 0;
  // Frames passed = elapsed seconds * rate; kept exact in integers. The
  // elapsed time is taken modulo one whole loop first, so it never overflows.
  const std::int64_t loopUnits = std::int64_t(frameCount_) * 256000;  // ms * rate88 per loop
  const std::int64_t units = (elapsed % loopUnits) * rate88_ % (loopUnits);
  const std::int64_t frames = units / 256000 + baseFrame_;
  return int(frames % frameCount_);
}

}  // namespace lumora
