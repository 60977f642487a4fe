#include "saver/ui/stage_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace lumora {

namespace {
constexpr qint64 kFrameMs = 16;  // about one display frame
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
  resizeStage(screen.width(), screen.height());
  sinceFrame_.start();
}

void StageWindow::resizeStage(int w, int h) {
  stage_ = Bitmap(w, h, kBlack);
  view_ = QImage(stage_.bytes(), w, h, int(stage_.bytesPerLine()), QImage::Format_RGB32);
}

void StageWindow::showAbove(QWidget* below) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  if (stage_.width() != screen.width() || stage_.height() != screen.height()) {
    resizeStage(screen.width(), screen.height());
    setGeometry(screen);
  }
  if (!isVisible()) {
    if (below) {
      const QImage shown = below->grab().toImage().convertToFormat(QImage::Format_RGB32);
      QPainter p(&view_);
      p.drawImage(0, 0, shown);
    }
    show();
  }
  raise();
  activateWindow();
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
