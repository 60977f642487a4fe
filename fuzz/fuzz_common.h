// What every reader's fuzz target does with a picture: read it, and when it
// is small enough, walk every pixel, so that a row the reader left unwritten
// is seen by the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/readers/readers.h"

namespace lumora::fuzz {

inline void readAndDraw(PictureReader reader, const ReaderInput& input) {
  try {
    const Picture picture = reader(input);
    // An empty picture (no columns or no rows) is skipped, as the show skips it.
    if (!picture.empty() && std::size_t(picture.width()) * std::size_t(picture.height()) <= (std::size_t(1) << 16)) {
      Pixel opaque = kWhite;
      for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) opaque &= picture.pixel(x, y);
      // Every pixel is opaque: a reader that leaves one as the memory came
      // shows here sooner or later.
      if ((opaque >> 24) != 0xFF) __builtin_trap();
    }
  } catch (const PictureError&) {
  }
}

}  // namespace lumora::fuzz
