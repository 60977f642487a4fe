#include "saver/ui/picture_error_report.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QPainter>
#include <QPalette>

namespace lumora {

namespace {
// Light text on a dark slate box with an amber frame: readable over any
// picture, and unlike anything a picture list is likely to show.
constexpr QRgb kBoxColour = qRgb(40, 40, 48);
constexpr QRgb kFrameColour = qRgb(255, 176, 0);
constexpr QRgb kTextColour = qRgb(255, 255, 255);
constexpr int kTopMargin = 24;
constexpr int kFrameWidth = 2;
}  // namespace

PictureErrorReport::PictureErrorReport(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PictureErrorReport"));
  setFocusPolicy(Qt::NoFocus);
  hide();
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(kBoxColour));
  pal.setColor(QPalette::WindowText, QColor::fromRgb(kTextColour));
  setPalette(pal);
  setAttribute(Qt::WA_OpaquePaintEvent);
  label_ = new QLabel(this);
  label_->setFocusPolicy(Qt::NoFocus);
  QFont font = label_->font();
  font.setPixelSize(20);
  label_->setFont(font);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(18, 10, 18, 10);
  layout->addWidget(label_);
  hideTimer_.setSingleShot(true);
  hideTimer_.setInterval(kShownMs);
  connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void PictureErrorReport::report(const QString& message, const QRect& screen) {
  label_->setText(message);
  adjustSize();
  const int w = std::min(width(), screen.width());
  resize(w, height());
  // A child of the show's window: placed in its coordinates.
  const QPoint origin = isWindow() ? screen.topLeft() : QPoint(0, 0);
  move(origin.x() + (screen.width() - w) / 2, origin.y() + kTopMargin);
  show();
  keepOnTop();
  hideTimer_.start();
}

void PictureErrorReport::keepOnTop() {
  if (isVisible()) raise();
}

void PictureErrorReport::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgb(kFrameColour));
  p.fillRect(rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth), QColor::fromRgb(kBoxColour));
}

void PictureErrorReport::mousePressEvent(QMouseEvent*) { emit inputReceived(); }

}  // namespace lumora
