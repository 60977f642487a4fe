// ShapedWindowLayer: a layer that covers its form and makes it a
// free-floating, optionally shaped window. It keeps the form from erasing its
// background, drags the form when `Draggable`, passes clicks and double clicks
// on as OnClick / OnDblClick, can clip the form to a region built from a mask
// picture or read from the "Region" property, and paints a title band and a
// bevel along that shape. With neither picture nor shape it paints nothing,
// so whatever was drawn on the form stays visible.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "region/region_data.h"

namespace lumora {

class ShapedWindowLayer : public QWidget {
  Q_OBJECT

 public:
  // Create: the defaults (draggable, title shown, title height 17, no shape),
  // covering `form`, whose messages it then watches.
  explicit ShapedWindowLayer(QWidget* form);
  ~ShapedWindowLayer() override;

  bool draggable() const { return draggable_; }
  void setDraggable(bool on) { draggable_ = on; }
  bool showTitle() const { return showTitle_; }
  void setShowTitle(bool on);
  bool showBevel() const { return showBevel_; }
  void setShowBevel(bool on);
  int titleHeight() const { return titleHeight_; }
  void setTitleHeight(int h);

  // Picture: drawn at (0, 0) over everything; giving one turns the title and
  // the bevel off.
  const QImage& picture() const { return picture_; }
  void setPicture(const QImage& picture);

  // Mask: its black pixels become the form's shape. When at least one
  // rectangle results, the form's client area takes the mask's size and the
  // shape is applied; otherwise nothing changes.
  const QImage& mask() const { return mask_; }
  void setMask(const QImage& mask);

  // Applies region data as the form's shape; nullopt removes the shape.
  void applyRegion(const std::optional<RegionData>& region);
  const std::optional<RegionData>& region() const { return region_; }
  // The shape as a region of the form (empty when there is none).
  const QRegion& shape() const { return shape_; }

  // The binary "Region" property of the form data.
  void readRegionProperty(std::span<const std::uint8_t> stream);
  std::vector<std::uint8_t> writeRegionProperty() const;

  // Re-parents the component: a top-level form loses its border; the
  // component moves to (0, 0) and covers the form.
  void setHostForm(QWidget* form);

 signals:
  void clicked();        // OnClick
  void doubleClicked();  // OnDblClick

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QWidget* form() const { return parentWidget(); }
  void invalidateHost();

  bool draggable_ = true;
  bool showTitle_ = true;
  bool showBevel_ = false;
  int titleHeight_ = 17;
  QImage picture_;
  QImage mask_;
  std::optional<RegionData> region_;
  QRegion shape_;
  bool dragging_ = false;
  bool pressed_ = false;
  QPointF dragStart_;
};

// Builds a QRegion from rectangles in any order (empty ones are skipped).
QRegion regionOfRects(const std::vector<Rect>& rects);

// A QImage as a Bitmap of 0xAARRGGBB pixels.
Bitmap bitmapOfImage(const QImage& image);

}  // namespace lumora
