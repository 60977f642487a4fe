// Enhanced metafiles: the header (device bounds, the frame in hundredths of
// a millimetre, the reference device) and the records replayed onto a
// Player. The frame, in the reference device's pixels, is the picture.
#include <algorithm>
#include <cmath>

#include "imaging/metafile/formats.h"
#include "imaging/metafile/player.h"
#include "imaging/metafile/text.h"
#include "imaging/picture.h"

namespace lumora::metafile {

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kMinHeader = 88;
constexpr const char* kDamaged = "Metafile is damaged.";

struct Header {
  std::size_t recordsAt = 0;
  std::size_t handles = 0;
  RectF bounds, frame;  // device pixels; hundredths of a millimetre
  PointF devicePerMm;   // of the reference device
};

Header readHeader(std::span<const std::uint8_t> data) {
  const RecordBytes b(data);
  const std::uint32_t size = b.u32(4);
  if (b.u32(0) != 1 || b.u32(40) != kSignature || size < kMinHeader || size > data.size() || size % 4)
    throw PictureError("Not a valid metafile.");
  Header h;
  h.recordsAt = size;
  h.handles = b.u16(56);
  auto rect = [&](std::size_t at) {
    return RectF{double(b.s32(at)), double(b.s32(at + 4)), double(b.s32(at + 8)), double(b.s32(at + 12))};
  };
  h.bounds = rect(8);
  h.frame = rect(24);
  double devX = b.s32(72), devY = b.s32(76);
  double mmX = b.s32(80), mmY = b.s32(84);
  if (size >= 108 && b.s32(100) > 0 && b.s32(104) > 0) {
    mmX = b.s32(100) / 1000.0;
    mmY = b.s32(104) / 1000.0;
  }
  h.devicePerMm = {96 / 25.4, 96 / 25.4};
  if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) h.devicePerMm = {devX / mmX, devY / mmY};
  return h;
}

// The picture's rectangle in reference device pixels: the frame, or the
// bounds when the frame is empty.
RectF frameInDevice(const Header& h) {
  const RectF f = h.frame;
  if (f.right > f.left && f.bottom > f.top)
    return {f.left / 100 * h.devicePerMm.x, f.top / 100 * h.devicePerMm.y, f.right / 100 * h.devicePerMm.x,
            f.bottom / 100 * h.devicePerMm.y};
  const RectF b = h.bounds;
  return {b.left, b.top, b.right + 1, b.bottom + 1};
}

template <class F>
void forEachRecord(std::span<const std::uint8_t> data, std::size_t at, F&& f) {
  while (data.size() - std::min(at, data.size()) >= 8) {
    const RecordBytes head(data.subspan(at));
    const std::uint32_t type = head.u32(0), size = head.u32(4);
    if (size < 8 || size > data.size() - at) throw PictureError(kDamaged);
    if (type == 14) return;  // EOF
    f(type, RecordBytes(data.subspan(at, size)));
    at += size;
  }
}

class EnhancedPlayer {
 public:
  EnhancedPlayer(Player& player, std::size_t handles) : p_(player), objects_(handles) {}
  void play(std::uint32_t type, const RecordBytes& r);

 private:
  PointF pointL(const RecordBytes& r, std::size_t at) const { return {double(r.s32(at)), double(r.s32(at + 4))}; }
  PointF pointS(const RecordBytes& r, std::size_t at) const { return {double(r.s16(at)), double(r.s16(at + 2))}; }
  RectF rectL(const RecordBytes& r, std::size_t at) const {
    return {double(r.s32(at)), double(r.s32(at + 4)), double(r.s32(at + 8)), double(r.s32(at + 12))};
  }
  // The points of a poly record (count at 24, points at 28); empty when the
  // record is too short for its count.
  std::vector<PointF> points(const RecordBytes& r, bool small, std::size_t countAt, std::size_t pointsAt) const;
  void poly(std::uint32_t type, const RecordBytes& r);
  void polyPoly(const RecordBytes& r, bool small, bool filled);
  void polyDraw(const RecordBytes& r, bool small);
  void text(const RecordBytes& r, bool wide);
  std::vector<std::uint8_t> dib(const RecordBytes& r, std::size_t offBmiAt) const;
  bool region(const RecordBytes& r, std::size_t at, std::size_t size, Region& out) const;
  void create(std::uint32_t index, GdiObject object) { objects_.put(index, std::move(object)); }

