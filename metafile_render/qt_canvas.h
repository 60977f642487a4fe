// The metafile canvas on a QPainter: paths, pens and brushes, clipping,
// text in installed fonts, pictures with raster operations.
#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "imaging/metafile/canvas.h"

namespace lumora {

class QtMetafileCanvas : public metafile::Canvas {
 public:
  // `painter` paints on a picture of width x height pixels.
  QtMetafileCanvas(QPainter& painter, int width, int height);

  void setClip(const metafile::Clip& clip) override;
  void fillPath(const metafile::Path& path, metafile::FillRule rule, const metafile::FillStyle& fill) override;
  void strokePath(const metafile::Path& path, const metafile::StrokeStyle& stroke) override;
  double drawText(const metafile::TextRun& run) override;
  void drawImage(const metafile::ImageDraw& draw) override;

 private:
  QBrush brush(const metafile::FillStyle& fill) const;

  QPainter& painter_;
  QRectF frame_;
};

QPainterPath toPainterPath(const metafile::Path& path, Qt::FillRule rule = Qt::WindingFill);

}  // namespace lumora
