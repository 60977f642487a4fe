// A tiny built-in 5 x 7 digit font, for numbering pictures made by the tool.
#pragma once

#include <string>

#include "graphics/bitmap.h"

namespace lumora {

// Draws the digits of `text` (other characters leave a gap) with the top-left
// corner at (x, y), each font pixel a scale x scale square.
void drawDigits(Bitmap& b, const std::string& text, int x, int y, int scale, Pixel colour);

// The width drawDigits takes for `text`.
int digitsWidth(const std::string& text, int scale);

}  // namespace lumora
