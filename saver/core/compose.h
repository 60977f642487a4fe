// Composition of FrameBitmap: the picture over black, scaled into its layout
// rectangle with a high-quality filter (area averaging when shrinking,
// bilinear when enlarging) or tiled unscaled from the top-left corner.
#pragma once

#include "graphics/bitmap.h"
#include "saver/core/layout.h"

namespace lumora {

// Scales src to width x height.
Bitmap resample(const Bitmap& src, int width, int height);

// Fills frame with black and draws picture into it as the layout says.
void composeFrame(const Bitmap& picture, const Layout& layout, Bitmap& frame);

}  // namespace lumora
