// Windows metafiles: the placeable header (bounding box and units per
// inch), the standard header, and the records replayed onto a Player. The
// picture is the metafile's window: the player owns the viewport, so the
// records' own viewport settings are not used.
#include <algorithm>
#include <cmath>
#include <optional>

#include "imaging/metafile/formats.h"
#include "imaging/metafile/player.h"
#include "imaging/metafile/text.h"
#include "imaging/picture.h"

namespace lumora::metafile {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;
constexpr const char* kDamaged = "Metafile is damaged.";

struct Header {
  std::size_t recordsAt = 0;
  std::size_t objects = 0;
  bool placeable = false;
  RectF box;        // placeable: the bounding box in metafile units
  double inch = 0;  // placeable: metafile units per inch
};

bool standardHeaderAt(std::span<const std::uint8_t> data, std::size_t at) {
  const RecordBytes h(data.subspan(std::min(at, data.size())));
  if (h.size() < kHeaderSize) return false;
  const unsigned type = h.u16(0), words = h.u16(2), version = h.u16(4);
  return (type == 1 || type == 2) && words == 9 && (version == 0x100 || version == 0x300);
}

Header readHeader(std::span<const std::uint8_t> data) {
  const RecordBytes bytes(data);
  Header h;
  std::size_t at = 0;
  if (bytes.u32(0) == kPlaceableKey) {
    h.placeable = true;
    h.box = {double(bytes.s16(6)), double(bytes.s16(8)), double(bytes.s16(10)), double(bytes.s16(12))};
    h.inch = bytes.u16(14);
    at = kPlaceableSize;
  }
  if (!standardHeaderAt(data, at)) throw PictureError("Not a valid metafile.");
  h.objects = bytes.u16(at + 10);
  h.recordsAt = at + kHeaderSize;
  return h;
}

// One record: its function and its 16-bit parameters.
class Record {
 public:
  Record(std::span<const std::uint8_t> bytes) : bytes_(bytes), params_(bytes.subspan(6)) {}
  unsigned function() const { return bytes_.u16(4); }
  std::size_t count() const { return params_.size() / 2; }
  std::int16_t s(std::size_t i) const { return params_.s16(2 * i); }
  std::uint16_t u(std::size_t i) const { return params_.u16(2 * i); }
  std::uint32_t u32(std::size_t i) const { return params_.u32(2 * i); }
  double d(std::size_t i) const { return s(i); }
  PointF point(std::size_t i) const { return {d(i), d(i + 1)}; }  // x, y
  PointF pointYX(std::size_t i) const { return {d(i + 1), d(i)}; }
  // Bottom, right, top, left: the order of every rectangle parameter.
  RectF rectBRTL(std::size_t i) const { return {d(i + 3), d(i + 2), d(i + 1), d(i)}; }
  const RecordBytes& params() const { return params_; }

