// LUMORA_STEP_TIMES=1: the show prints, for every slide step, the time from
// the end of the pause (the slide timer firing) to the transition's first frame on
// the screen, as "transition start delay N.N ms" on standard error. The
// stage stays up between steps, so its first paint in a step is the
// transition's first frame. A step in which the stage window was just shown
// is left out (its showing paints it whole first).
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace lumora {

class StepTimes : public QObject {
 public:
  // Watches `slideTimer` and every stage window (installs itself on the
  // application).
  explicit StepTimes(QTimer& slideTimer);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTimer& slideTimer_;
  QElapsedTimer sincePauseEnd_;
  int paints_ = -1;  // stage paints since the slide timer fired; -1: none awaited
};

}  // namespace lumora
