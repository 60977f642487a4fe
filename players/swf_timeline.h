// The timeline of a Flash movie as a player runs it by default: from frame 0
// at the movie's frame rate, back to frame 0 after the last frame. Time is
// passed in (milliseconds on any monotonic clock), so it can be driven by
// hand.
#pragma once

#include <cstdint>

namespace lumora {

class SwfTimeline {
 public:
  // A new movie: frame 0, stopped. A frame count of 0 counts as 1; a frame
  // rate of 0 (8.8 fixed point) as the slowest rate, 1/256 frame a second.
  void load(int frameCount, std::uint16_t frameRate88);
  void play(std::int64_t nowMs);
  void stop(std::int64_t nowMs);
  int frameNum(std::int64_t nowMs) const;
  int frameCount() const { return frameCount_; }
  bool playing() const { return playing_; }

 private:
  int frameCount_ = 1;
  std::int64_t rate88_ = 256;
  bool playing_ = false;
  int baseFrame_ = 0;          // the frame at anchorMs_
  std::int64_t anchorMs_ = 0;  // when play last started
};

}  // namespace lumora