  Player& p_;
  ObjectTable objects_;
};

std::vector<PointF> EnhancedPlayer::points(const RecordBytes& r, bool small, std::size_t countAt,
                                           std::size_t pointsAt) const {
  const std::uint64_t n = r.u32(countAt);
  const std::uint64_t each = small ? 4 : 8;
  if (pointsAt > r.size() || n * each > r.size() - pointsAt) return {};
  std::vector<PointF> pts(n);
  for (std::size_t i = 0; i < n; ++i) pts[i] = small ? pointS(r, pointsAt + 4 * i) : pointL(r, pointsAt + 8 * i);
  return pts;
}

void EnhancedPlayer::poly(std::uint32_t type, const RecordBytes& r) {
  const bool small = type >= 85;
  const std::uint32_t kind = small ? type - 83 : type;  // 2..6: bezier, polygon, polyline, bezier to, line to
  const std::vector<PointF> pts = points(r, small, 24, 28);
  if (pts.empty()) return;
  DeviceContext& dc = p_.dc();
  Path path;
  switch (kind) {
    case 2:
      path.moveTo(pts[0]);
      for (std::size_t i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
      return p_.drawLines(path);
    case 3:
      addPolygon(path, pts, true);
      return p_.drawFigure(path);
    case 4:
      addPolygon(path, pts, false);
      return p_.drawLines(path);
    case 5:
      if (pts.size() < 3) return;
      path.moveTo(dc.current);
      for (std::size_t i = 0; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
      dc.current = path.lastPoint();
      return p_.drawFromCurrent(path);
    case 6:
      path.moveTo(dc.current);
      for (const PointF& p : pts) path.lineTo(p);
      dc.current = pts.back();
      return p_.drawFromCurrent(path);
    default:
      return;
  }
}

void EnhancedPlayer::polyPoly(const RecordBytes& r, bool small, bool filled) {
  const std::uint64_t polys = r.u32(24), total = r.u32(28);
  const std::uint64_t countsAt = 32, pointsAt = countsAt + 4 * polys;
  const std::uint64_t each = small ? 4 : 8;
  if (pointsAt > r.size() || total * each > r.size() - pointsAt) return;
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < polys; ++i) sum += r.u32(countsAt + 4 * i);
  if (sum > total) return;
  Path path;
  std::size_t at = pointsAt;
  for (std::size_t i = 0; i < polys; ++i) {
    std::vector<PointF> pts(r.u32(countsAt + 4 * i));
    for (PointF& p : pts) {
      p = small ? pointS(r, at) : pointL(r, at);
      at += each;
    }
    addPolygon(path, pts, filled);
  }
  filled ? p_.drawFigure(path) : p_.drawLines(path);
}

void EnhancedPlayer::polyDraw(const RecordBytes& r, bool small) {
  const std::vector<PointF> pts = points(r, small, 24, 28);
  const std::size_t typesAt = 28 + pts.size() * (small ? 4 : 8);
  if (pts.empty() || r.span(typesAt, pts.size()).empty()) return;
  constexpr unsigned kClose = 1, kLineTo = 2, kBezierTo = 4, kMoveTo = 6;
  DeviceContext& dc = p_.dc();
  Path path;
  path.moveTo(dc.current);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const unsigned t = r.u8(typesAt + i);
    switch (t & ~kClose) {
      case kMoveTo:
        path.moveTo(pts[i]);
        break;
      case kLineTo:
        path.lineTo(pts[i]);
        break;
      case kBezierTo:
        if (i + 2 >= pts.size()) return;
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        i += 2;
        break;
      default:
        return;
    }
    if (r.u8(typesAt + i) & kClose) path.close();
  }
  dc.current = pts.back();
  p_.drawFromCurrent(path);
}

