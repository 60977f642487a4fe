// The built-in pictures of lumora-tool and the demo: an "old" and a "new"
// test pattern that tell every region of the screen apart.
#pragma once

#include "graphics/bitmap.h"

namespace lumora {

// Diagonal colour ramps over a grid, warm colours.
Bitmap oldTestPattern(int width, int height);
// Concentric rings and a checker, cool colours.
Bitmap newTestPattern(int width, int height);

}  // namespace lumora
