#include "imaging/metafile/path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace lumora::metafile {

void Path::moveTo(PointF p) { elements_.push_back({PathElement::Move, {p, {}, {}}}); }
void Path::lineTo(PointF p) {
  if (elements_.empty()) moveTo(p);
  elements_.push_back({PathElement::Line, {p, {}, {}}});
}
void Path::cubicTo(PointF c1, PointF c2, PointF end) {
  if (elements_.empty()) moveTo(c1);
  elements_.push_back({PathElement::Cubic, {c1, c2, end}});
}
void Path::close() {
  if (!elements_.empty() && elements_.back().kind != PathElement::Close) elements_.push_back({PathElement::Close, {}});
}

PointF Path::lastPoint() const {
  if (elements_.empty()) return {};
  const PathElement& last = elements_.back();
  if (last.kind == PathElement::Cubic) return last.p[2];
  if (last.kind != PathElement::Close) return last.p[0];
  // After a close the current point is the start of the closed figure.
  for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
    if (it->kind == PathElement::Move) return it->p[0];
  return {};
}

void Path::append(const Path& other) {
  elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
}

Path Path::transformed(const Matrix& m) const {
  Path out;
  out.elements_.reserve(elements_.size());
  for (PathElement e : elements_) {
    const int n = e.kind == PathElement::Cubic ? 3 : e.kind == PathElement::Close ? 0 : 1;
    for (int i = 0; i < n; ++i) e.p[i] = m.map(e.p[i]);
    out.elements_.push_back(e);
  }
  return out;
}

RectF Path::bounds() const {
  constexpr double inf = std::numeric_limits<double>::infinity();
  RectF b{inf, inf, -inf, -inf};
  for (const PathElement& e : elements_) {
    const int n = e.kind == PathElement::Cubic ? 3 : e.kind == PathElement::Close ? 0 : 1;
    for (int i = 0; i < n; ++i) {
      b.left = std::min(b.left, e.p[i].x);
      b.top = std::min(b.top, e.p[i].y);
      b.right = std::max(b.right, e.p[i].x);
      b.bottom = std::max(b.bottom, e.p[i].y);
    }
  }
  if (b.left > b.right) return {};
  return b;
}

bool Path::isFinite() const {
  for (const PathElement& e : elements_)
    for (const PointF& p : e.p)
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  return true;
}

void addPolygon(Path& path, std::span<const PointF> points, bool closed) {
  if (points.empty()) return;
  path.moveTo(points[0]);
  for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i]);
  if (closed) path.close();
}

void addRectangle(Path& path, RectF r) {
  const PointF corners[] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  addPolygon(path, corners, true);
}

namespace {

constexpr double kPi = std::numbers::pi;

struct Ellipse {
  double cx, cy, rx, ry;
  PointF at(double t) const { return {cx + rx * std::cos(t), cy + ry * std::sin(t)}; }
  PointF tangent(double t) const { return {-rx * std::sin(t), ry * std::cos(t)}; }
};

Ellipse ellipseIn(RectF r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2, std::fabs(r.right - r.left) / 2,
          std::fabs(r.bottom - r.top) / 2};
}

// Cubic pieces of at most a quarter turn from angle t0 over `sweep` radians
// (signed); the figure is assumed to stand at e.at(t0) already.
void addEllipticCurve(Path& path, const Ellipse& e, double t0, double sweep) {
  if (!std::isfinite(t0) || !std::isfinite(sweep)) return;
  const int n = std::max(1, int(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
  const double step = sweep / n;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  for (int i = 0; i < n; ++i) {
    const double a = t0 + step * i, b = a + step;
    const PointF pa = e.at(a), pb = e.at(b), da = e.tangent(a), db = e.tangent(b);
    path.cubicTo({pa.x + k * da.x, pa.y + k * da.y}, {pb.x - k * db.x, pb.y - k * db.y}, pb);
  }
}

}  // namespace

void addEllipse(Path& path, RectF r) {
  const Ellipse e = ellipseIn(r);
  path.moveTo(e.at(0));
  addEllipticCurve(path, e, 0, 2 * kPi);
  path.close();
}

void addRoundRect(Path& path, RectF r, double cornerWidth, double cornerHeight) {
  const double l = std::min(r.left, r.right), rt = std::max(r.left, r.right);
  const double t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
  const double rx = std::min(std::fabs(cornerWidth) / 2, (rt - l) / 2);
  const double ry = std::min(std::fabs(cornerHeight) / 2, (b - t) / 2);
  if (rx <= 0 || ry <= 0) return addRectangle(path, {l, t, rt, b});
  path.moveTo({l + rx, t});
  path.lineTo({rt - rx, t});
  addEllipticCurve(path, {rt - rx, t + ry, rx, ry}, -kPi / 2, kPi / 2);
  path.lineTo({rt, b - ry});
  addEllipticCurve(path, {rt - rx, b - ry, rx, ry}, 0, kPi / 2);
  path.lineTo({l + rx, b});
  addEllipticCurve(path, {l + rx, b - ry, rx, ry}, kPi / 2, kPi / 2);
  path.lineTo({l, t + ry});
  addEllipticCurve(path, {l + rx, t + ry, rx, ry}, kPi, kPi / 2);
  path.close();
}

void addArc(Path& path, RectF r, PointF start, PointF end, bool clockwise, bool yDown, ArcKind kind, bool connect) {
  const Ellipse e = ellipseIn(r);
  if (e.rx <= 0 || e.ry <= 0) return;
  const double t0 = std::atan2((start.y - e.cy) / e.ry, (start.x - e.cx) / e.rx);
  const double t1 = std::atan2((end.y - e.cy) / e.ry, (end.x - e.cx) / e.rx);
  // Angles grow clockwise on the screen when the space is y-down.
  const double ccw = yDown ? -1 : 1;
  const double dir = clockwise ? -ccw : ccw;
  double sweep = dir > 0 ? t1 - t0 : t0 - t1;
  while (sweep <= 1e-9) sweep += 2 * kPi;
  while (sweep > 2 * kPi + 1e-9) sweep -= 2 * kPi;
  if (kind == ArcKind::Pie) {
    path.moveTo({e.cx, e.cy});
    path.lineTo(e.at(t0));
  } else if (connect && !path.empty()) {
    path.lineTo(e.at(t0));
  } else {
    path.moveTo(e.at(t0));
  }
  addEllipticCurve(path, e, t0, dir * sweep);
  if (kind != ArcKind::Open) path.close();
}

void addAngleArc(Path& path, PointF center, double radius, double startDeg, double sweepDeg, bool yDown) {
  const double s = yDown ? -1 : 1;
  const double t0 = s * startDeg * kPi / 180, sweep = s * sweepDeg * kPi / 180;
  const double r = std::fabs(radius);
  const Ellipse e{center.x, center.y, r, r};
  path.lineTo(e.at(t0));
  if (sweep != 0 && r > 0) addEllipticCurve(path, e, t0, std::clamp(sweep, -64 * kPi, 64 * kPi));
}

}  // namespace lumora::metafile
