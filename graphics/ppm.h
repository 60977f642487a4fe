// Binary PPM (P6, 255) reading and writing of 32-bit bitmaps, used by the
// command-line tool and the tests.
#pragma once

#include <string>

#include "graphics/bitmap.h"

namespace lumora {

// Throws std::runtime_error with a readable message when the file cannot be
// read or is not a P6 file with a maximum of 255.
Bitmap readPpm(const std::string& path);
// Written atomically ("-" writes to standard output).
void writePpm(const Bitmap& bitmap, const std::string& path);

}  // namespace lumora
