// Canvas: what the metafile player draws on. The player resolves the
// device context (map mode, transforms, pens, brushes, fonts, clipping) and
// hands over shapes in the picture's pixel coordinates; a canvas only paints.
// The Qt canvas (metafile_render/) implements it with QPainter.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "imaging/metafile/geometry.h"
#include "imaging/metafile/path.h"

namespace lumora::metafile {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Color&) const = default;
};

enum class LineStyle { Solid, Dash, Dot, DashDot, DashDotDot, Custom };
enum class LineCap { Round, Square, Flat };
enum class LineJoin { Round, Bevel, Miter };

struct StrokeStyle {
  Color color;
  double width = 0;  // pixels; 0 draws the thinnest line (one pixel)
  LineStyle style = LineStyle::Solid;
  std::vector<double> dashes;  // Custom: on, off, ... in pixels
  LineCap cap = LineCap::Round;
  LineJoin join = LineJoin::Round;
  double miterLimit = 10;
  // Gaps of a styled line are painted in `background` when set.
  bool opaqueGaps = false;
  Color background;
};

// The six hatch patterns, in their Windows numbering.
enum class Hatch { Horizontal, Vertical, ForwardDiagonal, BackwardDiagonal, Cross, DiagonalCross };

struct FillStyle {
  enum Kind { Solid, Hatched, Pattern } kind = Solid;
  Color color;
  Hatch hatch = Hatch::Horizontal;
  std::shared_ptr<const Bitmap> pattern;  // Pattern: tiled from the picture's origin
  // Hatched: the spaces between the lines are painted in `background`.
  bool opaqueBackground = false;
  Color background;
};

enum class FillRule { OddEven, Winding };

// The clipping area: the whole picture, then each step in order.
struct ClipStep {
  enum Op { Intersect, Exclude, Unite, Xor, Replace } op = Intersect;
  Path area;  // pixels
};
using Clip = std::vector<ClipStep>;

// What a raster operation does with source pixels S, destination D and the
// current brush P.
enum class RasterOp {
  SourceCopy,           // S
  SourceOr,             // S | D
  SourceAnd,            // S & D
  SourceXor,            // S ^ D
  SourceAndNotDest,     // S & ~D
  NotSource,            // ~S
  NotSourceAndNotDest,  // ~(S | D)
  NotSourceOrDest,      // ~S | D
  NotDest,              // ~D
  Black,
  White,
  PatternCopy,       // P
  PatternXor,        // P ^ D
  SourceAndPattern,  // S & P
  Nothing,           // D
};

struct ImageDraw {
  std::shared_ptr<const Bitmap> image;                  // null for the operations without a source
  int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;  // top-down pixels of the image
  // Where the source rectangle's top-left, top-right and bottom-left
  // corners land, in pixels.
  PointF topLeft, topRight, bottomLeft;
  RasterOp op = RasterOp::SourceCopy;
  FillStyle brush;  // for the operations that use the pattern
};

struct LogicalFont {
  std::string face;   // UTF-8
  double height = 0;  // logical units: < 0 the em height, > 0 the cell height, 0 a default
  double width = 0;   // logical units, 0 = the face's own
  double escapementDeg = 0;
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
};

// Horizontal and vertical text alignment, as the text-align flags give them.
enum class TextHAlign { Left, Center, Right };
enum class TextVAlign { Top, Baseline, Bottom };

struct TextRun {
  std::vector<std::string> chars;  // UTF-8, one entry per character
  std::vector<double> advances;    // logical units per character; empty: the font's own
  LogicalFont font;
  Matrix toPixels;   // logical space to pixels
  PointF reference;  // logical
  TextHAlign hAlign = TextHAlign::Left;
  TextVAlign vAlign = TextVAlign::Top;
  Color color;
  bool opaque = false;  // fill the text's box with `background` first
  Color background;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void setClip(const Clip& clip) = 0;
  virtual void fillPath(const Path& path, FillRule rule, const FillStyle& fill) = 0;
  virtual void strokePath(const Path& path, const StrokeStyle& stroke) = 0;
  // Draws the text; returns its advance along the baseline in logical units.
  virtual double drawText(const TextRun& run) = 0;
  virtual void drawImage(const ImageDraw& draw) = 0;
};

}  // namespace lumora::metafile
