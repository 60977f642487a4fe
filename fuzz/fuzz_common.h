// What every reader's fuzz target does with a picture: read it, and when it
// is small enough, turn every pixel into a colour, so that the rows and the
// palette the reader produced are walked too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/readers/readers.h"

namespace lumora::fuzz {

inline void readAndDraw(PictureReader reader, const ReaderInput& input) {
  try {
    const Picture picture = reader(input);
    // An empty picture (no columns or no rows) is skipped, as the show skips it.
    if (!picture.empty() && std::size_t(picture.width()) * std::size_t(picture.height()) <= (std::size_t(1) << 16))
      picture.toBitmap();
  } catch (const PictureError&) {
  }
}

}  // namespace lumora::fuzz
