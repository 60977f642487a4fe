#include "metafile_render/qt_canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace lumora {

using namespace metafile;

namespace {

QColor qcolor(Color c) { return QColor(c.r, c.g, c.b); }

// Cosmetic line styles as Windows draws them, in pixels.
const QList<qreal>& pixelDashes(LineStyle style) {
  static const QList<qreal> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3}, none;
  switch (style) {
    case LineStyle::Dash:
      return dash;
    case LineStyle::Dot:
      return dot;
    case LineStyle::DashDot:
      return dashDot;
    case LineStyle::DashDotDot:
      return dashDotDot;
    default:
      return none;
  }
}

QImage imageOf(const Bitmap& bitmap) {
  return QImage(bitmap.bytes(), bitmap.width(), bitmap.height(), qsizetype(bitmap.bytesPerLine()),
                QImage::Format_RGB32);
}

QPainter::CompositionMode compositionOf(RasterOp op) {
  switch (op) {
    case RasterOp::SourceOr:
      return QPainter::RasterOp_SourceOrDestination;
    case RasterOp::SourceAnd:
      return QPainter::RasterOp_SourceAndDestination;
    case RasterOp::SourceXor:
      return QPainter::RasterOp_SourceXorDestination;
    case RasterOp::SourceAndNotDest:
      return QPainter::RasterOp_SourceAndNotDestination;
    case RasterOp::NotSource:
      return QPainter::RasterOp_NotSource;
    case RasterOp::NotSourceAndNotDest:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case RasterOp::NotSourceOrDest:
      return QPainter::RasterOp_NotSourceOrDestination;
    case RasterOp::NotDest:
      return QPainter::RasterOp_NotDestination;
    case RasterOp::PatternXor:
      return QPainter::RasterOp_SourceXorDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

}  // namespace

QPainterPath toPainterPath(const Path& path, Qt::FillRule rule) {
  QPainterPath q;
  q.setFillRule(rule);
  for (const PathElement& e : path.elements()) {
    switch (e.kind) {
      case PathElement::Move:
        q.moveTo(e.p[0].x, e.p[0].y);
        break;
      case PathElement::Line:
        q.lineTo(e.p[0].x, e.p[0].y);
        break;
      case PathElement::Cubic:
        q.cubicTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
        break;
      case PathElement::Close:
        q.closeSubpath();
        break;
    }
  }
  return q;
}

QtMetafileCanvas::QtMetafileCanvas(QPainter& painter, int width, int height)
    : painter_(painter), frame_(-1, -1, width + 2, height + 2) {}

void QtMetafileCanvas::setClip(const Clip& clip) {
  if (clip.empty()) {
    painter_.setClipping(false);
    return;
  }
  QPainterPath whole;
  whole.addRect(frame_);
  QPainterPath area = whole;
  for (const ClipStep& step : clip) {
    const QPainterPath s = toPainterPath(step.area);
    switch (step.op) {
      case ClipStep::Intersect:
        area = area.intersected(s);
        break;
      case ClipStep::Exclude:
        area = area.subtracted(s);
        break;
      case ClipStep::Unite:
        area = area.united(s);
        break;
      case ClipStep::Xor:
        area = area.subtracted(s).united(s.subtracted(area));
        break;
      case ClipStep::Replace:
        area = whole.intersected(s);
        break;
    }
  }
  painter_.setClipPath(area);
}

QBrush QtMetafileCanvas::brush(const FillStyle& fill) const {
  switch (fill.kind) {
    case FillStyle::Hatched: {
      static constexpr Qt::BrushStyle kStyles[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                   Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
      return QBrush(qcolor(fill.color), kStyles[int(fill.hatch)]);
    }
    case FillStyle::Pattern:
      if (fill.pattern && !fill.pattern->empty()) return QBrush(imageOf(*fill.pattern).copy());
      return QBrush(qcolor(fill.color));
    default:
      return QBrush(qcolor(fill.color));
  }
}

void QtMetafileCanvas::fillPath(const Path& path, FillRule rule, const FillStyle& fill) {
  const QPainterPath q = toPainterPath(path, rule == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  if (fill.kind == FillStyle::Hatched && fill.opaqueBackground) painter_.fillPath(q, qcolor(fill.background));
  painter_.fillPath(q, brush(fill));
}

void QtMetafileCanvas::strokePath(const Path& path, const StrokeStyle& stroke) {
  const QPainterPath q = toPainterPath(path);
  QPen pen(qcolor(stroke.color), stroke.width);
  pen.setCapStyle(stroke.cap == LineCap::Round    ? Qt::RoundCap
                  : stroke.cap == LineCap::Square ? Qt::SquareCap
                                                  : Qt::FlatCap);
  pen.setJoinStyle(stroke.join == LineJoin::Round   ? Qt::RoundJoin
                   : stroke.join == LineJoin::Bevel ? Qt::BevelJoin
                                                    : Qt::MiterJoin);
  pen.setMiterLimit(stroke.miterLimit);
  const double unit = std::max(1.0, stroke.width);
  QList<qreal> dashes;
  if (stroke.style == LineStyle::Custom) {
    for (double d : stroke.dashes) dashes.push_back(std::max(1.0, d) / unit);
    if (dashes.size() % 2) dashes.append(dashes);
  } else if (stroke.style != LineStyle::Solid) {
    for (qreal d : pixelDashes(stroke.style)) dashes.push_back(stroke.width > 1 ? d / 3 : d);
  }
  if (!dashes.isEmpty() && stroke.opaqueGaps) {
    QPen gaps = pen;
    gaps.setColor(qcolor(stroke.background));
    painter_.strokePath(q, gaps);
  }
  if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  painter_.strokePath(q, pen);
}

double QtMetafileCanvas::drawText(const TextRun& run) {
  const Matrix& m = run.toPixels;
  const PointF a = m.mapVector({1, 0});
  PointF b = m.mapVector({0, 1});
  // Text stands upright even where the logical y axis points up.
  if (a.x * b.y - a.y * b.x < 0) b = {-b.x, -b.y};
  const double k = length(b);
  if (!(k > 1e-9) || !(length(a) > 1e-9) || !m.isFinite()) return 0;
  const PointF origin = m.map(run.reference);
  if (!std::isfinite(origin.x) || !std::isfinite(origin.y)) return 0;

  // The em size in pixels; a positive height is the whole cell.
  QFont font(QString::fromStdString(run.font.face));
  font.setWeight(QFont::Weight(std::clamp(run.font.weight > 0 ? run.font.weight : 400, 100, 900)));
  font.setItalic(run.font.italic);
  font.setUnderline(run.font.underline);
  font.setStrikeOut(run.font.strikeOut);
  constexpr double kMaxPixels = 8192;
  double size = run.font.height == 0 ? 16 : std::min(std::fabs(run.font.height) * k, kMaxPixels);
  if (size < 0.5) return 0;
  font.setPixelSize(std::max(1, int(std::lround(size))));
  if (run.font.height > 0) {
    const QFontMetricsF fm(font);
    const double cell = fm.ascent() + fm.descent();
    if (cell > 0) size = std::max(0.5, size * font.pixelSize() / cell);
  }
  const int pixels = std::max(1, int(std::lround(size)));
  font.setPixelSize(pixels);
  const double f = size / pixels;
  if (run.font.width > 0) {
    const double natural = QFontMetricsF(font).averageCharWidth();
    const double wanted = run.font.width * k / f;
    if (natural > 0) font.setStretch(std::clamp(int(std::lround(100 * wanted / natural)), 1, 4000));
  }
  const QFontMetricsF fm(font);

  QString joined;
  for (const std::string& c : run.chars) joined += QString::fromStdString(c);
  double width = 0;
  std::vector<double> advances;
  if (!run.advances.empty()) {
    for (double d : run.advances) advances.push_back(d * k / f);
    for (double d : advances) width += d;
  } else {
    width = fm.horizontalAdvance(joined);
  }
  const double x0 = run.hAlign == TextHAlign::Left ? 0 : run.hAlign == TextHAlign::Center ? -width / 2 : -width;
  const double y = run.vAlign == TextVAlign::Top ? fm.ascent() : run.vAlign == TextVAlign::Bottom ? -fm.descent() : 0;

  painter_.save();
  painter_.setTransform(QTransform(a.x / k, a.y / k, b.x / k, b.y / k, origin.x, origin.y));
  painter_.rotate(-run.font.escapementDeg);
  painter_.scale(f, f);
  if (run.opaque)
    painter_.fillRect(QRectF(x0, y - fm.ascent(), width, fm.ascent() + fm.descent()), qcolor(run.background));
  painter_.setFont(font);
  painter_.setPen(qcolor(run.color));
  if (advances.empty()) {
    painter_.drawText(QPointF(x0, y), joined);
  } else {
    double x = x0;
    for (std::size_t i = 0; i < run.chars.size(); ++i) {
      painter_.drawText(QPointF(x, y), QString::fromStdString(run.chars[i]));
      x += advances[i];
    }
  }
  painter_.restore();
  return width * f / k;
}

void QtMetafileCanvas::drawImage(const ImageDraw& draw) {
  const PointF tl = draw.topLeft, tr = draw.topRight, bl = draw.bottomLeft;
  painter_.save();
  const bool rasterOp = draw.op != RasterOp::SourceCopy && draw.op != RasterOp::PatternCopy &&
                        draw.op != RasterOp::Black && draw.op != RasterOp::White;
  if (rasterOp) painter_.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform, false);
  QPainterPath area;
  area.moveTo(tl.x, tl.y);
  area.lineTo(tr.x, tr.y);
  area.lineTo(tr.x + bl.x - tl.x, tr.y + bl.y - tl.y);
  area.lineTo(bl.x, bl.y);
  area.closeSubpath();
  switch (draw.op) {
    case RasterOp::Black:
      painter_.fillPath(area, Qt::black);
      break;
    case RasterOp::White:
      painter_.fillPath(area, Qt::white);
      break;
    case RasterOp::PatternCopy:
    case RasterOp::PatternXor:
      painter_.setCompositionMode(compositionOf(draw.op));
      painter_.fillPath(area, brush(draw.brush));
      break;
    case RasterOp::NotDest:
      painter_.setCompositionMode(compositionOf(draw.op));
      painter_.fillPath(area, Qt::black);
      break;
    default: {
      if (!draw.image || draw.srcWidth <= 0 || draw.srcHeight <= 0) break;
      const double sw = draw.srcWidth, sh = draw.srcHeight;
      const QTransform t((tr.x - tl.x) / sw, (tr.y - tl.y) / sw, (bl.x - tl.x) / sh, (bl.y - tl.y) / sh, 0, 0);
      const QPointF shift = t.map(QPointF(draw.srcX, draw.srcY));
      painter_.setTransform(QTransform(t.m11(), t.m12(), t.m21(), t.m22(), tl.x - shift.x(), tl.y - shift.y()));
      painter_.setCompositionMode(compositionOf(draw.op));
      const QRectF source(draw.srcX, draw.srcY, sw, sh);
      painter_.drawImage(source, imageOf(*draw.image), source);
      if (draw.op == RasterOp::SourceAndPattern) {
        painter_.resetTransform();
        painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter_.fillPath(area, brush(draw.brush));
      }
      break;
    }
  }
  painter_.restore();
}

}  // namespace lumora
