// Turning a picture upright from the orientation its file records (the
// Exif/TIFF orientation values 1 to 8: which corner the stored first row and
// column belong to).
#pragma once

#include "imaging/picture.h"

namespace lumora {

// True for the orientations 5 to 8, whose upright picture has width and
// height exchanged.
bool orientationSwapsSides(int orientation);

// The picture as it is meant to be seen: 1 (or any value outside 2 to 8)
// leaves it unchanged; 2 mirrors it left to right, 3 turns it by 180
// degrees, 4 mirrors it top to bottom, 5 mirrors it across its main
// diagonal, 6 turns it by 90 degrees clockwise, 7 mirrors it across its
// other diagonal, 8 turns it by 90 degrees counter-clockwise. The file's
// pixel format is kept.
Picture turnUpright(Picture picture, int orientation);

}  // namespace lumora
