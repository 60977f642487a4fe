// The graphics objects a metafile creates (pens, brushes, fonts, regions,
// palettes) and the table of object slots that records refer to by index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "graphics/bitmap.h"
#include "imaging/metafile/canvas.h"

namespace lumora::metafile {

// A COLORREF: 0x00bbggrr (the high byte, a palette flag, is ignored).
inline Color colorRef(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16)}; }

struct LogPen {
  std::uint32_t style = 0;  // PS_ style, end cap, join and type bits
  double width = 0;         // logical units
  Color color;
  std::vector<double> dashes;  // PS_USERSTYLE entries, logical units
};

struct LogBrush {
  enum Style : std::uint32_t { Solid = 0, Null = 1, Hatched = 2, Pattern = 3, DibPattern = 5, DibPatternPt = 6 };
  std::uint32_t style = Solid;
  Color color;
  std::uint32_t hatch = 0;
  std::shared_ptr<const Bitmap> pattern;
};

struct LogFont {
  LogicalFont def;
  int charset = 1;
};

// A region as rectangles in logical units.
struct Region {
  std::vector<RectF> rects;
};

struct Palette {
  std::vector<Color> colors;
};

using GdiObject = std::variant<LogPen, LogBrush, LogFont, Region, Palette>;

class ObjectTable {
 public:
  // Slots 0 .. size-1; larger tables are refused beyond kMaxSlots.
  static constexpr std::size_t kMaxSlots = 65536;
  explicit ObjectTable(std::size_t size) : size_(size < kMaxSlots ? size : kMaxSlots) {}

  // Puts the object into the lowest free slot (how a Windows metafile
  // numbers its objects); false when every slot is taken.
  bool add(GdiObject object);
  // Puts the object at `index` (how an enhanced metafile numbers them);
  // false for an index outside the table.
  bool put(std::size_t index, GdiObject object);
  // Null for an index outside the table or an empty slot.
  const GdiObject* get(std::size_t index) const;
  void remove(std::size_t index);

 private:
  std::size_t size_;
  std::size_t firstFree_ = 0;  // no free slot below this one
  std::vector<std::optional<GdiObject>> slots_;
};

}  // namespace lumora::metafile
