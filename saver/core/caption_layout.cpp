#include "saver/core/caption_layout.h"

#include <algorithm>

#include "graphics/rounding.h"
#include "platform/core/ansi.h"

namespace lumora {

std::string captionText(const std::string& caption) {
  if (caption.empty()) return "  ";
  if (caption.size() <= kMaxCaptionBytes) return caption;
  // Cut before the first glyph that does not fit whole, walking the text as
  // the glyph table does.
  std::size_t pos = 0;
  while (pos < caption.size()) {
    std::size_t len = 1;
    if (static_cast<unsigned char>(caption[pos]) > 127) len = gb18030SequenceLength(caption, pos) == 4 ? 4 : 2;
    if (pos + len > kMaxCaptionBytes) break;
    pos += len;
  }
  return caption.substr(0, pos);
}

std::string pickCaptionFace(const std::vector<std::string>& fonts, Random& random) {
  if (fonts.empty()) return {};
  const int k = random.next(int(fonts.size()));
  return fonts[std::size_t(k)];
}

int captionFontSize(int screenH, std::size_t length) {
  if (length == 0) length = 1;  // captionText never gives an empty text
  return roundHalfEven(static_cast<long double>(screenH) / static_cast<long double>(length) / 1.2L);
}

int pointsToPixels(int points) {
  const long long scaled = static_cast<long long>(points) * 96;
  const long long pixels = scaled >= 0 ? (scaled + 36) / 72 : (scaled - 36) / 72;
  return int(std::clamp<long long>(pixels, 1, 1 << 20));
}

int captionCharWidth(int textWidth, std::size_t length) {
  if (length == 0) length = 1;
  return int(textWidth / static_cast<long long>(length) + 1);
}

std::vector<CaptionGlyph> captionGlyphs(const std::string& text, int charW, int lineHeight) {
  std::vector<CaptionGlyph> glyphs;
  long long x = 0;
  int y = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t len = 1;
    if (lead > 127) {
      // Four-byte GB18030 characters would otherwise fall apart into two
      // halves that are no characters at all.
      len = gb18030SequenceLength(text, pos) == 4 ? 4 : 2;
      len = std::min(len, text.size() - pos);
    }
    glyphs.push_back({text.substr(pos, len), int(x), y});
    if (lead > 127) {
      x += 2LL * charW;
      y += lineHeight;
    } else {
      x += charW;
      y = roundHalfEven(static_cast<long double>(y) + static_cast<long double>(lineHeight) / 1.3L);
    }
    pos += len;
  }
  return glyphs;
}

ColorRef contrastColour(Pixel startPixel) {
  const ColorRef windows =
      (ColorRef(blueOf(startPixel)) << 16) | (ColorRef(greenOf(startPixel)) << 8) | ColorRef(redOf(startPixel));
  return windows ^ 0xFFFFu;
}

Pixel pixelOfColour(ColorRef colour) {
  return rgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

int captionCoordinate(Random& random, int n) {
  const int v = random.next(n);
  return n > 0 ? v : 0;
}

namespace {

ColorRef colourAt(const Bitmap& stage, int x, int y) {
  return contrastColour(stage.contains(x, y) ? stage.at(x, y) : kBlack);
}

}  // namespace

CaptionPlan planCaption(const std::string& text, int textWidth, int lineHeight, int screenW, int screenH,
                        Random& random, const Bitmap& stage) {
  CaptionPlan plan;
  const std::size_t length = text.size();
  plan.charW = captionCharWidth(textWidth, length);
  plan.glyphs = captionGlyphs(text, plan.charW, lineHeight);
  plan.layout = static_cast<CaptionLayout>(random.next(3));

  switch (plan.layout) {
    case CaptionLayout::Line: {
      plan.y = captionCoordinate(random, screenH - lineHeight);
      const long long room = static_cast<long long>(screenW) - static_cast<long long>(plan.charW) * length;
      plan.x = captionCoordinate(random, int(std::max<long long>(room, INT32_MIN)));
      plan.colour = colourAt(stage, plan.x, plan.y);
      for (const CaptionGlyph& g : plan.glyphs)
        plan.draws.push_back({g.text, plan.x + g.x, plan.y, plan.colour, kGlyphDraws});
      plan.finalColour = plan.colour;
      break;
    }
    case CaptionLayout::Column: {
      plan.x = captionCoordinate(random, screenW - 2 * plan.charW);
      plan.y = 0;
      plan.colour = colourAt(stage, plan.x, 0);
      for (const CaptionGlyph& g : plan.glyphs) plan.draws.push_back({g.text, plan.x, g.y, plan.colour, kGlyphDraws});
      plan.finalColour = plan.colour;
      break;
    }
    case CaptionLayout::Shadow: {
      plan.y = captionCoordinate(random, screenH - lineHeight);
      plan.x = captionCoordinate(random, screenW - textWidth);
      plan.colour = colourAt(stage, plan.x, plan.y);
      ColorRef colour = plan.colour;
      for (int j = 0; j < kShadowSteps; ++j) {
        plan.draws.push_back({text, plan.x + j, plan.y + j, colour, kShadowDraws});
        colour += kShadowColourStep;
      }
      plan.finalColour = colour;
      break;
    }
  }
  return plan;
}

}  // namespace lumora
