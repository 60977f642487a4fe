#include "saver/core/scratch_bitmaps.h"

namespace lumora {

void ScratchBitmaps::whiten(int w, int h) {
  if (whiteAt(w, h)) return;
  if (work_.width() == w && work_.height() == h && spare_.width() == w && spare_.height() == h) {
    work_.fill(kWhite);
    spare_.fill(kWhite);
  } else {
    // Never the old pair and the new one in memory at once.
    work_ = Bitmap();
    spare_ = Bitmap();
    white_ = false;
    work_ = Bitmap(w, h, kWhite);
    spare_ = Bitmap(w, h, kWhite);
  }
  white_ = true;
}

}  // namespace lumora
