// Path: figures of lines and cubic Bezier curves, the one shape the player
// hands to a canvas. The shape builders here turn every GDI figure
// (rectangle, rounded rectangle, ellipse, arc, pie, chord) into a path.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "imaging/metafile/geometry.h"

namespace lumora::metafile {

struct PathElement {
  enum Kind { Move, Line, Cubic, Close } kind = Move;
  PointF p[3];  // Move/Line: p[0]; Cubic: control 1, control 2, end
};

class Path {
 public:
  void moveTo(PointF p);
  void lineTo(PointF p);
  void cubicTo(PointF c1, PointF c2, PointF end);
  void close();

  bool empty() const { return elements_.empty(); }
  std::size_t size() const { return elements_.size(); }
  const std::vector<PathElement>& elements() const { return elements_; }
  // The end point of the last element (the origin when empty).
  PointF lastPoint() const;
  void append(const Path& other);
  Path transformed(const Matrix& m) const;
  // Smallest rectangle around every point, control points included.
  RectF bounds() const;
  bool isFinite() const;

 private:
  std::vector<PathElement> elements_;
};

enum class ArcKind { Open, Pie, Chord };

// The shape builders work in the logical space of the drawing. `yDown` is
// true when the logical space keeps the screen's orientation (so that
// "counter-clockwise" means counter-clockwise as the picture shows it).
void addPolygon(Path& path, std::span<const PointF> points, bool closed);
void addRectangle(Path& path, RectF r);
void addRoundRect(Path& path, RectF r, double cornerWidth, double cornerHeight);
void addEllipse(Path& path, RectF r);
// An elliptic arc inside `r` from the ray through `start` to the ray through
// `end`, counter-clockwise unless `clockwise`. A pie adds the two radii, a
// chord the closing chord. With `connect` the arc is joined to the path's
// current point by a line instead of starting a new figure.
void addArc(Path& path, RectF r, PointF start, PointF end, bool clockwise, bool yDown, ArcKind kind,
            bool connect = false);
// An arc of a circle given by angles in degrees (counter-clockwise from the
// x axis as the picture shows it), joined to the current point.
void addAngleArc(Path& path, PointF center, double radius, double startDeg, double sweepDeg, bool yDown);

}  // namespace lumora::metafile