void EnhancedPlayer::text(const RecordBytes& r, bool wide) {
  constexpr unsigned kOpaque = 2, kClipped = 4, kGlyphIndex = 0x10, kPdy = 0x2000;
  const PointF reference = pointL(r, 36);
  const std::uint64_t n = r.u32(44), offString = r.u32(48), options = r.u32(52), offDx = r.u32(72);
  Player::TextBox box;
  box.rect = rectL(r, 56);
  box.opaque = options & kOpaque;
  box.clipped = options & kClipped;
  const Player::TextBox* boxp = (box.opaque || box.clipped) ? &box : nullptr;
  const std::uint64_t unit = wide ? 2 : 1;
  if (n > r.size() || offString > r.size() || n * unit > r.size() - offString) return;
  std::vector<double> dx;
  const std::uint64_t dxStride = (options & kPdy) ? 8 : 4;
  if (offDx > 0 && offDx <= r.size() && n * dxStride <= r.size() - offDx)
    for (std::size_t i = 0; i < n; ++i) dx.push_back(r.s32(offDx + dxStride * i));
  if (options & kGlyphIndex) {  // glyph numbers of a font we do not have: only the box
    p_.drawText(reference, {}, {}, boxp);
    return;
  }
  Characters c;
  if (wide) {
    std::vector<std::uint16_t> units(n);
    for (std::size_t i = 0; i < n; ++i) units[i] = r.u16(offString + 2 * i);
    c = utf16Characters(units, dx);
  } else {
    c = ansiCharacters(r.span(offString, n), dx);
  }
  p_.drawText(reference, std::move(c.chars), std::move(c.advances), boxp);
}

std::vector<std::uint8_t> EnhancedPlayer::dib(const RecordBytes& r, std::size_t offBmiAt) const {
  const auto bmi = r.span(r.u32(offBmiAt), r.u32(offBmiAt + 4));
  const auto bits = r.span(r.u32(offBmiAt + 8), r.u32(offBmiAt + 12));
  if (bmi.empty()) return {};
  std::vector<std::uint8_t> packed(bmi.begin(), bmi.end());
  packed.insert(packed.end(), bits.begin(), bits.end());
  return packed;
}

bool EnhancedPlayer::region(const RecordBytes& r, std::size_t at, std::size_t size, Region& out) const {
  const auto data = r.span(at, size);
  if (data.size() < 32) return false;
  const RecordBytes rgn(data);
  const std::uint64_t headerSize = rgn.u32(0), count = rgn.u32(8);
  if (headerSize < 32 || headerSize > data.size() || count * 16 > data.size() - headerSize) return false;
  out.rects.clear();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t p = headerSize + 16 * i;
    out.rects.push_back({double(rgn.s32(p)), double(rgn.s32(p + 4)), double(rgn.s32(p + 8)), double(rgn.s32(p + 12))});
  }
  return true;
}

Matrix xform(const RecordBytes& r, std::size_t at) {
  return {r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20)};
}

ClipStep::Op clipOp(std::uint32_t mode) {
  switch (mode) {
    case 2:
      return ClipStep::Unite;
    case 3:
      return ClipStep::Xor;
    case 4:
      return ClipStep::Exclude;
    case 5:
      return ClipStep::Replace;
    default:
      return ClipStep::Intersect;
  }
}

