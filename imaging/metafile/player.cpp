#include "imaging/metafile/player.h"

#include <algorithm>
#include <cmath>

#include "imaging/byte_reader.h"
#include "imaging/picture.h"
#include "imaging/readers/readers.h"

namespace lumora::metafile {

namespace {

constexpr std::size_t kMaxSavedLevels = 4096;
constexpr std::size_t kMaxClipSteps = 256;
constexpr int kR2Black = 1, kR2Nop = 11, kR2White = 16;

Color mixColor(Color c, int rop2) {
  if (rop2 == kR2Black) return {0, 0, 0};
  if (rop2 == kR2White) return {255, 255, 255};
  return c;
}

// The ternary raster operations by their index byte (bits 16..23 of the
// code), the ones that pictures use.
struct RopEntry {
  std::uint8_t index;
  RasterOp op;
};
constexpr RopEntry kRops[] = {
    {0xCC, RasterOp::SourceCopy},
    {0xEE, RasterOp::SourceOr},
    {0x88, RasterOp::SourceAnd},
    {0x66, RasterOp::SourceXor},
    {0x44, RasterOp::SourceAndNotDest},
    {0x33, RasterOp::NotSource},
    {0x11, RasterOp::NotSourceAndNotDest},
    {0xBB, RasterOp::NotSourceOrDest},
    {0x55, RasterOp::NotDest},
    {0x00, RasterOp::Black},
    {0xFF, RasterOp::White},
    {0xF0, RasterOp::PatternCopy},
    {0x5A, RasterOp::PatternXor},
    {0xC0, RasterOp::SourceAndPattern},
    {0xAA, RasterOp::Nothing},
};

bool usesSource(RasterOp op) {
  switch (op) {
    case RasterOp::NotDest:
    case RasterOp::Black:
    case RasterOp::White:
    case RasterOp::PatternCopy:
    case RasterOp::PatternXor:
    case RasterOp::Nothing:
      return false;
    default:
      return true;
  }
}

RasterOp rasterOp(std::uint32_t rop, bool haveSource) {
  const auto index = std::uint8_t(rop >> 16);
  for (const RopEntry& e : kRops)
    if (e.index == index) return e.op;
  return haveSource ? RasterOp::SourceCopy : RasterOp::PatternCopy;
}

PointF lerp(RectF r, double u, double v) { return {r.left + u * (r.right - r.left), r.top + v * (r.bottom - r.top)}; }

}  // namespace

Player::Player(Canvas& canvas, const Frame& frame, const PlayLimits& limits, Matrix deviceToPixels, PointF devicePerMm)
    : canvas_(canvas), frame_(frame), limits_(limits), deviceToPixels_(deviceToPixels), devicePerMm_(devicePerMm) {
  dc_.pen.color = {0, 0, 0};
  dc_.brush.color = {255, 255, 255};
}

void Player::countRecord() {
  if (++records_ > limits_.maxRecords) throw PictureError("Metafile has too many records.");
}

Matrix Player::logicalToPixels() const {
  double sx = 1, sy = 1;
  switch (dc_.mapMode) {
    case kMmLoMetric:
    case kMmHiMetric:
    case kMmLoEnglish:
    case kMmHiEnglish:
    case kMmTwips: {
      constexpr double kUnitsPerMm[] = {10, 100, 100 / 25.4, 1000 / 25.4, 1440 / 25.4};
      const double u = kUnitsPerMm[dc_.mapMode - kMmLoMetric];
      sx = devicePerMm_.x / u;
      sy = -devicePerMm_.y / u;
      break;
    }
    case kMmIsotropic:
    case kMmAnisotropic:
      sx = dc_.viewportExt.x / dc_.windowExt.x;
      sy = dc_.viewportExt.y / dc_.windowExt.y;
      if (dc_.mapMode == kMmIsotropic) {
        const double s = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(s, sx);
        sy = std::copysign(s, sy);
      }
      break;
    default:
      break;
  }
  const Matrix page{sx, 0, 0, sy, dc_.viewportOrg.x - dc_.windowOrg.x * sx, dc_.viewportOrg.y - dc_.windowOrg.y * sy};
  return dc_.world.then(page).then(deviceToPixels_);
}

void Player::saveDc() {
  if (saved_.size() < kMaxSavedLevels) saved_.push_back(dc_);
}

void Player::restoreDc(int n) {
  std::size_t level;
  if (n < 0) {
    if (std::size_t(-std::int64_t(n)) > saved_.size()) return;
    level = saved_.size() - std::size_t(-std::int64_t(n));
  } else if (n > 0 && std::size_t(n) <= saved_.size()) {
    level = std::size_t(n) - 1;
  } else {
    return;
  }
  dc_ = saved_[level];
  saved_.resize(level);
  clipDirty_ = true;
}

void Player::selectStock(std::uint32_t index) {
  switch (index & 0x7FFFFFFFu) {
    case 0:
    case 18:
      dc_.brush = {LogBrush::Solid, {255, 255, 255}, 0, {}};
      break;
    case 1:
      dc_.brush = {LogBrush::Solid, {192, 192, 192}, 0, {}};
      break;
    case 2:
      dc_.brush = {LogBrush::Solid, {128, 128, 128}, 0, {}};
      break;
    case 3:
      dc_.brush = {LogBrush::Solid, {64, 64, 64}, 0, {}};
      break;
    case 4:
      dc_.brush = {LogBrush::Solid, {0, 0, 0}, 0, {}};
      break;
    case 5:
      dc_.brush = {LogBrush::Null, {}, 0, {}};
      break;
    case 6:
      dc_.pen = {0, 0, {255, 255, 255}, {}};
      break;
    case 7:
    case 19:
      dc_.pen = {0, 0, {0, 0, 0}, {}};
      break;
    case 8:
      dc_.pen = {5, 0, {}, {}};
      break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
      dc_.font = {};
      break;
    default:
      break;
  }
}

void Player::select(const GdiObject& object) {
  if (const auto* pen = std::get_if<LogPen>(&object))
    dc_.pen = *pen;
  else if (const auto* brush = std::get_if<LogBrush>(&object))
    dc_.brush = *brush;
  else if (const auto* font = std::get_if<LogFont>(&object))
    dc_.font = *font;
  else if (const auto* region = std::get_if<Region>(&object))
    clipRegion(*region, ClipStep::Replace, false);
}

void Player::clipRect(RectF logical, ClipStep::Op op) {
  if (dc_.clip.size() >= kMaxClipSteps) return;
  Path p;
  addRectangle(p, logical);
  p = p.transformed(logicalToPixels());
  if (!p.isFinite()) return;
  dc_.clip.push_back({op, std::move(p)});
  clipDirty_ = true;
}

void Player::clipRegion(const Region& region, ClipStep::Op op, bool deviceUnits) {
  if (op == ClipStep::Replace) dc_.clip.clear();
  if (dc_.clip.size() >= kMaxClipSteps) return;
  Path p;
  for (const RectF& r : region.rects) addRectangle(p, r);
  p = p.transformed(deviceUnits ? deviceToPixels_ : logicalToPixels());
  if (!p.isFinite()) return;
  chargeWork(double(p.size()) * 16);
  dc_.clip.push_back({op, std::move(p)});
  clipDirty_ = true;
}

void Player::clipPath(ClipStep::Op op) {
  recording_ = false;
  if (op == ClipStep::Replace) dc_.clip.clear();
  if (dc_.clip.size() < kMaxClipSteps && path_.isFinite()) dc_.clip.push_back({op, path_});
  path_ = {};
  clipDirty_ = true;
}

void Player::resetClip() {
  dc_.clip.clear();
  clipDirty_ = true;
}

void Player::offsetClip(double dx, double dy) {
  const PointF v = logicalToPixels().mapVector({dx, dy});
  const Matrix shift{1, 0, 0, 1, v.x, v.y};
  for (ClipStep& step : dc_.clip) step.area = step.area.transformed(shift);
  clipDirty_ = true;
}

void Player::syncClip() {
  if (!clipDirty_) return;
  clipDirty_ = false;
  std::size_t elements = 0;
  for (const ClipStep& s : dc_.clip) elements += s.area.size();
  chargeWork(double(elements) * 16);
  canvas_.setClip(dc_.clip);
}

void Player::chargeWork(double work) {
  work_ += work;
  const double allowed = limits_.workPerPixel * double(frame_.width) * double(frame_.height) + 1e6;
  if (work_ > allowed) throw PictureError("Metafile is too complex.");
}

void Player::charge(const RectF& b, std::size_t elements) {
  const double w = std::clamp(b.right, 0.0, double(frame_.width)) - std::clamp(b.left, 0.0, double(frame_.width));
  const double h = std::clamp(b.bottom, 0.0, double(frame_.height)) - std::clamp(b.top, 0.0, double(frame_.height));
  chargeWork(std::max(0.0, w + 2) * std::max(0.0, h + 2) + double(elements) * 8 + 64);
}

StrokeStyle Player::strokeStyle(const LogPen& pen) const {
  const Matrix m = logicalToPixels();
  StrokeStyle s;
  s.color = mixColor(pen.color, dc_.rop2);
  s.width = std::fabs(pen.width) * m.scale();
  if (!(s.width >= 1)) s.width = 0;
  // A pen wider than twice the picture covers it anyway; wider ones only
  // cost time.
  s.width = std::min(s.width, 2.0 * std::max(frame_.width, frame_.height) + 2);
  switch (pen.style & 0xF) {
    case 1:
      s.style = LineStyle::Dash;
      break;
    case 2:
    case 8:
      s.style = LineStyle::Dot;
      break;
    case 3:
      s.style = LineStyle::DashDot;
      break;
    case 4:
      s.style = LineStyle::DashDotDot;
      break;
    case 7:
      if (!pen.dashes.empty()) {
        s.style = LineStyle::Custom;
        for (double d : pen.dashes) s.dashes.push_back(std::max(0.0, d * m.scale()));
      }
      break;
    default:
      break;
  }
  constexpr LineCap kCaps[] = {LineCap::Round, LineCap::Square, LineCap::Flat};
  constexpr LineJoin kJoins[] = {LineJoin::Round, LineJoin::Bevel, LineJoin::Miter};
  const unsigned cap = (pen.style >> 8) & 0xF, join = (pen.style >> 12) & 0xF;
  if (cap < 3) s.cap = kCaps[cap];
  if (join < 3) s.join = kJoins[join];
  s.miterLimit = dc_.miterLimit;
  s.opaqueGaps = dc_.opaqueBk && s.style != LineStyle::Solid;
  s.background = dc_.bkColor;
  return s;
}

bool Player::fillStyle(const LogBrush& brush, FillStyle& out) const {
  out = {};
  out.color = mixColor(brush.color, dc_.rop2);
  switch (brush.style) {
    case LogBrush::Solid:
      return true;
    case LogBrush::Hatched:
      if (brush.hatch > 5) return true;
      out.kind = FillStyle::Hatched;
      out.hatch = Hatch(brush.hatch);
      out.opaqueBackground = dc_.opaqueBk;
      out.background = dc_.bkColor;
      return true;
    case LogBrush::Pattern:
    case LogBrush::DibPattern:
    case LogBrush::DibPatternPt:
      if (!brush.pattern || brush.pattern->empty()) return false;
      out.kind = FillStyle::Pattern;
      out.pattern = brush.pattern;
      return true;
    default:
      return false;
  }
}

void Player::paintPath(const Path& px, bool fill, bool stroke) {
  if (px.empty() || !px.isFinite() || dc_.rop2 == kR2Nop) return;
  charge(px.bounds(), px.size());
  syncClip();
  FillStyle fs;
  if (fill && fillStyle(dc_.brush, fs)) canvas_.fillPath(px, dc_.fillRule, fs);
  if (stroke && (dc_.pen.style & 0xF) != 5) canvas_.strokePath(px, strokeStyle(dc_.pen));
}

void Player::appendToPath(const Path& px, bool continueFigure) {
  // A piece that starts at the current point continues the open figure.
  const auto& els = px.elements();
  const bool open = !path_.empty() && path_.elements().back().kind != PathElement::Close;
  for (std::size_t i = 0; i < els.size(); ++i) {
    const PathElement& e = els[i];
    if (i == 0 && e.kind == PathElement::Move && open && continueFigure) continue;
    if (e.kind == PathElement::Move)
      path_.moveTo(e.p[0]);
    else if (e.kind == PathElement::Line)
      path_.lineTo(e.p[0]);
    else if (e.kind == PathElement::Cubic)
      path_.cubicTo(e.p[0], e.p[1], e.p[2]);
    else
      path_.close();
  }
  chargeWork(double(els.size()) * 8);
}

void Player::drawFigure(const Path& logical) {
  const Path px = logical.transformed(logicalToPixels());
  if (recording_) return appendToPath(px, false);
  paintPath(px, true, true);
}

void Player::drawLines(const Path& logical) {
  const Path px = logical.transformed(logicalToPixels());
  if (recording_) return appendToPath(px, false);
  paintPath(px, false, true);
}

void Player::drawFromCurrent(const Path& logical) {
  const Path px = logical.transformed(logicalToPixels());
  if (recording_) return appendToPath(px, true);
  paintPath(px, false, true);
}

void Player::moveTo(PointF p) {
  dc_.current = p;
  if (recording_) path_.moveTo(logicalToPixels().map(p));
}

void Player::fillRegion(const Region& region, const LogBrush& brush, bool deviceUnits) {
  Path area;
  for (const RectF& r : region.rects) addRectangle(area, r);
  const Path px = area.transformed(deviceUnits ? deviceToPixels_ : logicalToPixels());
  if (px.empty() || !px.isFinite() || dc_.rop2 == kR2Nop) return;
  charge(px.bounds(), px.size());
  syncClip();
  FillStyle fs;
  if (fillStyle(brush, fs)) canvas_.fillPath(px, FillRule::Winding, fs);
}

void Player::setPixel(PointF logical, Color color) {
  const PointF p = logicalToPixels().map(logical);
  Path px;
  addRectangle(px, {std::floor(p.x), std::floor(p.y), std::floor(p.x) + 1, std::floor(p.y) + 1});
  if (!px.isFinite()) return;
  charge(px.bounds(), 4);
  syncClip();
  FillStyle fs;
  fs.color = color;
  canvas_.fillPath(px, FillRule::Winding, fs);
}

void Player::beginPath() {
  path_ = {};
  recording_ = true;
}

void Player::abortPath() {
  path_ = {};
  recording_ = false;
}

void Player::closeFigure() {
  if (recording_) path_.close();
}

void Player::fillPath() {
  recording_ = false;
  paintPath(path_, true, false);
  path_ = {};
}

void Player::strokePath() {
  recording_ = false;
  paintPath(path_, false, true);
  path_ = {};
}

void Player::strokeAndFillPath() {
  recording_ = false;
  paintPath(path_, true, true);
  path_ = {};
}

void Player::drawText(PointF reference, std::vector<std::string> chars, std::vector<double> advances,
                      const TextBox* box) {
  if (recording_ || dc_.rop2 == kR2Nop) return;
  const Matrix m = logicalToPixels();
  if (!m.isFinite()) return;
  syncClip();
  if (box && box->opaque) {
    Path px;
    addRectangle(px, box->rect);
    px = px.transformed(m);
    if (px.isFinite()) {
      charge(px.bounds(), 4);
      FillStyle fs;
      fs.color = dc_.bkColor;
      canvas_.fillPath(px, FillRule::Winding, fs);
    }
  }
  if (chars.empty()) return;
  if (!advances.empty()) advances.resize(chars.size(), 0);

  TextRun run;
  run.font = dc_.font.def;
  run.toPixels = m;
  const std::uint32_t align = dc_.textAlign;
  run.hAlign = (align & 6) == 6 ? TextHAlign::Center : (align & 2) ? TextHAlign::Right : TextHAlign::Left;
  run.vAlign = (align & 24) == 24 ? TextVAlign::Baseline : (align & 8) ? TextVAlign::Bottom : TextVAlign::Top;
  const bool updateCp = align & 1;
  run.reference = updateCp ? dc_.current : reference;
  run.color = mixColor(dc_.textColor, dc_.rop2);
  run.opaque = dc_.opaqueBk;
  run.background = dc_.bkColor;
  const double fontPx = std::max(8.0, std::fabs(run.font.height) * m.scale());
  const double area = double(frame_.width) * double(frame_.height);
  chargeWork(double(chars.size()) * std::min(fontPx * fontPx, area) + 64);
  run.chars = std::move(chars);
  run.advances = std::move(advances);

  const bool clipped = box && box->clipped;
  if (clipped) {
    clipRect(box->rect, ClipStep::Intersect);
    syncClip();
  }
  const double advance = canvas_.drawText(run);
  if (clipped) {
    dc_.clip.pop_back();
    clipDirty_ = true;
    syncClip();
  }
  if (updateCp && std::isfinite(advance)) {
    if (run.hAlign == TextHAlign::Left)
      dc_.current.x += advance;
    else if (run.hAlign == TextHAlign::Right)
      dc_.current.x -= advance;
  }
}

Player::Dib Player::decodeDib(std::span<const std::uint8_t> dib) const {
  ByteReader in(dib);
  const std::uint32_t headerSize = in.u32le();
  std::int64_t width, height;
  unsigned bits;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = in.u16le();
    height = in.u16le();
    in.u16le();
    bits = in.u16le();
  } else if (headerSize >= 16 && headerSize <= 124) {
    width = std::int32_t(in.u32le());
    height = std::int32_t(in.u32le());
    in.u16le();
    bits = in.u16le();
    if (headerSize >= 20) compression = in.u32le();
  } else {
    return {};
  }
  if (width <= 0 || height == 0 || width > (1 << 20) || height > (1 << 20) || height < -(1 << 20)) return {};
  const std::uint64_t rows = std::uint64_t(height < 0 ? -height : height);
  const std::uint64_t pixels = std::uint64_t(width) * rows;
  // The pixels a DIB may claim are bounded by the bytes that hold them, so
  // a small record cannot make a huge picture.
  if (compression == 1 || compression == 2) {
    if (pixels > (std::uint64_t(1) << 24) || pixels > std::uint64_t(dib.size()) * 256 + 65536) return {};
  } else {
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (stride * rows > dib.size()) return {};
  }
  try {
    return {std::make_shared<const Bitmap>(readBmp({dib, {}}).takeBitmap()), height > 0};
  } catch (const PictureError&) {
    return {};
  }
}

