// Points and affine maps of the metafile player. A Matrix uses the field
// order of a Windows XFORM: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
#pragma once

#include <cmath>

namespace lumora::metafile {

struct PointF {
  double x = 0, y = 0;
};

struct RectF {
  double left = 0, top = 0, right = 0, bottom = 0;
};

struct Matrix {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

  PointF map(PointF p) const { return {m11 * p.x + m21 * p.y + dx, m12 * p.x + m22 * p.y + dy}; }
  PointF mapVector(PointF v) const { return {m11 * v.x + m21 * v.y, m12 * v.x + m22 * v.y}; }
  double determinant() const { return m11 * m22 - m12 * m21; }
  // This map, then `next`.
  Matrix then(const Matrix& next) const {
    return {m11 * next.m11 + m12 * next.m21,         m11 * next.m12 + m12 * next.m22,
            m21 * next.m11 + m22 * next.m21,         m21 * next.m12 + m22 * next.m22,
            dx * next.m11 + dy * next.m21 + next.dx, dx * next.m12 + dy * next.m22 + next.dy};
  }
  bool isFinite() const {
    return std::isfinite(m11) && std::isfinite(m12) && std::isfinite(m21) && std::isfinite(m22) && std::isfinite(dx) &&
           std::isfinite(dy);
  }
  // Geometric mean of the two axis scales (how a pen's width scales).
  double scale() const { return std::sqrt(std::fabs(determinant())); }
};

inline double length(PointF v) { return std::hypot(v.x, v.y); }

}  // namespace lumora::metafile