 private:
  RecordBytes bytes_;
  RecordBytes params_;
};

// Calls f(record) for every record up to the end-of-file record; throws for
// a record whose size is impossible.
template <class F>
void forEachRecord(std::span<const std::uint8_t> data, std::size_t at, F&& f) {
  while (data.size() - std::min(at, data.size()) >= 6) {
    const RecordBytes head(data.subspan(at));
    const std::uint64_t bytes = std::uint64_t(head.u32(0)) * 2;
    if (bytes < 6 || bytes > data.size() - at) throw PictureError(kDamaged);
    const Record record(data.subspan(at, std::size_t(bytes)));
    if (record.function() == 0) return;
    if (!f(record)) return;
    at += std::size_t(bytes);
  }
}

Color colorParam(const Record& r, std::size_t i) { return colorRef(r.u32(i)); }

LogFont readFont(const Record& r) {
  LogFont f;
  f.def.height = r.s(0);
  f.def.width = std::abs(r.s(1));
  f.def.escapementDeg = r.s(2) / 10.0;
  f.def.weight = r.s(4);
  const RecordBytes& p = r.params();
  f.def.italic = p.u8(10) != 0;
  f.def.underline = p.u8(11) != 0;
  f.def.strikeOut = p.u8(12) != 0;
  f.charset = p.u8(13);
  std::vector<std::uint8_t> face;
  for (std::size_t i = 18; i < 18 + 32 && i < p.size() && p.u8(i) != 0; ++i) face.push_back(p.u8(i));
  std::string name;
  for (const std::string& c : ansiCharacters(face, {}).chars) name += c;
  f.def.face = name;
  return f;
}

std::optional<Region> readRegion(const Record& r) {
  const RecordBytes& p = r.params();
  Region region;
  const unsigned scans = p.u16(10);
  std::size_t at = 22;
  for (unsigned s = 0; s < scans; ++s) {
    const unsigned xs = p.u16(at);
    if (at + 6 + std::size_t(xs) * 2 + 2 > p.size()) return std::nullopt;
    const double top = p.s16(at + 2), bottom = p.s16(at + 4);
    for (unsigned i = 0; i + 1 < xs; i += 2)
      region.rects.push_back({double(p.s16(at + 6 + 2 * i)), top, double(p.s16(at + 8 + 2 * i)), bottom});
    at += 6 + std::size_t(xs) * 2 + 2;
  }
  return region;
}

// An old-style monochrome pattern (a Bitmap16): set bits white, clear bits
// black. Null for any other kind.
std::shared_ptr<const Bitmap> readBitmap16Pattern(const Record& r) {
  const RecordBytes& p = r.params();
  const int width = p.s16(2), height = p.s16(4), rowBytes = p.s16(6);
  if (p.u8(8) != 1 || p.u8(9) != 1 || width <= 0 || height <= 0 || width > 64 || height > 64 || rowBytes * 8 < width)
    return nullptr;
  const std::size_t bits = 14 + 18;  // the BITMAP fields, then reserved bytes
  if (p.span(bits, std::size_t(rowBytes) * height).empty()) return nullptr;
  auto bitmap = std::make_shared<Bitmap>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap->at(x, y) = (p.u8(bits + std::size_t(y) * rowBytes + x / 8) >> (7 - x % 8)) & 1 ? kWhite : kBlack;
  return bitmap;
}

class WindowsPlayer {
 public:
  WindowsPlayer(Player& player, std::size_t objects) : p_(player), objects_(objects) {}

  void play(const Record& r);

 private:
  void polygon(const Record& r, bool closed);
  void polyPolygon(const Record& r);
  void text(const Record& r);
  void extText(const Record& r);
  void arc(const Record& r, ArcKind kind);
  void addObject(GdiObject object) { objects_.add(std::move(object)); }

