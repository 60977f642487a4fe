// The arithmetic of the caption painter, without a window: the caption's
// text and size, the glyph table, the layout drawn at random with its place,
// the contrasting colour and the list of repeated text draws that paint it.
// The painter (saver/ui/caption_painter) measures the text with the real
// font and carries the draws out on the Stage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/random.h"

namespace lumora {

// A colour as a Windows colour value: 0x00BBGGRR.
using ColorRef = std::uint32_t;

// Longest caption painted, in ANSI bytes: far more than a screen can show,
// and it keeps the typing of an endless line short.
inline constexpr std::size_t kMaxCaptionBytes = 1024;

// The caption as painted: the label's text, or two spaces when it is empty;
// a longer text is cut to its first kMaxCaptionBytes bytes at a character
// boundary (a double-byte or four-byte character is never split).
std::string captionText(const std::string& caption);

// The face drawn from the font list: entry Random(count), or none (empty)
// when the list is empty, in which case no number is drawn.
std::string pickCaptionFace(const std::vector<std::string>& fonts, Random& random);

// Round(screenH / length / 1.2), halves to even; length is in ANSI bytes.
int captionFontSize(int screenH, std::size_t length);

// A font size in points as a pixel height at 96 dots per inch (rounded as
// the platform's MulDiv rounds), at least 1.
int pointsToPixels(int points);

// charW = W div L + 1.
int captionCharWidth(int textWidth, std::size_t length);

struct CaptionGlyph {
  std::string text;  // ANSI bytes: one, or two for a double-byte character
  int x = 0;         // offset from the caption's starting point
  int y = 0;
};

// The glyph table: a byte above 127 starts a double-byte glyph (2 x charW to
// the right, a full line height H down), any other byte is a glyph of its
// own (charW to the right, Round(H / 1.3) down). The table grows with the
// caption. A GB18030 four-byte character stays one glyph, advancing like a
// double-byte one; a lead byte at the very end is a glyph alone.
std::vector<CaptionGlyph> captionGlyphs(const std::string& text, int charW, int lineHeight);

// The Stage pixel (0xAARRGGBB) as a Windows colour value, its low 16 bits
// inverted: red and green flip, blue stays.
ColorRef contrastColour(Pixel startPixel);

// A Windows colour value as a Stage pixel. Only the low 24 bits count: a
// value pushed past 0x00FFFFFF by the shadow steps wraps around.
Pixel pixelOfColour(ColorRef colour);

// One batch of identical text outputs with a clear brush: `text` (ANSI bytes)
// with its top-left corner at (x, y), `times` times in a row.
struct CaptionDraw {
  std::string text;
  int x = 0;
  int y = 0;
  ColorRef colour = 0;
  int times = 0;

  bool operator==(const CaptionDraw&) const = default;
};

enum class CaptionLayout { Line = 0, Column = 1, Shadow = 2 };

struct CaptionPlan {
  CaptionLayout layout = CaptionLayout::Line;
  int x = 0, y = 0;  // the starting point
  int charW = 0;
  ColorRef colour = 0;       // the colour read at the starting point
  ColorRef finalColour = 0;  // the font colour once the painter is done
  std::vector<CaptionGlyph> glyphs;
  std::vector<CaptionDraw> draws;
};

inline constexpr int kGlyphDraws = 300;  // draws of each typed glyph
inline constexpr int kShadowSteps = 4;
inline constexpr int kShadowDraws = 200;  // draws of the whole text per step
inline constexpr int kShadowColourStep = 20;

// Random(n) for a starting coordinate. For n <= 0 (a caption wider or taller
// than the room left on the screen) the number is still drawn, so the
// sequence stays the same, but the coordinate is 0: the caption starts on the
// screen instead of somewhere far outside it.
int captionCoordinate(Random& random, int n);

// Everything after the measuring: the glyph table, Random(3) for the layout,
// the starting point in the layout's order of draws, the colour read from
// `stage` there (a point outside the Stage reads as black), and the draws.
// textWidth and lineHeight are the width W and height H of the whole text in
// the caption's font.
CaptionPlan planCaption(const std::string& text, int textWidth, int lineHeight, int screenW, int screenH,
                        Random& random, const Bitmap& stage);

}  // namespace lumora
