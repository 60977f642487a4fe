#include "region/region_form.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace lumora {

namespace {

QRegion unionOf(const std::vector<Rect>& rects, std::size_t from, std::size_t to) {
  if (to - from == 1) {
    const Rect& r = rects[from];
    const int left = std::min(r.left, r.right), right = std::max(r.left, r.right);
    const int top = std::min(r.top, r.bottom), bottom = std::max(r.top, r.bottom);
    if (left == right || top == bottom) return {};
    return QRegion(left, top, right - left, bottom - top);
  }
  const std::size_t mid = from + (to - from) / 2;
  return unionOf(rects, from, mid).united(unionOf(rects, mid, to));
}

// The pixels of the region along its border, inside it: what a 1 x 1 frame
// of the region paints.
QRegion borderOf(const QRegion& region) {
  const QRegion inner = region.intersected(region.translated(1, 0))
                            .intersected(region.translated(-1, 0))
                            .intersected(region.translated(0, 1))
                            .intersected(region.translated(0, -1));
  return region.subtracted(inner);
}

void fillRegion(QPainter& p, const QRegion& region, const QColor& colour) {
  for (const QRect& r : region) p.fillRect(r, colour);
}

}  // namespace

QRegion regionOfRects(const std::vector<Rect>& rects) {
  if (rects.empty()) return {};
  return unionOf(rects, 0, rects.size());
}

Bitmap bitmapOfImage(const QImage& image) {
  if (image.isNull()) return {};
  // Through non-premultiplied ARGB, so alpha is dropped, never blended in.
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  Bitmap b(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    Pixel* dst = b.row(y);
    for (int x = 0; x < argb.width(); ++x) dst[x] = 0xFF000000u | (src[x] & 0x00FFFFFFu);
  }
  return b;
}

ShapedWindowLayer::ShapedWindowLayer(QWidget* form) : QWidget(nullptr) {
  setObjectName(QStringLiteral("epRegionForm1"));
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::NoFocus);
  setHostForm(form);
}

ShapedWindowLayer::~ShapedWindowLayer() = default;

void ShapedWindowLayer::setHostForm(QWidget* newForm) {
  if (QWidget* old = form()) old->removeEventFilter(this);
  setParent(newForm);
  if (!newForm) return;
  if (newForm->isWindow() && !newForm->windowFlags().testFlag(Qt::FramelessWindowHint))
    newForm->setWindowFlag(Qt::FramelessWindowHint, true);
  // The form never erases its background: what was drawn on it stays.
  newForm->setAttribute(Qt::WA_NoSystemBackground);
  newForm->setAutoFillBackground(false);
  newForm->installEventFilter(this);
  setGeometry(0, 0, newForm->width(), newForm->height());
  show();
}

bool ShapedWindowLayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == form()) {
    switch (event->type()) {
      case QEvent::Resize:  // covers the whole form
        setGeometry(0, 0, form()->width(), form()->height());
        break;
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate:
        if (showBevel_ || showTitle_) invalidateHost();
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ShapedWindowLayer::invalidateHost() {
  if (form()) form()->update();
}

void ShapedWindowLayer::setShowTitle(bool on) {
  if (on == showTitle_) return;
  showTitle_ = on;
  invalidateHost();
}

void ShapedWindowLayer::setShowBevel(bool on) {
  if (on == showBevel_) return;
  showBevel_ = on;
  invalidateHost();
}

void ShapedWindowLayer::setTitleHeight(int h) {
  titleHeight_ = h;
  invalidateHost();
}

void ShapedWindowLayer::setPicture(const QImage& picture) {
  picture_ = picture.copy();
  if (!picture_.isNull()) {
    showTitle_ = false;
    showBevel_ = false;
  }
  invalidateHost();
}

void ShapedWindowLayer::setMask(const QImage& mask) {
  mask_ = mask.copy();
  const std::optional<RegionData> data = regionFromMask(bitmapOfImage(mask_));
  if (!data || data->rects.empty()) return;  // the form keeps its size and shape
  if (form()) form()->resize(mask_.width(), mask_.height());
  applyRegion(data);
}

void ShapedWindowLayer::applyRegion(const std::optional<RegionData>& region) {
  region_ = region;
  shape_ = region ? regionOfRects(region->rects) : QRegion();
  if (QWidget* f = form()) {
    if (region)
      f->setMask(shape_);
    else
      f->clearMask();
    f->update();
  }
}

void ShapedWindowLayer::readRegionProperty(std::span<const std::uint8_t> stream) {
  applyRegion(::lumora::readRegionProperty(stream));
}

std::vector<std::uint8_t> ShapedWindowLayer::writeRegionProperty() const {
  return ::lumora::writeRegionProperty(region_);
}

void ShapedWindowLayer::paintEvent(QPaintEvent*) {
  if (!picture_.isNull()) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    return;
  }
  if (!region_) return;  // no shape: nothing is painted, the form shows through

  const QPalette pal = palette();
  const QColor face = pal.color(QPalette::Active, QPalette::Button);
  QImage scratch(size(), QImage::Format_RGB32);
  QPainter s(&scratch);
  s.fillRect(scratch.rect(), face);
  s.setPen(Qt::black);
  s.drawRect(0, 0, width() - 1, height() - 1);

  const QRegion fill = shape_.translated(-x(), -y());
  if (showTitle_) {
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    fillRegion(s, fill, pal.color(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
    fillRegion(s, shape_.translated(-x(), titleHeight_ - y()), face);
  } else {
    fillRegion(s, fill, face);
  }
  if (showBevel_) {
    fillRegion(s, borderOf(shape_.translated(1 - x(), 1 - y())), pal.color(QPalette::Light));
    fillRegion(s, borderOf(shape_.translated(-1 - x(), -1 - y())), pal.color(QPalette::Dark));
  }
  fillRegion(s, borderOf(fill), Qt::black);
  s.end();

  QPainter p(this);
  p.drawImage(0, 0, scratch);
}

void ShapedWindowLayer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();  // the form's own mouse-down handler takes it
    return;
  }
  pressed_ = true;
  if (draggable_) {
    dragging_ = true;
    dragStart_ = event->position();
  }
}

void ShapedWindowLayer::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !form()) return;
  const QPointF delta = event->position() - dragStart_;
  form()->move(form()->pos() + delta.toPoint());
}

void ShapedWindowLayer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  dragging_ = false;
  const bool click = pressed_ && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click) emit clicked();
}

void ShapedWindowLayer::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  // The second press of a double click: a drag may start, but its release is
  // no further click.
  if (draggable_) {
    dragging_ = true;
    dragStart_ = event->position();
  }
  emit doubleClicked();
}

}  // namespace lumora
