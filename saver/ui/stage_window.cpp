#include "saver/ui/stage_window.h"

#include <QApplication>
#include <QBackingStore>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <array>
#include <utility>

#include "region/region_form.h"
#include "widgets/bitmap_image.h"

namespace lumora {

namespace {
using std::chrono::nanoseconds;

int wholeMsAtLeast(nanoseconds t) { return int((t.count() + 999'999) / 1'000'000); }

// The region form's stored data: an empty "Region" property.
constexpr std::array<std::uint8_t, 4> kEmptyRegionProperty{0, 0, 0, 0};
}  // namespace

StageWindow::StageWindow(QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget : Qt::Window | Qt::FramelessWindowHint), schedule_(frameInterval()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setFocusPolicy(Qt::StrongFocus);
  // FormCreate: at (0, 0) with the screen's size, hidden.
  hide();
  fitArea();
  clock_.start();
  deferredPresent_.setSingleShot(true);
  deferredPresent_.setTimerType(Qt::PreciseTimer);
  connect(&deferredPresent_, &QTimer::timeout, this, &StageWindow::presentDirty);

  // The region form covers the window: draggable, title shown, no bevel,
  // title height 17, no shape. Its click ends the show like any input on the
  // stage; its double click does nothing more.
  shapedLayer_ = new ShapedWindowLayer(this);
  shapedLayer_->setDraggable(true);
  shapedLayer_->setShowTitle(true);
  shapedLayer_->setShowBevel(false);
  shapedLayer_->setTitleHeight(17);
  shapedLayer_->readRegionProperty(kEmptyRegionProperty);
  connect(shapedLayer_, &ShapedWindowLayer::clicked, this, &StageWindow::inputReceived);
}

void StageWindow::paintCurrentCaption(const CaptionSources& sources, const std::function<void()>& whenPainted) {
  paintCaption(stage(), stageFont_, caption_, sources, this);
  present();
  if (whenPainted) whenPainted();
}

QRect StageWindow::area() const { return area_ ? area_() : QGuiApplication::primaryScreen()->geometry(); }

void StageWindow::ensureStage() {
  const QRect screen = area();
  if (stage_.width() == screen.width() && stage_.height() == screen.height()) return;
  resizeStage(screen.width(), screen.height());
  fitArea();
}

void StageWindow::fitArea() {
  // Inside the show's window the stage fills it from its corner; alone, it
  // is a window of its own on the area's place.
  const QRect screen = area();
  setGeometry(isWindow() ? screen : QRect(QPoint(0, 0), screen.size()));
}

void StageWindow::resizeStage(int w, int h) {
  if (!shmTried_) {
    shmTried_ = true;
    shm_ = ShmPresent::open();
    if (shm_) stageMemory_ = std::make_shared<SharedPixels>();
  }
  stage_ = Bitmap();  // never two Stages in memory at once
  stage_ = shm_ ? Bitmap(w, h, kBlack, PixelAllocator<Pixel>(stageMemory_)) : Bitmap(w, h, kBlack);
  if (shm_ && !shm_->attach(stageMemory_->descriptorOf(stage_.bytes()), stage_.bytesPerLine() * std::size_t(h), w, h))
    shm_.reset();
  damage_.resize(w, h);
  view_ = imageOver(stage_);
}

void StageWindow::showAbove(QWidget* below, const QList<QWidget*>& over) {
  ensureStage();
  const bool wasHidden = !isVisible();
  if (wasHidden) {
    if (below) {
      // What `below` shows, with its children but without this stage and
      // the parts that stay over it (a prompt, a report).
      QImage shown(below->size(), QImage::Format_RGB32);
      shown.fill(Qt::black);
      QPainter painter(&shown);
      below->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
      for (QObject* o : below->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child == this || child->isWindow() || child->isHidden() || over.contains(child)) continue;
        child->render(&painter, child->pos(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
      }
      painter.end();
      QPainter p(&view_);
      p.drawImage(0, 0, shown);
    }
    show();
  }
  raise();
  if (isWindow() && !(windowFlags() & Qt::WindowDoesNotAcceptFocus)) activateWindow();
  if (focusPolicy() != Qt::NoFocus) setFocus(Qt::OtherFocusReason);
  // Shown just now, the whole Stage comes up. Already up, the screen holds
  // it: a present would repaint it unchanged and put the transition's first
  // frame off by a refresh.
  if (wasHidden) present();
}

double StageWindow::refreshRate() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const double hz = s ? s->refreshRate() : 0.0;
  return hz >= 1.0 ? hz : 60.0;
}

nanoseconds StageWindow::frameInterval() const { return nanoseconds(qint64(1e9 / refreshRate())); }

void StageWindow::markDirty(const Rect& area) {
  ensureStage();
  damage_.add(area);
}

void StageWindow::present() {
  markDirty({0, 0, stage_.width(), stage_.height()});
  presentDirty();
}

void StageWindow::presentDirty() {
  deferredPresent_.stop();
  schedule_.setFrameInterval(frameInterval());  // the window may have moved to another screen
  const nanoseconds start = now();
  schedule_.presented(start);
  if (damage_.empty()) return;
  // The damage comes in bands (one tile row each, runs that never touch,
  // sorted), which a region takes as they are.
  const std::vector<Rect> damaged = damage_.take();
  if (!isVisible()) return;
  std::vector<QRect> rects;
  rects.reserve(damaged.size());
  for (const Rect& r : damaged) rects.emplace_back(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
  QRegion region;
  region.setRects(rects.data(), int(rects.size()));
  presentDirect(region);
  if (!region.isEmpty()) repaint(region);
  ++presents_;
  schedule_.presented(start, now());
}

void StageWindow::presentDirect(QRegion& region) {
  if (!shm_ || devicePixelRatioF() != 1.0) return;
  QWidget* target = internalWinId() ? this : nativeParentWidget();
  if (!target || !target->internalWinId()) return;
  const QRegion own = region - coveredByOthers();
  if (own.isEmpty()) return;
  if (shm_->put(std::uint32_t(target->internalWinId()), own, mapTo(target, QPoint(0, 0)))) region -= own;
}

QRegion StageWindow::coveredByOthers() const {
  QRegion covered;
  auto paints = [](const QWidget* w) { return w && w->isVisible() && !w->isWindow(); };
  for (const QObject* o : children()) {
    const auto* child = qobject_cast<const QWidget*>(o);
    // The region form paints nothing without a picture or a shape.
    if (child == shapedLayer_ && shapedLayer_->picture().isNull() && !shapedLayer_->region()) continue;
    if (paints(child)) covered += child->geometry();
  }
  if (const QWidget* parent = parentWidget()) {
    bool above = false;
    for (const QObject* o : parent->children()) {
      if (o == this) {
        above = true;
        continue;
      }
      const auto* sibling = qobject_cast<const QWidget*>(o);
      if (above && paints(sibling)) covered += sibling->geometry().translated(-pos());
    }
  }
  return covered;
}

void StageWindow::presentIfDue(nanoseconds now) {
  if (damage_.empty()) return;
  const nanoseconds wait = schedule_.untilPresentAllowed(now);
  if (wait == nanoseconds::zero()) {
    presentDirty();
  } else if (!deferredPresent_.isActive()) {
    deferredPresent_.start(wholeMsAtLeast(wait));
  }
}

void StageWindow::stageChanged() { stageDrawn({0, 0, stage_.width(), stage_.height()}); }

void StageWindow::stageDrawn(const Rect& area) {
  markDirty(area);
  if (pace_ && coversPartOf(area, stage_.width(), stage_.height())) {
    if (pace_->presentsEveryStageOp()) return presentStep();
    waitAtPoint(pace_->atStageOp(sinceTransitionStart()));
  }
  presentIfDue();
}

void StageWindow::pump() {
  // One clock reading serves the pace, the present and the event turn,
  // unless the pace waited.
  nanoseconds t = now();
  if (pace_) {
    const nanoseconds wait = pace_->atPump(t - transitionStart_);
    if (wait > nanoseconds::zero()) {
      waitAtPoint(wait);
      t = now();
    }
  }
  presentIfDue(t);
  if (schedule_.takeEventTurn(t)) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void StageWindow::waitAtPoint(nanoseconds wait) {
  if (wait <= nanoseconds::zero()) return;
  presentIfDue();
  waitHandlingEvents(wait);
}

void StageWindow::presentStep() {
  // Not before the step is due, and a whole refresh after the step before:
  // a present that came any sooner would be deferred, and the next step,
  // drawn before the deferred present fires, would share its frame.
  deferredPresent_.stop();
  schedule_.setFrameInterval(frameInterval());
  const nanoseconds t = now();
  const nanoseconds due = pace_->atStageOp(t - transitionStart_);
  const nanoseconds wait = std::max(due, schedule_.untilPresentAllowed(t));
  if (wait > nanoseconds::zero()) waitHandlingEvents(wait);
  presentDirty();
}

void StageWindow::transitionStarting(const EffectCounts& counts, int minimumMs) {
  pace_.emplace(counts, minimumMs, refreshRate());
  transitionStart_ = now();
}

void StageWindow::transitionEnded() {
  // A transition of a single step shows it at once and stands for the rest
  // of the minimum.
  if (pace_) waitAtPoint(pace_->untilMinimum(sinceTransitionStart()));
  pace_.reset();
  presentIfDue();
}

void StageWindow::waitHandlingEvents(nanoseconds time) {
  // The deferred present fires inside this loop when it comes due.
  QEventLoop loop;
  QTimer::singleShot(wholeMsAtLeast(time), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  QEventLoop* const outer = std::exchange(waitLoop_, &loop);
  loop.exec();
  waitLoop_ = outer;
}

void StageWindow::stopPacing() {
  pace_.reset();
  if (waitLoop_) waitLoop_->quit();
}

void StageWindow::paintEvent(QPaintEvent* event) {
  QRegion region = event->region();
  QBackingStore* store = backingStore();
  if (shm_ && store && redirected(nullptr) == store->paintDevice()) {
    // Into the window's backing store: what nothing covers comes straight
    // from the Stage's memory instead, once Qt has flushed what it painted.
    const QRegion own = region - coveredByOthers();
    if (!own.isEmpty()) {
      for (const QRect& r : own) damage_.add({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
      QMetaObject::invokeMethod(this, &StageWindow::presentDirty, Qt::QueuedConnection);
      region -= own;
    }
  }
  QPainter p(this);
  for (const QRect& r : region) p.drawImage(r, view_, r);
}

void StageWindow::keyPressEvent(QKeyEvent*) { emit inputReceived(); }
void StageWindow::mousePressEvent(QMouseEvent*) { emit inputReceived(); }

}  // namespace lumora
