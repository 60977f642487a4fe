#include "saver/core/scratch_bitmaps.h"

namespace lumora {

namespace {
bool sized(const Bitmap& b, int w, int h) { return b.width() == w && b.height() == h; }

// Makes `b` white at w x h when `wanted`, else frees it; `refill` says
// whether a bitmap already of that size must be filled again.
void make(Bitmap& b, int w, int h, bool wanted, bool refill) {
  if (!wanted) {
    b = Bitmap();
  } else if (!sized(b, w, h)) {
    b = Bitmap();  // never the old one and the new one in memory at once
    b = Bitmap(w, h, kWhite);
  } else if (refill) {
    b.fill(kWhite);
  }
}
}  // namespace

bool ScratchBitmaps::whiteAt(int w, int h, bool work, bool spare) const {
  return white_ && (!work || sized(work_, w, h)) && (!spare || sized(spare_, w, h));
}

void ScratchBitmaps::whiten(int w, int h, bool work, bool spare) {
  const bool refill = !white_;
  white_ = false;
  make(work_, w, h, work, refill);
  make(spare_, w, h, spare, refill);
  white_ = true;
}

}  // namespace lumora
