// Windows metafiles (.wmf, with or without the placeable header) and
// enhanced metafiles (.emf): reading the header for the picture's size and
// replaying the records onto a Canvas. Plain C++; the picture is painted by
// the canvas behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora::metafile {

class Canvas;

enum class Kind { Windows, Enhanced };

struct Frame {
  Kind kind = Kind::Windows;
  int width = 0, height = 0;  // the picture, in pixels
};

struct PlayLimits {
  int maxSide = 4096;                // a longer side is scaled down to this
  std::size_t maxRecords = 2000000;  // "Metafile has too many records."
  // Painting work allowed, in multiples of the picture's area (each shape
  // costs the pixels of its bounding box); beyond it "Metafile is too
  // complex."
  double workPerPixel = 512;
};

// Which kind of metafile the bytes hold (by their header, whatever the file
// is called) and the picture's size: the header's physical size at 96 dots
// per inch. Throws PictureError.
Frame measure(std::span<const std::uint8_t> data, const PlayLimits& limits = {});

// Replays the records onto `canvas`, whose pixels are frame.width x
// frame.height. Throws PictureError for a damaged file.
void play(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits = {});

}  // namespace lumora::metafile
