#include "saver/ui/stage_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <array>

#include "region/region_form.h"

namespace lumora {

namespace {
constexpr qint64 kFrameMs = 16;  // about one display frame

// The form data of epRegionForm1: an empty "Region" property.
constexpr std::array<std::uint8_t, 4> kEmptyRegionProperty{0, 0, 0, 0};
}

StageWindow::StageWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  // FormCreate: at (0, 0) with the screen's size, hidden.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  setGeometry(screen);
  sinceFrame_.start();

  // epRegionForm1 covers the window: draggable, title shown, no bevel, title
  // height 17, no shape. Its click ends the show like any input on the stage
  // (epRegionForm1Click); its double click does nothing more
  // (epRegionForm1DblClick).
  epRegionForm1_ = new TepRegionForm(this);
  epRegionForm1_->setDraggable(true);
  epRegionForm1_->setShowTitle(true);
  epRegionForm1_->setShowBevel(false);
  epRegionForm1_->setTitleHeight(17);
  epRegionForm1_->readRegionProperty(kEmptyRegionProperty);
  connect(epRegionForm1_, &TepRegionForm::clicked, this, &StageWindow::inputReceived);
}

void StageWindow::button1Click(const CaptionSources& sources, const std::function<void()>& enableTimer1) {
  paintCaption(stage(), stageFont_, label2_, sources, this);
  present();
  if (enableTimer1) enableTimer1();
}

QRect StageWindow::area() const {
  return area_ ? area_() : QGuiApplication::primaryScreen()->geometry();
}

void StageWindow::ensureStage() {
  const QRect screen = area();
  if (stage_.width() == screen.width() && stage_.height() == screen.height()) return;
  resizeStage(screen.width(), screen.height());
  setGeometry(screen);
}

void StageWindow::resizeStage(int w, int h) {
  stage_ = Bitmap(w, h, kBlack);
  view_ = QImage(stage_.bytes(), w, h, int(stage_.bytesPerLine()), QImage::Format_RGB32);
}

void StageWindow::showAbove(QWidget* below) {
  ensureStage();
  if (!isVisible()) {
    if (below) {
      const QImage shown = below->grab().toImage().convertToFormat(QImage::Format_RGB32);
      QPainter p(&view_);
      p.drawImage(0, 0, shown);
    }
    show();
  }
  raise();
  if (!(windowFlags() & Qt::WindowDoesNotAcceptFocus)) activateWindow();
  present();
}

void StageWindow::present() {
  sinceFrame_.restart();
  if (isVisible()) repaint();
}

void StageWindow::stageChanged() {
  if (sinceFrame_.elapsed() >= kFrameMs) present();
}

void StageWindow::pump() {
  stageChanged();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void StageWindow::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRect r = event->rect();
  p.drawImage(r, view_, r);
}

void StageWindow::keyPressEvent(QKeyEvent*) { emit inputReceived(); }
void StageWindow::mousePressEvent(QMouseEvent*) { emit inputReceived(); }

}  // namespace lumora
