// The show's 32-bit Bitmap seen by Qt. Qt's RGB32 lays a pixel out as the
// bitmap does (0xffRRGGBB in the machine's order), so a view needs no
// conversion: painting on the view paints on the bitmap.
#pragma once

#include <QImage>

#include "graphics/bitmap.h"

namespace lumora {

// A view over the bitmap's own memory; valid while the bitmap keeps it.
QImage imageOver(Bitmap& bitmap);
// A read-only view (QImage's const-data constructor: writing copies).
QImage imageOver(const Bitmap& bitmap);
// An image of its own, with a copy of the pixels.
QImage imageCopyOf(const Bitmap& bitmap);

}  // namespace lumora
