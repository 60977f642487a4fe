// The show's shutdown countdown on the clock: every 10 seconds it asks
// whether the set minutes have passed since the show started; when they
// have, it ends the show and powers the machine off (the PowerOff service;
// tests replace it). While the password prompt is being answered it asks
// again later.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

#include "saver/core/shutdown_countdown.h"

namespace lumora {

class PowerOff;

// The whole clock minutes from start to now, seconds ignored (10:00:59 to
// 10:01:00 is 1).
qint64 wholeMinutesBetween(const QDateTime& start, const QDateTime& now);

class ShutdownTimer : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<QDateTime()> now;
    std::function<bool()> held;     // true: not now, the prompt is open
    std::function<void()> endShow;  // the show's timers stopped, the show ended
  };
  // `powerOff` may be null (nothing is powered off then).
  ShutdownTimer(Hooks hooks, PowerOff* powerOff, QObject* parent = nullptr);

  // Counts `minutes` (0 or less: never) from `start`; the timer runs only
  // when they are more than 0.
  void start(const QDateTime& start, int minutes);
  // Ends the show and powers off when the minutes have passed.
  void check();
  void stop() { timer_.stop(); }
  QTimer& timer() { return timer_; }

 private:
  Hooks hooks_;
  PowerOff* powerOff_;
  ShutdownCountdown countdown_;
  QTimer timer_;
};

}  // namespace lumora
