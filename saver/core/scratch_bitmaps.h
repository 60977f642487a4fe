// WorkBitmap and SpareBitmap, the transition's two scratch bitmaps: the
// screen's size and white when a transition that uses them starts. Each is
// made only for a transition that reads or writes it (its dry run says so)
// and released after it, so that between transitions the show holds the
// Stage and the next frame only.
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
  void whiten(int w, int h) { whiten(w, h, true, true); }
  // The same for those a transition uses; one it does not use is released
  // (empty).
  void whiten(int w, int h, bool work, bool spare);
  // Whether each of those asked for is white at w x h.
  bool whiteAt(int w, int h, bool work = true, bool spare = true) const;
  // A transition may have drawn into them: the next whiten refills them.
  void markUsed() { white_ = false; }
  // Frees both.
  void release() { *this = ScratchBitmaps(); }

  Bitmap& work() { return work_; }
  Bitmap& spare() { return spare_; }

 private:
  Bitmap work_, spare_;
  bool white_ = false;  // those that are made are white all over
};

}  // namespace lumora