void EnhancedPlayer::play(std::uint32_t type, const RecordBytes& r) {
  DeviceContext& dc = p_.dc();
  switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
      poly(type, r);
      break;
    case 7:
      polyPoly(r, false, false);
      break;  // POLYPOLYLINE
    case 8:
      polyPoly(r, false, true);
      break;  // POLYPOLYGON
    case 90:
      polyPoly(r, true, false);
      break;  // POLYPOLYLINE16
    case 91:
      polyPoly(r, true, true);
      break;  // POLYPOLYGON16
    case 56:
      polyDraw(r, false);
      break;  // POLYDRAW
    case 92:
      polyDraw(r, true);
      break;  // POLYDRAW16
    case 9:   // SETWINDOWEXTEX
      if (r.s32(8) != 0 && r.s32(12) != 0) dc.windowExt = pointL(r, 8);
      break;
    case 10:
      dc.windowOrg = pointL(r, 8);
      break;  // SETWINDOWORGEX
    case 11:  // SETVIEWPORTEXTEX
      if (r.s32(8) != 0 && r.s32(12) != 0) dc.viewportExt = pointL(r, 8);
      break;
    case 12:
      dc.viewportOrg = pointL(r, 8);
      break;    // SETVIEWPORTORGEX
    case 31:    // SCALEVIEWPORTEXTEX
    case 32: {  // SCALEWINDOWEXTEX
      const double xn = r.s32(8), xd = r.s32(12), yn = r.s32(16), yd = r.s32(20);
      if (xn == 0 || xd == 0 || yn == 0 || yd == 0) break;
      PointF& ext = type == 31 ? dc.viewportExt : dc.windowExt;
      ext = {ext.x * xn / xd, ext.y * yn / yd};
      break;
    }
    case 15:
      p_.setPixel(pointL(r, 8), colorRef(r.u32(16)));
      break;  // SETPIXELV
    case 17:  // SETMAPMODE
      if (r.u32(8) >= 1 && r.u32(8) <= 8) dc.mapMode = int(r.u32(8));
      break;
    case 18:
      dc.opaqueBk = r.u32(8) == 2;
      break;  // SETBKMODE
    case 19:
      dc.fillRule = r.u32(8) == 2 ? FillRule::Winding : FillRule::OddEven;
      break;
    case 20:
      dc.rop2 = int(r.u32(8));
      break;  // SETROP2
    case 22:
      dc.textAlign = r.u32(8);
      break;  // SETTEXTALIGN
    case 24:
      dc.textColor = colorRef(r.u32(8));
      break;  // SETTEXTCOLOR
    case 25:
      dc.bkColor = colorRef(r.u32(8));
      break;  // SETBKCOLOR
    case 26:
      p_.offsetClip(r.s32(8), r.s32(12));
      break;  // OFFSETCLIPRGN
    case 27:
      p_.moveTo(pointL(r, 8));
      break;  // MOVETOEX
    case 29:
      p_.clipRect(rectL(r, 8), ClipStep::Exclude);
      break;  // EXCLUDECLIPRECT
    case 30:
      p_.clipRect(rectL(r, 8), ClipStep::Intersect);
      break;  // INTERSECTCLIPRECT
    case 33:
      p_.saveDc();
      break;  // SAVEDC
    case 34:
      p_.restoreDc(r.s32(8));
      break;  // RESTOREDC
    case 35:  // SETWORLDTRANSFORM
      if (const Matrix m = xform(r, 8); m.isFinite()) dc.world = m;
      break;
    case 36: {  // MODIFYWORLDTRANSFORM
      const Matrix m = xform(r, 8);
      if (!m.isFinite()) break;
      switch (r.u32(32)) {
        case 1:
          dc.world = {};
          break;
        case 2:
          dc.world = m.then(dc.world);
          break;
        case 3:
          dc.world = dc.world.then(m);
          break;
        case 4:
          dc.world = m;
          break;
        default:
          break;
      }
      break;
    }
    case 37: {  // SELECTOBJECT
      const std::uint32_t index = r.u32(8);
      if (index & 0x80000000u)
        p_.selectStock(index);
      else if (const GdiObject* o = objects_.get(index))
        p_.select(*o);
      break;
    }
    case 38: {  // CREATEPEN
      LogPen pen;
      pen.style = r.u32(12);
      pen.width = r.s32(16);
      pen.color = colorRef(r.u32(24));
      create(r.u32(8), pen);
      break;
    }
    case 39: {  // CREATEBRUSHINDIRECT
      LogBrush brush;
      brush.style = r.u32(12);
      brush.color = colorRef(r.u32(16));
      brush.hatch = r.u32(20);
      if (brush.style == LogBrush::Pattern || brush.style >= LogBrush::DibPattern) brush.style = LogBrush::Solid;
      create(r.u32(8), brush);
      break;
    }
    case 40:
      objects_.remove(r.u32(8));
      break;    // DELETEOBJECT
    case 41: {  // ANGLEARC
      Path path;
      path.moveTo(dc.current);
      addAngleArc(path, pointL(r, 8), r.u32(16), r.f32(20), r.f32(24), p_.yDown());
      dc.current = path.lastPoint();
      p_.drawFromCurrent(path);
      break;
    }
    case 42: {  // ELLIPSE
      Path path;
      addEllipse(path, rectL(r, 8));
      p_.drawFigure(path);
      break;
    }
    case 43: {  // RECTANGLE
      Path path;
      addRectangle(path, rectL(r, 8));
      p_.drawFigure(path);
      break;
    }
    case 44: {  // ROUNDRECT
      Path path;
      addRoundRect(path, rectL(r, 8), r.s32(24), r.s32(28));
      p_.drawFigure(path);
      break;
    }
    case 45:
    case 46:
    case 47:
    case 55: {  // ARC, CHORD, PIE, ARCTO
      const ArcKind kind = type == 46 ? ArcKind::Chord : type == 47 ? ArcKind::Pie : ArcKind::Open;
      Path path;
      if (type == 55) path.moveTo(dc.current);
      addArc(path, rectL(r, 8), pointL(r, 24), pointL(r, 32), dc.clockwiseArcs, p_.yDown(), kind, type == 55);
      if (type == 55) {
        dc.current = path.lastPoint();
        p_.drawFromCurrent(path);
      } else {
        kind == ArcKind::Open ? p_.drawLines(path) : p_.drawFigure(path);
      }
      break;
    }
    case 54: {  // LINETO
      Path path;
      path.moveTo(dc.current);
      path.lineTo(pointL(r, 8));
      dc.current = pointL(r, 8);
      p_.drawFromCurrent(path);
      break;
    }
    case 57:
      dc.clockwiseArcs = r.u32(8) == 2;
      break;  // SETARCDIRECTION
    case 58:
      dc.miterLimit = std::clamp(double(r.u32(8)), 1.0, 100.0);
      break;  // SETMITERLIMIT
    case 59:
      p_.beginPath();
      break;
    case 60:
      p_.endPath();
      break;
    case 61:
      p_.closeFigure();
      break;
    case 62:
      p_.fillPath();
      break;
    case 63:
      p_.strokeAndFillPath();
      break;
    case 64:
      p_.strokePath();
      break;
    case 67:
      p_.clipPath(clipOp(r.u32(8)));
      break;  // SELECTCLIPPATH
    case 68:
      p_.abortPath();
      break;
    case 71: {  // FILLRGN
      Region rgn;
      const GdiObject* brush = objects_.get(r.u32(28));
      if (brush && std::holds_alternative<LogBrush>(*brush) && region(r, 32, r.u32(24), rgn))
        p_.fillRegion(rgn, std::get<LogBrush>(*brush), true);
      break;
    }
    case 74: {  // PAINTRGN
      Region rgn;
      if (region(r, 28, r.u32(24), rgn)) p_.fillRegion(rgn, dc.brush, true);
      break;
    }
    case 75: {  // EXTSELECTCLIPRGN
      const ClipStep::Op op = clipOp(r.u32(12));
      Region rgn;
      if (region(r, 16, r.u32(8), rgn))
        p_.clipRegion(rgn, op, true);
      else if (op == ClipStep::Replace)
        p_.resetClip();
      break;
    }
    case 76:
    case 77: {  // BITBLT, STRETCHBLT
      const RectF dest{double(r.s32(24)), double(r.s32(28)), double(r.s32(24)) + r.s32(32),
                       double(r.s32(28)) + r.s32(36)};
      const std::vector<std::uint8_t> packed = r.u32(88) ? dib(r, 84) : std::vector<std::uint8_t>{};
      const double srcW = type == 77 ? r.s32(100) : r.s32(32), srcH = type == 77 ? r.s32(104) : r.s32(36);
      p_.blit(packed, r.s32(44), r.s32(48), srcW, srcH, dest, r.u32(40), false);
      break;
    }
    case 80: {  // SETDIBITSTODEVICE
      const double w = r.s32(40), h = r.s32(44);
      const RectF dest{double(r.s32(24)), double(r.s32(28)), r.s32(24) + w, r.s32(28) + h};
      p_.blit(dib(r, 48), r.s32(32), r.s32(36), w, h, dest, 0xCC0020, true);
      break;
    }
    case 81: {  // STRETCHDIBITS
      const RectF dest{double(r.s32(24)), double(r.s32(28)), double(r.s32(24)) + r.s32(72),
                       double(r.s32(28)) + r.s32(76)};
      p_.blit(dib(r, 48), r.s32(32), r.s32(36), r.s32(40), r.s32(44), dest, r.u32(68), true);
      break;
    }
    case 82: {  // EXTCREATEFONTINDIRECTW
      LogFont f;
      f.def.height = r.s32(12);
      f.def.width = std::abs(double(r.s32(16)));
      f.def.escapementDeg = r.s32(20) / 10.0;
      f.def.weight = r.s32(28);
      f.def.italic = r.u8(32);
      f.def.underline = r.u8(33);
      f.def.strikeOut = r.u8(34);
      f.charset = r.u8(35);
      std::vector<std::uint16_t> face;
      for (std::size_t i = 0; i < 32 && r.u16(40 + 2 * i) != 0; ++i) face.push_back(r.u16(40 + 2 * i));
      for (const std::string& c : utf16Characters(face, {}).chars) f.def.face += c;
      create(r.u32(8), f);
      break;
    }
    case 83:
      text(r, false);
      break;  // EXTTEXTOUTA
    case 84:
      text(r, true);
      break;  // EXTTEXTOUTW
    case 93:
    case 94: {  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
      LogBrush brush;
      brush.style = LogBrush::DibPatternPt;
      brush.pattern = p_.decodeDib(dib(r, 16)).bitmap;
      create(r.u32(8), brush);
      break;
    }
    case 95: {  // EXTCREATEPEN
      LogPen pen;
      pen.style = r.u32(28);
      const bool geometric = (pen.style & 0xF0000) == 0x10000;
      pen.width = geometric ? r.u32(32) : 0;
      pen.color = colorRef(r.u32(40));
      if (r.u32(36) == LogBrush::Null) pen.style = (pen.style & ~0xFu) | 5;
      const std::uint64_t entries = r.u32(48);
      if ((pen.style & 0xF) == 7 && entries <= 16 && 52 + entries * 4 <= r.size())
        for (std::size_t i = 0; i < entries; ++i) pen.dashes.push_back(r.u32(52 + 4 * i));
      create(r.u32(8), pen);
      break;
    }
    default:
      break;  // comments, palettes, colour management and the rest
  }
}

}  // namespace