  Player& p_;
  ObjectTable objects_;
};

void WindowsPlayer::polygon(const Record& r, bool closed) {
  const std::size_t n = r.u(0);
  if (1 + 2 * n > r.count()) return;
  std::vector<PointF> pts(n);
  for (std::size_t i = 0; i < n; ++i) pts[i] = r.point(1 + 2 * i);
  Path path;
  addPolygon(path, pts, closed);
  closed ? p_.drawFigure(path) : p_.drawLines(path);
}

void WindowsPlayer::polyPolygon(const Record& r) {
  const std::size_t polys = r.u(0);
  if (1 + polys > r.count()) return;
  std::size_t total = 0;
  for (std::size_t i = 0; i < polys; ++i) total += r.u(1 + i);
  std::size_t at = 1 + polys;
  if (at + 2 * total > r.count()) return;
  Path path;
  for (std::size_t i = 0; i < polys; ++i) {
    const std::size_t n = r.u(1 + i);
    std::vector<PointF> pts(n);
    for (std::size_t k = 0; k < n; ++k, at += 2) pts[k] = r.point(at);
    addPolygon(path, pts, true);
  }
  p_.drawFigure(path);
}

void WindowsPlayer::text(const Record& r) {
  const std::size_t n = r.u(0);
  const std::size_t words = (n + 1) / 2;
  if (1 + words + 2 > r.count()) return;
  const auto bytes = r.params().span(2, n);
  const Characters c = ansiCharacters(bytes, {});
  p_.drawText(r.pointYX(1 + words), c.chars, {}, nullptr);
}

void WindowsPlayer::extText(const Record& r) {
  constexpr unsigned kOpaque = 2, kClipped = 4;
  const PointF at = r.pointYX(0);
  const std::size_t n = r.u(2);
  const unsigned options = r.u(3);
  std::size_t next = 4;
  Player::TextBox box;
  const bool hasBox = options & (kOpaque | kClipped);
  if (hasBox) {
    box.rect = {r.d(4), r.d(5), r.d(6), r.d(7)};
    box.opaque = options & kOpaque;
    box.clipped = options & kClipped;
    next = 8;
  }
  const std::size_t words = (n + 1) / 2;
  if (next + words > r.count()) return;
  const auto bytes = r.params().span(2 * next, n);
  std::vector<double> dx;
  if (next + words + n <= r.count())
    for (std::size_t i = 0; i < n; ++i) dx.push_back(r.s(next + words + i));
  const Characters c = ansiCharacters(bytes, dx);
  p_.drawText(at, c.chars, c.advances, hasBox ? &box : nullptr);
}

void WindowsPlayer::arc(const Record& r, ArcKind kind) {
  if (r.count() < 8) return;
  Path path;
  addArc(path, r.rectBRTL(4), r.pointYX(2), r.pointYX(0), p_.dc().clockwiseArcs, p_.yDown(), kind);
  kind == ArcKind::Open ? p_.drawLines(path) : p_.drawFigure(path);
}

void WindowsPlayer::play(const Record& r) {
  DeviceContext& dc = p_.dc();
  switch (r.function()) {
    case 0x0201:
      dc.bkColor = colorParam(r, 0);
      break;  // SETBKCOLOR
    case 0x0102:
      dc.opaqueBk = r.u(0) == 2;
      break;  // SETBKMODE
    case 0x0103:
      dc.mapMode = r.u(0) == kMmIsotropic ? kMmIsotropic : kMmAnisotropic;
      break;  // SETMAPMODE
    case 0x0104:
      dc.rop2 = r.u(0);
      break;  // SETROP2
    case 0x0106:
      dc.fillRule = r.u(0) == 2 ? FillRule::Winding : FillRule::OddEven;
      break;  // SETPOLYFILLMODE
    case 0x0209:
      dc.textColor = colorParam(r, 0);
      break;  // SETTEXTCOLOR
    case 0x012E:
      dc.textAlign = r.u(0);
      break;  // SETTEXTALIGN
    case 0x020B:
      dc.windowOrg = r.pointYX(0);
      break;      // SETWINDOWORG
    case 0x020C:  // SETWINDOWEXT
      if (r.s(0) != 0 && r.s(1) != 0) dc.windowExt = r.pointYX(0);
      break;
    case 0x020F:  // OFFSETWINDOWORG
      dc.windowOrg.x += r.d(1);
      dc.windowOrg.y += r.d(0);
      break;
    case 0x0410: {  // SCALEWINDOWEXT
      const double yd = r.d(0), yn = r.d(1), xd = r.d(2), xn = r.d(3);
      if (xd != 0 && yd != 0 && xn != 0 && yn != 0) {
        dc.windowExt.x = dc.windowExt.x * xn / xd;
        dc.windowExt.y = dc.windowExt.y * yn / yd;
      }
      break;
    }
    case 0x0213: {  // LINETO
      Path path;
      path.moveTo(dc.current);
      path.lineTo(r.pointYX(0));
      dc.current = r.pointYX(0);
      p_.drawFromCurrent(path);
      break;
    }
    case 0x0214:
      p_.moveTo(r.pointYX(0));
      break;  // MOVETO
    case 0x0415:
      p_.clipRect(r.rectBRTL(0), ClipStep::Exclude);
      break;  // EXCLUDECLIPRECT
    case 0x0416:
      p_.clipRect(r.rectBRTL(0), ClipStep::Intersect);
      break;  // INTERSECTCLIPRECT
    case 0x0220:
      p_.offsetClip(r.d(1), r.d(0));
      break;  // OFFSETCLIPRGN
    case 0x0817:
      arc(r, ArcKind::Open);
      break;  // ARC
    case 0x081A:
      arc(r, ArcKind::Pie);
      break;  // PIE
    case 0x0830:
      arc(r, ArcKind::Chord);
      break;        // CHORD
    case 0x0418: {  // ELLIPSE
      Path path;
      addEllipse(path, r.rectBRTL(0));
      p_.drawFigure(path);
      break;
    }
    case 0x041B: {  // RECTANGLE
      Path path;
      addRectangle(path, r.rectBRTL(0));
      p_.drawFigure(path);
      break;
    }
    case 0x061C: {  // ROUNDRECT
      Path path;
      addRoundRect(path, r.rectBRTL(2), r.d(1), r.d(0));
      p_.drawFigure(path);
      break;
    }
    case 0x041F:
      p_.setPixel(r.pointYX(2), colorParam(r, 0));
      break;  // SETPIXEL
    case 0x0324:
      polygon(r, true);
      break;  // POLYGON
    case 0x0325:
      polygon(r, false);
      break;  // POLYLINE
    case 0x0538:
      polyPolygon(r);
      break;  // POLYPOLYGON
    case 0x0521:
      text(r);
      break;  // TEXTOUT
    case 0x0A32:
      extText(r);
      break;  // EXTTEXTOUT
    case 0x001E:
      p_.saveDc();
      break;  // SAVEDC
    case 0x0127:
      p_.restoreDc(r.s(0));
      break;      // RESTOREDC
    case 0x012D:  // SELECTOBJECT
      if (const GdiObject* o = objects_.get(r.u(0))) p_.select(*o);
      break;
    case 0x01F0:
      objects_.remove(r.u(0));
      break;      // DELETEOBJECT
    case 0x012C:  // SELECTCLIPREGION
      if (const GdiObject* o = objects_.get(r.u(0)); o && std::holds_alternative<Region>(*o))
        p_.clipRegion(std::get<Region>(*o), ClipStep::Replace, false);
      else
        p_.resetClip();
      break;
    case 0x0228: {  // FILLREGION
      const GdiObject* region = objects_.get(r.u(0));
      const GdiObject* brush = objects_.get(r.u(1));
      if (region && brush && std::holds_alternative<Region>(*region) && std::holds_alternative<LogBrush>(*brush))
        p_.fillRegion(std::get<Region>(*region), std::get<LogBrush>(*brush), false);
      break;
    }
    case 0x012B:  // PAINTREGION
      if (const GdiObject* o = objects_.get(r.u(0)); o && std::holds_alternative<Region>(*o))
        p_.fillRegion(std::get<Region>(*o), dc.brush, false);
      break;
    case 0x061D:  // PATBLT
      p_.blit({}, 0, 0, 0, 0, {r.d(5), r.d(4), r.d(5) + r.d(3), r.d(4) + r.d(2)}, r.u32(0), false);
      break;
    case 0x0940:  // DIBBITBLT
      if (r.count() > 9) {
        const double w = r.d(5), h = r.d(4);
        p_.blit(r.params().from(16), r.d(3), r.d(2), w, h, {r.d(7), r.d(6), r.d(7) + w, r.d(6) + h}, r.u32(0), false);
      } else {
        p_.blit({}, 0, 0, 0, 0, {r.d(8), r.d(7), r.d(8) + r.d(6), r.d(7) + r.d(5)}, r.u32(0), false);
      }
      break;
    case 0x0B41:  // DIBSTRETCHBLT
      if (r.count() > 11) {
        p_.blit(r.params().from(20), r.d(5), r.d(4), r.d(3), r.d(2), {r.d(9), r.d(8), r.d(9) + r.d(7), r.d(8) + r.d(6)},
                r.u32(0), false);
      } else {
        p_.blit({}, 0, 0, 0, 0, {r.d(10), r.d(9), r.d(10) + r.d(8), r.d(9) + r.d(7)}, r.u32(0), false);
      }
      break;
    case 0x0F43:  // STRETCHDIB
      p_.blit(r.params().from(22), r.d(6), r.d(5), r.d(4), r.d(3), {r.d(10), r.d(9), r.d(10) + r.d(8), r.d(9) + r.d(7)},
              r.u32(0), true);
      break;
    case 0x0D33: {  // SETDIBTODEV
      const double w = r.d(6), h = r.d(5);
      p_.blit(r.params().from(18), r.d(4), r.d(3), w, h, {r.d(8), r.d(7), r.d(8) + w, r.d(7) + h}, 0xCC0020, true);
      break;
    }
    case 0x02FA: {  // CREATEPENINDIRECT
      LogPen pen;
      pen.style = r.u(0);
      pen.width = r.d(1);
      pen.color = colorParam(r, 3);
      addObject(pen);
      break;
    }
    case 0x02FC: {  // CREATEBRUSHINDIRECT
      LogBrush brush;
      brush.style = r.u(0);
      brush.color = colorParam(r, 1);
      brush.hatch = r.u(3);
      if (brush.style == LogBrush::Pattern || brush.style >= LogBrush::DibPattern) brush.style = LogBrush::Solid;
      addObject(brush);
      break;
    }
    case 0x02FB:
      addObject(readFont(r));
      break;        // CREATEFONTINDIRECT
    case 0x0142: {  // DIBCREATEPATTERNBRUSH
      LogBrush brush;
      brush.style = LogBrush::DibPattern;
      brush.pattern = p_.decodeDib(r.params().from(4)).bitmap;
      addObject(brush);
      break;
    }
    case 0x01F9: {  // CREATEPATTERNBRUSH
      LogBrush brush;
      brush.style = LogBrush::Pattern;
      brush.pattern = readBitmap16Pattern(r);
      addObject(brush);
      break;
    }
    case 0x00F7:
      addObject(Palette{});
      break;  // CREATEPALETTE
    case 0x06FF:
      addObject(readRegion(r).value_or(Region{}));
      break;  // CREATEREGION
    default:
      break;  // escapes, palettes, and records pictures do not need
  }
}

}  // namespace

