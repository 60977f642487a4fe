#include "start/step_times.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QTimerEvent>
#include <cstdio>

#include "saver/ui/stage_window.h"

namespace lumora {

StepTimes::StepTimes(QTimer& slideTimer) : slideTimer_(slideTimer) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool StepTimes::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Timer:
      if (watched == &slideTimer_ && static_cast<QTimerEvent*>(event)->timerId() == slideTimer_.timerId()) {
        sincePauseEnd_.start();
        paints_ = 0;
      }
      break;
    case QEvent::Show:
      if (qobject_cast<StageWindow*>(watched)) paints_ = -1;
      break;
    case QEvent::Paint:
      if (paints_ >= 0 && qobject_cast<StageWindow*>(watched) && ++paints_ == 1) {
        std::fprintf(stderr, "transition start delay %.1f ms\n", double(sincePauseEnd_.nsecsElapsed()) / 1e6);
        std::fflush(stderr);
        paints_ = -1;
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lumora