void Player::blit(std::span<const std::uint8_t> dibBytes, double srcX, double srcY, double srcW, double srcH,
                  RectF dest, std::uint32_t rop, bool srcFromBottom) {
  if (recording_) return;
  const Dib dib = dibBytes.empty() ? Dib{} : decodeDib(dibBytes);
  const RasterOp op = rasterOp(rop, dib.bitmap != nullptr);
  if (op == RasterOp::Nothing) return;
  if (usesSource(op) && !dib.bitmap) return;
  const Matrix m = logicalToPixels();
  ImageDraw draw;
  draw.op = op;
  fillStyle(dc_.brush, draw.brush);
  double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  if (usesSource(op)) {
    const double iw = dib.bitmap->width(), ih = dib.bitmap->height();
    if (!(srcW > 0) || !(srcH > 0)) return;
    if (srcFromBottom && dib.bottomUp) srcY = ih - (srcY + srcH);
    // The part of the source rectangle inside the image, and the same part
    // of the destination.
    const double x0 = std::max(srcX, 0.0), x1 = std::min(srcX + srcW, iw);
    const double y0 = std::max(srcY, 0.0), y1 = std::min(srcY + srcH, ih);
    if (x1 <= x0 || y1 <= y0) return;
    u0 = (x0 - srcX) / srcW;
    u1 = (x1 - srcX) / srcW;
    v0 = (y0 - srcY) / srcH;
    v1 = (y1 - srcY) / srcH;
    draw.image = dib.bitmap;
    draw.srcX = int(x0);
    draw.srcY = int(y0);
    draw.srcWidth = std::max(1, int(std::ceil(x1)) - draw.srcX);
    draw.srcHeight = std::max(1, int(std::ceil(y1)) - draw.srcY);
    chargeWork(double(draw.srcWidth) * draw.srcHeight);
  }
  draw.topLeft = m.map(lerp(dest, u0, v0));
  draw.topRight = m.map(lerp(dest, u1, v0));
  draw.bottomLeft = m.map(lerp(dest, u0, v1));
  const PointF bottomRight{draw.topRight.x + draw.bottomLeft.x - draw.topLeft.x,
                           draw.topRight.y + draw.bottomLeft.y - draw.topLeft.y};
  Path outline;
  const PointF corners[] = {draw.topLeft, draw.topRight, bottomRight, draw.bottomLeft};
  addPolygon(outline, corners, true);
  if (!outline.isFinite()) return;
  charge(outline.bounds(), 4);
  syncClip();
  canvas_.drawImage(draw);
}

}  // namespace lumora::metafile
