// The stage (the original's TForm3): a child widget filling the show's
// window (alone, as in tests and benchmarks, a borderless window of its
// own), the size of the screen. Its canvas, the Stage, is a 32-bit image that every transition,
// caption and lyric line draws into at once; the window shows it, brought up
// to date at most once per display refresh. A change that comes before the
// next refresh is due is presented at that refresh, never dropped; only the
// area drawn since the last present is repainted. A transition can be paced
// to last at least a minimum time (TransitionPace).
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "graphics/bitmap.h"
#include "graphics/damage_grid.h"
#include "saver/core/refresh_schedule.h"
#include "saver/core/transition_pace.h"
#include "saver/ui/caption_painter.h"
#include "saver/ui/shm_present.h"

namespace lumora {

class ShapedWindowLayer;

class StageWindow : public QWidget, public EffectHost {
  Q_OBJECT

 public:
  explicit StageWindow(QWidget* parent = nullptr);

  Bitmap& stage() {
    ensureStage();
    return stage_;
  }
  // The Stage as a QImage sharing its pixels (for QPainter text).
  QImage& stageImage() {
    ensureStage();
    return view_;
  }

  // Shows the stage above its siblings (and so above `below`). When it was
  // hidden, the Stage first takes what `below` shows (the stage never erases
  // its background), less the children of `below` in `over` (parts that
  // stay above the stage, such as the password prompt).
  void showAbove(QWidget* below, const QList<QWidget*>& over = {});

  // The current caption (ANSI bytes).
  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& caption) { caption_ = caption; }

  // The Stage's font, kept between the painters that set it.
  StageFont& stageFont() { return stageFont_; }

  // The caption painter: paints the current caption over the Stage with a
  // face from the font list, then calls `whenPainted`.
  void paintCurrentCaption(const CaptionSources& sources, const std::function<void()>& whenPainted);

  // The area the stage covers (module mode: the host window's inside);
  // unset, the primary screen.
  void setShowArea(std::function<QRect()> area) { area_ = std::move(area); }

  // The region form covering the window; a click on it is input.
  ShapedWindowLayer* shapedLayer() const { return shapedLayer_; }

  // EffectHost
  void stageChanged() override;  // the whole Stage may have changed
  void stageDrawn(const Rect& area) override;
  void pump() override;
  void transitionStarting(const EffectCounts& counts, int minimumMs) override;
  void transitionEnded() override;
  // Brings the whole screen up to date now.
  void present();
  // The show is ending: a transition still running finishes at the
  // machine's speed, and a pacing wait in progress returns at once.
  void stopPacing();

  // The screen's refresh rate in Hz (60 when the screen does not say).
  double refreshRate() const;
  // How many presents brought the window up to date since it was made.
  long long presentCount() const { return presents_; }
  // Whether presents go from the Stage's memory straight to the X server
  // (else through Qt's backing store).
  bool presentsFromStageMemory() const { return shm_ != nullptr; }

 signals:
  // A key or mouse button on the stage (FormKeyDown, FormMouseDown), or a
  // click on the region form.
  void inputReceived();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void resizeStage(int w, int h);
  void markDirty(const Rect& area);
  // Presents now when a refresh has passed since the last present, else
  // arms the deferred present for the next refresh.
  void presentIfDue() { presentIfDue(now()); }
  void presentIfDue(std::chrono::nanoseconds now);
  void presentDirty();
  // Sends what of `region` nothing covers straight from the Stage's memory
  // and takes it out of `region`; what is left goes through Qt.
  void presentDirect(QRegion& region);
  // The parts of the stage other widgets paint over: its children that
  // paint and the siblings stacked above it.
  QRegion coveredByOthers() const;
  std::chrono::nanoseconds frameInterval() const;
  std::chrono::nanoseconds now() const { return std::chrono::nanoseconds(clock_.nsecsElapsed()); }
  std::chrono::nanoseconds sinceTransitionStart() const { return now() - transitionStart_; }
  // At a pacing point (a pump, or a visible Stage operation of a transition
  // that pumps less often than the screen refreshes): brings the screen up
  // to date if due, then waits `wait` (nothing when it is 0).
  void waitAtPoint(std::chrono::nanoseconds wait);
  // A step of a transition whose every step has a frame of its own: waits
  // until it is due and a refresh has passed since the last present, then
  // presents it.
  void presentStep();
  // Waits for `time`, handling events meanwhile: input is answered within a
  // frame even while a transition that pumps once is spread over the
  // minimum time.
  void waitHandlingEvents(std::chrono::nanoseconds time);
  // The Stage is allocated at the screen's size when first needed, which
  // keeps 8 MB of filling out of the show's start-up.
  void ensureStage();
  QRect area() const;
  void fitArea();  // the widget's geometry from area()

  std::unique_ptr<ShmPresent> shm_;            // null: presents through Qt
  std::shared_ptr<SharedPixels> stageMemory_;  // where the Stage lies when shm_ is set
  bool shmTried_ = false;
  Bitmap stage_;
  QImage view_;
  QElapsedTimer clock_;  // the schedule's clock, since the window was made
  RefreshSchedule schedule_;
  QTimer deferredPresent_;  // single shot at the next refresh
  DamageGrid damage_;       // drawn since the last present
  long long presents_ = 0;
  std::optional<TransitionPace> pace_;          // while a paced transition runs
  QEventLoop* waitLoop_ = nullptr;              // the pacing wait at a pump, while it runs
  std::chrono::nanoseconds transitionStart_{};  // on clock_
  std::string caption_;
  StageFont stageFont_;
  ShapedWindowLayer* shapedLayer_ = nullptr;  // child widget
  std::function<QRect()> area_;
};

}  // namespace lumora
