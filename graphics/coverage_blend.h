// A solid colour blended over 32-bit pixels by an 8-bit coverage, with the
// arithmetic of Qt's raster engine for an opaque pen on an RGB32 image:
// dst' = colour * c / 255 + dst * (255 - c) / 255, each byte rounded on its
// own, and c = 255 writing the colour. A text output that the engine
// rasterises is then, pixel by pixel, this blend with the coverage its
// rasteriser gave that pixel; the coverage can be read off the same text
// drawn in white on black. Repeating an identical output so costs one
// rasterisation and a blend per repeat (saver/ui/repeated_text.h), and a
// prediction checked against the engine's own output decides whether the
// model holds for a given output at all.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/bitmap.h"

namespace lumora {

// Each byte of `p` times a / 255, rounded: t = byte * a, then
// (t + (t >> 8) + 0x80) >> 8 (a in 0..255).
Pixel scaleBytes(Pixel p, unsigned a);

// `colour` over `dst` by coverage c (0..255): c == 0 keeps dst, c == 255
// gives colour, otherwise scaleBytes(colour, c) + scaleBytes(dst, 255 - c).
Pixel blendByCoverage(Pixel dst, Pixel colour, unsigned c);

// The coverage of one text output over a box of the Stage.
class InkCoverage {
 public:
  // Reads the coverage of `box` off `ink`: the output drawn in white on a
  // black bitmap the size of the Stage, at the same place (the rasteriser's
  // result depends on where the output lies on its device). Pixels of the
  // box outside `ink` have none. Nothing when the ink is not grey (red,
  // green and blue differ: not one coverage per pixel) or reaches the box's
  // outer rows or columns inside `ink` (the output may go on past them).
  static std::optional<InkCoverage> read(const Bitmap& ink, const Rect& box);

  // The box on the Stage, right and bottom exclusive.
  Rect box() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // Pixels with some coverage.
  std::size_t inkedPixels() const { return inked_; }

  // The pixels of the box as they stand on `stage` (those outside it black).
  Bitmap saveBox(const Bitmap& stage) const;
  // Whether blending `colour` over `before` (saveBox of the Stage just
  // before an output) gives `after` on every pixel of the box that lies on
  // `after`, the Stage just after the output.
  bool predicts(const Bitmap& before, const Bitmap& after, Pixel colour) const;
  // Blends `colour` over the pixels of `stage` that have coverage.
  void blendOnto(Bitmap& stage, Pixel colour) const;

 private:
  // A row's run of covered pixels: Stage coordinates, and where its
  // coverage starts in coverage_.
  struct Run {
    int x, y, length;
    std::size_t first;
  };
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::vector<std::uint8_t> coverage_;  // width_ x height_, row by row
  std::vector<Run> runs_;
  std::size_t inked_ = 0;
};

}  // namespace lumora