bool looksLikeEnhanced(std::span<const std::uint8_t> data) {
  const RecordBytes b(data);
  return b.u32(0) == 1 && b.u32(40) == kSignature;
}

Frame measureEnhanced(std::span<const std::uint8_t> data, const PlayLimits& limits) {
  const Header h = readHeader(data);
  const RectF f = frameInDevice(h);
  // Reference device pixels to millimetres to pixels at 96 per inch.
  return fitFrame(Kind::Enhanced, (f.right - f.left) / h.devicePerMm.x * 96 / 25.4,
                  (f.bottom - f.top) / h.devicePerMm.y * 96 / 25.4, limits);
}

void playEnhanced(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits) {
  const Header h = readHeader(data);
  const RectF f = frameInDevice(h);
  const double sx = frame.width / (f.right - f.left), sy = frame.height / (f.bottom - f.top);
  const Matrix deviceToPixels{sx, 0, 0, sy, -f.left * sx, -f.top * sy};
  Player player(canvas, frame, limits, deviceToPixels, h.devicePerMm);
  EnhancedPlayer records(player, h.handles);
  bool first = true;
  forEachRecord(data, 0, [&](std::uint32_t type, const RecordBytes& r) {
    player.countRecord();
    if (first) {
      first = false;
      return;  // the header
    }
    records.play(type, r);
  });
}

}  // namespace lumora::metafile
