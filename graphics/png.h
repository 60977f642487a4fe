// Writing 32-bit bitmaps as PNG files (8-bit RGB), for screenshots of the
// engine: lumora-tool's frames and gallery.
#pragma once

#include <string>

#include "graphics/bitmap.h"

namespace lumora {

// Written atomically; throws std::runtime_error (std::system_error for I/O).
void writePng(const Bitmap& bitmap, const std::string& path);

}  // namespace lumora
