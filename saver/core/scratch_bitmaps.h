// WorkBitmap and SpareBitmap, the transition's two scratch bitmaps: the
// screen's size and white when a transition starts. They are kept from one
// slide step to the next, made again only when the size changes and
// refilled white once a transition has drawn into them.
#pragma once

#include <utility>

#include "graphics/bitmap.h"

namespace lumora {

class ScratchBitmaps {
 public:
  ScratchBitmaps() = default;
  // A moved-from pair is empty (no memory, no size), never a size without
  // its pixels.
  ScratchBitmaps(ScratchBitmaps&& other) noexcept { *this = std::move(other); }
  ScratchBitmaps& operator=(ScratchBitmaps&& other) noexcept {
    if (this != &other) {
      work_ = std::exchange(other.work_, Bitmap());
      spare_ = std::exchange(other.spare_, Bitmap());
      white_ = std::exchange(other.white_, false);
    }
    return *this;
  }
  ScratchBitmaps(const ScratchBitmaps&) = delete;
  ScratchBitmaps& operator=(const ScratchBitmaps&) = delete;

  // Makes both white at w x h: nothing to do when they already are, a
  // refill at the same size, new bitmaps at another (the old ones are freed
  // first). Throws std::length_error as Bitmap does.
  void whiten(int w, int h);
  bool whiteAt(int w, int h) const { return white_ && work_.width() == w && work_.height() == h; }
  // A transition may have drawn into them: the next whiten refills them.
  void markUsed() { white_ = false; }

  Bitmap& work() { return work_; }
  Bitmap& spare() { return spare_; }

 private:
  Bitmap work_, spare_;
  bool white_ = false;  // both are white all over
};

}  // namespace lumora