bool looksLikeWindows(std::span<const std::uint8_t> data) {
  const RecordBytes bytes(data);
  return bytes.u32(0) == kPlaceableKey || standardHeaderAt(data, 0);
}

Frame measureWindows(std::span<const std::uint8_t> data, const PlayLimits& limits) {
  const Header h = readHeader(data);
  if (h.placeable) {
    const double inch = h.inch > 0 ? h.inch : 1440;
    return fitFrame(Kind::Windows, std::fabs(h.box.right - h.box.left) * 96 / inch,
                    std::fabs(h.box.bottom - h.box.top) * 96 / inch, limits);
  }
  // Without the placeable header the window extent gives the size, one
  // logical unit a pixel.
  PointF ext;
  forEachRecord(data, h.recordsAt, [&](const Record& r) {
    if (r.function() != 0x020C) return true;
    ext = r.pointYX(0);
    return false;
  });
  return fitFrame(Kind::Windows, std::fabs(ext.x), std::fabs(ext.y), limits);
}

void playWindows(std::span<const std::uint8_t> data, const Frame& frame, Canvas& canvas, const PlayLimits& limits) {
  const Header h = readHeader(data);
  Player player(canvas, frame, limits, Matrix{}, {96 / 25.4, 96 / 25.4});
  DeviceContext& dc = player.dc();
  dc.mapMode = kMmAnisotropic;
  dc.viewportOrg = {0, 0};
  dc.viewportExt = {double(frame.width), double(frame.height)};
  if (h.placeable && h.box.right != h.box.left && h.box.bottom != h.box.top) {
    dc.windowOrg = {h.box.left, h.box.top};
    dc.windowExt = {h.box.right - h.box.left, h.box.bottom - h.box.top};
  } else {
    // The first window origin and extent are the picture's from the start.
    bool haveOrg = false, haveExt = false;
    forEachRecord(data, h.recordsAt, [&](const Record& r) {
      if (r.function() == 0x020B && !haveOrg) dc.windowOrg = r.pointYX(0), haveOrg = true;
      if (r.function() == 0x020C && !haveExt && r.s(0) != 0 && r.s(1) != 0) dc.windowExt = r.pointYX(0), haveExt = true;
      return !(haveOrg && haveExt);
    });
  }
  WindowsPlayer records(player, h.objects);
  forEachRecord(data, h.recordsAt, [&](const Record& r) {
    player.countRecord();
    records.play(r);
    return true;
  });
}

}  // namespace lumora::metafile
